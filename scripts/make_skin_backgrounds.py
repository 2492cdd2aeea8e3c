#!/usr/bin/env python3
"""Draws the main window's background pictures of the skin frame.

Usage: make_skin_backgrounds.py [SKIN_DIR]   (default: resources/skin)

Writes common/background.png (the skin's own background, close to the
window colour) and the presets common/skins/preset_1.png .. preset_6.png,
all at the main window's design size. Only the standard library is used;
the output is the same on every run.
"""

import math
import struct
import sys
import zlib
from pathlib import Path

WIDTH, HEIGHT = 1350, 810

# 4x4 ordered dither, in steps of 1/16 of a colour level: gradients this dark
# would band without it, and a fixed pattern still compresses well.
BAYER = [[0, 8, 2, 10], [12, 4, 14, 6], [3, 11, 1, 9], [15, 7, 13, 5]]


def rgb(text):
    return tuple(int(text[i:i + 2], 16) for i in (1, 3, 5))


def mix(a, b, t):
    return tuple(x + (y - x) * t for x, y in zip(a, b))


def glow(x, y, cx, cy, radius):
    """0..1, smooth fall-off from a soft light at (cx, cy)."""
    d = math.hypot(x - cx, y - cy) / radius
    return math.exp(-d * d * 2.2)


def write_png(path, pixel):
    rows = bytearray()
    for y in range(HEIGHT):
        rows.append(0)
        bayer_row = BAYER[y % 4]
        for x in range(WIDTH):
            r, g, b = pixel(x, y)
            d = (bayer_row[x % 4] + 0.5) / 16.0
            rows += bytes(max(0, min(255, int(c + d))) for c in (r, g, b))
    def chunk(kind, data):
        body = kind + data
        return struct.pack(">I", len(data)) + body + struct.pack(">I", zlib.crc32(body) & 0xFFFFFFFF)
    png = b"\x89PNG\r\n\x1a\n"
    png += chunk(b"IHDR", struct.pack(">IIBBBBB", WIDTH, HEIGHT, 8, 2, 0, 0, 0))
    png += chunk(b"IDAT", zlib.compress(bytes(rows), 9))
    png += chunk(b"IEND", b"")
    path.parent.mkdir(parents=True, exist_ok=True)
    tmp = path.with_suffix(".tmp")
    tmp.write_bytes(png)
    tmp.replace(path)


def vertical(top, bottom):
    top, bottom = rgb(top), rgb(bottom)
    return lambda x, y: mix(top, bottom, y / (HEIGHT - 1))


def with_glows(base, glows):
    def pixel(x, y):
        c = base(x, y)
        for colour, cx, cy, radius, strength in glows:
            c = mix(c, rgb(colour), strength * glow(x, y, cx * WIDTH, cy * HEIGHT, radius))
        return c
    return pixel


def brushed(x, y):
    """Graphite: a diagonal fall from grey-blue to near black, fine diagonal grain."""
    t = (x / WIDTH + y / HEIGHT) / 2
    c = mix(rgb("#1E222A"), rgb("#0D0F13"), t)
    grain = 2.2 if (x + 2 * y) % 7 < 2 else 0.0
    return tuple(v + grain for v in c)


def carbon(x, y):
    """Carbon fibre: woven 10 px cells, lit along the weave, darker at the edges."""
    cell = 10
    cx, cy = x % (2 * cell), y % (2 * cell)
    horizontal = (cx < cell) == (cy < cell)
    along = (cy % cell) / cell if horizontal else (cx % cell) / cell
    shade = 0.5 - 0.5 * math.cos(along * 2 * math.pi)
    c = mix(rgb("#121418"), rgb("#1C2027"), shade)
    vignette = 1.0 - 0.35 * (((x / WIDTH) - 0.5) ** 2 + ((y / HEIGHT) - 0.5) ** 2) * 2
    return tuple(v * vignette for v in c)


def grid(x, y):
    """Grid: faint 40 px lines with a brighter line every fourth, over the window colour."""
    c = mix(rgb("#111419"), rgb("#0C0E12"), y / HEIGHT)
    if x % 160 == 0 or y % 160 == 0:
        c = mix(c, rgb("#29B6F6"), 0.10)
    elif x % 40 == 0 or y % 40 == 0:
        c = mix(c, rgb("#2A2F39"), 0.55)
    return c


PICTURES = {
    "common/background.png": vertical("#13151B", "#0F1115"),
    "common/skins/preset_1.png": with_glows(vertical("#0F1B27", "#0A0C10"), [("#29B6F6", 0.82, 0.0, 620, 0.20)]),
    "common/skins/preset_2.png": brushed,
    "common/skins/preset_3.png": with_glows(vertical("#0D1015", "#0B0D11"),
                                            [("#1DE9B6", 0.18, 0.08, 560, 0.13), ("#7C4DFF", 0.86, 0.32, 640, 0.15)]),
    "common/skins/preset_4.png": with_glows(vertical("#141113", "#0D0B0C"), [("#FF6E40", 0.08, 1.0, 760, 0.17)]),
    "common/skins/preset_5.png": carbon,
    "common/skins/preset_6.png": with_glows(grid, [("#29B6F6", 0.5, 0.0, 520, 0.08)]),
}


def main():
    skin = Path(sys.argv[1]) if len(sys.argv) > 1 else Path(__file__).resolve().parent.parent / "resources" / "skin"
    for name, pixel in PICTURES.items():
        write_png(skin / name, pixel)
        print(f"wrote {skin / name}")


if __name__ == "__main__":
    main()
