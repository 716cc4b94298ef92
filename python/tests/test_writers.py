"""set_icon, set_cursor and set_version: written to output or in place,
never otherwise, read back as asked, and refused with WriteError."""

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
