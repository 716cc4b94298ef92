#!/usr/bin/python3
"""Compares the version information `grabwell-cli info --json` reads from PE
files with what pefile (Debian's python3-pefile) reads from the same files:
the fixed part's versions, flags, system and type, every string of every
string table, and the Translation list.

    tools/compare-version-pefile.py [--cli build/grabwell-cli] [-v] FILE_OR_FOLDER...

Folders are searched for every file in them (files that are not PE files
hold no version information for either reader). Prints one line per file that differs
and a summary; exits 1 when any file differs. Not part of the test run: it
needs pefile and the files to compare (e.g. Debian's libwine, whose PE files
are under /usr/lib/x86_64-linux-gnu/wine/x86_64-windows/).
"""
import argparse
import json
import os
import struct
import subprocess
import sys

import pefile

FLAG_NAMES = ["DEBUG", "PRERELEASE", "PATCHED", "PRIVATEBUILD", "INFOINFERRED", "SPECIALBUILD"]
OS_NAMES = {
    0x00000000: "VOS_UNKNOWN", 0x00010000: "VOS_DOS", 0x00020000: "VOS_OS216", 0x00030000: "VOS_OS232",
    0x00040000: "VOS_NT", 0x00050000: "VOS_WINCE", 0x00000001: "VOS__WINDOWS16", 0x00000002: "VOS__PM16",
    0x00000003: "VOS__PM32", 0x00000004: "VOS__WINDOWS32", 0x00010001: "VOS_DOS_WINDOWS16",
    0x00010004: "VOS_DOS_WINDOWS32", 0x00020002: "VOS_OS216_PM16", 0x00030003: "VOS_OS232_PM32",
    0x00040004: "VOS_NT_WINDOWS32",
}
TYPE_NAMES = {0: "VFT_UNKNOWN", 1: "VFT_APP", 2: "VFT_DLL", 3: "VFT_DRV", 4: "VFT_FONT", 5: "VFT_VXD",
              7: "VFT_STATIC_LIB"}


def version_text(ms, ls):
    return "%d.%d.%d.%d" % (ms >> 16, ms & 0xFFFF, ls >> 16, ls & 0xFFFF)


def flag_names(flags):
    return [FLAG_NAMES[bit] if bit < len(FLAG_NAMES) else "0x%08x" % (1 << bit)
            for bit in range(32) if flags & (1 << bit)]


def text(value):
    return value.decode("utf-8", "replace") if isinstance(value, bytes) else value


def translations_of(pe, var):
    """The whole Translation list of a Var (pefile keeps only its last pair)."""
    start = var.get_file_offset()
    key_end = start + 6 + 2 * (len("Translation") + 1)
    value = key_end + (-key_end % 4)
    data = pe.__data__[value:value + var.ValueLength]
    return ["%04x%04x" % struct.unpack_from("<HH", data, i) for i in range(0, len(data) - 3, 4)]


def pefile_version(path):
    """The "version" object as info --json gives it, from pefile; None without one."""
    pe = pefile.PE(path, fast_load=True)
    pe.parse_data_directories(directories=[pefile.DIRECTORY_ENTRY["IMAGE_DIRECTORY_ENTRY_RESOURCE"]])
    if not getattr(pe, "VS_VERSIONINFO", None):
        return None
    out = {}
    if getattr(pe, "VS_FIXEDFILEINFO", None):
        f = pe.VS_FIXEDFILEINFO[0]
        out["file_version"] = version_text(f.FileVersionMS, f.FileVersionLS)
        out["product_version"] = version_text(f.ProductVersionMS, f.ProductVersionLS)
        out["file_flags"] = flag_names(f.FileFlags & f.FileFlagsMask)
        out["file_os"] = OS_NAMES.get(f.FileOS, "0x%08x" % f.FileOS)
        out["file_type"] = TYPE_NAMES.get(f.FileType, "0x%08x" % f.FileType)
    strings, translations = {}, []
    for info in (pe.FileInfo[0] if getattr(pe, "FileInfo", None) else []):
        for table in getattr(info, "StringTable", []):
            entries = strings.setdefault(text(table.LangID), {})
            for key, value in table.entries.items():
                entries.setdefault(text(key), text(value))
        for var in getattr(info, "Var", []):
            if var.entry and text(next(iter(var.entry))) == "Translation":
                translations += translations_of(pe, var)
    out["strings"] = strings
    out["translations"] = translations
    return out


def files_of(paths):
    for path in paths:
        if os.path.isdir(path):
            for folder, _, names in sorted(os.walk(path)):
                for name in sorted(names):
                    yield os.path.join(folder, name)
        else:
            yield path


def grabwell_versions(cli, files):
    """(version or None, errors) of each file, by info --jsonl over all of them."""
    run = subprocess.run([cli, "info", "--jsonl", "-j", "2", "--files-from", "-", "-0"],
                         input="\0".join(files).encode(), stdout=subprocess.PIPE, stderr=subprocess.DEVNULL)
    lines = [json.loads(line) for line in run.stdout.splitlines()]
    if len(lines) != len(files):
        sys.exit("grabwell-cli gave %d lines for %d files" % (len(lines), len(files)))
    return [(line.get("version"), line["errors"]) for line in lines]


def main():
    parser = argparse.ArgumentParser(description=__doc__.split("\n\n")[0])
    parser.add_argument("--cli", default=os.path.join(os.path.dirname(__file__), "..", "build", "grabwell-cli"))
    parser.add_argument("-v", "--verbose", action="store_true", help="print both sides of each difference")
    parser.add_argument("paths", nargs="+")
    args = parser.parse_args()

    files = list(files_of(args.paths))
    ours = grabwell_versions(args.cli, files)
    counts = {"files": len(files), "with version": 0, "same": 0, "different": 0, "only grabwell": 0,
              "only pefile": 0, "version damage reported": 0}
    for path, (mine, errors) in zip(files, ours):
        try:
            theirs = pefile_version(path)
        except pefile.PEFormatError:
            theirs = None  # not a PE file
        if mine is None and theirs is None:
            continue
        if any("version" in e["message"] for e in errors):
            counts["version damage reported"] += 1
            print("%s: damage: %s" % (path, "; ".join(e["message"] for e in errors)))
        if mine is None or theirs is None:
            counts["only grabwell" if theirs is None else "only pefile"] += 1
            print("%s: only %s reads version information" % (path, "grabwell" if theirs is None else "pefile"))
            continue
        counts["with version"] += 1
        if mine == theirs:
            counts["same"] += 1
            continue
        counts["different"] += 1
        keys = sorted(k for k in set(mine) | set(theirs) if mine.get(k) != theirs.get(k))
        print("%s: differs in %s" % (path, ", ".join(keys)))
        if args.verbose:
            for k in keys:
                print("  grabwell %s: %s\n  pefile   %s: %s" % (k, json.dumps(mine.get(k)), k, json.dumps(theirs.get(k))))
    print(", ".join("%s: %d" % item for item in counts.items()))
    return 1 if counts["different"] or counts["only grabwell"] or counts["only pefile"] else 0


if __name__ == "__main__":
    sys.exit(main())
