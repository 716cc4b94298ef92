"""Groups, images, bitmaps and animations: what they say, their pixels and
the files they write; best_icon and icon_hash."""

import hashlib
import struct
import subprocess

import pytest

import grabwell
from support import FIXTURES, decode_png, program


def ico_directory(data):
    """(width, height, bit count, bytes, offset) of each entry of an .ico or .cur file."""
    _, _, count = struct.unpack_from("<HHH", data)
    entries = []
    for k in range(count):
        w, h, _, _, _, bits, size, offset = struct.unpack_from("<BBBBHHII", data, 6 + 16 * k)
        entries.append((w or 256, h or 256, bits, size, offset))
    return entries


def pixel(rgba, width, x, y):
    return tuple(rgba[(y * width + x) * 4:(y * width + x) * 4 + 4])


def test_icon_file_images_say_what_is_stored(fixtures):
    data = (fixtures / "icons.ico").read_bytes()
    [group] = grabwell.open(fixtures / "icons.ico").icon_groups
    assert (group.type, group.name, group.named) == ("icon", "icons", True)
    images = group.images
    assert [(im.width, im.height, im.bit_count) for im in images] == [(16, 16, 4), (32, 32, 32), (48, 48, 32),
                                                                     (256, 256, 32)]
    assert [im.colors for im in images] == [16, 2 ** 32, 2 ** 32, 2 ** 32]
    assert [im.png for im in images] == [False, False, True, True]
    assert all(im.hotspot is None and not im.missing for im in images)
    for im, (_, _, _, size, offset) in zip(images, ico_directory(data)):
        assert im.data == data[offset:offset + size]


def test_numbered_records_have_an_int_id_and_named_ones_none(fixtures):
    library = grabwell.open(fixtures / "library.dll")
    assert [(g.name, g.id) for g in library.icon_groups] == [("../../x", None), ("7", 7)]
    assert [(b.name, b.id) for b in library.bitmaps] == [("LOGO", None), ("1", 1)]
    assert [(g.name, g.id) for g in grabwell.open(fixtures / "old.exe").icon_groups] == [("10", 10), ("11", 11)]
    assert [(a.name, a.id) for a in grabwell.open(fixtures / "animated.dll").animations] == [("BUSY", None)]
    # A file's own record is named after the file.
    assert grabwell.open(fixtures / "icons.ico").icon_groups[0].id is None
    for name in FIXTURES:
        doc = grabwell.open(fixtures / name)
        for record in doc.icon_groups + doc.cursor_groups + doc.bitmaps + doc.animations:
            if record.named:
                assert record.id is None, (name, record)
            else:
                assert type(record.id) is int and str(record.id) == record.name, (name, record)


def test_cursor_images_have_hotspots_and_their_drawn_height(fixtures):
    [group] = grabwell.open(fixtures / "pointer.cur").cursor_groups
    assert (group.type, group.name) == ("cursor", "pointer")
    assert [(im.width, im.height, im.bit_count, im.hotspot) for im in group.images] == [(32, 32, 1, (5, 7)),
                                                                                      (16, 16, 32, (2, 3))]
    [cursors] = grabwell.open(fixtures / "library.dll").cursor_groups
    [image] = cursors.images
    # A cursor resource keeps its hot spot before the bitmap.
    assert image.hotspot == (5, 7) and image.data[:4] == struct.pack("<HH", 5, 7)


