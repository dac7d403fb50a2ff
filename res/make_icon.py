#!/usr/bin/env python3
"""Draws the utility's icon, a bevelled keyboard key cap in light blue-grey, as tandemix.ico.

The file holds four images in this order: 16x16 and 32x32 at 4 bits per pixel, then 32x32 and
16x16 at 8 bits per pixel, each a bottom-up DIB with its AND mask. The output depends on nothing
but this script, so the committed icon can be checked against a fresh run.

Usage: make_icon.py [--output FILE.ico] [--png-dir DIR] [--check FILE.ico]
"""

import argparse
import os
import struct
import sys
import zlib

TRANSPARENT = None

# Colours of the 16-colour images: one flat tone per face of the cap.
OUTLINE = (0x46, 0x50, 0x62)
TOP_FACE = (0xB9, 0xC6, 0xD6)
TOP_BEVEL = (0xE2, 0xE9, 0xF2)
LEFT_BEVEL = (0xCF, 0xD9, 0xE5)
RIGHT_BEVEL = (0x93, 0xA1, 0xB5)
BOTTOM_BEVEL = (0x78, 0x86, 0x9C)

# Per size: the cap's outer square (first and last pixel) and the bevel widths, with the lower
# bevel deepest so the cap reads as seen slightly from above.
GEOMETRY = {
    16: {"outer": (1, 14), "top": 2, "left": 2, "right": 2, "bottom": 3},
    32: {"outer": (2, 29), "top": 3, "left": 4, "right": 4, "bottom": 6},
}

# (width, bits per pixel) in file order.
IMAGES = [(16, 4), (32, 4), (32, 8), (16, 8)]


def region_of(size, x, y):
    """Names the part of the cap that pixel (x, y) belongs to, or None outside it."""
    g = GEOMETRY[size]
    first, last = g["outer"]
    if not (first <= x <= last and first <= y <= last):
        return None
    # The outer corners are cut by one pixel so the cap's rim looks rounded.
    if (x in (first, last)) and (y in (first, last)):
        return None
    if x in (first, last) or y in (first, last):
        return "outline"
    depths = {
        "top": (y - first) / g["top"],
        "left": (x - first) / g["left"],
        "right": (last - x) / g["right"],
        "bottom": (last - y) / g["bottom"],
    }
    nearest = min(depths, key=lambda side: depths[side])
    if depths[nearest] > 1:
        return "face"
    return nearest


def blend(a, b, t):
    return tuple(int(round(a[i] + (b[i] - a[i]) * t)) for i in range(3))


def flat_colour(size, x, y):
    return {
        None: TRANSPARENT,
        "outline": OUTLINE,
        "face": TOP_FACE,
        "top": TOP_BEVEL,
        "left": LEFT_BEVEL,
        "right": RIGHT_BEVEL,
        "bottom": BOTTOM_BEVEL,
    }[region_of(size, x, y)]


def shaded_colour(size, x, y):
    """The 256-colour images shade each face: the top lit from above, bevels darkening inward."""
    region = region_of(size, x, y)
    if region in (None, "outline"):
        return flat_colour(size, x, y)
    g = GEOMETRY[size]
    first, last = g["outer"]
    if region == "face":
        span = (last - g["bottom"]) - (first + g["top"])
        t = (y - (first + g["top"])) / span
        return blend((0xC8, 0xD3, 0xE1), (0xAC, 0xBA, 0xCC), t)
    depth = {
        "top": (y - first) / g["top"],
        "left": (x - first) / g["left"],
        "right": (last - x) / g["right"],
        "bottom": (last - y) / g["bottom"],
    }[region]
    base = {"top": TOP_BEVEL, "left": LEFT_BEVEL, "right": RIGHT_BEVEL,
            "bottom": BOTTOM_BEVEL}[region]
    return blend(base, TOP_FACE, 0.35 * depth)


def render(size, bits):
    colour = flat_colour if bits == 4 else shaded_colour
    return [[colour(size, x, y) for x in range(size)] for y in range(size)]


