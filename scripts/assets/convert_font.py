# SPDX-License-Identifier: MIT
"""Renames a font family, tightens its vertical metrics and optionally
re-encodes TrueType outlines as CFF, leaving the glyph shapes unchanged."""

import argparse

from fontTools.fontBuilder import FontBuilder
from fontTools.pens.boundsPen import BoundsPen
from fontTools.pens.t2CharStringPen import T2CharStringPen
from fontTools.ttLib import TTFont


def ascii_extent(font):
    """Lowest and highest point of the ASCII letters and digits.

    The window draws its texts top-aligned into boxes barely taller than a
    line, so the line must be as tall as the Latin letters and no taller
    (only a few symbols such as the dollar sign reach a little beyond it).
    """
    glyphs = font.getGlyphSet()
    cmap = font.getBestCmap()
    low, high = 0, 0
    for code in range(0x20, 0x7F):
        if not chr(code).isalnum():
            continue
        pen = BoundsPen(glyphs)
        glyphs[cmap[code]].draw(pen)
        if pen.bounds:
            low = min(low, pen.bounds[1])
            high = max(high, pen.bounds[3])
    return int(low), int(round(high))


def set_metrics(font, descent, ascent):
    hhea = font["hhea"]
    hhea.ascent, hhea.descent, hhea.lineGap = ascent, descent, 0
    os2 = font["OS/2"]
    os2.sTypoAscender, os2.sTypoDescender, os2.sTypoLineGap = ascent, descent, 0
    os2.usWinAscent, os2.usWinDescent = ascent, -descent
    os2.fsSelection |= 1 << 7  # USE_TYPO_METRICS: the typo values are the line


def rename(font, family, style):
    weight = font["OS/2"].usWeightClass
    full = family if style == "Regular" else f"{family} {style}"
    postscript = f"{family}-{style}"
    names = font["name"]
    for record in list(names.names):
        if record.nameID in (1, 2, 3, 4, 6, 16, 17, 21, 22, 25):
            names.removeNames(nameID=record.nameID)
    for name_id, text in ((1, family), (2, style), (4, full), (6, postscript),
                          (3, f"{postscript};pickwell;{weight}")):
        names.setName(text, name_id, 3, 1, 0x409)
        names.setName(text, name_id, 1, 0, 0)
    version = names.getDebugName(5) or "Version 1.0"
    names.setName(f"{version}; renamed and re-encoded for Pickwell", 5, 3, 1, 0x409)
    return postscript, full


def to_cff(font, postscript, full):
    glyphs = font.getGlyphSet()
    charstrings = {}
    for name in font.getGlyphOrder():
        pen = T2CharStringPen(glyphs[name].width, glyphs)
        glyphs[name].draw(pen)
        charstrings[name] = pen.getCharString()
    for tag in ("glyf", "loca", "fpgm", "prep", "cvt ", "gasp", "hdmx", "LTSH", "VDMX"):
        if tag in font:
            del font[tag]
    font.sfntVersion = "OTTO"
    builder = FontBuilder(font=font)
    builder.isTTF = False
    builder.setupCFF(postscript, {"FullName": full, "FamilyName": font["name"].getDebugName(1)},
                     charstrings, {})
    builder.setupMaxp()
    font["post"].formatType = 3.0
    font["post"].extraNames = []
    font["post"].mapping = {}


def main():
    parser = argparse.ArgumentParser(description=__doc__)
    parser.add_argument("--family", required=True)
    parser.add_argument("--style", required=True)
    parser.add_argument("--cff", action="store_true", help="re-encode outlines as CFF (.otf)")
    parser.add_argument("source")
    parser.add_argument("target")
    args = parser.parse_args()

    font = TTFont(args.source)
    font.flavor = None
    descent, ascent = ascii_extent(font)
    set_metrics(font, descent, ascent)
    postscript, full = rename(font, args.family, args.style)
    if args.cff:
        to_cff(font, postscript, full)
    font.save(args.target)


if __name__ == "__main__":
    main()
