#!/usr/bin/env python3
"""Draws Brindle's pictures and writes them beside this script.

    brindle.ico    icon 107: a page cut into three slices that drift apart
                   (32 x 32 and 16 x 16, each in 16 and in 256 colours)
    overwrite.ico  icon 132: a new page replacing a crossed-out page, with two
                   curved arrows (32 x 32, 16 colours)
    about.bmp      bitmap 1002: the sliced page on the dialog face (56 x 56,
                   16 colours)

The generated files are committed, so the build never runs this script. Run
it again after changing a drawing: python3 app/resources/draw_pictures.py
"""
import math
import os
import struct

# The 16 colours every display shows; 16-colour images use these only.
VGA = [
    (0, 0, 0), (128, 0, 0), (0, 128, 0), (128, 128, 0),
    (0, 0, 128), (128, 0, 128), (0, 128, 128), (192, 192, 192),
    (128, 128, 128), (255, 0, 0), (0, 255, 0), (255, 255, 0),
    (0, 0, 255), (255, 0, 255), (0, 255, 255), (255, 255, 255),
]
BLACK, GREY, SILVER, WHITE = VGA[0], VGA[8], VGA[7], VGA[15]
RED, DARK_RED, BLUE, NAVY = VGA[9], VGA[1], VGA[12], VGA[4]
GREEN, DARK_GREEN, TEAL = VGA[10], VGA[2], VGA[6]


class Canvas:
    """RGB pixels; None is transparent."""

    def __init__(self, size, background=None):
        self.size = size
        self.pixels = [[background] * size for _ in range(size)]

    def put(self, x, y, colour):
        if 0 <= x < self.size and 0 <= y < self.size:
            self.pixels[y][x] = colour

    def fill(self, left, top, right, bottom, colour):
        """Fills the rectangle [left, right) x [top, bottom)."""
        for y in range(top, bottom):
            for x in range(left, right):
                self.put(x, y, colour)

    def frame(self, left, top, right, bottom, colour):
        for x in range(left, right):
            self.put(x, top, colour)
            self.put(x, bottom - 1, colour)
        for y in range(top, bottom):
            self.put(left, y, colour)
            self.put(right - 1, y, colour)

    def line(self, x0, y0, x1, y1, colour):
        steps = max(abs(x1 - x0), abs(y1 - y0), 1)
        for i in range(steps + 1):
            self.put(round(x0 + (x1 - x0) * i / steps), round(y0 + (y1 - y0) * i / steps), colour)

    def arc(self, cx, cy, radius, start_degrees, end_degrees, colour, width=1):
        steps = int(abs(end_degrees - start_degrees) * radius / 20) + 8
        for i in range(steps + 1):
            angle = math.radians(start_degrees + (end_degrees - start_degrees) * i / steps)
            for w in range(width):
                r = radius - w
                self.put(round(cx + r * math.cos(angle)), round(cy - r * math.sin(angle)), colour)


def shade(colour, amount):
    """Mixes the colour toward white (amount > 0) or black (amount < 0)."""
    target = 255 if amount > 0 else 0
    amount = abs(amount)
    return tuple(round(c + (target - c) * amount) for c in colour)


