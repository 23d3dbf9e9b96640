#!/usr/bin/env python3
"""Draws the program's icon: a silver optical disc with a green arrow
pointing down onto it, in the 16 colours of the standard Windows palette, at
32 x 32 and 16 x 16 pixels, and writes both images into one .ico file.

The drawing is pure arithmetic over pixel centres, so the output is the same
on every run and every machine:

    python3 make_icon.py ktxupgrade.ico
    python3 make_icon.py --check ktxupgrade.ico   (exit 1 if the file differs)
"""

import math
import struct
import sys

# The standard 16-colour palette, as (red, green, blue).
PALETTE = [
    (0x00, 0x00, 0x00), (0x80, 0x00, 0x00), (0x00, 0x80, 0x00), (0x80, 0x80, 0x00),
    (0x00, 0x00, 0x80), (0x80, 0x00, 0x80), (0x00, 0x80, 0x80), (0xC0, 0xC0, 0xC0),
    (0x80, 0x80, 0x80), (0xFF, 0x00, 0x00), (0x00, 0xFF, 0x00), (0xFF, 0xFF, 0x00),
    (0x00, 0x00, 0xFF), (0xFF, 0x00, 0xFF), (0x00, 0xFF, 0xFF), (0xFF, 0xFF, 0xFF),
]
BLACK, GREEN, SILVER, GRAY, LIME, AQUA, WHITE = 0, 2, 7, 8, 10, 14, 15
TRANSPARENT = None

# Shapes per image size, in pixels: the disc's centre and radii, and the
# arrow (shaft half-width, shaft top, head top, head half-width, tip).
LAYOUTS = {
    32: dict(cx=14.0, cy=16.0, outer=13.6, hub=5.6, hole=2.6,
             ax=24.0, shaft=2.6, top=7.0, head=19.0, halfhead=7.2, tip=31.0),
    16: dict(cx=7.0, cy=8.0, outer=6.9, hub=2.9, hole=1.2,
             ax=12.0, shaft=1.6, top=2.0, head=9.0, halfhead=4.1, tip=16.0),
}

def in_arrow(x, y, a):
    """True when the point lies in the arrow: a shaft, then a head narrowing to the tip."""
    if a['top'] <= y < a['head']:
        return abs(x - a['ax']) <= a['shaft']
    if a['head'] <= y <= a['tip']:
        half = a['halfhead'] * (a['tip'] - y) / (a['tip'] - a['head'])
        return abs(x - a['ax']) <= half
    return False


def disc_colour(x, y, a):
    """Colour of a point of the disc, or None when the point is off the disc."""
    dx, dy = x - a['cx'], y - a['cy']
    r = math.hypot(dx, dy)
    if r > a['outer'] or r < a['hole']:
        return None
    if r < a['hub']:
        return WHITE if r < a['hub'] - 1.0 else SILVER
    # The recorded surface: silver, with a white reflection in two opposite
    # wedges (upper left and lower right), edged in aqua on one side.
    angle = math.degrees(math.atan2(-dy, dx)) % 180.0  # folded: opposite wedges look alike
    if 122.0 <= angle < 152.0:
        return WHITE
    if 110.0 <= angle < 122.0:
        return AQUA
    return SILVER


def draw(size):
    """The image as rows of palette indices (TRANSPARENT where the background shows)."""
    a = LAYOUTS[size]
    centres = [[(x + 0.5, y + 0.5) for x in range(size)] for y in range(size)]
    arrow = [[in_arrow(px, py, a) for (px, py) in row] for row in centres]
    disc = [[disc_colour(px, py, a) for (px, py) in row] for row in centres]

    def inside(grid, x, y):
        return 0 <= x < size and 0 <= y < size and bool(grid[y][x])

    image = [[TRANSPARENT] * size for _ in range(size)]
    for y in range(size):
        for x in range(size):
            if disc[y][x] is not None:
                image[y][x] = disc[y][x]
                # Outline: the rim and the edge of the centre hole.
                edge = any(disc[ny][nx] is None if 0 <= nx < size and 0 <= ny < size else True
                           for nx, ny in ((x - 1, y), (x + 1, y), (x, y - 1), (x, y + 1)))
                if edge:
                    image[y][x] = GRAY
    # The arrow over the disc: black outline, bright green face, darker
    # green on its right-hand side for depth.
    for y in range(size):
        for x in range(size):
            if arrow[y][x]:
                edge = not all(inside(arrow, nx, ny)
                               for nx, ny in ((x - 1, y), (x + 1, y), (x, y - 1), (x, y + 1)))
                if edge:
                    image[y][x] = BLACK
                elif x + 0.5 > a['ax'] + (0.5 if size >= 32 else 0.0):
                    image[y][x] = GREEN
                else:
                    image[y][x] = LIME
    return image


def ico_image(image):
    """One icon image: BITMAPINFOHEADER, palette, 4-bit colour rows, 1-bit mask rows."""
    size = len(image)
    colour_stride = ((size * 4 + 31) // 32) * 4
    mask_stride = ((size + 31) // 32) * 4
    colour = bytearray()
    mask = bytearray()
    for row in reversed(image):  # bottom-up
        line = bytearray(colour_stride)
        bits = bytearray(mask_stride)
        for x, index in enumerate(row):
            value = 0 if index is TRANSPARENT else index
            line[x // 2] |= value << (4 if x % 2 == 0 else 0)
            if index is TRANSPARENT:
                bits[x // 8] |= 0x80 >> (x % 8)
        colour += line
        mask += bits
    header = struct.pack('<IiiHHIIiiII', 40, size, size * 2, 1, 4, 0, len(colour) + len(mask), 0, 0, 0, 0)
    palette = b''.join(struct.pack('<BBBB', b, g, r, 0) for (r, g, b) in PALETTE)
    return header + palette + bytes(colour) + bytes(mask)


def ico_file(images):
    directory = struct.pack('<HHH', 0, 1, len(images))
    offset = 6 + 16 * len(images)
    entries = b''
    data = b''
    for image in images:
        blob = ico_image(image)
        size = len(image)
        entries += struct.pack('<BBBBHHII', size, size, 16, 0, 1, 4, len(blob), offset + len(data))
        data += blob
    return directory + entries + data


def main():
    args = sys.argv[1:]
    icon = ico_file([draw(32), draw(16)])
    if len(args) == 2 and args[0] == '--check':
        with open(args[1], 'rb') as existing:
            if existing.read() != icon:
                sys.stderr.write('%s is not what make_icon.py draws; run make_icon.py %s\n' % (args[1], args[1]))
                return 1
        return 0
    if len(args) != 1 or args[0].startswith('-'):
        sys.stderr.write('usage: make_icon.py OUTPUT.ico | make_icon.py --check ICON.ico\n')
        return 2
    with open(args[0], 'wb') as out:
        out.write(icon)
    return 0


if __name__ == '__main__':
    sys.exit(main())
