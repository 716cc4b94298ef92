"""Document.to_dict against grabwell-cli info --json for every fixture, and
the objects against the dict."""

import pytest

import grabwell
from support import FIXTURES, cli_json


@pytest.mark.parametrize("flags", [(), ("--decode",), ("--hash",), ("--decode", "--hash")])
def test_to_dict_is_what_info_json_prints_for_every_fixture(fixtures, flags):
    paths = [str(fixtures / name) for name in FIXTURES]
    for path, printed in zip(paths, cli_json(paths, *flags)):
        doc = grabwell.open(path)
        assert doc.to_dict(decode="--decode" in flags, hash="--hash" in flags) == printed, path


def image_fields(im):
    fields = {"width": im.width, "height": im.height, "bit_count": im.bit_count, "colors": im.colors,
              "png": im.png, "bytes": len(im.data)}
    if im.hotspot is not None:
        fields["hotspot_x"], fields["hotspot_y"] = im.hotspot
    if im.missing:
        fields["missing"] = True
    return fields


def dict_fields(im, keys):
    return {k: im[k] for k in keys if k in im}


@pytest.mark.parametrize("name", FIXTURES)
def test_the_objects_say_what_the_dict_says(fixtures, name):
    doc = grabwell.open(fixtures / name)
    info = doc.to_dict()
    assert (doc.path, doc.kind) == (info["path"], info["kind"])
    assert doc.counts == {k: info[k] for k in ("icon_groups", "cursor_groups", "bitmaps", "animations")}

    groups = doc.icon_groups + doc.cursor_groups
    assert [(g.type, g.name, g.named) for g in groups] == [(g["type"], g["name"], g["named"]) for g in info["groups"]]
    for group, printed in zip(groups, info["groups"]):
        for im, im_printed in zip(group.images, printed["images"], strict=True):
            fields = image_fields(im)
            assert fields == dict_fields(im_printed, fields.keys() | {"missing", "hotspot_x", "hotspot_y"})

    assert [(b.name, b.named, b.width, b.height, b.pixel_format) for b in doc.bitmaps] == \
           [(b["name"], b["named"], b["width"], b["height"], b["pixel_format"]) for b in info["bitmap_list"]]

    for animation, printed in zip(doc.animations, info["animation_list"], strict=True):
        assert (animation.type, animation.name, animation.named, animation.default_rate_ms, animation.rates_ms,
                animation.sequence, animation.title, animation.artist) == tuple(
            printed[k] for k in ("type", "name", "named", "default_rate_ms", "rates_ms", "sequence", "title",
                                 "artist"))
        assert len(animation.frames) == printed["frames"]
        for frame, frame_printed in zip(animation.frames, printed["frame_list"]):
            for im, im_printed in zip(frame, frame_printed["images"], strict=True):
                assert (im.width, im.height, im.bit_count) == \
                       (im_printed["width"], im_printed["height"], im_printed["bit_count"])
                if frame_printed["cursor"]:
                    assert im.hotspot == (im_printed["hotspot_x"], im_printed["hotspot_y"])

    assert [{"kind": e.kind, "offset": e.offset, "message": e.message} for e in doc.errors] == info["errors"]
