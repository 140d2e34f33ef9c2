#!/usr/bin/env python3
"""Writes the window icon (loader.ico) and the pointer (loader.cur): 32 x 32,
32-bit with alpha. Pure Python so that it runs anywhere: python3 res/make_icons.py"""
import os
import struct

SIZE = 32
HERE = os.path.dirname(os.path.abspath(__file__))


def icon_pixels():
    # A gold disc with a dark rim: reads well on light and dark task bars.
    rows = []
    c = (SIZE - 1) / 2
    for y in range(SIZE):
        row = []
        for x in range(SIZE):
            d = ((x - c) ** 2 + (y - c) ** 2) ** 0.5
            if d > 15.5:
                row.append((0, 0, 0, 0))
            elif d > 13.5:
                row.append((47, 60, 90, 255))      # rim (B, G, R, A)
            else:
                shade = int(40 * (y / SIZE))
                row.append((47, 114 + shade // 2, 188 + shade // 3, 255))
        rows.append(row)
    # A "Z" across the disc.
    for i in range(9, 23):
        for t in range(2):
            rows[9 + t][i] = rows[21 + t][i] = (250, 250, 250, 255)
            rows[9 + (22 - i) + t * 0][i] = (250, 250, 250, 255)
    return rows


def cursor_pixels():
    # A plain arrow, white with a black outline, hot spot at (0, 0).
    rows = [[(0, 0, 0, 0)] * SIZE for _ in range(SIZE)]
    for y in range(20):
        for x in range(y // 2 + 1 if y < 14 else max(0, 20 - y)):
            rows[y][x] = (255, 255, 255, 255)
    for y in range(20):
        width = y // 2 + 1 if y < 14 else max(0, 20 - y)
        if width:
            rows[y][0] = (0, 0, 0, 255)
            rows[y][width - 1] = (0, 0, 0, 255)
    for x in range(8):
        rows[13][x] = (0, 0, 0, 255)
    return rows


def dib(rows):
    header = struct.pack('<IiiHHIIiiII', 40, SIZE, SIZE * 2, 1, 32, 0, 0, 0, 0, 0, 0)
    xor = b''.join(bytes(px) for row in reversed(rows) for px in row)
    and_mask = b''
    for row in reversed(rows):
        bits = 0
        for x, px in enumerate(row):
            if px[3] == 0:
                bits |= 1 << (31 - x)
        and_mask += struct.pack('>I', bits)
    return header + xor + and_mask


def write(name, kind, rows, hotspot=(0, 0)):
    data = dib(rows)
    planes_or_x, bits_or_y = (1, 32) if kind == 1 else hotspot
    entry = struct.pack('<BBBBHHII', SIZE, SIZE, 0, 0, planes_or_x, bits_or_y, len(data), 6 + 16)
    with open(os.path.join(HERE, name), 'wb') as f:
        f.write(struct.pack('<HHH', 0, kind, 1) + entry + data)


if __name__ == '__main__':
    write('loader.ico', 1, icon_pixels())
    write('loader.cur', 2, cursor_pixels(), (0, 0))
