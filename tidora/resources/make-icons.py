#!/usr/bin/env python3
"""Draws the program's icons (16 and 32 pixels, 32-bit with alpha):
Tidora.ico, the blue disc with the white sparkle of the logo, and the four
built-in images of the pages' lists: ListIcon0.ico a missing file (a grey
page crossed out in red), ListIcon1.ico a program (a window), ListIcon2.ico
a scheduled task (a clock), ListIcon3.ico a service (a gear).
Run it again after changing the artwork: make-icons.py [folder]."""
import math
import os
import struct
import sys

SUPER = 6
BLUE = (0x3D, 0x84, 0xDD)
DARK = (0x3A, 0x3F, 0x47)
GREY = (0x9A, 0xA0, 0xA8)
LIGHT = (0xF4, 0xF6, 0xF8)
RED = (0xD9, 0x3B, 0x3B)
WHITE = (255, 255, 255)


def tidora(x, y):
    # A disc with a four-pointed sparkle: two thin diamonds crossed.
    dx, dy = abs(x - 0.5), abs(y - 0.5)
    if dx * dx + dy * dy > 0.5 ** 2:
        return None
    outer, inner = 0.34, 0.09
    if dx / inner + dy / outer <= 1 or dx / outer + dy / inner <= 1:
        return WHITE
    return BLUE


def missing(x, y):
    # A page (0.2..0.8 wide, 0.08..0.92 high) with a red cross over it.
    d1 = abs((x - 0.15) - (y - 0.15)) / math.sqrt(2)
    d2 = abs((x - 0.85) + (y - 0.15)) / math.sqrt(2)
    if (d1 < 0.07 or d2 < 0.07) and 0.12 < x < 0.88 and 0.12 < y < 0.88:
        return RED
    if 0.2 <= x <= 0.8 and 0.08 <= y <= 0.92:
        edge = x < 0.26 or x > 0.74 or y < 0.14 or y > 0.86
        return GREY if edge else LIGHT
    return None


def program(x, y):
    if 0.08 <= x <= 0.92 and 0.14 <= y <= 0.86:
        if y < 0.32:
            return BLUE
        edge = x < 0.14 or x > 0.86 or y > 0.80
        return BLUE if edge else WHITE
    return None


def task(x, y):
    r = math.hypot(x - 0.5, y - 0.5)
    if r > 0.44:
        return None
    if r > 0.36:
        return BLUE
    # Hands: twelve o'clock and three o'clock.
    if abs(x - 0.5) < 0.05 and 0.2 < y < 0.55:
        return DARK
    if abs(y - 0.5) < 0.05 and 0.45 < x < 0.75:
        return DARK
    return WHITE


def service(x, y):
    dx, dy = x - 0.5, y - 0.5
    r = math.hypot(dx, dy)
    a = math.atan2(dy, dx)
    teeth = 0.40 + (0.07 if math.cos(8 * a) > 0.2 else 0.0)
    if r > teeth:
        return None
    if r < 0.14:
        return None
    return DARK


def render(size, shape):
    rows = []
    for row in range(size):
        line = []
        for col in range(size):
            acc = [0, 0, 0]
            cover = 0
            for sy in range(SUPER):
                for sx in range(SUPER):
                    c = shape((col + (sx + 0.5) / SUPER) / size, (row + (sy + 0.5) / SUPER) / size)
                    if c:
                        cover += 1
                        acc = [a + b for a, b in zip(acc, c)]
            alpha = round(255 * cover / SUPER ** 2)
            rgb = tuple(round(v / cover) for v in acc) if cover else (0, 0, 0)
            line.append((rgb, alpha))
        rows.append(line)
    return rows


def dib(size, shape):
    pixels = render(size, shape)
    header = struct.pack('<IiiHHIIiiII', 40, size, size * 2, 1, 32, 0, 0, 0, 0, 0, 0)
    xor = bytearray()
    for line in reversed(pixels):
        for (r, g, b), a in line:
            xor += bytes((b, g, r, a))
    stride = ((size + 31) // 32) * 4
    mask = bytearray()
    for line in reversed(pixels):
        row = bytearray(stride)
        for i, (_, a) in enumerate(line):
            if a == 0:
                row[i // 8] |= 0x80 >> (i % 8)
        mask += row
    return header + bytes(xor) + bytes(mask)


def write_icon(path, shape):
    sizes = [16, 32]
    images = [dib(s, shape) for s in sizes]
    out = struct.pack('<HHH', 0, 1, len(sizes))
    offset = 6 + 16 * len(sizes)
    for s, data in zip(sizes, images):
        out += struct.pack('<BBBBHHII', s, s, 0, 0, 1, 32, len(data), offset)
        offset += len(data)
    with open(path, 'wb') as f:
        f.write(out + b''.join(images))


if __name__ == '__main__':
    folder = sys.argv[1] if len(sys.argv) > 1 else '.'
    write_icon(os.path.join(folder, 'Tidora.ico'), tidora)
    for index, shape in enumerate([missing, program, task, service]):
        write_icon(os.path.join(folder, 'ListIcon%d.ico' % index), shape)
