"""Document.version against to_dict() and grabwell-cli info --json, over
resource files this test writes: one with version information, one whose
version block is damaged, and the fixtures, which hold none."""

import struct

import grabwell
from support import FIXTURES, cli_json


def pad4(data):
    return data + b"\0" * (-len(data) % 4)


def block(key, value=b"", type_=1, children=()):
    """One block of the 32-bit layout: header, UTF-16 key, value, children,
    each part on a multiple of 4 from the block's start."""
    out = pad4(bytes(6) + key.encode("utf-16-le") + b"\0\0") + value
    for child in children:
        out = pad4(out) + child
    value_length = len(value) // 2 if type_ == 1 else len(value)
    return struct.pack("<HHH", len(out), value_length, type_) + out[6:]


def text(value):
    return value.encode("utf-16-le") + b"\0\0"


def version_resource():
    fixed = struct.pack("<13I", 0xFEEF04BD, 0x10000, 0x00010002, 0x00030004, 0x00010002, 0, 0x3F, 0x01,
                        0x40004, 1, 0, 0, 0)
    strings = block("StringFileInfo", children=[block("040904b0", children=[
        block("CompanyName", text("Maker")), block("FileDescription", text("Caf\u00e9 \u263a"))])])
    translations = block("VarFileInfo", children=[block("Translation", struct.pack("<HH", 0x409, 1200), type_=0)])
    return block("VS_VERSION_INFO", fixed, type_=0, children=[strings, translations])


def res_file(data):
    """A 32-bit resource file: the empty leading entry, then type 16, id 1."""
    lead = struct.pack("<II", 0, 32) + b"\xff\xff\0\0\xff\xff\0\0" + bytes(16)
    header = struct.pack("<II", len(data), 32) + b"\xff\xff\x10\0\xff\xff\x01\0" + struct.pack("<IHHII", 0, 0x30, 0x409, 0, 0)
    return lead + header + pad4(data)


EXPECTED = {"file_version": "1.2.3.4", "product_version": "1.2.0.0", "file_flags": ["DEBUG"],
            "file_os": "VOS_NT_WINDOWS32", "file_type": "VFT_APP",
            "strings": {"040904b0": {"CompanyName": "Maker", "FileDescription": "Caf\u00e9 \u263a"}},
            "translations": ["040904b0"]}


def test_version_is_what_info_json_says(tmp_path, fixtures):
    whole = tmp_path / "whole.res"
    whole.write_bytes(res_file(version_resource()))
    damaged = tmp_path / "damaged.res"
    data = bytearray(version_resource())
    data[0:2] = struct.pack("<H", len(data) + 40)  # the root claims more than there is
    damaged.write_bytes(res_file(bytes(data)))

    [whole_info, damaged_info] = cli_json([str(whole), str(damaged)])
    doc = grabwell.open(whole)
    assert doc.version == EXPECTED
    assert doc.to_dict() == whole_info and whole_info["version"] == EXPECTED and whole_info["errors"] == []

    doc = grabwell.open(damaged)
    assert doc.version == EXPECTED  # everything is read; the root's length is the damage
    assert doc.to_dict() == damaged_info
    [error] = doc.errors
    assert error.kind == "truncated" and error.offset == damaged.stat().st_size

    for name in FIXTURES:
        doc = grabwell.open(fixtures / name)
        assert doc.version is None and "version" not in doc.to_dict(), name
