"""cmake --install puts the module, with its type stubs, where Debian's python3
finds it."""

import os
import subprocess
import sys

import pytest


def test_the_installed_module_imports_from_the_prefix(fixtures, tmp_path):
    build, cmake = os.environ.get("GRABWELL_BUILD_DIR"), os.environ.get("GRABWELL_CMAKE")
    if not build or not cmake:
        pytest.skip("GRABWELL_BUILD_DIR and GRABWELL_CMAKE are not set (run the tests through ctest)")
    prefix = tmp_path / "prefix"
    subprocess.run([cmake, "--install", build, "--prefix", str(prefix), "--component", "python"],
                   check=True, capture_output=True)
    site = prefix / "lib" / "python3" / "dist-packages"
    package = site / "grabwell"
    names = sorted(p.name for p in package.iterdir())
    # The native part, its type stubs and the marker that tells type checkers to read them.
    assert [n for n in names if not n.endswith(".so")] == ["__init__.py", "_grabwell.pyi", "py.typed"]
    assert [n.split(".")[0] for n in names if n.endswith(".so")] == ["_grabwell"]
    script = "import grabwell, sys; print(grabwell.__file__); print(grabwell.open(sys.argv[1]).kind)"
    env = dict(os.environ, PYTHONPATH=str(site))
    run = subprocess.run([sys.executable, "-c", script, str(fixtures / "icons.ico")],
                         env=env, capture_output=True, text=True, check=True)
    assert run.stdout.splitlines() == [str(package / "__init__.py"), "Icon File"]
