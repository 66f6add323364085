#!/usr/bin/env python3
"""Draws the program's pictures: its icon, the countdown window's icon and the About window's
logo. Standard library only; run it again after a change and commit what it writes:

    python3 draw_pictures.py    # writes duskline.ico, attention.ico and logo.bmp here
"""
import math
import os
import struct
import zlib

HERE = os.path.dirname(os.path.abspath(__file__))
ICON_SIZES = (16, 20, 24, 32, 40, 48, 64)

NIGHT = (28, 30, 78)
DUSK = (122, 58, 120)
GLOW = (244, 142, 60)
SUN = (255, 210, 96)
GROUND = (22, 20, 40)
CREAM = (250, 240, 220)
RED = (212, 28, 28)
WHITE = (255, 255, 255)
INK = (30, 30, 36)


def mix(a, b, t):
    t = min(max(t, 0.0), 1.0)
    return tuple(a[i] + (b[i] - a[i]) * t for i in range(3))


def sky(t):
    """The sky from the top (0) to the horizon (1)."""
    return mix(NIGHT, DUSK, t / 0.6) if t < 0.6 else mix(DUSK, GLOW, (t - 0.6) / 0.4)


def in_rounded_square(x, y, radius):
    cx = min(max(x, radius), 1 - radius)
    cy = min(max(y, radius), 1 - radius)
    return (x - cx) ** 2 + (y - cy) ** 2 <= radius ** 2


def program_icon(x, y):
    """A sun half set on the horizon under a dusk sky, in a rounded square."""
    if not in_rounded_square(x, y, 0.18):
        return None
    horizon = 0.66
    if y >= horizon:
        return GROUND + (255,)
    if (x - 0.5) ** 2 + (y - horizon) ** 2 <= 0.27 ** 2:
        return SUN + (255,)
    return sky(y / horizon) + (255,)


def attention_icon(x, y):
    """A clock a minute before the hour: white face, red rim, dark hands."""
    r = math.hypot(x - 0.5, y - 0.5)
    if r > 0.48:
        return None
    if r > 0.38:
        return RED + (255,)
    angle = math.atan2(x - 0.5, 0.5 - y)  # 0 at twelve, clockwise
    minute_hand = abs(x - 0.5) <= 0.035 and 0.5 - 0.32 <= y <= 0.5
    hour_angle = -math.radians(6)  # just before twelve
    along = (x - 0.5) * math.sin(hour_angle) + (0.5 - y) * math.cos(hour_angle)
    across = (x - 0.5) * math.cos(hour_angle) - (0.5 - y) * math.sin(hour_angle)
    hour_hand = 0 <= along <= 0.22 and abs(across) <= 0.05
    tick = r > 0.31 and min(abs(angle - k * math.pi / 2) for k in range(-2, 3)) < 0.09
    if minute_hand or hour_hand or tick or r < 0.06:
        return INK + (255,)
    return WHITE + (255,)


def render(shape, size, samples=4):
    """RGBA rows of a shape over the unit square, supersampled."""
    rows = []
    for py in range(size):
        row = []
        for px in range(size):
            acc = [0.0, 0.0, 0.0, 0.0]
            for sy in range(samples):
                for sx in range(samples):
                    c = shape((px + (sx + 0.5) / samples) / size, (py + (sy + 0.5) / samples) / size)
                    if c:
                        for i in range(3):
                            acc[i] += c[i] * c[3] / 255
                        acc[3] += c[3]
            n = samples * samples
            alpha = acc[3] / n
            if alpha > 0:
                colour = tuple(acc[i] * 255 / acc[3] for i in range(3))
            else:
                colour = (0, 0, 0)
            row.append(tuple(int(round(v)) for v in colour) + (int(round(alpha)),))
        rows.append(row)
    return rows


def png_image(rows):
    """RGBA rows as a PNG file: 8 bits a channel, no filter, deflated."""
    size = len(rows)
    raw = b"".join(b"\x00" + bytes(v for pixel in row for v in pixel) for row in rows)

    def chunk(kind, data):
        return struct.pack(">I", len(data)) + kind + data + struct.pack(">I", zlib.crc32(kind + data))

    header = struct.pack(">IIBBBBB", size, size, 8, 6, 0, 0, 0)
    return (b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", header) + chunk(b"IDAT", zlib.compress(raw, 9))
            + chunk(b"IEND", b""))


