#!/usr/bin/env python3
"""Draws the program's icon and the countdown window's icon (the About window's logo is drawn by
the program itself, Logo_win.cpp). Standard library only; run it again after a change and commit
what it writes:

    python3 draw_pictures.py    # writes duskline.ico and attention.ico here
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


if __name__ == "__main__":
    write_icon(os.path.join(HERE, "duskline.ico"), program_icon)
    write_icon(os.path.join(HERE, "attention.ico"), attention_icon)
