#!/usr/bin/python3
"""Compares the images Grabwell reads from icon families (.icns) with those
icns2png (icnsutils) extracts, pixel for pixel (RGBA).

    tools/compare-icns.py GRABWELL_CLI FILE.icns...

Each family's image elements are listed by `icns2png -l` in file order, as
Grabwell reads them; icns2png -x writes one PNG per size and depth, and
`grabwell-cli extract --as-png` one per image. Prints one line per image and
exits 1 when any differs."""
import re
import subprocess
import sys
import tempfile
from pathlib import Path

from PIL import Image


def elements(path):
    out = subprocess.run(["icns2png", "-l", path], capture_output=True, text=True).stdout
    found = []
    for line in out.splitlines():
        m = re.match(r"\s*'(.{4})' (\d+)x(\d+) (\d+)-bit (icon|mask)", line)
        if m and m.group(5) == "icon":
            found.append((m.group(1), int(m.group(2)), int(m.group(3)), int(m.group(4))))
    return found


def rgba(path):
    return Image.open(path).convert("RGBA").tobytes()


def main():
    cli, files = sys.argv[1], sys.argv[2:]
    bad = 0
    for f in files:
        with tempfile.TemporaryDirectory() as theirs, tempfile.TemporaryDirectory() as ours:
            subprocess.run(["icns2png", "-x", "-o", theirs, f], capture_output=True)
            subprocess.run([cli, "extract", "--as-png", f, ours], capture_output=True)
            stem = Path(f).name.split(".")[0]
            mine = sorted(Path(ours).glob("*.png"), key=lambda p: int(re.search(r"_(\d+)\.png$", p.name).group(1)))
            listed = elements(f)
            if len(mine) != len(listed):
                print(f"{f}: {len(listed)} image elements, Grabwell read {len(mine)}")
                bad += 1
            for (kind, w, h, bits), png in zip(listed, mine):
                # icns2png writes the 1-bit images with their mask as 32-bit.
                depth = 32 if bits in (24, 32) else bits
                theirs_png = Path(theirs) / f"{stem}_{w}x{h}x{depth}.png"
                if not theirs_png.exists():
                    print(f"{f} '{kind}' {w}x{h}: icns2png wrote no {theirs_png.name}")
                    continue
                same = rgba(theirs_png) == rgba(png)
                bad += not same
                print(f"{f} '{kind}' {w}x{h}x{bits}: {'same' if same else 'DIFFERENT'}")
    return 1 if bad else 0


if __name__ == "__main__":
    sys.exit(main())
