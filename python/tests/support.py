"""Helpers of the module's tests: the names of the files grabwell-python-fixtures
makes, grabwell-cli's JSON for files, and a reader of the PNG files the module
writes.

The ctest entry Python.Module sets PYTHONPATH to the built module and names
the programs in GRABWELL_CLI, GRABWELL_THUMBNAILER and GRABWELL_PYTHON_FIXTURES.
"""

import json
import os
import struct
import subprocess
import zlib

import pytest

# Every file grabwell-python-fixtures writes.
FIXTURES = [
    "icons.ico", "pointer.cur", "picture.bmp", "indexed.bmp", "walk.ani",
    "library.dll", "old.exe", "pics.res", "old.r16", "animated.dll",
    "garbage.ico", "halfbitmap.dll", "many.dll", "languages.dll", "cut.ico", "cut.dll", "cut.bmp", "cut.ani",
]


def program(variable):
    path = os.environ.get(variable)
    if not path:
        pytest.skip(f"{variable} is not set (run the tests through ctest)")
    return path


def cli_json(paths, *flags):
    """The objects `grabwell-cli info --json FLAGS PATHS` prints, one per path."""
    run = subprocess.run([program("GRABWELL_CLI"), "info", "--json", *flags, "--", *paths],
                         capture_output=True)
    assert run.returncode in (0, 1), run.stderr
    lines = run.stdout.splitlines()
    assert len(lines) == len(paths), run.stderr
    return [json.loads(line) for line in lines]


def decode_png(data):
    """(width, height, RGBA bytes) of an 8-bit RGBA or RGB PNG without interlace."""
    assert data[:8] == b"\x89PNG\r\n\x1a\n"
    at, idat, header = 8, b"", None
    while at < len(data):
        length, kind = struct.unpack(">I4s", data[at:at + 8])
        body = data[at + 8:at + 8 + length]
        if kind == b"IHDR":
            header = struct.unpack(">IIBBBBB", body)
        elif kind == b"IDAT":
            idat += body
        at += 12 + length
    width, height, depth, color, _, _, interlace = header
    assert depth == 8 and color in (2, 6) and interlace == 0, header
    channels = 4 if color == 6 else 3
    raw = zlib.decompress(idat)
    stride = width * channels
    rows, previous = [], bytearray(stride)
    for y in range(height):
        kind = raw[y * (stride + 1)]
        line = bytearray(raw[y * (stride + 1) + 1:(y + 1) * (stride + 1)])
        for i in range(stride):
            left = line[i - channels] if i >= channels else 0
            up = previous[i]
            corner = previous[i - channels] if i >= channels else 0
            if kind == 1:
                line[i] = (line[i] + left) & 0xFF
            elif kind == 2:
                line[i] = (line[i] + up) & 0xFF
            elif kind == 3:
                line[i] = (line[i] + (left + up) // 2) & 0xFF
            elif kind == 4:
                p = left + up - corner
                pa, pb, pc = abs(p - left), abs(p - up), abs(p - corner)
                guess = left if pa <= pb and pa <= pc else up if pb <= pc else corner
                line[i] = (line[i] + guess) & 0xFF
        rows.append(bytes(line))
        previous = line
    pixels = b"".join(rows)
    if channels == 3:
        pixels = b"".join(pixels[i:i + 3] + b"\xff" for i in range(0, len(pixels), 3))
    return width, height, pixels
