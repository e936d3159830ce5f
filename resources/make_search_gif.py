#!/usr/bin/env python3
"""Writes search.gif, the animated picture of the query wait window: a ring of dots on white whose
bright dot goes round, 400 x 206 pixels, looping. Needs nothing beyond the standard library.

    python3 resources/make_search_gif.py [output path]
"""
import math
import struct
import sys

WIDTH, HEIGHT = 400, 206
FRAMES = 12
DELAY_CS = 8  # hundredths of a second per frame
CENTRE_X, CENTRE_Y, RING_RADIUS, DOT_RADIUS = 200, 70, 34, 7

# White background, then the dot colours from faint to bright; 8 entries (3 bits).
PALETTE = [
    (255, 255, 255),
    (222, 232, 246),
    (190, 210, 238),
    (150, 182, 226),
    (110, 152, 212),
    (70, 120, 196),
    (30, 86, 170),
    (16, 56, 120),
]


def frame_pixels(step):
    pixels = bytearray(WIDTH * HEIGHT)
    for dot in range(FRAMES):
        angle = 2 * math.pi * dot / FRAMES - math.pi / 2
        cx = CENTRE_X + RING_RADIUS * math.cos(angle)
        cy = CENTRE_Y + RING_RADIUS * math.sin(angle)
        # The dot the frame has reached is brightest; those behind it fade.
        age = (step - dot) % FRAMES
        colour = max(1, 7 - age)
        for y in range(int(cy - DOT_RADIUS), int(cy + DOT_RADIUS) + 1):
            for x in range(int(cx - DOT_RADIUS), int(cx + DOT_RADIUS) + 1):
                if (x - cx) ** 2 + (y - cy) ** 2 <= DOT_RADIUS ** 2:
                    pixels[y * WIDTH + x] = colour
    # A bar under the ring whose filled part grows with the frames.
    bar_left, bar_top, bar_width, bar_height = 120, 118, 160, 6
    filled = bar_width * (step + 1) // FRAMES
    for y in range(bar_top, bar_top + bar_height):
        for x in range(bar_left, bar_left + bar_width):
            pixels[y * WIDTH + x] = 6 if x - bar_left < filled else 1
    return bytes(pixels)


def lzw_encode(data, min_code_size):
    """GIF's variable-length LZW, codes packed least significant bit first."""
    clear = 1 << min_code_size
    end = clear + 1
    out = bytearray()
    bit_buffer = 0
    bit_count = 0

    def emit(code, size):
        nonlocal bit_buffer, bit_count
        bit_buffer |= code << bit_count
        bit_count += size
        while bit_count >= 8:
            out.append(bit_buffer & 0xFF)
            bit_buffer >>= 8
            bit_count -= 8

    def fresh_table():
        return {bytes([i]): i for i in range(clear)}

    table = fresh_table()
    next_code = end + 1
    code_size = min_code_size + 1
    emit(clear, code_size)
    current = b""
    for value in data:
        candidate = current + bytes([value])
        if candidate in table:
            current = candidate
            continue
        emit(table[current], code_size)
        if next_code < 4096:
            table[candidate] = next_code
            next_code += 1
            if next_code > (1 << code_size) and code_size < 12:
                code_size += 1
        else:
            emit(clear, code_size)
            table = fresh_table()
            next_code = end + 1
            code_size = min_code_size + 1
        current = bytes([value])
    if current:
        emit(table[current], code_size)
    emit(end, code_size)
    if bit_count:
        out.append(bit_buffer & 0xFF)
    return bytes(out)


def sub_blocks(data):
    out = bytearray()
    for i in range(0, len(data), 255):
        chunk = data[i:i + 255]
        out.append(len(chunk))
        out += chunk
    out.append(0)
    return bytes(out)


def write_gif(path):
    gif = bytearray(b"GIF89a")
    # Logical screen with a global colour table of 2^(2+1) = 8 entries.
    gif += struct.pack("<HHBBB", WIDTH, HEIGHT, 0xF2, 0, 0)
    for r, g, b in PALETTE:
        gif += bytes((r, g, b))
    # Loop for ever.
    gif += b"\x21\xFF\x0BNETSCAPE2.0\x03\x01\x00\x00\x00"
    for step in range(FRAMES):
        gif += struct.pack("<BBBBHB", 0x21, 0xF9, 4, 0x04, DELAY_CS, 0) + b"\x00"
        gif += struct.pack("<BHHHHB", 0x2C, 0, 0, WIDTH, HEIGHT, 0)
        min_code_size = 3
        gif.append(min_code_size)
        gif += sub_blocks(lzw_encode(frame_pixels(step), min_code_size))
    gif.append(0x3B)
    with open(path, "wb") as f:
        f.write(gif)


if __name__ == "__main__":
    write_gif(sys.argv[1] if len(sys.argv) > 1 else "search.gif")
