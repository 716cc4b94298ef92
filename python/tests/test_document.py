"""grabwell.open, grabwell.from_bytes and the Document: the ways to name a
file, files that cannot be read, empty and damaged files, names that are not
UTF-8, bytes in memory, closing."""

import errno
import gc
import os
import pathlib
import shutil

import pytest

import grabwell
from support import cli_json


def test_open_takes_str_bytes_and_path_like_alike(fixtures):
    path = fixtures / "library.dll"
    docs = [grabwell.open(str(path)), grabwell.open(os.fsencode(path)), grabwell.open(path)]
    for doc in docs:
        assert isinstance(doc, grabwell.Document)
        assert doc.path == str(path)
        assert doc.kind == "PE File"
        assert doc.counts == {"icon_groups": 2, "cursor_groups": 1, "bitmaps": 2, "animations": 0}
    assert [g.name for g in docs[1].icon_groups] == ["../../x", "7"]
    assert [b.name for b in docs[2].bitmaps] == ["LOGO", "1"]


def test_a_file_that_cannot_be_read_raises_the_matching_os_error(tmp_path):
    missing = tmp_path / "missing.ico"
    with pytest.raises(FileNotFoundError) as raised:
        grabwell.open(missing)
    assert raised.value.errno == errno.ENOENT and raised.value.filename == missing

    with pytest.raises(IsADirectoryError) as raised:
        grabwell.open(str(tmp_path))
    assert raised.value.errno == errno.EISDIR and raised.value.filename == str(tmp_path)

    # Neither a file nor a folder: an OSError of no narrower kind.
    fifo = tmp_path / "pipe.ico"
    os.mkfifo(fifo)
    with pytest.raises(OSError) as raised:
        grabwell.open(fifo)
    assert type(raised.value) is OSError and raised.value.filename == fifo

    with pytest.raises(FileNotFoundError):
        grabwell.icon_hash(missing)
    with pytest.raises(FileNotFoundError):
        grabwell.best_icon(missing)
    with pytest.raises(ValueError):
        grabwell.open("icons\0.ico")
    with pytest.raises(TypeError):
        grabwell.open(3)
    with pytest.raises(TypeError):
        grabwell.Document()


@pytest.mark.skipif(os.geteuid() == 0, reason="root reads every file")
def test_a_file_without_read_permission_raises_permission_error(fixtures, tmp_path):
    locked = tmp_path / "locked.ico"
    shutil.copy(fixtures / "icons.ico", locked)
    locked.chmod(0)
    with pytest.raises(PermissionError) as raised:
        grabwell.open(locked)
    assert raised.value.errno == errno.EACCES


def test_an_empty_file_is_a_document_holding_nothing(tmp_path):
    empty = tmp_path / "empty"
    empty.write_bytes(b"")
    doc = grabwell.open(empty)
    assert doc.kind == "Non Executable"
    assert doc.counts == {"icon_groups": 0, "cursor_groups": 0, "bitmaps": 0, "animations": 0}
    assert (doc.icon_groups, doc.cursor_groups, doc.bitmaps, doc.animations, doc.errors) == ([], [], [], [], [])
    assert doc.to_dict() == cli_json([str(empty)])[0]
    assert grabwell.best_icon(empty) is None and grabwell.icon_hash(empty) is None


def test_a_damaged_file_gives_what_could_be_read_and_its_errors(fixtures):
    size = (fixtures / "cut.ico").stat().st_size
    doc = grabwell.open(fixtures / "cut.ico")
    [error] = doc.errors
    assert (error.kind, error.offset) == ("truncated", size)
    assert "needs" in error.message and error.describe().startswith(f"truncated at byte {size:,}")
    # The images before the damage are there and decode.
    [group] = doc.icon_groups
    assert [im.width for im in group.images] == [16]
    assert len(group.images[0].rgba()) == 16 * 16 * 4
    assert doc.to_dict()["errors"] == [{"kind": e.kind, "offset": e.offset, "message": e.message}
                                       for e in doc.errors]

    for name in ("cut.dll", "cut.bmp", "cut.ani"):
        damaged = grabwell.open(fixtures / name)
        assert damaged.errors, name
        assert all(e.kind in ("truncated", "invalid") and e.offset <= (fixtures / name).stat().st_size
                   for e in damaged.errors), name
    assert grabwell.open(fixtures / "library.dll").errors == []


def test_a_name_that_is_not_utf8_keeps_its_bytes(fixtures, tmp_path):
    raw = os.fsencode(tmp_path) + b"/ic\xf4nes\xff.ico"
    with open(raw, "wb") as out:
        out.write((fixtures / "icons.ico").read_bytes())
    doc = grabwell.open(raw)
    assert doc.path == os.fsdecode(raw) and os.fsencode(doc.path) == raw
    assert doc.kind == "Icon File"
    # The group is named after the file, its bytes shown as U+FFFD.
    assert doc.icon_groups[0].name == "ic\ufffdnes\ufffd"
    info = doc.to_dict()
    assert bytes.fromhex(info["path_hex"]) == raw
    assert info == cli_json([raw])[0]
    # The str os.fsdecode made names the same file.
    assert grabwell.open(doc.path).to_dict() == info
    assert grabwell.best_icon(raw) == grabwell.best_icon(doc.path) is not None