def palette_for(pixels, bits):
    """Index 0 is black, the colour behind transparent pixels; the rest in order of first use."""
    palette = [(0, 0, 0)]
    for row in pixels:
        for c in row:
            if c is not TRANSPARENT and c not in palette:
                palette.append(c)
    limit = 1 << bits
    if len(palette) > limit:
        sys.exit("%d colours do not fit %d bits per pixel" % (len(palette), bits))
    return palette + [(0, 0, 0)] * (limit - len(palette))


def row_bytes(values, bits):
    """Packs one row of `bits`-wide values, most significant first, padded to 32 bits."""
    out = bytearray()
    acc = 0
    filled = 0
    for v in values:
        acc = (acc << bits) | v
        filled += bits
        if filled == 8:
            out.append(acc)
            acc = 0
            filled = 0
    if filled:
        out.append(acc << (8 - filled))
    while len(out) % 4:
        out.append(0)
    return bytes(out)


def dib(size, bits):
    pixels = render(size, bits)
    palette = palette_for(pixels, bits)
    xor = bytearray()
    mask = bytearray()
    for row in reversed(pixels):  # DIB rows run bottom-up
        xor += row_bytes([0 if c is TRANSPARENT else palette.index(c) for c in row], bits)
        mask += row_bytes([1 if c is TRANSPARENT else 0 for c in row], 1)
    header = struct.pack("<IiiHHIIiiII", 40, size, 2 * size, 1, bits, 0,
                         len(xor) + len(mask), 0, 0, 0, 0)
    colours = b"".join(struct.pack("BBBB", b, g, r, 0) for (r, g, b) in palette)
    return header + colours + bytes(xor) + bytes(mask)


def ico():
    images = [dib(size, bits) for size, bits in IMAGES]
    out = bytearray(struct.pack("<HHH", 0, 1, len(images)))
    offset = 6 + 16 * len(images)
    for (size, bits), image in zip(IMAGES, images):
        colour_count = 1 << bits if bits < 8 else 0  # 256 colours are written as 0
        out += struct.pack("<BBBBHHII", size, size, colour_count, 0, 1, bits, len(image), offset)
        offset += len(image)
    for image in images:
        out += image
    return bytes(out)


def png(size, bits):
    """A PNG of one image (transparent pixels white) for looking at the artwork."""
    raw = bytearray()
    for row in render(size, bits):
        raw.append(0)
        for c in row:
            raw += bytes(c if c is not TRANSPARENT else (0xFF, 0xFF, 0xFF))

    def chunk(kind, data):
        return (struct.pack(">I", len(data)) + kind + data +
                struct.pack(">I", zlib.crc32(kind + data) & 0xFFFFFFFF))

    return (b"\x89PNG\r\n\x1a\n" +
            chunk(b"IHDR", struct.pack(">IIBBBBB", size, size, 8, 2, 0, 0, 0)) +
            chunk(b"IDAT", zlib.compress(bytes(raw), 9)) + chunk(b"IEND", b""))


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--output", help="write the icon to this file")
    parser.add_argument("--png-dir", help="write each image as PNG into this directory")
    parser.add_argument("--check", help="fail unless this file equals the icon drawn now")
    args = parser.parse_args()
    icon = ico()
    if args.output:
        with open(args.output, "wb") as f:
            f.write(icon)
    if args.png_dir:
        for size, bits in IMAGES:
            name = os.path.join(args.png_dir, "tandemix-%dx%d-%dbpp.png" % (size, size, bits))
            with open(name, "wb") as f:
                f.write(png(size, bits))
    if args.check:
        with open(args.check, "rb") as f:
            if f.read() != icon:
                sys.exit("%s differs from what make_icon.py draws; rerun it with --output" %
                         args.check)
    if not (args.output or args.png_dir or args.check):
        parser.error("nothing to do: give --output, --png-dir or --check")


if __name__ == "__main__":
    main()
