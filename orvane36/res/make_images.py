#!/usr/bin/env python3
"""Draws the control's icon (resource 1) and its toolbox bitmap.

The icon is what the control shows at design time and in the About box:
a sheet of paper with a check mark. The toolbox bitmap is the same
picture at the 16 by 15 size a toolbox uses. Both are written beside this
script; run it again after changing the drawing.
"""
import os
import struct

HERE = os.path.dirname(os.path.abspath(__file__))

PAPER = (255, 255, 255)
EDGE = (0, 0, 128)
CHECK = (0, 128, 0)
LINE = (128, 128, 128)


def draw(size):
    """Pixels as rows of (r, g, b) or None (transparent), top row first."""
    px = [[None] * size for _ in range(size)]
    s = size / 32.0
    left, right = round(5 * s), round(26 * s)
    top, bottom = round(2 * s), round(29 * s)
    for y in range(top, bottom + 1):
        for x in range(left, right + 1):
            edge = x in (left, right) or y in (top, bottom)
            px[y][x] = EDGE if edge else PAPER
    # Text lines on the sheet.
    for y in range(round(7 * s), round(16 * s), max(1, round(3 * s))):
        for x in range(left + max(2, round(3 * s)), right - max(1, round(2 * s))):
            px[y][x] = LINE
    # The check mark, two strokes.
    def stroke(x0, y0, x1, y1, width):
        steps = int(max(abs(x1 - x0), abs(y1 - y0)) * 4) + 1
        for i in range(steps + 1):
            t = i / steps
            cx, cy = x0 + (x1 - x0) * t, y0 + (y1 - y0) * t
            for dy in range(width):
                for dx in range(width):
                    x, y = round(cx + dx), round(cy + dy)
                    if 0 <= x < size and 0 <= y < size:
                        px[y][x] = CHECK
    w = max(1, round(3 * s))
    stroke(9 * s, 19 * s, 14 * s, 24 * s, w)
    stroke(14 * s, 24 * s, 27 * s, 11 * s, w)
    return px


def write_icon(path):
    size = 32
    px = draw(size)
    xor = bytearray()
    for row in reversed(px):
        for p in row:
            xor += bytes((p[2], p[1], p[0], 255)) if p else bytes((0, 0, 0, 0))
    mask_row = (size + 31) // 32 * 4
    mask = bytearray()
    for row in reversed(px):
        bits = bytearray(mask_row)
        for x, p in enumerate(row):
            if p is None:
                bits[x // 8] |= 0x80 >> (x % 8)
        mask += bits
    header = struct.pack('<IiiHHIIiiII', 40, size, size * 2, 1, 32, 0, len(xor) + len(mask), 0, 0, 0, 0)
    image = header + xor + mask
    directory = struct.pack('<HHH', 0, 1, 1) + struct.pack('<BBBBHHII', size, size, 0, 0, 1, 32, len(image), 22)
    with open(path, 'wb') as f:
        f.write(directory + image)


def write_bitmap(path):
    width, height = 16, 15
    px = draw(16)[:height]
    stride = (width * 3 + 3) // 4 * 4
    data = bytearray()
    for row in reversed(px):
        line = bytearray()
        for p in row:
            # The toolbox shows the bottom-left pixel's colour as transparent.
            p = p or (192, 192, 192)
            line += bytes((p[2], p[1], p[0]))
        data += line + bytes(stride - len(line))
    info = struct.pack('<IiiHHIIiiII', 40, width, height, 1, 24, 0, len(data), 2835, 2835, 0, 0)
    header = struct.pack('<2sIHHI', b'BM', 14 + len(info) + len(data), 0, 0, 14 + len(info))
    with open(path, 'wb') as f:
        f.write(header + info + data)


if __name__ == '__main__':
    write_icon(os.path.join(HERE, 'orvane36.ico'))
    write_bitmap(os.path.join(HERE, 'toolbox.bmp'))