def test_objects_keep_their_document_alive(fixtures):
    doc = grabwell.open(fixtures / "walk.ani")
    animation = doc.animations[0]
    image = animation.frames[1][0]
    group = grabwell.open(fixtures / "library.dll").cursor_groups[0]
    del doc
    gc.collect()
    assert image.hotspot == (9, 11) and len(image.rgba()) == 32 * 32 * 4
    assert animation.to_bytes() == (fixtures / "walk.ani").read_bytes()
    assert group.to_bytes()[:4] == b"\0\0\2\0"


@pytest.mark.parametrize("name", ["icons.ico", "pointer.cur", "picture.bmp", "walk.ani", "library.dll", "old.exe",
                                  "pics.res", "old.r16", "cut.dll"])
def test_from_bytes_reads_what_open_reads_under_the_same_name(fixtures, name):
    data = (fixtures / name).read_bytes()
    opened = grabwell.open(fixtures / name).to_dict(decode=True, hash=True)
    for given in (name, name.encode(), pathlib.PurePosixPath("elsewhere") / name):
        doc = grabwell.from_bytes(data, given)
        assert doc.path == os.fsdecode(given)
        info = doc.to_dict(decode=True, hash=True)
        assert info.pop("path") == os.fsdecode(given)
        assert info == {k: v for k, v in opened.items() if k != "path"}, given


def test_from_bytes_takes_any_bytes_like_object_and_copies_it(fixtures):
    data = (fixtures / "icons.ico").read_bytes()
    expected = [im.rgba() for im in grabwell.open(fixtures / "icons.ico").icon_groups[0].images]
    spread = bytearray(len(data) * 2)
    spread[::2] = data
    buffer = bytearray(data)
    for given in (buffer, memoryview(data), memoryview(spread)[::2]):
        doc = grabwell.from_bytes(given, "icons.ico")
        # Changing the caller's buffer afterwards changes nothing read from it.
        buffer[:] = bytes(len(buffer))
        assert [im.rgba() for im in doc.icon_groups[0].images] == expected
    for wrong in ("icons.ico", 3, None):
        with pytest.raises(TypeError, match="bytes-like"):
            grabwell.from_bytes(wrong)
    with pytest.raises(ValueError):
        grabwell.from_bytes(data, "icons\0.ico")


def test_from_bytes_without_a_name_knows_executables_only(fixtures):
    # As a path without an extension: an icon file is no icon file without .ico.
    icons = grabwell.from_bytes((fixtures / "icons.ico").read_bytes())
    assert (icons.path, icons.kind, icons.icon_groups) == (None, "Non Executable", [])
    library = grabwell.from_bytes((fixtures / "library.dll").read_bytes())
    assert library.path is None and library.kind == "PE File"
    assert library.to_dict()["path"] == "" and len(library.icon_groups) == 2
    empty = grabwell.from_bytes(b"", "empty.ico")
    assert (empty.kind, empty.errors) == ("Non Executable", [])


def test_from_bytes_reads_in_the_language_asked_for(fixtures):
    data = (fixtures / "languages.dll").read_bytes()
    for language in (0x0407, "0x409"):
        assert grabwell.from_bytes(data, "languages.dll", language=language).to_dict() == \
               grabwell.open(fixtures / "languages.dll", language=language).to_dict() | {"path": "languages.dll"}


def image_size(ico):
    """Pixels of the first image an .ico file's directory lists."""
    return (ico[6] or 256) * (ico[7] or 256)


def every_use(doc):
    """Each property and method of a document, as callables."""
    return [lambda: doc.kind, lambda: doc.counts, lambda: doc.icon_groups, lambda: doc.cursor_groups,
            lambda: doc.bitmaps, lambda: doc.animations, lambda: doc.errors, lambda: doc.version,
            lambda: doc.resources_from, doc.to_dict]


def test_a_closed_document_and_its_records_raise_value_error(fixtures):
    doc = grabwell.open(fixtures / "library.dll")
    group, bitmap = doc.icon_groups[1], doc.bitmaps[0]
    image = group.images[0]
    [animation] = grabwell.open(fixtures / "walk.ani").animations
    saved, pixels = group.to_bytes(), image.rgba()
    doc.close()
    assert doc.closed and doc.path == str(fixtures / "library.dll")
    record_uses = [lambda: group.name, lambda: group.id, lambda: group.images, group.to_bytes,
                   lambda: image.width, lambda: image.data, image.rgba, image.to_png,
                   lambda: bitmap.name, bitmap.rgba, bitmap.to_bmp]
    for use in every_use(doc) + record_uses:
        with pytest.raises(ValueError, match="^the document is closed$"):
            use()
    # What was returned before stays; the objects still say what they are.
    assert saved[:4] == b"\0\0\1\0" and len(pixels) == image_size(saved) * 4
    assert repr(doc) == f"<grabwell.Document {str(fixtures / 'library.dll')!r}, closed>"
    assert repr(group) == "<grabwell.Group of a closed document>"
    doc.close()
    assert doc.closed
    # A document opened from the same file again is not affected, nor is another file's.
    assert grabwell.open(fixtures / "library.dll").icon_groups[1].to_bytes() == saved
    assert len(animation.frames) == 2


def test_with_closes_the_document_also_when_its_block_raises(fixtures):
    with grabwell.open(fixtures / "icons.ico") as doc:
        assert isinstance(doc, grabwell.Document) and not doc.closed
        [group] = doc.icon_groups
    assert doc.closed
    with pytest.raises(ValueError):
        group.images
    with pytest.raises(KeyError):
        with grabwell.from_bytes(b"", "x.ico") as doc:
            raise KeyError("passes through")
    assert doc.closed
    # A closed document cannot be entered again, as a closed file cannot.
    with pytest.raises(ValueError, match="closed"):
        with doc:
            pass
