#!/usr/bin/env python3
"""Draws Tellwick's icon MAIN and writes it as tellwick.ico.

One 32x32 image with a 256-colour palette: a page of log lines with a green
materia orb in front of it. Each pixel is supersampled so the edges stay
smooth; pixels mostly outside the picture are transparent through the mask.

    python3 resources/make_icon.py resources/tellwick.ico
"""
import math
import struct
import sys

SIZE = 32
SAMPLES = 4  # per axis, per pixel

PAGE_FILL = (246, 236, 206)
PAGE_EDGE = (92, 70, 48)
FOLD = (214, 196, 150)
INK = (70, 92, 128)
ORB_DARK = (10, 80, 40)
ORB_LIGHT = (120, 230, 120)
ORB_EDGE = (8, 50, 26)
SHINE = (255, 255, 255)


def mix(a, b, t):
    t = max(0.0, min(1.0, t))
    return tuple(a[i] + (b[i] - a[i]) * t for i in range(3))


def page_sample(x, y):
    """Colour of the log page at (x, y), or None outside it."""
    left, top, right, bottom, fold = 4.0, 2.0, 22.0, 29.0, 6.0
    if not (left <= x < right and top <= y < bottom):
        return None
    # The dog-ear at the top right corner.
    if x - (right - fold) > y - top:
        return None
    edge = 1.0
    on_fold = (x - (right - fold)) > (y - top) - 1.3
    if x < left + edge or x >= right - edge or y < top + edge or y >= bottom - edge or on_fold:
        return PAGE_EDGE
    if x >= right - fold and y < top + fold and (x - (right - fold)) <= (y - top):
        return FOLD
    # Lines of text of varying length, as in an exported log.
    for row, length in ((8, 10), (11, 13), (14, 8), (17, 12), (20, 6), (23, 9)):
        if row <= y < row + 1.4 and left + 3 <= x < left + 3 + length:
            return INK
    return PAGE_FILL


def orb_sample(x, y):
    """Colour of the materia orb at (x, y), or None outside it."""
    cx, cy, radius = 22.5, 22.0, 8.5
    d = math.hypot(x - cx, y - cy)
    if d > radius:
        return None
    if d > radius - 1.1:
        return ORB_EDGE
    # Lit from the upper left, with a bright spot of light.
    light = math.hypot(x - (cx - 3.0), y - (cy - 3.5)) / (radius * 1.6)
    colour = mix(ORB_LIGHT, ORB_DARK, light)
    spot = math.hypot(x - (cx - 3.0), y - (cy - 3.5))
    if spot < 2.2:
        colour = mix(SHINE, colour, spot / 2.2)
    return colour


def render():
    pixels = []
    for py in range(SIZE):
        row = []
        for px in range(SIZE):
            covered = []
            for sy in range(SAMPLES):
                for sx in range(SAMPLES):
                    x = px + (sx + 0.5) / SAMPLES
                    y = py + (sy + 0.5) / SAMPLES
                    c = orb_sample(x, y) or page_sample(x, y)
                    if c is not None:
                        covered.append(c)
            if len(covered) * 2 < SAMPLES * SAMPLES:
                row.append(None)
            else:
                row.append(tuple(int(round(sum(c[i] for c in covered) / len(covered))) for i in range(3)))
        pixels.append(row)
    return pixels


def quantise(pixels):
    """Palette of at most 256 colours and the pixels as palette indexes."""
    step = 1
    while True:
        def snap(c):
            return tuple(min(255, (v // step) * step + step // 2) for v in c)
        colours = sorted({snap(c) for row in pixels for c in row if c is not None})
        if len(colours) < 256:  # index 0 stays black for the transparent pixels
            break
        step *= 2
    palette = [(0, 0, 0)] + colours
    index = {c: i + 1 for i, c in enumerate(colours)}
    indexes = [[0 if c is None else index[snap(c)] for c in row] for row in pixels]
    palette += [(0, 0, 0)] * (256 - len(palette))
    return palette, indexes


def ico_bytes(pixels):
    palette, indexes = quantise(pixels)
    header = struct.pack('<IiiHHIIiiII', 40, SIZE, SIZE * 2, 1, 8, 0, 0, 0, 0, 256, 0)
    colour_table = b''.join(struct.pack('<BBBB', b, g, r, 0) for (r, g, b) in palette)
    xor_rows = b''.join(bytes(indexes[y]) for y in reversed(range(SIZE)))
    and_rows = b''
    for y in reversed(range(SIZE)):
        bits = 0
        for x in range(SIZE):
            if pixels[y][x] is None:
                bits |= 1 << (31 - x)
        and_rows += struct.pack('>I', bits)
    image = header + colour_table + xor_rows + and_rows
    directory = struct.pack('<HHH', 0, 1, 1)
    entry = struct.pack('<BBBBHHII', SIZE, SIZE, 0, 0, 1, 8, len(image), 6 + 16)
    return directory + entry + image


def main():
    out = sys.argv[1] if len(sys.argv) > 1 else 'tellwick.ico'
    with open(out, 'wb') as f:
        f.write(ico_bytes(render()))


if __name__ == '__main__':
    main()
