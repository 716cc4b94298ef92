"""set_icon, set_cursor and set_version: written to output or in place,
never otherwise, read back as asked; refusals raise WriteError, the
system's failures OSError, bad arguments TypeError or ValueError."""

import os

import pytest

import grabwell


def test_set_icon_writes_the_icons_images_and_leaves_the_program(fixtures, tmp_path):
    program = fixtures / "library.dll"
    before = program.read_bytes()
    out = tmp_path / "out.dll"
    written = grabwell.set_icon(program, fixtures / "icons.ico", output=out)
    assert written == str(out) and program.read_bytes() == before
    ico = grabwell.open(fixtures / "icons.ico").icon_groups[0]
    group = grabwell.open(out).icon_groups[0]
    assert [im.data for im in group.images] == [im.data for im in ico.images]
    # The same again in place gives the same file.
    once = out.read_bytes()
    grabwell.set_icon(out, fixtures / "icons.ico", in_place=True)
    assert out.read_bytes() == once


def test_set_version_edits_and_creates(fixtures, tmp_path):
    out = tmp_path / "versioned.dll"
    grabwell.set_version(fixtures / "library.dll", output=out, file_version="1.2.3.4",
                         strings={"ProductName": "Star Trader"})
    version = grabwell.open(out).version
    assert version["file_version"] == "1.2.3.4"
    assert version["strings"]["040904b0"]["ProductName"] == "Star Trader"
    grabwell.set_version(out, in_place=True, strings={"Comments": "again"})
    strings = grabwell.open(out).version["strings"]["040904b0"]
    assert strings == {"ProductName": "Star Trader", "Comments": "again"}


def test_bad_requests_raise_and_write_nothing(fixtures, tmp_path):
    out = tmp_path / "never.dll"
    with pytest.raises(ValueError):
        grabwell.set_icon(fixtures / "library.dll", fixtures / "icons.ico")  # neither output nor in_place
    with pytest.raises(ValueError):
        grabwell.set_version(fixtures / "library.dll", output=out, file_version="1.2")
    with pytest.raises(grabwell.WriteError) as error:
        grabwell.set_icon(fixtures / "library.dll", fixtures / "cut.ico", output=out)
    assert not error.value.signed and "cut.ico" in str(error.value)
    with pytest.raises(grabwell.WriteError):
        grabwell.set_icon(fixtures / "cut.dll", fixtures / "icons.ico", output=out)
    assert not out.exists()


def test_system_failures_raise_the_oserror_for_their_errno(fixtures, tmp_path):
    out = tmp_path / "out.dll"
    missing = tmp_path / "missing.dll"
    with pytest.raises(FileNotFoundError) as error:
        grabwell.set_icon(missing, fixtures / "icons.ico", output=out)
    assert error.value.filename == str(missing)
    with pytest.raises(FileNotFoundError):
        grabwell.set_cursor(fixtures / "library.dll", tmp_path / "missing.cur", output=out)
    with pytest.raises(FileNotFoundError):
        grabwell.set_version(missing, output=out, file_version="1.2.3.4")
    with pytest.raises(IsADirectoryError):
        grabwell.set_icon(tmp_path, fixtures / "icons.ico", output=out)
    assert not out.exists()
    # The output's folder is not there.
    nowhere = tmp_path / "no-folder" / "out.dll"
    with pytest.raises(FileNotFoundError) as error:
        grabwell.set_version(fixtures / "library.dll", output=nowhere, file_version="1.2.3.4")
    assert error.value.filename in (str(nowhere), str(nowhere.parent))


@pytest.mark.skipif(os.geteuid() == 0, reason="root writes into a read-only folder")
def test_a_read_only_folder_raises_permission_error(fixtures, tmp_path):
    folder = tmp_path / "locked"
    folder.mkdir()
    folder.chmod(0o555)
    try:
        with pytest.raises(PermissionError):
            grabwell.set_icon(fixtures / "library.dll", fixtures / "icons.ico", output=folder / "out.dll")
        assert list(folder.iterdir()) == []
    finally:
        folder.chmod(0o755)


@pytest.mark.parametrize("strings, error", [
    ({"Comments": None}, TypeError),
    ({"Comments": b"x"}, TypeError),
    ({b"Comments": "x"}, TypeError),
    ({1: "x"}, TypeError),
    ([("Comments", "x")], TypeError),
    ({"Comments": "a\0b"}, ValueError),
    ({"": "x"}, ValueError),
    ({}, ValueError),  # nothing to set
    (None, ValueError),
])
def test_version_arguments_that_are_refused_write_nothing(fixtures, tmp_path, strings, error):
    out = tmp_path / "out.dll"
    with pytest.raises(error):
        grabwell.set_version(fixtures / "library.dll", output=out, strings=strings)
    assert not out.exists()


def test_version_numbers_must_be_text(fixtures, tmp_path):
    out = tmp_path / "out.dll"
    with pytest.raises(TypeError):
        grabwell.set_version(fixtures / "library.dll", output=out, file_version=b"1.2.3.4")
    with pytest.raises(ValueError, match="nothing to set"):
        grabwell.set_version(fixtures / "library.dll", output=out, file_version="", product_version="")
    assert not out.exists()


def test_a_language_is_an_int_or_the_text_the_command_line_takes(fixtures, tmp_path):
    def written(language):
        out = tmp_path / "out.dll"
        grabwell.set_version(fixtures / "library.dll", output=out, strings={"Comments": "x"}, language=language)
        return out.read_bytes()

    german = written(0x407)
    assert german != written(None)  # the program has none in German: a new one
    for same in ("0x407", "0X407", "1031"):
        assert written(same) == german, same
    for bad, error in [("zz", ValueError), ("", ValueError), ("0x10000", ValueError), (-1, ValueError),
                       (0x10000, ValueError), (1 << 70, ValueError), (1.5, TypeError), (b"1031", TypeError),
                       (True, TypeError)]:
        with pytest.raises(error):
            grabwell.set_icon(fixtures / "library.dll", fixtures / "icons.ico", output=tmp_path / "never.dll",
                              language=bad)
    assert not (tmp_path / "never.dll").exists()


def test_group_arguments(fixtures, tmp_path):
    out = tmp_path / "out.dll"
    for bad, error in [(b"MAIN", TypeError), (1.0, TypeError), (70000, ValueError), ("#70000", ValueError),
                       ("", ValueError)]:
        with pytest.raises(error):
            grabwell.set_icon(fixtures / "library.dll", fixtures / "icons.ico", output=out, group=bad)
    assert not out.exists()


def test_a_group_the_program_lacks_is_added_only_when_asked(fixtures, tmp_path):
    program = fixtures / "library.dll"
    there = [g.name for g in grabwell.open(program).icon_groups]
    out = tmp_path / "out.dll"
    with pytest.raises(grabwell.WriteError) as error:
        grabwell.set_icon(program, fixtures / "icons.ico", output=out, group="EXTRA")
    assert all(name in str(error.value) for name in there)
    assert not out.exists()
    grabwell.set_icon(program, fixtures / "icons.ico", output=out, group="EXTRA", add_group=True)
    names = [g.name.upper() for g in grabwell.open(out).icon_groups]
    assert names.count("EXTRA") == 1 and len(names) == len(there) + 1
