#!/usr/bin/python3
"""Runs grabwell_dask.py on the Python tests' fixture files, with names that
cannot be read among them, and checks its output against grabwell-cli info
--jsonl on the same list, line for line: once on the local cluster it starts
itself, once against the scheduler of a cluster started here. Afterwards no
process the example started may be left.

    check_grabwell_dask.py CLI FIXTURE_MAKER WORK_FOLDER

Exit status 77 (skipped) when distributed does not import.
"""

import os
import shutil
import signal
import subprocess
import sys
import time

SKIP = 77
EXAMPLE = os.path.join(os.path.dirname(os.path.abspath(__file__)), "grabwell_dask.py")


def session_members(sid):
    """The processes of session sid still running (zombies not counted)."""
    found = []
    for entry in os.listdir("/proc"):
        if not entry.isdigit():
            continue
        try:
            with open(f"/proc/{entry}/stat", "rb") as f:
                fields = f.read().rsplit(b")", 1)[1].split()
        except OSError:
            continue
        # After the name: state, ppid, pgrp, session.
        if int(fields[3]) == sid and fields[0] != b"Z":
            found.append(int(entry))
    return found


def run_example(args, expected_status, expected, label):
    """Runs the example in a session of its own and compares what it prints;
    a list of problems."""
    started = time.monotonic()
    child = subprocess.Popen([sys.executable, EXAMPLE, *args], stdout=subprocess.PIPE, stderr=subprocess.PIPE,
                             start_new_session=True)
    try:
        out, err = child.communicate(timeout=60)
    except subprocess.TimeoutExpired:
        os.killpg(child.pid, signal.SIGKILL)
        child.communicate()
        return [f"{label}: no answer in 60 s"]
    problems = []
    # The workers need a moment to go after the client has closed.
    deadline = time.monotonic() + 10
    while session_members(child.pid) and time.monotonic() < deadline:
        time.sleep(0.1)
    left = session_members(child.pid)
    if left:
        for pid in left:
            os.kill(pid, signal.SIGKILL)
        problems.append(f"{label}: left processes behind: {left}")
    if child.returncode != expected_status:
        problems.append(f"{label}: exit status {child.returncode}, grabwell-cli's {expected_status}\n"
                        + err.decode(errors="replace"))
    lines = out.splitlines()
    for number, (got, want) in enumerate(zip(lines, expected), 1):
        if got != want:
            problems.append(f"{label}: line {number} differs\n  example: {got!r}\n  cli:     {want!r}")
    if len(lines) != len(expected):
        problems.append(f"{label}: {len(lines)} lines, grabwell-cli {len(expected)}\n" + err.decode(errors="replace"))
    print(f"{label}: {len(lines)} lines in {time.monotonic() - started:.1f} s")
    return problems


def main():
    cli, maker, work = sys.argv[1:4]
    try:
        import distributed  # noqa: F401
    except ImportError as e:
        print(f"skipped: distributed does not import ({e}); apt-get install python3-distributed")
        return SKIP

    shutil.rmtree(work, ignore_errors=True)
    files = os.path.join(work, "files")
    os.makedirs(os.path.join(files, "a folder"))
    os.mkfifo(os.path.join(files, "a pipe"))
    subprocess.run([maker, files], check=True)
    with open(os.path.join(os.fsencode(files), b"not utf-8 \xff\xe2\x82.ico"), "wb") as f:
        f.write(b"\0\0\1\0")
    names = sorted(os.listdir(os.fsencode(files)))
    names += [b"missing.ico", b"missing \xe2\x82.dll"]
    names = [os.path.join(os.fsencode(files), n) for n in names]
    listing = os.path.join(work, "list")
    with open(listing, "wb") as f:
        f.write(b"\0".join(names) + b"\0")

    cli_run = subprocess.run([cli, "info", "--jsonl", "--files-from", listing, "-0"], capture_output=True)
    expected = cli_run.stdout.splitlines()
    assert len(expected) == len(names), cli_run.stderr

    problems = run_example(["--files-from", listing, "-0"], cli_run.returncode, expected, "local cluster")

    from distributed import LocalCluster
    with LocalCluster(n_workers=2, processes=True, threads_per_worker=1, dashboard_address=None) as cluster:
        # The first names as arguments, the rest from the list; tasks of three.
        first = [os.fsdecode(n) for n in names[:4]]
        with open(listing, "wb") as f:
            f.write(b"\n".join(names[4:]) + b"\n")
        problems += run_example(["--scheduler", cluster.scheduler_address, "--batch", "3", "--files-from", listing,
                                 "--", *first], cli_run.returncode, expected, "--scheduler")

    for p in problems:
        print(p)
    return 1 if problems else 0


if __name__ == "__main__":
    sys.exit(main())
