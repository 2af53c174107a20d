#!/usr/bin/env python3
"""Draws the tray helper's icon (TidoraService.ico): a teal rounded square
with a white "T" and a small rising bubble, as 16x16 and 32x32 images at 24
bits per pixel with a transparency mask. Run it to regenerate the file."""

import struct
import sys


def lerp(a, b, t):
    return tuple(round(x + (y - x) * t) for x, y in zip(a, b))


def shape(u, v):
    """Colour at the unit-square point (u, v), or None outside the icon."""
    r = 0.22
    cu, cv = min(max(u, r), 1 - r), min(max(v, r), 1 - r)
    if (u - cu) ** 2 + (v - cv) ** 2 > r * r:
        return None
    colour = lerp((24, 170, 174), (10, 88, 110), v)
    if 0.18 <= u <= 0.72 and 0.20 <= v <= 0.34:       # bar of the T
        return (255, 255, 255)
    if 0.375 <= u <= 0.525 and 0.20 <= v <= 0.82:     # stem of the T
        return (255, 255, 255)
    if (u - 0.76) ** 2 + (v - 0.70) ** 2 <= 0.11 ** 2:   # bubble
        if (u - 0.73) ** 2 + (v - 0.67) ** 2 <= 0.035 ** 2:
            return (255, 255, 255)
        return (255, 214, 92)
    return colour


def render(size, samples=4):
    pixels, opaque = [], []
    for y in range(size):
        row, mask = [], []
        for x in range(size):
            acc, hits = [0, 0, 0], 0
            for sy in range(samples):
                for sx in range(samples):
                    c = shape((x + (sx + 0.5) / samples) / size, (y + (sy + 0.5) / samples) / size)
                    if c is not None:
                        hits += 1
                        acc = [a + b for a, b in zip(acc, c)]
            inside = hits * 2 >= samples * samples
            row.append(tuple(round(a / hits) for a in acc) if inside else (0, 0, 0))
            mask.append(inside)
        pixels.append(row)
        opaque.append(mask)
    return pixels, opaque


def dib(size):
    pixels, opaque = render(size)
    xor = b""
    for y in reversed(range(size)):
        line = b"".join(bytes((b, g, r)) for r, g, b in pixels[y])
        xor += line + b"\0" * ((4 - len(line) % 4) % 4)
    and_mask = b""
    stride = (size + 31) // 32 * 4
    for y in reversed(range(size)):
        bits = 0
        for x in range(size):
            bits = (bits << 1) | (0 if opaque[y][x] else 1)
        line = bits.to_bytes((size + 7) // 8, "big")
        and_mask += line + b"\0" * (stride - len(line))
    header = struct.pack("<IiiHHIIiiII", 40, size, size * 2, 1, 24, 0, len(xor) + len(and_mask), 0, 0, 0, 0)
    return header + xor + and_mask


def main(path):
    images = [dib(16), dib(32)]
    out = struct.pack("<HHH", 0, 1, len(images))
    offset = 6 + 16 * len(images)
    for size, data in zip((16, 32), images):
        out += struct.pack("<BBBBHHII", size, size, 0, 0, 1, 24, len(data), offset)
        offset += len(data)
    with open(path, "wb") as f:
        f.write(out + b"".join(images))


if __name__ == "__main__":
    main(sys.argv[1] if len(sys.argv) > 1 else "TidoraService.ico")
