#!/usr/bin/env python3
"""Writes a PE32+ library of GROUPS icon groups, each one 256 x 256 32-bit
image (about 270 KB), and as many bitmaps of 512 x 512 24 bits (about 768
KB): a stand-in for the largest libraries, to measure what reading one costs.
    tools/make-big-library.py OUT.dll [GROUPS] [BITMAPS]
Defaults: 200 groups and 60 bitmaps, about 100 MB."""
import struct
import sys


def icon_dib(side):
    header = struct.pack("<IiiHHIIiiII", 40, side, side * 2, 1, 32, 0, 0, 0, 0, 0, 0)
    pixels = bytes((x * 7 + y) & 0xFF for y in range(4) for x in range(side * 4)) * (side // 4)
    mask = bytes(side * side // 8)
    return header + pixels + mask


def bitmap_dib(side):
    header = struct.pack("<IiiHHIIiiII", 40, side, side, 1, 24, 0, 0, 0, 0, 0, 0)
    row = bytes((x * 3) & 0xFF for x in range(side * 3))
    return header + row * side


def build(groups, bitmaps):
    image = icon_dib(256)
    bitmap = bitmap_dib(512)
    group_entry = lambda ident: struct.pack("<BBBBHHIH", 0, 0, 0, 0, 1, 32, len(image), ident)
    resources = {3: [(i + 1, image) for i in range(groups)],
                 14: [(i + 1, struct.pack("<HHH", 0, 1, 1) + group_entry(i + 1)) for i in range(groups)],
                 2: [(i + 1, bitmap) for i in range(bitmaps)]}
    rsrc_rva, rsrc_raw = 0x1000, 0x400
    # Directory: root, one name directory per type, one language directory
    # per name, then data entries, then the data.
    types = sorted(resources)
    root_size = 16 + 8 * len(types)
    name_dirs, offset = {}, root_size
    for t in types:
        name_dirs[t] = offset
        offset += 16 + 8 * len(resources[t])
    lang_dirs = {}
    for t in types:
        for ident, _ in resources[t]:
            lang_dirs[(t, ident)] = offset
            offset += 16 + 8
    data_entries = {}
    for t in types:
        for ident, _ in resources[t]:
            data_entries[(t, ident)] = offset
            offset += 16
    data_at, blob = {}, bytearray()
    for t in types:
        for ident, data in resources[t]:
            data_at[(t, ident)] = offset + len(blob)
            blob += data + bytes(-len(data) % 8)
    rsrc = bytearray()
    rsrc += struct.pack("<IIHHHH", 0, 0, 0, 0, 0, len(types))
    for t in types:
        rsrc += struct.pack("<II", t, 0x80000000 | name_dirs[t])
    for t in types:
        rsrc += struct.pack("<IIHHHH", 0, 0, 0, 0, 0, len(resources[t]))
        for ident, _ in resources[t]:
            rsrc += struct.pack("<II", ident, 0x80000000 | lang_dirs[(t, ident)])
    for t in types:
        for ident, _ in resources[t]:
            rsrc += struct.pack("<IIHHHH", 0, 0, 0, 0, 0, 1)
            rsrc += struct.pack("<II", 0x409, data_entries[(t, ident)])
    for t in types:
        for ident, data in resources[t]:
            rsrc += struct.pack("<IIII", rsrc_rva + data_at[(t, ident)], len(data), 0, 0)
    rsrc += blob
    raw_size = (len(rsrc) + 0x1FF) // 0x200 * 0x200
    rsrc += bytes(raw_size - len(rsrc))

    dos = bytearray(0x40)
    dos[0:2] = b"MZ"
    struct.pack_into("<I", dos, 0x3C, 0x40)
    file_header = struct.pack("<HHIIIHH", 0x8664, 1, 0, 0, 0, 240, 0x2022)
    optional = bytearray(240)
    struct.pack_into("<H", optional, 0, 0x20B)
    struct.pack_into("<I", optional, 108, 16)
    struct.pack_into("<II", optional, 112 + 2 * 8, rsrc_rva, len(rsrc))
    section = struct.pack("<8sIIIIIIHHI", b".rsrc", len(rsrc), rsrc_rva, raw_size, rsrc_raw, 0, 0, 0, 0, 0x40000040)
    head = dos + b"PE\0\0" + file_header + optional + section
    return bytes(head + bytes(rsrc_raw - len(head)) + rsrc)


if __name__ == "__main__":
    out = sys.argv[1]
    groups = int(sys.argv[2]) if len(sys.argv) > 2 else 200
    bitmaps = int(sys.argv[3]) if len(sys.argv) > 3 else 60
    with open(out, "wb") as f:
        f.write(build(groups, bitmaps))
