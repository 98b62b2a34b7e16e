#!/usr/bin/python3
"""Writes the project's stand-in for the stock dialog font 宋体 (SimSun) into a Wine prefix's font folder.

    make_song_standin.py <output .ttf>

Windows draws 宋体 at 9 points (12 pixels, the dialog font and the stock GUI font of code page 936)
with 12-pixel lines: ascent 10, descent 2, no internal leading (the face's 256-unit em holds an
ascender of 220 and a descender of 36). Our Ming face, AR PL UMing CN (fonts-arphic-uming), has
the shapes and the half-width Latin but taller vertical metrics (917 + 155 of 1024), so Wine gives it
13-pixel lines: the fourth text line of every list row is cut off, and dialog units come out
taller than on Windows. This copy of the face carries Windows' vertical metrics under a name of its
own; scripts/wine-prefix maps 宋体 and SimSun to it. Only the vertical metrics and the names change.
Needs Debian's python3-fonttools.
"""
import sys

from fontTools.ttLib import TTFont

SOURCE = "/usr/share/fonts/truetype/arphic/uming.ttc"
FAMILY = "Tarnlook Song"
ASCENDER, DESCENDER, EM = 220, 36, 256  # the line metrics to copy, in a 256-unit em


def main():
    if len(sys.argv) != 2:
        sys.exit(__doc__)
    font = TTFont(SOURCE, fontNumber=0, lazy=True)  # tables left alone are copied as they are
    em = font["head"].unitsPerEm
    ascent, descent = round(em * ASCENDER / EM), round(em * DESCENDER / EM)

    os2, hhea = font["OS/2"], font["hhea"]
    os2.usWinAscent, os2.usWinDescent = ascent, descent
    os2.sTypoAscender, os2.sTypoDescender, os2.sTypoLineGap = ascent, -descent, 0
    hhea.ascent, hhea.descent, hhea.lineGap = ascent, -descent, 0

    names = font["name"]
    names.names = [n for n in names.names if n.nameID not in (1, 3, 4, 6, 16, 17)]
    for platform, encoding, language in ((1, 0, 0), (3, 1, 0x409)):
        names.setName(FAMILY, 1, platform, encoding, language)
        names.setName(FAMILY + " Regular", 3, platform, encoding, language)
        names.setName(FAMILY, 4, platform, encoding, language)
        names.setName(FAMILY.replace(" ", ""), 6, platform, encoding, language)
    names.setName("Regular", 2, 3, 1, 0x409)
    names.setName("Regular", 2, 1, 0, 0)
    font.save(sys.argv[1])


if __name__ == "__main__":
    main()
