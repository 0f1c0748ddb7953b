#!/usr/bin/python3
"""Writes a stand-in for Windows' msgothic.ttc from the IPA gothic faces, for the Windows tests.

    standin_msgothic.py OUT.ttc [--swapped]

The collection holds three faces under the real file's family names, "MS Gothic" deliberately
not first: "MS PGothic", "MS Gothic", "MS UI Gothic". "MS Gothic" is the fixed-pitch IPAGothic
and the other two the proportional IPAPGothic; --swapped turns that round, so that a test can
show that picking the wrong face changes what the game draws.
"""
import sys

from fontTools.ttLib import TTFont
from fontTools.ttLib.ttCollection import TTCollection

IPA = "/usr/share/fonts/opentype/ipafont-gothic/"
# (English family name, Japanese family name, fixed pitch?) in the collection's order.
FACES = [
    ("MS PGothic", "ＭＳ Ｐゴシック", False),
    ("MS Gothic", "ＭＳ ゴシック", True),
    ("MS UI Gothic", "MS UI Gothic", False),
]
# Family, full name, typographic family and WWS family: FreeType takes the family from the
# latter two when they are there, so every one of them must carry the new name.
NAME_IDS = (1, 4, 16, 21)


def face(english, japanese, fixed):
    font = TTFont(IPA + ("ipag.ttf" if fixed else "ipagp.ttf"), lazy=True)
    names = font["name"]
    names.names = [n for n in names.names if n.nameID not in NAME_IDS]
    for name_id in NAME_IDS:
        names.setName(english, name_id, 1, 0, 0)  # Macintosh, Roman, English
        names.setName(english, name_id, 3, 1, 0x409)  # Windows, Unicode, English (US)
        names.setName(japanese, name_id, 3, 1, 0x411)  # Windows, Unicode, Japanese
    return font


def main():
    if len(sys.argv) not in (2, 3) or sys.argv[2:] not in ([], ["--swapped"]):
        sys.exit("usage: standin_msgothic.py OUT.ttc [--swapped]")
    swapped = sys.argv[2:] == ["--swapped"]
    collection = TTCollection()
    collection.fonts = [face(e, j, fixed != swapped) for e, j, fixed in FACES]
    collection.save(sys.argv[1], shareTables=True)


if __name__ == "__main__":
    main()
