#!/usr/bin/env python3
"""Draws the program's icon (a handset under a red "no" sign) and writes Ostrel.ico.

Nine images: 48, 32 and 16 pixels, each at 4, 8 and 24 bits per pixel. Standard library
only, and the same bytes on every run:  python3 make_icon.py [output.ico]
"""
import math
import struct
import sys

SIZES = (48, 32, 16)
DEPTHS = (4, 8, 24)
SAMPLES = 4  # per pixel side, for the coverage of each shape

WHITE = (255, 255, 255)
RED = (255, 0, 0)
BLACK = (0, 0, 0)

# The 16 standard colours.
VGA = [(0, 0, 0), (128, 0, 0), (0, 128, 0), (128, 128, 0), (0, 0, 128), (128, 0, 128),
       (0, 128, 128), (192, 192, 192), (128, 128, 128), (255, 0, 0), (0, 255, 0),
       (255, 255, 0), (0, 0, 255), (255, 0, 255), (0, 255, 255), (255, 255, 255)]
# 256 colours: the 16 standard ones, a 6 x 6 x 6 cube, then greys.
CUBE = [(r * 51, g * 51, b * 51) for r in range(6) for g in range(6) for b in range(6)]
PALETTE_256 = VGA + CUBE + [(8 + 10 * i, 8 + 10 * i, 8 + 10 * i) for i in range(24)]


def dist_to_segment(px, py, ax, ay, bx, by):
    dx, dy = bx - ax, by - ay
    t = max(0.0, min(1.0, ((px - ax) * dx + (py - ay) * dy) / (dx * dx + dy * dy)))
    return math.hypot(px - ax - t * dx, py - ay - t * dy)


def colour_at(x, y):
    """The colour at a point of the unit square (y downwards), or None outside the icon."""
    r = math.hypot(x - 0.5, y - 0.5)
    if r > 0.5:
        return None
    # The "no" sign: a ring and a slash from upper left to lower right.
    if r > 0.37 or dist_to_segment(x, y, 0.24, 0.24, 0.76, 0.76) < 0.065:
        return RED
    # The handset: a thick quarter arc with an ear piece and a mouth piece at its ends.
    cx, cy, radius = 0.74, 0.74, 0.40
    a = math.atan2(y - cy, x - cx)
    if -math.pi <= a <= -math.pi / 2 and abs(math.hypot(x - cx, y - cy) - radius) < 0.08:
        return BLACK
    for ex, ey in ((cx - radius, cy - 0.04), (cx - 0.04, cy - radius)):
        if math.hypot(x - ex, y - ey) < 0.12:
            return BLACK
    return WHITE


def render(size):
    """Per pixel: the averaged colour and the covered fraction, rows from the top."""
    pixels = []
    for row in range(size):
        line = []
        for col in range(size):
            total, acc = 0, [0, 0, 0]
            for sy in range(SAMPLES):
                for sx in range(SAMPLES):
                    c = colour_at((col + (sx + 0.5) / SAMPLES) / size,
                                  (row + (sy + 0.5) / SAMPLES) / size)
                    if c is not None:
                        total += 1
                        acc = [acc[i] + c[i] for i in range(3)]
            n = SAMPLES * SAMPLES
            colour = tuple(round(v / total) for v in acc) if total else BLACK
            line.append((colour, total / n))
        pixels.append(line)
    return pixels


def nearest(palette, c):
    return min(range(len(palette)),
               key=lambda i: sum((palette[i][k] - c[k]) ** 2 for k in range(3)))


def pad4(b):
    return b + b"\0" * (-len(b) % 4)


def image(size, depth):
    """One icon image: header, palette, colour rows and mask rows, bottom row first."""
    pixels = render(size)
    palette = {4: VGA, 8: PALETTE_256}.get(depth, [])
    colour_rows, mask_rows = [], []
    for line in reversed(pixels):
        mask_bits = [1 if cover < 0.5 else 0 for _, cover in line]
        if depth == 24:
            row = b"".join(bytes((0, 0, 0)) if m else bytes((c[2], c[1], c[0]))
                           for (c, _), m in zip(line, mask_bits))
        else:
            idx = [0 if m else nearest(palette, c) for (c, _), m in zip(line, mask_bits)]
            if depth == 8:
                row = bytes(idx)
            else:
                row = bytes((idx[i] << 4) | idx[i + 1] for i in range(0, size, 2))
        colour_rows.append(pad4(row))
        mask = bytes(sum(bit << (7 - j) for j, bit in enumerate(mask_bits[i:i + 8]))
                     for i in range(0, size, 8))
        mask_rows.append(pad4(mask))
    bits = b"".join(colour_rows) + b"".join(mask_rows)
    header = struct.pack("<IiiHHIIiiII", 40, size, size * 2, 1, depth, 0, len(bits), 0, 0, 0, 0)
    colours = b"".join(bytes((c[2], c[1], c[0], 0)) for c in palette)
    return header + colours + bits


def main():
    out = sys.argv[1] if len(sys.argv) > 1 else "Ostrel.ico"
    images = [(size, depth, image(size, depth)) for size in SIZES for depth in DEPTHS]
    data = struct.pack("<HHH", 0, 1, len(images))
    offset = len(data) + 16 * len(images)
    for size, depth, body in images:
        colour_count = 16 if depth == 4 else 0
        data += struct.pack("<BBBBHHII", size, size, colour_count, 0, 1, depth, len(body), offset)
        offset += len(body)
    data += b"".join(body for _, _, body in images)
    with open(out, "wb") as f:
        f.write(data)


if __name__ == "__main__":
    main()
