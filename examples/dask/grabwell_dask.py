#!/usr/bin/python3
"""Describes many files on a Dask cluster: one JSON line per file on standard
output, in the order of the names, each the object `grabwell-cli info --jsonl`
prints for that file, byte for byte.

    grabwell_dask.py FILE...                       # a local cluster of two worker processes
    grabwell_dask.py --files-from LIST [-0]        # names from LIST ('-': standard input)
    grabwell_dask.py --scheduler tcp://host:8786 --files-from LIST

The workers open the files by the names given, so with a remote scheduler the
names must reach the same files on every worker (a shared file system,
absolute paths) and every worker must import grabwell. The exit status is 0
when every file was read whole, 1 when one is damaged or cannot be read (as
grabwell-cli info's), 2 for unusable arguments.

Needs Debian's python3-distributed and the grabwell module (PYTHONPATH or the
python3-grabwell package).
"""

import argparse
import collections
import json
import os
import sys


def valid_utf8(raw):
    """The bytes as text, every byte that is not part of a valid UTF-8
    sequence replaced by one U+FFFD, as grabwell-cli writes such text."""
    text, at = [], 0
    while True:
        try:
            text.append(raw[at:].decode("utf-8"))
            return "".join(text)
        except UnicodeDecodeError as e:
            text.append(raw[at:at + e.start].decode("utf-8") + "\ufffd")
            at += e.start + 1


def dump_line(value):
    """The JSON text grabwell-cli writes for a value: no spaces, keys sorted,
    non-ASCII text as UTF-8."""
    return json.dumps(value, separators=(",", ":"), sort_keys=True, ensure_ascii=False)


def _unreadable_object(path, error):
    """The object grabwell-cli info --jsonl prints for a file it cannot open,
    from the OSError grabwell.open raised: no records and the io error that
    says why."""
    raw = os.fsencode(path)
    # The message is the reason alone (the path is "path"): the system's for
    # a file that does not open and for a folder, "not a regular file" for
    # anything else that is no regular file (a pipe, a device).
    if error.errno in (None, 0):
        reason = "not a regular file"
    else:
        reason = os.strerror(error.errno)
    message = reason.encode()
    info = {
        "path": valid_utf8(raw),
        "kind": "Non Executable",  # what an empty file is taken for
        "icon_groups": 0, "cursor_groups": 0, "bitmaps": 0, "animations": 0,
        "errors": [{"kind": "io", "offset": 0, "message": valid_utf8(message)}],
        "groups": [], "bitmap_list": [], "animation_list": [],
    }
    try:
        raw.decode("utf-8")
    except UnicodeDecodeError:
        info["path_hex"] = raw.hex()
    return info


def describe(paths):
    """Runs on a worker: (line, whole) for each path."""
    import grabwell

    out = []
    for path in paths:
        try:
            info = grabwell.open(path).to_dict()
        except OSError as error:
            info = _unreadable_object(path, error)
        out.append((dump_line(info), not info["errors"]))
    return out


def read_names(source, nul):
    data = sys.stdin.buffer.read() if source == "-" else open(source, "rb").read()
    names = data.split(b"\0") if nul else data.splitlines()
    return [os.fsdecode(n) for n in names if n]


def chunks(items, size):
    for i in range(0, len(items), size):
        yield items[i:i + size]


# Tasks per worker thread when the batch is chosen: enough that a worker
# which drew slow files does not hold the others up, few enough that the
# scheduler's cost per task (about a millisecond, and a round trip on a
# remote cluster) stays small beside the reading.
TASKS_PER_THREAD = 4
# The most files in one task: its lines travel back in one message.
MAX_BATCH = 4096


def batch_size(names, threads):
    """Files per task for `names` files on `threads` worker threads: every
    thread gets about TASKS_PER_THREAD tasks."""
    per_task = -(-names // (max(1, threads) * TASKS_PER_THREAD))
    return max(1, min(MAX_BATCH, per_task))


def run(client, paths, batch, window):
    """Writes each file's line in the order of the names, keeping at most
    `window` batches in flight; False when one file was not whole."""
    whole = True
    pending = collections.deque()
    out = sys.stdout.buffer
    for part in chunks(paths, batch):
        pending.append(client.submit(describe, part, pure=False))
        while len(pending) >= window:
            whole &= _write(out, pending.popleft())
    while pending:
        whole &= _write(out, pending.popleft())
    out.flush()
    return whole


def _write(out, future):
    whole = True
    for line, ok in future.result():
        out.write(line.encode("utf-8", "surrogateescape") + b"\n")
        whole &= ok
    future.release()
    return whole


def main(argv=None):
    parser = argparse.ArgumentParser(description=__doc__.split("\n\n")[0],
                                     formatter_class=argparse.RawDescriptionHelpFormatter)
    parser.add_argument("paths", nargs="*", metavar="FILE")
    parser.add_argument("--scheduler", metavar="ADDRESS",
                        help="a running scheduler (tcp://host:8786); default: a local cluster of two "
                             "single-threaded worker processes")
    parser.add_argument("--files-from", metavar="LIST", help="names, one a line, after the FILE arguments ('-': stdin)")
    parser.add_argument("-0", dest="nul", action="store_true", help="the names in LIST are NUL-separated")
    parser.add_argument("--batch", type=int,
                        help="files per task (default: the names shared out as %d tasks per worker thread, "
                             "at most %d files each)" % (TASKS_PER_THREAD, MAX_BATCH))
    args = parser.parse_args(argv)
    if args.batch is not None and args.batch < 1:
        parser.error("--batch must be at least 1")
    paths = list(args.paths)
    if args.files_from:
        paths += read_names(args.files_from, args.nul)
    if not paths:
        parser.error("no files named")

    from distributed import Client, LocalCluster

    if args.scheduler:
        with Client(args.scheduler) as client:
            threads = sum(client.nthreads().values()) or 1
            batch = args.batch or batch_size(len(paths), threads)
            return 0 if run(client, paths, batch, 4 * threads) else 1
    # No dashboard: two runs at once must not fight over its port.
    with LocalCluster(n_workers=2, processes=True, threads_per_worker=1, dashboard_address=None) as cluster, \
            Client(cluster) as client:
        batch = args.batch or batch_size(len(paths), 2)
        return 0 if run(client, paths, batch, 4 * 2) else 1


if __name__ == "__main__":
    sys.exit(main())