def draw_sliced_page(canvas, left, top, unit, rich):
    """A page of 20 x 26 units cut into three slices, each a little further right.

    `unit` is the size of one unit in pixels; `rich` adds the shades that only
    256-colour images can carry."""
    def px(v):
        return int(round(v * unit))

    slice_tops = [0, 9, 18]
    slice_heights = [8, 8, 8]
    for index, (slice_top, height) in enumerate(zip(slice_tops, slice_heights)):
        x0 = left + px(index * 2)
        y0 = top + px(slice_top + index * 1)
        x1 = x0 + px(20)
        y1 = y0 + px(height)
        for y in range(y0, y1):
            colour = WHITE
            if rich:
                colour = shade((200, 220, 255), (y - y0) / max(1, y1 - y0) * 0.8)
            canvas.fill(x0, y, x1, y + 1, colour)
        canvas.frame(x0, y0, x1, y1, NAVY if rich else BLACK)
        # lines of text on the slice
        for row in range(2, height - 1, 3):
            y = y0 + px(row)
            if y0 < y < y1 - 1:
                canvas.fill(x0 + px(3), y, x1 - px(3), y + max(1, px(1) // 2),
                            GREY if not rich else (90, 100, 140))
    # the cuts, in red, between the slices
    for index in range(2):
        y = top + px(slice_tops[index + 1] + index + 0.5)
        for x in range(left - px(1), left + px(25), max(2, px(2))):
            canvas.fill(x, y, x + max(1, px(1)), y + max(1, px(0.5)), RED)


def draw_overwrite_picture(canvas):
    """A crossed-out page at the back, a new page in front, two curved arrows."""
    # the old page, crossed out
    canvas.fill(2, 2, 15, 19, SILVER)
    canvas.frame(2, 2, 15, 19, GREY)
    for y in range(6, 17, 3):
        canvas.line(4, y, 12, y, GREY)
    canvas.line(3, 3, 13, 17, RED)
    canvas.line(4, 3, 14, 17, RED)
    canvas.line(13, 3, 3, 17, RED)
    canvas.line(14, 3, 4, 17, RED)
    # the new page
    canvas.fill(15, 12, 30, 31, WHITE)
    canvas.frame(15, 12, 30, 31, BLACK)
    for y in range(16, 29, 3):
        canvas.line(17, y, 27, y, BLUE)
    # upper arrow: from the old page over to the new one
    canvas.arc(21, 11, 7, 160, 20, DARK_GREEN, 2)
    arrow_tip = (27, 9)
    canvas.line(arrow_tip[0], arrow_tip[1] + 1, arrow_tip[0] - 3, arrow_tip[1] - 1, DARK_GREEN)
    canvas.line(arrow_tip[0], arrow_tip[1] + 1, arrow_tip[0] + 2, arrow_tip[1] - 2, DARK_GREEN)
    # lower arrow: from below the new page back under the old one
    canvas.arc(9, 22, 6, 340, 200, DARK_GREEN, 2)
    canvas.line(3, 24, 1, 21, DARK_GREEN)
    canvas.line(3, 24, 6, 22, DARK_GREEN)


def nearest(palette, colour):
    return min(range(len(palette)),
               key=lambda i: sum((a - b) ** 2 for a, b in zip(palette[i], colour)))


def palette_for(canvas, bits):
    if bits == 4:
        return list(VGA)
    palette = list(VGA)
    for row in canvas.pixels:
        for colour in row:
            if colour is not None and colour not in palette:
                palette.append(colour)
    if len(palette) > 256:
        raise ValueError("too many colours for 256")
    return palette + [(0, 0, 0)] * (256 - len(palette))


def packed_rows(indices, size, bits):
    """Bottom-up rows of palette indices, each padded to four bytes."""
    rows = b""
    for row in reversed(indices):
        data = bytearray()
        if bits == 8:
            data.extend(row)
        elif bits == 4:
            for i in range(0, size, 2):
                data.append((row[i] << 4) | (row[i + 1] if i + 1 < size else 0))
        elif bits == 1:
            for i in range(0, size, 8):
                byte = 0
                for j in range(8):
                    if i + j < size and row[i + j]:
                        byte |= 0x80 >> j
                data.append(byte)
        while len(data) % 4:
            data.append(0)
        rows += bytes(data)
    return rows


def dib(canvas, bits, with_mask):
    """Info header, palette and pixels (and the transparency mask of an icon)."""
    size = canvas.size
    palette = palette_for(canvas, bits)
    lookup = {}

    def index_of(colour):
        if colour is None:
            return 0
        if colour not in lookup:
            lookup[colour] = nearest(palette, colour) if bits == 4 else palette.index(colour)
        return lookup[colour]

    indices = [[index_of(c) for c in row] for row in canvas.pixels]
    pixels = packed_rows(indices, size, bits)
    mask = b""
    if with_mask:
        mask = packed_rows([[1 if c is None else 0 for c in row] for row in canvas.pixels], size, 1)
    height = size * 2 if with_mask else size
    header = struct.pack("<IiiHHIIiiII", 40, size, height, 1, bits, 0, len(pixels) + len(mask),
                         0, 0, 0, 0)
    colours = b"".join(struct.pack("<BBBB", b, g, r, 0) for (r, g, b) in palette)
    return header + colours + pixels + mask


def write_icon(path, images):
    """images: (canvas, bits) pairs."""
    blobs = [dib(canvas, bits, True) for canvas, bits in images]
    offset = 6 + 16 * len(images)
    directory = struct.pack("<HHH", 0, 1, len(images))
    for (canvas, bits), blob in zip(images, blobs):
        directory += struct.pack("<BBBBHHII", canvas.size, canvas.size, 16 if bits == 4 else 0, 0,
                                 1, bits, len(blob), offset)
        offset += len(blob)
    with open(path, "wb") as out:
        out.write(directory + b"".join(blobs))


def write_bitmap(path, canvas, bits):
    body = dib(canvas, bits, False)
    colours = 1 << bits
    header = struct.pack("<2sIHHI", b"BM", 14 + len(body), 0, 0, 14 + 40 + 4 * colours)
    with open(path, "wb") as out:
        out.write(header + body)


def main_icon(size, rich):
    canvas = Canvas(size)
    unit = size / 32
    draw_sliced_page(canvas, int(round(3 * unit)), int(round(1 * unit)), unit, rich)
    return canvas


def main():
    here = os.path.dirname(os.path.abspath(__file__))
    write_icon(os.path.join(here, "brindle.ico"), [
        (main_icon(32, False), 4), (main_icon(16, False), 4),
        (main_icon(32, True), 8), (main_icon(16, True), 8),
    ])
    overwrite = Canvas(32)
    draw_overwrite_picture(overwrite)
    write_icon(os.path.join(here, "overwrite.ico"), [(overwrite, 4)])
    about = Canvas(56, SILVER)
    draw_sliced_page(about, 8, 3, 56 / 34, False)
    write_bitmap(os.path.join(here, "about.bmp"), about, 4)


if __name__ == "__main__":
    main()