def test_rgba_is_straight_alpha_top_row_first_and_to_png_holds_the_same_pixels(fixtures):
    images = grabwell.open(fixtures / "icons.ico").icon_groups[0].images
    four, alpha = images[0], images[1]
    rgba = four.rgba()
    # The mask's lower right quarter is clear, the rest opaque.
    assert pixel(rgba, 16, 15, 15)[3] == 0 and pixel(rgba, 16, 0, 15)[3] == 255 and pixel(rgba, 16, 15, 0)[3] == 255
    # The 32-bit image's alpha ramps up from the left; colours are not premultiplied.
    rgba = alpha.rgba()
    assert pixel(rgba, 32, 0, 0)[3] == 0 and pixel(rgba, 32, 31, 0)[3] == 255
    assert pixel(rgba, 32, 16, 2) == (0x22, 0x40, 0xB0, 16 * 255 // 31)

    everything = list(images) + grabwell.open(fixtures / "pointer.cur").cursor_groups[0].images
    for group in grabwell.open(fixtures / "library.dll").icon_groups:
        everything += group.images
    for im in everything:
        rgba = im.rgba()
        assert len(rgba) == im.width * im.height * 4
        assert decode_png(im.to_png()) == (im.width, im.height, rgba), im


def test_group_to_bytes_is_the_file_save_writes(fixtures, tmp_path):
    for name in ("icons.ico", "library.dll", "old.exe", "pics.res"):
        doc = grabwell.open(fixtures / name)
        for k, group in enumerate(doc.icon_groups + doc.cursor_groups):
            ext = ".ico" if group.type == "icon" else ".cur"
            saved = tmp_path / f"{name}-{k}{ext}"
            saved.write_bytes(group.to_bytes())
            [again] = getattr(grabwell.open(saved), f"{group.type}_groups")
            assert [(im.width, im.height, im.bit_count, im.hotspot) for im in again.images] == \
                   [(im.width, im.height, im.bit_count, im.hotspot) for im in group.images], saved
            assert [im.rgba() for im in again.images] == [im.rgba() for im in group.images], saved
    # An icon file is written back as it was read.
    icons = (fixtures / "icons.ico").read_bytes()
    assert grabwell.open(fixtures / "icons.ico").icon_groups[0].to_bytes() == icons


def test_bitmaps_give_their_pixels_and_the_files_save_writes(fixtures, tmp_path):
    [picture] = grabwell.open(fixtures / "picture.bmp").bitmaps
    assert (picture.name, picture.width, picture.height, picture.bit_count, picture.pixel_format) == \
           ("picture.bmp", 12, 6, 24, "24")
    rgba = picture.rgba()
    assert len(rgba) == 12 * 6 * 4
    # The builder's pixel (x, y) is 0x405060 + 3x + 0x300y, opaque.
    value = 0x405060 + 3 * 5 + 0x300 * 2
    assert pixel(rgba, 12, 5, 2) == (value >> 16, (value >> 8) & 0xFF, value & 0xFF, 255)
    assert decode_png(picture.to_png()) == (12, 6, rgba)

    for bitmap in grabwell.open(fixtures / "library.dll").bitmaps:
        saved = tmp_path / f"{bitmap.name}.bmp"
        saved.write_bytes(bitmap.to_bmp())
        # Written in the bitmap's own depth, with the same pixels.
        assert struct.unpack_from("<H", saved.read_bytes(), 28)[0] == bitmap.bit_count
        [again] = grabwell.open(saved).bitmaps
        assert (again.width, again.height, again.rgba()) == (bitmap.width, bitmap.height, bitmap.rgba())
    assert [b.bit_count for b in grabwell.open(fixtures / "library.dll").bitmaps] == [24, 8]


def test_animations_give_frames_steps_texts_and_their_file(fixtures):
    walk = (fixtures / "walk.ani").read_bytes()
    [animation] = grabwell.open(fixtures / "walk.ani").animations
    assert (animation.type, animation.name, animation.named) == ("cursor", "walk", True)
    assert [[(im.width, im.height, im.hotspot) for im in frame] for frame in animation.frames] == [
        [(32, 32, (5, 7)), (16, 16, (2, 3))], [(32, 32, (9, 11)), (16, 16, (2, 3))]]
    assert (animation.rates_ms, animation.sequence) == ([100, 200, 500], [0, 1, 0])
    assert (animation.title, animation.artist) == ("Walking", "Grabwell tests")
    assert animation.to_bytes() == walk
    assert len(animation.frames[0][1].to_png()) > 0

    # The same animation as a library's resource.
    [busy] = grabwell.open(fixtures / "animated.dll").animations
    assert (busy.name, busy.named, busy.to_bytes()) == ("BUSY", True, walk)


def test_an_image_that_does_not_decode_raises_decode_error(fixtures):
    data = (fixtures / "garbage.ico").read_bytes()
    doc = grabwell.open(fixtures / "garbage.ico")
    good, bad = doc.icon_groups[0].images
    assert doc.errors == [] and len(good.rgba()) == 16 * 16 * 4
    offset = ico_directory(data)[1][4]
    for call in (bad.rgba, bad.to_png):
        with pytest.raises(grabwell.DecodeError) as raised:
            call()
        assert isinstance(raised.value, ValueError)
        assert (raised.value.kind, raised.value.offset) == ("invalid", offset)
    assert [im["decoded"] for im in doc.to_dict(decode=True)["groups"][0]["images"]] == [True, False]


@pytest.mark.parametrize("name", ["icons.ico", "pointer.cur", "library.dll", "old.exe", "walk.ani"])
def test_best_icon_is_the_thumbnailers_picture(fixtures, tmp_path, name):
    for size in (16, 40, 256):
        out = tmp_path / f"{size}.png"
        subprocess.run([program("GRABWELL_THUMBNAILER"), "-s", str(size), str(fixtures / name), str(out)], check=True)
        assert grabwell.best_icon(fixtures / name, size) == out.read_bytes(), size
    assert grabwell.best_icon(fixtures / name) == grabwell.best_icon(fixtures / name, size=256)


def test_best_icon_of_a_file_without_icons_is_none(fixtures):
    assert grabwell.best_icon(fixtures / "picture.bmp") is None
    with pytest.raises(ValueError):
        grabwell.best_icon(fixtures / "icons.ico", 0)


def test_icon_hash_fingerprints_the_files_icon(fixtures):
    assert grabwell.icon_hash(fixtures / "picture.bmp") is None
    for name in ("icons.ico", "library.dll", "pics.res"):
        doc = grabwell.open(fixtures / name)
        hashed = grabwell.icon_hash(fixtures / name)
        assert set(hashed) == {"raw_md5", "ico_md5", "dhash"}
        assert hashed == doc.to_dict(hash=True)["icon_hash"]
        group = doc.icon_groups[0]
        # The first group's largest image, and the group's file.
        largest = max(group.images, key=lambda im: (im.width * im.height, im.bit_count))
        assert hashed["raw_md5"] == hashlib.md5(largest.data).hexdigest(), name
        assert hashed["ico_md5"] == hashlib.md5(group.to_bytes()).hexdigest(), name
        assert len(hashed["dhash"]) == 16
