#!/usr/bin/env python3
"""Draws the nine cursor pictures into cursors/ as 24-bit .bmp files.

Every cursor is an arrow whose tip is the top-left pixel, the cursor's hot
spot. Wherever a picture has RGB(200, 150, 200) the cursor is transparent.
Run it again after changing a picture; the .bmp files are committed.
"""
import os
import struct

TRANSPARENT = (200, 150, 200)
BLACK = (0, 0, 0)
WHITE = (255, 255, 255)

# The arrow's outline in units of the picture's height, tip first.
ARROW = [(0.0, 0.0), (0.0, 0.86), (0.22, 0.67), (0.38, 0.99), (0.53, 0.92),
         (0.37, 0.61), (0.64, 0.61)]


def inside(px, py, polygon):
    hit = False
    j = len(polygon) - 1
    for i in range(len(polygon)):
        xi, yi = polygon[i]
        xj, yj = polygon[j]
        if (yi > py) != (yj > py) and px < (xj - xi) * (py - yi) / (yj - yi) + xi:
            hit = not hit
        j = i
    return hit


def draw(width, height, fill, outline):
    scale = height - 1
    polygon = [(x * scale, y * scale) for x, y in ARROW]
    solid = [[inside(x + 0.5, y + 0.5, polygon) or (x == 0 and y == 0)
              for x in range(width)] for y in range(height)]
    pixels = []
    for y in range(height):
        row = []
        for x in range(width):
            if not solid[y][x]:
                row.append(TRANSPARENT)
                continue
            edge = x == 0 or y == 0 or any(
                not (0 <= x + dx < width and 0 <= y + dy < height and solid[y + dy][x + dx])
                for dx, dy in ((1, 0), (-1, 0), (0, 1), (0, -1)))
            row.append(outline if edge else fill)
        pixels.append(row)
    return pixels


def write_bmp(path, pixels):
    height = len(pixels)
    width = len(pixels[0])
    stride = (width * 3 + 3) & ~3
    data = bytearray()
    for row in reversed(pixels):  # bottom-up
        line = bytearray()
        for r, g, b in row:
            line += bytes((b, g, r))
        line += bytes(stride - len(line))
        data += line
    header = struct.pack('<2sIHHI', b'BM', 54 + len(data), 0, 0, 54)
    info = struct.pack('<IiiHHIIiiII', 40, width, height, 1, 24, 0, len(data), 3780, 3780, 0, 0)
    with open(path, 'wb') as f:
        f.write(header + info + data)


def main():
    here = os.path.join(os.path.dirname(os.path.abspath(__file__)), 'cursors')
    os.makedirs(here, exist_ok=True)
    for size in (16, 24, 32, 48):
        write_bmp(os.path.join(here, 'cursor_black-%d.bmp' % size), draw(size, size, BLACK, WHITE))
        write_bmp(os.path.join(here, 'cursor_white-%d.bmp' % size), draw(size, size, WHITE, BLACK))
    write_bmp(os.path.join(here, 'win_style-small.bmp'), draw(12, 19, WHITE, BLACK))


if __name__ == '__main__':
    main()
