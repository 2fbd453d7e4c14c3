#!/usr/bin/env python3
"""Draws the saver's icon, three glowing comet trails curling on black, and writes it as a
32x32, 16-colour (4 bits per pixel) .ico with the standard Windows palette. Deterministic:
running it again gives the same bytes. Usage: make_icon.py [output.ico]"""
import math
import struct
import sys

SIZE = 32
# The 16 colours every display shows, in the order of the standard VGA palette.
PALETTE = [
    (0, 0, 0), (128, 0, 0), (0, 128, 0), (128, 128, 0),
    (0, 0, 128), (128, 0, 128), (0, 128, 128), (192, 192, 192),
    (128, 128, 128), (255, 0, 0), (0, 255, 0), (255, 255, 0),
    (0, 0, 255), (255, 0, 255), (0, 255, 255), (255, 255, 255),
]
# Like the saver: each point is five discs added with saturation, a halo with the colour's
# channels rotated and smaller cores in the colour itself; later points fade and shrink.
TRAILS = [
    # (centre x, centre y, start angle, turn per point, radius, colour)
    (12.0, 12.0, 0.4, 0.50, 9.0, (255, 120, 20)),
    (21.0, 20.0, 3.4, 0.45, 9.0, (20, 230, 230)),
    (10.0, 24.0, 5.0, 0.55, 6.0, (220, 40, 220)),
]


def add_disc(pixels, cx, cy, radius, colour):
    for y in range(SIZE):
        for x in range(SIZE):
            if (x + 0.5 - cx) ** 2 + (y + 0.5 - cy) ** 2 <= radius * radius:
                r, g, b = pixels[y][x]
                pixels[y][x] = (min(255, r + colour[0]), min(255, g + colour[1]),
                                min(255, b + colour[2]))


def draw():
    pixels = [[(0, 0, 0)] * SIZE for _ in range(SIZE)]
    for cx, cy, angle, turn, radius, (red, green, blue) in TRAILS:
        for k in range(1, 9):
            a = angle - turn * k
            r = radius * (1.0 - 0.06 * k)
            px, py = cx + r * math.cos(a), cy + r * math.sin(a)
            size = 7.0 - 0.6 * k
            fade = 1.0 - 0.11 * k
            rr, gg, bb = int(red * fade), int(green * fade), int(blue * fade)
            add_disc(pixels, px, py, size / 2, (gg // 3, bb // 3, rr // 3))
            for divisor in (3, 4, 5, 6):
                add_disc(pixels, px, py, size / divisor, (rr // 2, gg // 2, bb // 2))
    return pixels


def nearest(colour):
    return min(range(16), key=lambda i: sum((a - b) ** 2 for a, b in zip(colour, PALETTE[i])))


def ico_bytes(pixels):
    indices = [[nearest(pixels[y][x]) for x in range(SIZE)] for y in range(SIZE)]
    header = struct.pack('<IiiHHIIiiII', 40, SIZE, SIZE * 2, 1, 4, 0, 0, 0, 0, 16, 0)
    palette = b''.join(struct.pack('<BBBB', b, g, r, 0) for r, g, b in PALETTE)
    xor_rows = b''
    for y in reversed(range(SIZE)):  # bottom-up
        row = indices[y]
        xor_rows += bytes((row[x] << 4) | row[x + 1] for x in range(0, SIZE, 2))
    and_rows = bytes(4 * SIZE)  # every pixel opaque; 32 bits per row is already 4-byte aligned
    image = header + palette + xor_rows + and_rows
    directory = struct.pack('<HHH', 0, 1, 1)
    entry = struct.pack('<BBBBHHII', SIZE, SIZE, 16, 0, 1, 4, len(image), 6 + 16)
    return directory + entry + image


def main():
    out = sys.argv[1] if len(sys.argv) > 1 else 'tolva.ico'
    with open(out, 'wb') as f:
        f.write(ico_bytes(draw()))


if __name__ == '__main__':
    main()
