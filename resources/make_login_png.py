#!/usr/bin/env python3
"""Writes login.png, the background of the login window: 800 x 499 pixels, a blue gradient with a
rising bar chart on the left and a light panel on the right behind the fields and buttons.
Needs nothing beyond the standard library.

    python3 resources/make_login_png.py [output path]
"""
import struct
import sys
import zlib

WIDTH, HEIGHT = 800, 499
# The panel behind the controls; the login window places its fields and buttons inside it.
PANEL = (470, 120, 760, 420)
PANEL_RADIUS = 14
BARS = [(60, 330), (120, 290), (180, 310), (240, 240), (300, 260), (360, 190)]  # (left x, top y)
BAR_WIDTH, BAR_BOTTOM = 40, 420


def mix(a, b, t):
    return tuple(int(round(x + (y - x) * t)) for x, y in zip(a, b))


def inside_rounded(x, y, box, r):
    left, top, right, bottom = box
    if not (left <= x < right and top <= y < bottom):
        return False
    cx = min(max(x, left + r), right - 1 - r)
    cy = min(max(y, top + r), bottom - 1 - r)
    return (x - cx) ** 2 + (y - cy) ** 2 <= r * r


def pixel(x, y):
    t = (x / WIDTH) * 0.4 + (y / HEIGHT) * 0.6
    colour = mix((18, 52, 110), (24, 120, 150), t)
    if y < 6:
        colour = (212, 172, 70)
    for left, top in BARS:
        if left <= x < left + BAR_WIDTH and top <= y < BAR_BOTTOM:
            colour = mix(colour, (255, 255, 255), 0.12 + 0.10 * (BAR_BOTTOM - y) / (BAR_BOTTOM - top))
    if BAR_BOTTOM <= y < BAR_BOTTOM + 2 and 40 <= x < 420:
        colour = mix(colour, (255, 255, 255), 0.5)
    if inside_rounded(x, y, PANEL, PANEL_RADIUS):
        colour = mix(colour, (246, 249, 252), 0.88)
    return colour


def png(width, height, rows):
    def chunk(kind, data):
        body = kind + data
        return struct.pack(">I", len(data)) + body + struct.pack(">I", zlib.crc32(body) & 0xFFFFFFFF)

    raw = b"".join(b"\x00" + bytes(v for p in row for v in p) for row in rows)
    header = struct.pack(">IIBBBBB", width, height, 8, 2, 0, 0, 0)
    return (b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", header) + chunk(b"IDAT", zlib.compress(raw, 9))
            + chunk(b"IEND", b""))


def main():
    path = sys.argv[1] if len(sys.argv) > 1 else "login.png"
    rows = [[pixel(x, y) for x in range(WIDTH)] for y in range(HEIGHT)]
    with open(path, "wb") as f:
        f.write(png(WIDTH, HEIGHT, rows))


if __name__ == "__main__":
    main()
