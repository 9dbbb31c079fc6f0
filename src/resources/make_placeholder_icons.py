#!/usr/bin/env python3
"""Writes the placeholder icons of the library's icon groups 201 (tests and
actions) and 202 (iterations): 16-colour icons with a 32x32 and a 16x16 image,
drawn from a few shapes on the standard 16-colour palette.

Usage: make_placeholder_icons.py <output folder>
"""
import struct
import sys

# The standard 16-colour palette (blue, green, red, reserved as RGBQUAD).
PALETTE = [
    (0, 0, 0), (128, 0, 0), (0, 128, 0), (128, 128, 0), (0, 0, 128), (128, 0, 128), (0, 128, 128),
    (192, 192, 192), (128, 128, 128), (255, 0, 0), (0, 255, 0), (255, 255, 0), (0, 0, 255),
    (255, 0, 255), (0, 255, 255), (255, 255, 255),
]
BLACK, NAVY, WHITE, GREEN, TEAL = 0, 4, 15, 2, 6


def document(x, y, size):
    """A page with a folded corner and a few text lines; None is transparent."""
    left, right, top, bottom = size // 8, size - size // 8 - 1, 0, size - 1
    fold = size // 4
    if x < left or x > right or y < top or y > bottom:
        return None
    if x > right - fold and y < top + fold:
        if x - (right - fold) > y - top:
            return None
        return BLACK if x - (right - fold) == y - top else WHITE
    if x in (left, right) or y in (top, bottom) or (x == right - fold and y < top + fold):
        return BLACK
    line = size // 8
    if x > left + 1 and x < right - 1 and y > fold and (y - fold) % line == 0:
        return NAVY
    return WHITE


def circle(x, y, size):
    """A green disc with a dark rim and a white arrow: the iteration."""
    c = (size - 1) / 2
    d = ((x - c) ** 2 + (y - c) ** 2) ** 0.5
    r = size / 2 - 0.5
    if d > r:
        return None
    if d > r - max(1, size // 16):
        return TEAL
    if abs(y - c) < size / 10 and size / 4 <= x <= size * 3 / 4:
        return WHITE
    if x > size / 2 and abs(y - c) <= (size * 3 / 4 - x) and x <= size * 3 / 4:
        return WHITE
    return GREEN


def image(shape, size):
    """BITMAPINFOHEADER, palette, 4-bit XOR image and 1-bit AND mask, bottom-up."""
    header = struct.pack('<IiiHHIIiiII', 40, size, size * 2, 1, 4, 0, 0, 0, 0, 16, 0)
    palette = b''.join(struct.pack('<BBBB', b, g, r, 0) for (r, g, b) in PALETTE)
    xor_row = (size * 4 + 31) // 32 * 4
    and_row = (size + 31) // 32 * 4
    xor, mask = bytearray(), bytearray()
    for y in reversed(range(size)):
        pixels = [shape(x, y, size) for x in range(size)]
        row = bytearray(xor_row)
        bits = bytearray(and_row)
        for x, colour in enumerate(pixels):
            index = 0 if colour is None else colour
            row[x // 2] |= index << (4 if x % 2 == 0 else 0)
            if colour is None:
                bits[x // 8] |= 0x80 >> (x % 8)
        xor += row
        mask += bits
    return header + palette + bytes(xor) + bytes(mask)


def icon_file(shape):
    images = [image(shape, 32), image(shape, 16)]
    out = struct.pack('<HHH', 0, 1, len(images))
    offset = 6 + 16 * len(images)
    for data, size in zip(images, (32, 16)):
        out += struct.pack('<BBBBHHII', size, size, 16, 0, 1, 4, len(data), offset)
        offset += len(data)
    return out + b''.join(images)


def main():
    folder = sys.argv[1] if len(sys.argv) > 1 else '.'
    for name, shape in (('node201.ico', document), ('node202.ico', circle)):
        with open(f'{folder}/{name}', 'wb') as f:
            f.write(icon_file(shape))


if __name__ == '__main__':
    main()
