"""Resource languages: what the objects say, what to_dict says, and a
language asked for when opening, against grabwell-cli info --json."""

import pytest

import grabwell
from support import FIXTURES, cli_json

GERMAN, ENGLISH = 0x0407, 0x0409


def records(doc):
    return doc.icon_groups + doc.cursor_groups, doc.bitmaps, doc.animations


def test_objects_say_the_language_the_dict_says(fixtures):
    for name in FIXTURES:
        doc = grabwell.open(fixtures / name)
        info = doc.to_dict()
        groups, bitmaps, animations = records(doc)
        for objects, printed in ((groups, info["groups"]), (bitmaps, info["bitmap_list"]),
                                 (animations, info["animation_list"])):
            for record, said in zip(objects, printed, strict=True):
                assert record.languages == sorted(set(record.languages)), name
                if "language" in said:
                    assert (record.language, record.languages) == (said["language"], said["languages"]), name
                else:
                    # Said only when held in several languages or in one not neutral.
                    assert record.language in (None, 0) and len(record.languages) <= 1, name
                if record.language is None:
                    assert record.languages == [], name


def test_a_language_asked_for_when_opening(fixtures):
    path = str(fixtures / "languages.dll")
    first = grabwell.open(path)
    group = first.icon_groups[0]
    assert (group.language, group.languages) == (GERMAN, [GERMAN, ENGLISH])
    assert group.images[0].width == 16
    assert first.bitmaps[0].language == 0 and first.bitmaps[0].languages == [0]

    english = grabwell.open(path, language=ENGLISH)
    assert english.icon_groups[0].language == ENGLISH
    assert english.icon_groups[0].images[0].width == 32
    [printed] = cli_json([path], "--language", "0x0409")
    assert english.to_dict() == printed
    assert english.resources_from is None

    icon = grabwell.open(fixtures / "icons.ico")
    assert (icon.icon_groups[0].language, icon.icon_groups[0].languages) == (None, [])


def test_open_takes_a_language_as_set_version_does(fixtures):
    path = fixtures / "languages.dll"
    for language in (ENGLISH, "0x409", "1033"):
        assert grabwell.open(path, language=language).icon_groups[0].language == ENGLISH, language
    for bad, error in [("zz", ValueError), (-1, ValueError), (1.5, TypeError)]:
        with pytest.raises(error):
            grabwell.open(path, language=bad)
