# SPDX-License-Identifier: MIT
"""Draws the window background and the window icon from scratch.

Everything here is generated: no third-party picture is involved, so the
results carry the project's own licence. The drawing is deterministic.
"""

import math
import random
import sys
from pathlib import Path

from PIL import Image, ImageDraw, ImageFilter

WIDTH, HEIGHT = 800, 600
# Gauge centre of the status panel: panel at y 80, 438 high, centre at 40 %.
GAUGE = (400, 80 + 438 * 0.4)


def background():
    random.seed(20261206)
    image = Image.new("RGB", (WIDTH, HEIGHT))
    pixels = image.load()
    # A quiet vertical gradient between gray0.5 and gray1.5, darker at the
    # edges, so every palette text from gray5 up reads well anywhere.
    for y in range(HEIGHT):
        for x in range(WIDTH):
            dx = (x - WIDTH / 2) / (WIDTH / 2)
            dy = (y - HEIGHT / 2) / (HEIGHT / 2)
            vignette = 1.0 - 0.35 * min(1.0, (dx * dx + dy * dy) / 2)
            level = (16 + 10 * (1 - y / HEIGHT)) * vignette + random.uniform(-1.2, 1.2)
            value = int(round(level))
            pixels[x, y] = (value, value, value + 1)

    overlay = Image.new("RGB", (WIDTH, HEIGHT), (0, 0, 0))
    draw = ImageDraw.Draw(overlay)
    # Fine engineering grid, and a coarser one every fourth line.
    for x in range(0, WIDTH + 1, 20):
        draw.line([(x, 0), (x, HEIGHT)], fill=(5, 5, 5) if x % 80 else (9, 9, 9))
    for y in range(0, HEIGHT + 1, 20):
        draw.line([(0, y), (WIDTH, y)], fill=(5, 5, 5) if y % 80 else (9, 9, 9))
    # Concentric guide circles behind the gauge.
    cx, cy = GAUGE
    for radius, shade in ((125, 10), (150, 7), (190, 5), (240, 4)):
        draw.ellipse([cx - radius, cy - radius, cx + radius, cy + radius], outline=(shade,) * 3)
    # Scale ticks around the outermost circle.
    for step in range(0, 360, 6):
        angle = math.radians(step)
        inner = 240 if step % 30 else 232
        x0, y0 = cx + inner * math.sin(angle), cy - inner * math.cos(angle)
        x1, y1 = cx + 248 * math.sin(angle), cy - 248 * math.cos(angle)
        draw.line([(x0, y0), (x1, y1)], fill=(8, 8, 8))
    # Registration marks in the corners.
    for mx, my in ((10, 10), (WIDTH - 11, 10), (10, HEIGHT - 11), (WIDTH - 11, HEIGHT - 11)):
        draw.line([(mx - 6, my), (mx + 6, my)], fill=(14, 14, 14))
        draw.line([(mx, my - 6), (mx, my + 6)], fill=(14, 14, 14))
    overlay = overlay.filter(ImageFilter.GaussianBlur(0.4))

    result = Image.new("RGB", (WIDTH, HEIGHT))
    base, over = image.load(), overlay.load()
    out = result.load()
    for y in range(HEIGHT):
        for x in range(WIDTH):
            b, o = base[x, y], over[x, y]
            out[x, y] = tuple(min(44, b[i] + o[i]) for i in range(3))
    return result


def icon():
    scale = 8
    size = 48 * scale
    image = Image.new("RGB", (size, size), (20, 20, 20))
    draw = ImageDraw.Draw(image)
    s = scale
    # Plate with a thin frame and the corner triangle of the painted tiles.
    draw.rectangle([2 * s, 2 * s, 46 * s - 1, 46 * s - 1], outline=(115, 115, 115), width=s)
    draw.polygon([(4 * s, 4 * s), (12 * s, 4 * s), (4 * s, 12 * s)], fill=(115, 115, 115))
    # The progress ring: track, filled arc, and the accent at its head.
    box = [11 * s, 11 * s, 37 * s, 37 * s]
    draw.arc(box, start=120, end=420, fill=(60, 60, 60), width=4 * s)
    draw.arc(box, start=120, end=330, fill=(210, 210, 210), width=4 * s)
    head = math.radians(330)
    hx, hy = 24 * s + 11 * s * math.cos(head), 24 * s + 11 * s * math.sin(head)
    draw.ellipse([hx - 3 * s, hy - 3 * s, hx + 3 * s, hy + 3 * s], fill=(212, 146, 17))
    return image.resize((48, 48), Image.LANCZOS)


def main():
    target = Path(sys.argv[1])
    target.mkdir(parents=True, exist_ok=True)
    background().save(target / "backgroundImage.jpg", "JPEG", quality=90,
                      progressive=False, optimize=True, subsampling=2)
    icon().save(target / "favicon.ico", "PNG", optimize=True)


if __name__ == "__main__":
    main()
