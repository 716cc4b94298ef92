"""One document shared by threads: first loads racing each other, every image
decoded and encoded at once, whole-document work in between; the results are
those of a sequential run."""

import sys
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
