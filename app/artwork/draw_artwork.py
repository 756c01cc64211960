#!/usr/bin/env python3
"""Draws the screens' artwork as PNG files beside this script: the blue banner, the close images and the
tick boxes. Pure Python (zlib only), so that anyone can redraw them; the PNG files are kept in the project.
Shapes are sampled 4 x 4 times per pixel for smooth edges."""
import math
import os
import struct
import zlib

HERE = os.path.dirname(os.path.abspath(__file__))
SAMPLES = 4


def write_png(name, width, height, pixel):
    """pixel(x, y) -> (r, g, b, a) floats 0..1, x and y in pixel units (sub-pixel positions)."""
    rows = bytearray()
    step = 1.0 / SAMPLES
    for y in range(height):
        rows.append(0)
        for x in range(width):
            acc = [0.0, 0.0, 0.0, 0.0]
            for sy in range(SAMPLES):
                for sx in range(SAMPLES):
                    r, g, b, a = pixel(x + (sx + 0.5) * step, y + (sy + 0.5) * step)
                    acc[0] += r * a
                    acc[1] += g * a
                    acc[2] += b * a
                    acc[3] += a
            n = SAMPLES * SAMPLES
            alpha = acc[3] / n
            if alpha > 0:
                color = [acc[i] / acc[3] for i in range(3)]
            else:
                color = [0, 0, 0]
            rows.extend(int(round(max(0, min(1, c)) * 255)) for c in color + [alpha])

    def chunk(kind, data):
        body = kind + data
        return struct.pack(">I", len(data)) + body + struct.pack(">I", zlib.crc32(body) & 0xFFFFFFFF)

    png = b"\x89PNG\r\n\x1a\n"
    png += chunk(b"IHDR", struct.pack(">IIBBBBB", width, height, 8, 6, 0, 0, 0))
    png += chunk(b"IDAT", zlib.compress(bytes(rows), 9))
    png += chunk(b"IEND", b"")
    with open(os.path.join(HERE, name), "wb") as out:
        out.write(png)


def mix(a, b, t):
    return tuple(a[i] + (b[i] - a[i]) * t for i in range(len(a)))


def hex_color(text, alpha=1.0):
    return (int(text[0:2], 16) / 255, int(text[2:4], 16) / 255, int(text[4:6], 16) / 255, alpha)


def over(top, bottom):
    """Source-over of two (r, g, b, a) colours."""
    a = top[3] + bottom[3] * (1 - top[3])
    if a == 0:
        return (0, 0, 0, 0)
    return tuple((top[i] * top[3] + bottom[i] * bottom[3] * (1 - top[3])) / a for i in range(3)) + (a,)


def distance_to_segment(px, py, ax, ay, bx, by):
    dx, dy = bx - ax, by - ay
    t = max(0.0, min(1.0, ((px - ax) * dx + (py - ay) * dy) / (dx * dx + dy * dy)))
    return math.hypot(px - ax - t * dx, py - ay - t * dy)


# The banner: a deep blue stage sky, lit from the upper left, with two sweeping curtain curves and a
# row of footlight dots along the bottom edge.
DEEP = hex_color("0b2a5b")
MID = hex_color("1c5fae")
LIGHT = hex_color("5aa2e6")


def banner(x, y):
    w, h = 1280.0, 100.0
    t = min(1.0, math.hypot(x / w, y / h * 0.35) * 1.1)
    color = mix(LIGHT, MID, min(1.0, t * 1.6)) if t < 0.6 else mix(MID, DEEP, (t - 0.6) / 0.4)
    for amplitude, offset, alpha in ((22, 58, 0.16), (16, 74, 0.10)):
        wave = offset + amplitude * math.sin(x / w * math.pi * 1.5 + 0.6)
        if y > wave:
            color = over((1, 1, 1, alpha), color)
    # Footlights: small warm dots every 40 pixels on the lowest band.
    cx = (math.floor(x / 40) + 0.5) * 40
    if math.hypot(x - cx, y - 93) < 2.2:
        color = over(hex_color("ffd27a", 0.85), color)
    return color


def close_image(fill, ring):
    def pixel(x, y):
        r = math.hypot(x - 8, y - 8)
        color = (0, 0, 0, 0)
        if r < 7.5:
            color = fill
        if 6.6 < r < 7.6:
            color = ring
        cross = min(distance_to_segment(x, y, 5, 5, 11, 11), distance_to_segment(x, y, 11, 5, 5, 11))
        if cross < 1.0 and r < 7:
            color = (1, 1, 1, 1)
        return color
    return pixel


def tick_box(ticked):
    def pixel(x, y):
        inside = 1.5 <= x <= 14.5 and 1.5 <= y <= 14.5
        edge = inside and not (2.5 <= x <= 13.5 and 2.5 <= y <= 13.5)
        if not inside:
            return (0, 0, 0, 0)
        color = hex_color("1c5fae") if edge else (hex_color("eaf3fc") if ticked else (1, 1, 1, 1))
        if ticked:
            d = min(distance_to_segment(x, y, 4.2, 8.4, 7, 11.2), distance_to_segment(x, y, 7, 11.2, 12, 4.8))
            if d < 1.25:
                color = hex_color("1f8a3a")
        return color
    return pixel


if __name__ == "__main__":
    write_png("bandeau_bleu.png", 1280, 100, banner)
    write_png("fermer.png", 16, 16, close_image(hex_color("5d6b7d"), hex_color("3c4755")))
    write_png("fermer_rouge.png", 16, 16, close_image(hex_color("e02020"), hex_color("a01010")))
    write_png("coche_t.png", 16, 16, tick_box(True))
    write_png("coche_f.png", 16, 16, tick_box(False))
