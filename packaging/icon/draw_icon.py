#!/usr/bin/env python3
"""Draws the program's icon, maj.png (256 x 256), beside this script, from the screens' artwork: the blue
stage sky of the banner with its curtain curve and footlights, and a white arrow coming down onto the stage
(an update arriving). The build scales it to the smaller sizes of the icon theme; the PNG is kept in the
project, as the screens' images are."""
import math
import os
import sys

HERE = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, os.path.join(HERE, "..", "..", "app", "artwork"))
from draw_artwork import DEEP, LIGHT, MID, distance_to_segment, hex_color, mix, over, write_png  # noqa: E402

SIZE = 256.0
RADIUS = 44.0  # corners of the rounded square
MARGIN = 8.0


def inside_rounded_square(x, y):
    low, high = MARGIN + RADIUS, SIZE - MARGIN - RADIUS
    cx, cy = min(max(x, low), high), min(max(y, low), high)
    return math.hypot(x - cx, y - cy) <= RADIUS


def arrow_distance(x, y):
    """Distance to the arrow's strokes: a shaft and a head pointing down."""
    shaft = distance_to_segment(x, y, 128, 52, 128, 150)
    left = distance_to_segment(x, y, 128, 158, 88, 118)
    right = distance_to_segment(x, y, 128, 158, 168, 118)
    return min(shaft, left, right)


def icon(x, y):
    if not inside_rounded_square(x, y):
        return (0, 0, 0, 0)
    # The banner's sky, lit from the upper left.
    t = min(1.0, math.hypot(x / SIZE, y / SIZE) * 0.8)
    color = mix(LIGHT, MID, min(1.0, t * 1.6)) if t < 0.6 else mix(MID, DEEP, (t - 0.6) / 0.4)
    # The curtain curves of the banner, across the lower part.
    for amplitude, offset, alpha in ((14, 176, 0.16), (10, 198, 0.12)):
        if y > offset + amplitude * math.sin(x / SIZE * math.pi * 1.5 + 0.6):
            color = over((1, 1, 1, alpha), color)
    # Footlights along the bottom edge.
    cx = (math.floor((x - MARGIN) / 40) + 0.5) * 40 + MARGIN
    if 30 < cx < SIZE - 30 and math.hypot(x - cx, y - 226) < 6:
        color = over(hex_color("ffd27a", 0.95), color)
    # The arrow, with a soft shadow.
    if arrow_distance(x - 3, y - 4) < 13:
        color = over((0, 0, 0, 0.18), color)
    if arrow_distance(x, y) < 12:
        color = (1, 1, 1, 1)
    return color


if __name__ == "__main__":
    write_png(os.path.join(HERE, "maj.png"), int(SIZE), int(SIZE), icon)
