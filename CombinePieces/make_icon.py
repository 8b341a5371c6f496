#!/usr/bin/env python3
"""Draws the combiner's icon: two stacked pieces joined by an arrow, in the
16 standard colours, at 32 x 32 and 16 x 16. Writes combiner.ico beside it."""
import os
import struct

PALETTE = [  # the 16 standard VGA colours, as (blue, green, red, 0)
    (0, 0, 0), (0, 0, 128), (0, 128, 0), (0, 128, 128),
    (128, 0, 0), (128, 0, 128), (128, 128, 0), (192, 192, 192),
    (128, 128, 128), (0, 0, 255), (0, 255, 0), (0, 255, 255),
    (255, 0, 0), (255, 0, 255), (255, 255, 0), (255, 255, 255),
]
BLACK, NAVY, TEAL, SILVER, GREY, BLUE, WHITE = 0, 4, 6, 7, 8, 12, 15
TRANSPARENT = None


def draw(size):
    """Rows from the top: a colour index per pixel, or TRANSPARENT."""
    s = size / 32.0
    pixels = [[TRANSPARENT] * size for _ in range(size)]

    def rect(x0, y0, x1, y1, colour):
        for y in range(int(y0 * s), int(y1 * s)):
            for x in range(int(x0 * s), int(x1 * s)):
                pixels[y][x] = colour

    def piece(x, y, fill):
        rect(x, y, x + 14, y + 10, BLACK)
        rect(x + 1, y + 1, x + 13, y + 9, fill)
        rect(x + 2, y + 3, x + 12, y + 4, WHITE)
        rect(x + 2, y + 6, x + 10, y + 7, WHITE)

    piece(1, 2, TEAL)
    piece(1, 18, NAVY)
    # the arrow from the pieces to the whole file
    rect(15, 14, 21, 18, BLUE)
    for i in range(5):
        rect(21 + i, 11 + i, 22 + i, 21 - i, BLUE)
    # the whole file
    rect(24, 4, 31, 28, BLACK)
    rect(25, 5, 30, 27, SILVER)
    rect(26, 8, 29, 9, GREY)
    rect(26, 12, 29, 13, GREY)
    rect(26, 16, 29, 17, GREY)
    rect(26, 20, 29, 21, GREY)
    return pixels


def bitmap(size):
    """The icon image: header, palette, 4-bit colour rows and 1-bit mask rows, bottom up."""
    pixels = draw(size)
    header = struct.pack('<IiiHHIIiiII', 40, size, size * 2, 1, 4, 0, 0, 0, 0, 16, 0)
    palette = b''.join(struct.pack('<BBBB', b, g, r, 0) for (b, g, r) in PALETTE)
    colour_rows = b''
    mask_rows = b''
    mask_stride = ((size + 31) // 32) * 4
    for row in reversed(pixels):
        nibbles = [0 if p is None else p for p in row]
        colour_rows += bytes((nibbles[i] << 4) | nibbles[i + 1] for i in range(0, size, 2))
        bits = bytearray(mask_stride)
        for x, p in enumerate(row):
            if p is None:
                bits[x // 8] |= 0x80 >> (x % 8)
        mask_rows += bytes(bits)
    return header + palette + colour_rows + mask_rows


def icon_file():
    images = [bitmap(32), bitmap(16)]
    out = struct.pack('<HHH', 0, 1, len(images))
    offset = 6 + 16 * len(images)
    for size, data in zip((32, 16), images):
        out += struct.pack('<BBBBHHII', size, size, 16, 0, 1, 4, len(data), offset)
        offset += len(data)
    return out + b''.join(images)


if __name__ == '__main__':
    target = os.path.join(os.path.dirname(os.path.abspath(__file__)), 'combiner.ico')
    with open(target, 'wb') as f:
        f.write(icon_file())
