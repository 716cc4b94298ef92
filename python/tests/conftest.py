"""The session's fixture files, made by grabwell-python-fixtures with the C++
tests' builders."""

import subprocess

import pytest

from support import program


@pytest.fixture(scope="session")
def fixtures(tmp_path_factory):
    """The folder of fixture files."""
    folder = tmp_path_factory.mktemp("fixtures")
    subprocess.run([program("GRABWELL_PYTHON_FIXTURES"), str(folder)], check=True)
    return folder
