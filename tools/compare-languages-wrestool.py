#!/usr/bin/python3
"""Compares the resource languages grabwell-cli info --json reports with the
ones wrestool -l (Debian's icoutils) lists, for icon groups, cursor groups,
bitmaps and animated cursors and icons.

    tools/compare-languages-wrestool.py GRABWELL_CLI FILE...

Prints one line per file that disagrees and a summary; exit status 1 when any
file disagrees.
"""

import json
import re
import subprocess
import sys

# wrestool's type numbers for the records info lists.
GROUP_TYPES = {"14": "icon", "12": "cursor"}
LINE = re.compile(r"--type=(\S+) --name=(\S+) --language=(\d+)")


def wrestool_languages(path):
    """None when wrestool cannot read the file (it reads no .res files)."""
    run = subprocess.run(["wrestool", "-l", path], capture_output=True, text=True)
    if not run.stdout and run.stderr:
        return None
    out = run.stdout
    found = {}
    for line in out.splitlines():
        m = LINE.search(line)
        if not m:
            continue
        rtype, name, language = m.group(1), m.group(2).strip("'"), int(m.group(3))
        if rtype in GROUP_TYPES:
            key = (GROUP_TYPES[rtype], name)
        elif rtype == "2":
            key = ("bitmap", name)
        elif rtype in ("21", "22"):
            key = ("animation", name)
        else:
            continue
        found.setdefault(key, set()).add(language)
    return {k: sorted(v) for k, v in found.items()}


def grabwell_languages(cli, path):
    line = subprocess.run([cli, "info", "--json", path], capture_output=True, text=True).stdout
    info = json.loads(line)
    found = {}

    def add(kind, record):
        # Without the keys: held in neutral (0) alone.
        found[(kind, record["name"])] = record.get("languages", [0])

    for g in info["groups"]:
        add(g["type"], g)
    for b in info["bitmap_list"]:
        add("bitmap", b)
    for a in info["animation_list"]:
        add("animation", a)
    return found


def main():
    cli, paths = sys.argv[1], sys.argv[2:]
    differing = records = multi = non_neutral = 0
    for path in paths:
        theirs = wrestool_languages(path)
        if theirs is None:
            print(f"{path}: skipped, wrestool cannot read it")
            continue
        ours = grabwell_languages(cli, path)
        records += len(theirs)
        multi += sum(len(v) > 1 for v in theirs.values())
        non_neutral += sum(v != [0] for v in theirs.values())
        if theirs != ours:
            differing += 1
            keys = sorted(set(theirs) | set(ours))
            diff = [(k, theirs.get(k), ours.get(k)) for k in keys if theirs.get(k) != ours.get(k)]
            print(f"{path}: {diff[:5]}")
    print(f"{len(paths)} files, {records} records ({multi} in several languages, {non_neutral} not neutral only), "
          f"{differing} files differ")
    return 1 if differing else 0


if __name__ == "__main__":
    sys.exit(main())