def write_icon(path, shape):
    # PNG images take far fewer bytes than bitmaps; Windows reads them in icons since Vista.
    images = [png_image(render(shape, size)) for size in ICON_SIZES]
    out = struct.pack("<HHH", 0, 1, len(images))
    offset = 6 + 16 * len(images)
    for size, image in zip(ICON_SIZES, images):
        out += struct.pack("<BBBBHHII", size % 256, size % 256, 0, 0, 1, 32, len(image), offset)
        offset += len(image)
    with open(path, "wb") as f:
        f.write(out + b"".join(images))


# A blocky alphabet for the wordmark, 5 x 7 cells.
GLYPHS = {
    "D": ["1110.", "1..1.", "1...1", "1...1", "1...1", "1..1.", "1110."],
    "U": ["1...1", "1...1", "1...1", "1...1", "1...1", "1...1", ".111."],
    "S": [".1111", "1....", "1....", ".111.", "....1", "....1", "1111."],
    "K": ["1...1", "1..1.", "1.1..", "11...", "1.1..", "1..1.", "1...1"],
    "L": ["1....", "1....", "1....", "1....", "1....", "1....", "11111"],
    "I": ["111", ".1.", ".1.", ".1.", ".1.", ".1.", "111"],
    "N": ["1...1", "11..1", "1.1.1", "1..11", "1...1", "1...1", "1...1"],
    "E": ["11111", "1....", "1....", "1111.", "1....", "1....", "11111"],
}


def wordmark_cells(word, cell, left, top, gap):
    """The filled cells of a word as rectangles (x0, y0, x1, y1) in pixels."""
    boxes = []
    x = left
    for letter in word:
        glyph = GLYPHS[letter]
        for gy, line in enumerate(glyph):
            for gx, mark in enumerate(line):
                if mark == "1":
                    boxes.append((x + gx * cell, top + gy * cell, x + (gx + 1) * cell - 2,
                                  top + (gy + 1) * cell - 2))
        x += len(glyph[0]) * cell + gap
    return boxes


def logo_rows(width=1290, height=240):
    horizon = 176
    sun_x, sun_r = 1080, 78
    letters = wordmark_cells("DUSKLINE", 14, 64, 40, 22)
    rows = []
    for y in range(height):
        band = sky(min(y / horizon, 1.0))
        band = tuple(round(v / 6) * 6 for v in band)  # a few dozen colours, long runs
        row = []
        for x in range(width):
            if y >= horizon:
                colour = GROUND if y > horizon + 2 else GLOW
            elif (x - sun_x) ** 2 + (y - horizon) ** 2 <= sun_r ** 2:
                colour = SUN
            else:
                colour = band
            for (x0, y0, x1, y1) in letters:
                if x0 <= x < x1 and y0 <= y < y1:
                    colour = CREAM
                    break
            row.append(tuple(int(v) for v in colour))
        rows.append(row)
    return rows


def write_rle8_bitmap(path, rows):
    """An 8-bit BMP compressed with RLE8: runs of one colour cost two bytes."""
    palette = sorted({c for row in rows for c in row})
    assert len(palette) <= 256, len(palette)
    index = {c: i for i, c in enumerate(palette)}
    data = bytearray()
    for row in reversed(rows):
        x = 0
        while x < len(row):
            value = index[row[x]]
            run = 1
            while x + run < len(row) and run < 255 and index[row[x + run]] == value:
                run += 1
            data += bytes((run, value))
            x += run
        data += b"\x00\x00"
    data[-2:] = b"\x00\x01"
    height, width = len(rows), len(rows[0])
    # Only the colours in use: the header says how many.
    colours = b"".join(bytes((b, g, r, 0)) for (r, g, b) in palette)
    info = struct.pack("<IiiHHIIiiII", 40, width, height, 1, 8, 1, len(data), 3780, 3780,
                       len(palette), 0)
    offset = 14 + len(info) + len(colours)
    header = struct.pack("<2sIHHI", b"BM", offset + len(data), 0, 0, offset)
    with open(path, "wb") as f:
        f.write(header + info + colours + bytes(data))


if __name__ == "__main__":
    write_icon(os.path.join(HERE, "duskline.ico"), program_icon)
    write_icon(os.path.join(HERE, "attention.ico"), attention_icon)
    write_rle8_bitmap(os.path.join(HERE, "logo.bmp"), logo_rows())
