#!/usr/bin/env python3
"""Draws Tidora.ico (16 and 32 pixels, 32-bit with alpha): the blue disc with
the white sparkle of the logo. Run it again after changing the artwork."""
import struct
import sys

ACCENT = (0x3D, 0x84, 0xDD)
WHITE = (255, 255, 255)
SUPER = 8  # samples per pixel along each axis


def inside_sparkle(x, y, cx, cy, outer, inner):
    # Four-pointed star: inside when |dx|/outer + |dy|/inner-ish shape; use
    # the union of two thin diamonds, one vertical and one horizontal.
    dx, dy = abs(x - cx), abs(y - cy)
    return dx / inner + dy / outer <= 1 or dx / outer + dy / inner <= 1


def render(size):
    pixels = []
    c = size / 2
    radius = size / 2 - 0.5
    outer, inner = size * 0.34, size * 0.09
    for row in range(size):
        line = []
        for col in range(size):
            cover = 0
            white = 0
            for sy in range(SUPER):
                for sx in range(SUPER):
                    x = col + (sx + 0.5) / SUPER
                    y = row + (sy + 0.5) / SUPER
                    if (x - c) ** 2 + (y - c) ** 2 <= radius ** 2:
                        cover += 1
                        if inside_sparkle(x, y, c, c, outer, inner):
                            white += 1
            n = SUPER * SUPER
            alpha = round(255 * cover / n)
            if cover:
                t = white / cover
                rgb = tuple(round(a + (b - a) * t) for a, b in zip(ACCENT, WHITE))
            else:
                rgb = (0, 0, 0)
            line.append((rgb, alpha))
        pixels.append(line)
    return pixels


def dib(size):
    pixels = render(size)
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


def main(path):
    sizes = [16, 32]
    images = [dib(s) for s in sizes]
    out = struct.pack('<HHH', 0, 1, len(sizes))
    offset = 6 + 16 * len(sizes)
    for s, data in zip(sizes, images):
        out += struct.pack('<BBBBHHII', s, s, 0, 0, 1, 32, len(data), offset)
        offset += len(data)
    for data in images:
        out += data
    with open(path, 'wb') as f:
        f.write(out)


if __name__ == '__main__':
    main(sys.argv[1] if len(sys.argv) > 1 else 'Tidora.ico')
