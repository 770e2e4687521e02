#!/usr/bin/env python3
"""Draws the settings program's pictures into SettingsGuiApplication/:
PLSettings.ico (the program's icon, 16 and 32 pixels) and About.bmp (the
About dialog's 65 x 66 picture, 24 bits).

Both show the product's arrow cursor over three slider bars on a blue tile.
Run it again after changing a picture; the files are committed.
"""
import os
import struct

from make_cursors import ARROW, inside, write_bmp

WHITE = (255, 255, 255)
BLACK = (0, 0, 0)
TILE = (32, 96, 168)
TILE_EDGE = (20, 60, 112)
BAR = (150, 190, 230)
KNOB = (255, 200, 40)


def draw_tile(width, height, background):
    """The tile with sliders and the arrow, as rows of (r, g, b)."""
    pixels = [[background] * width for _ in range(height)]
    radius = max(2, width // 8)

    def in_tile(x, y):
        cx = min(max(x, radius), width - 1 - radius)
        cy = min(max(y, radius), height - 1 - radius)
        return (x - cx) ** 2 + (y - cy) ** 2 <= radius ** 2

    for y in range(height):
        for x in range(width):
            if not in_tile(x, y):
                continue
            edge = not all(in_tile(x + dx, y + dy) for dx, dy in ((1, 0), (-1, 0), (0, 1), (0, -1)))
            pixels[y][x] = TILE_EDGE if edge else TILE

    # Three slider bars in the lower part, each with its knob further right.
    bar_h = max(1, height // 22)
    left, right = width * 3 // 16, width * 13 // 16
    for i, knob_at in enumerate((0.8, 0.3, 0.6)):
        y0 = height * (9 + 2 * i) // 16
        for y in range(y0, y0 + bar_h):
            for x in range(left, right):
                pixels[y][x] = BAR
        kx = left + int((right - left) * knob_at)
        kr = max(1, width // 20)
        for y in range(y0 - kr, y0 + bar_h + kr):
            for x in range(kx - kr, kx + kr + 1):
                if 0 <= x < width and 0 <= y < height:
                    pixels[y][x] = KNOB

    # The arrow, tip towards the top left, outlined in black.
    size = height * 9 // 16
    ox, oy = width * 3 // 16, height * 2 // 16
    scale = size - 1
    polygon = [(x * scale, y * scale) for x, y in ARROW]
    solid = [[inside(x + 0.5, y + 0.5, polygon) for x in range(size)] for y in range(size)]
    for y in range(size):
        for x in range(size):
            if not solid[y][x]:
                continue
            edge = x == 0 or y == 0 or any(
                not (0 <= x + dx < size and 0 <= y + dy < size and solid[y + dy][x + dx])
                for dx, dy in ((1, 0), (-1, 0), (0, 1), (0, -1)))
            if 0 <= ox + x < width and 0 <= oy + y < height:
                pixels[oy + y][ox + x] = BLACK if edge else WHITE
    return pixels


def icon_image(size):
    """One icon picture: a 24-bit DIB of doubled height with its AND mask."""
    transparent = (255, 0, 255)
    pixels = draw_tile(size, size, transparent)
    info = struct.pack('<IiiHHIIiiII', 40, size, size * 2, 1, 24, 0, 0, 0, 0, 0, 0)
    stride = (size * 3 + 3) & ~3
    colour = bytearray()
    for row in reversed(pixels):
        line = bytearray()
        for r, g, b in row:
            line += bytes((0, 0, 0) if (r, g, b) == transparent else (b, g, r))
        colour += line + bytes(stride - len(line))
    mask_stride = ((size + 31) // 32) * 4
    mask = bytearray()
    for row in reversed(pixels):
        bits = bytearray(mask_stride)
        for x, p in enumerate(row):
            if p == transparent:
                bits[x // 8] |= 0x80 >> (x % 8)
        mask += bits
    return info + colour + mask


def write_ico(path, sizes):
    images = [icon_image(s) for s in sizes]
    out = struct.pack('<HHH', 0, 1, len(images))
    offset = 6 + 16 * len(images)
    for size, image in zip(sizes, images):
        out += struct.pack('<BBBBHHII', size, size, 0, 0, 1, 24, len(image), offset)
        offset += len(image)
    with open(path, 'wb') as f:
        f.write(out + b''.join(images))


def main():
    here = os.path.dirname(os.path.abspath(__file__))
    target = os.path.join(here, '..', 'SettingsGuiApplication')
    write_ico(os.path.join(target, 'PLSettings.ico'), (16, 32))
    write_bmp(os.path.join(target, 'About.bmp'), draw_tile(65, 66, WHITE))


if __name__ == '__main__':
    main()
