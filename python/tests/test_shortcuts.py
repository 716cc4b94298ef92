"""Windows shortcuts and icon locations, found through the Wine prefix they lie in."""

import pytest

import grabwell


def test_a_shortcut_says_what_it_starts_and_its_icon(fixtures):
    prefix = fixtures / "prefix"
    shortcut = grabwell.read_shortcut(prefix / "drive_c/users/Public/Desktop/App.lnk")
    program = str(prefix / "drive_c/Program Files/App/app.exe")
    assert shortcut["kind"] == "Shortcut"
    assert shortcut["target"] == program
    assert shortcut["target_windows"] == "C:\\Program Files\\App\\app.exe"
    assert shortcut["arguments"] == '-x "a b"'
    assert shortcut["working_folder"] is None
    # %ProgramFiles% and the case of each name resolved in the prefix.
    assert shortcut["icon_location"] == {"file": program, "file_windows": "%ProgramFiles%\\app\\APP.exe",
                                         "index": 1, "from_target": False}
    assert shortcut["wine_prefix"] == str(prefix)
    assert shortcut["errors"] == []
    with pytest.raises(ValueError, match="not a Windows shortcut"):
        grabwell.read_shortcut(fixtures / "icons.ico")
    with pytest.raises(FileNotFoundError):
        grabwell.read_shortcut(fixtures / "missing.lnk")


def test_an_icon_location_picks_a_group_by_place_or_id(fixtures):
    library = fixtures / "library.dll"
    names = [g.name for g in grabwell.open(library).icon_groups]
    assert grabwell.icon_location(f"{library},1").name == names[1]
    assert grabwell.icon_location(f"{library},-{names[1]}").name == names[1]
    assert grabwell.icon_location(f"{library},{len(names)}") is None
    assert grabwell.icon_location(f"{library},-999") is None
    prefix = fixtures / "prefix"
    group = grabwell.icon_location("%ProgramFiles%\\APP\\app.exe,1", wine_prefix=prefix)
    assert group is not None and group.name == names[1]
    assert group.images[0].to_png().startswith(b"\x89PNG")
    with pytest.raises(ValueError):
        grabwell.icon_location("")
    with pytest.raises(ValueError, match="Windows path"):
        grabwell.icon_location("D:\\game.exe,0", wine_prefix=prefix)
