"""One document shared by threads: first loads racing each other, every image
decoded and encoded at once, whole-document work in between; the results are
those of a sequential run. Closed while they read: each read ends as it would
have, or raises ValueError."""

import sys
import time
import threading
from concurrent.futures import ThreadPoolExecutor

import pytest

import grabwell


@pytest.fixture
def frequent_switches():
    """Threads take turns as often as the interpreter lets them."""
    interval = sys.getswitchinterval()
    sys.setswitchinterval(1e-6)
    yield
    sys.setswitchinterval(interval)


def groups(doc):
    return [(g.name, len(g.images)) for g in doc.icon_groups]


def test_first_reads_racing_each_other_read_the_records_once(fixtures, frequent_switches):
    path = fixtures / "many.dll"
    expected = groups(grabwell.open(path))
    assert len(expected) == 600
    for _ in range(10):
        doc = grabwell.open(path)
        start = threading.Barrier(8)

        def read(_):
            start.wait()
            return groups(doc), len(doc.errors)

        with ThreadPoolExecutor(max_workers=8) as pool:
            assert list(pool.map(read, range(8))) == [(expected, 0)] * 8


FILES = ("library.dll", "icons.ico", "pointer.cur", "walk.ani", "old.exe", "garbage.ico")


def pictures(doc):
    """Every picture-making call over the document's records, as callables."""
    calls = []
    for group in doc.icon_groups + doc.cursor_groups:
        calls.append(group.to_bytes)
        for im in group.images:
            calls += [im.rgba, im.to_png]
    for animation in doc.animations:
        for frame in animation.frames:
            for im in frame:
                calls += [im.rgba, im.to_png]
    for bitmap in doc.bitmaps:
        calls += [bitmap.rgba, bitmap.to_bmp, bitmap.to_png]
    return calls


def outcome(call):
    try:
        return call()
    except grabwell.DecodeError as error:
        return ("DecodeError", error.kind, error.offset)


def test_threads_sharing_a_document_get_what_a_sequential_run_gets(fixtures, frequent_switches):
    for name in FILES:
        expected = [outcome(call) for call in pictures(grabwell.open(fixtures / name))]
        expected_dict = grabwell.open(fixtures / name).to_dict(decode=True)
        for _ in range(3):
            doc = grabwell.open(fixtures / name)
            with ThreadPoolExecutor(max_workers=8) as pool:
                # The first reads of each kind race each other.
                listed = list(pool.map(lambda _: pictures(doc), range(8)))
                # Every picture at once, twice over, with the whole-document
                # work (which decodes too) among them.
                whole = [lambda: doc.to_dict(decode=True)] * 2
                results = list(pool.map(outcome, listed[0] + whole + listed[1] + whole))
            assert all(len(calls) == len(expected) for calls in listed), name
            n = len(expected)
            assert results[:n] == expected and results[n + 2:2 * n + 2] == expected, name
            assert results[n:n + 2] == results[2 * n + 2:] == [expected_dict] * 2, name


def until_closed(calls):
    """Each call's outcome, or "closed" once the document is."""
    results = []
    for call in calls:
        try:
            results.append(outcome(call))
        except ValueError as error:
            assert str(error) == "the document is closed"
            results.append("closed")
    return results


def test_closing_while_threads_read_lets_each_read_end_or_raise(fixtures, frequent_switches):
    saw = set()
    for name in ("many.dll", "library.dll", "walk.ani"):
        expected = [outcome(call) for call in pictures(grabwell.open(fixtures / name))]
        for delay in (0, 0.002, 0.02):
            doc = grabwell.open(fixtures / name)
            calls = pictures(doc)
            start = threading.Barrier(9)

            def read(k):
                start.wait()
                # Each thread its own order, the whole-document work among them.
                order = list(range(k, len(calls))) + list(range(k))
                got = until_closed([calls[i] for i in order] + [doc.to_dict])
                return [(order[i], result) for i, result in enumerate(got[:-1])], got[-1]

            with ThreadPoolExecutor(max_workers=8) as pool:
                futures = [pool.submit(read, k) for k in range(8)]
                start.wait()
                time.sleep(delay)
                doc.close()
                for future in futures:
                    results, whole = future.result()
                    states = [result == "closed" for _, result in results] + [whole == "closed"]
                    # Once closed, closed for good; everything before is what a sequential run gives.
                    assert states == sorted(states), name
                    assert all(result == expected[i] for i, result in results if result != "closed"), name
                    saw.update(states)
            assert until_closed(calls) == ["closed"] * len(calls)
    # Some reads ended before the document was closed, and some were refused.
    assert saw == {False, True}
