#!/usr/bin/env python3
"""Draws the main window's picture buttons and the program icon.

Eight buttons, each in three states (up, pressed, hover), as 24-bit BMP
files pellanor/res/buttons/button<N>_<up|down|hover>.bmp:

  0 Sleep      moon        48x40      4 Quit       red cross   48x40
  1 Options    gear        48x40      5 Previous   left arrow  44x24
  2 Add verses book, plus  48x40      6 Next       right arrow 44x24
  3 Info       "i"         48x40      7 Scheduler  alarm clock 48x40

The top-bar buttons (0 to 4 and 7) fit the 49-pixel bar with a picture over
a short label; Previous and Next fit the 27-pixel second row with an arrow
beside the label. Hover is a lighter, blue-tinted tile; pressed is a darker,
sunken tile with the picture moved one pixel down and right.

Also writes the program icon, an open book at 16x16 and 32x32 (32-bit with
alpha, plus the 1-bit mask older systems use), as pellanor/res/pellanor.ico.

Shapes are drawn with 4x4 supersampling; labels use a small pixel font, so
they stay sharp. Only the standard library is used and the output is the
same on every run.

usage: gen-button-art.py [RES_FOLDER]   (default: pellanor/res of this repo)
"""

import math
import os
import struct
import sys

SS = 4  # samples per pixel side

# ---- Colours --------------------------------------------------------------


def mix(a, b, t):
    return tuple(a[i] + (b[i] - a[i]) * t for i in range(3))


WHITE = (255, 255, 255)
BLACK = (0, 0, 0)
BAR = (240, 240, 240)  # what shows at the tile's rounded corners

# ---- Shapes: predicates over pixel coordinates, with a bounding box -------


class Shape:
    def __init__(self, contains, bbox):
        self.contains = contains
        self.bbox = bbox  # (x0, y0, x1, y1), floats

    def __or__(self, other):
        a, b = self.bbox, other.bbox
        return Shape(lambda x, y: self.contains(x, y) or other.contains(x, y),
                     (min(a[0], b[0]), min(a[1], b[1]), max(a[2], b[2]), max(a[3], b[3])))

    def __sub__(self, other):
        return Shape(lambda x, y: self.contains(x, y) and not other.contains(x, y), self.bbox)

    def __and__(self, other):
        return Shape(lambda x, y: self.contains(x, y) and other.contains(x, y), self.bbox)

    def moved(self, dx, dy):
        x0, y0, x1, y1 = self.bbox
        return Shape(lambda x, y: self.contains(x - dx, y - dy), (x0 + dx, y0 + dy, x1 + dx, y1 + dy))

    def inset(self, d):
        """The shape shrunk by about d pixels (tested at eight points around)."""
        offsets = [(d * math.cos(k * math.pi / 4), d * math.sin(k * math.pi / 4)) for k in range(8)]
        return Shape(lambda x, y: self.contains(x, y) and all(self.contains(x + ox, y + oy)
                                                               for ox, oy in offsets), self.bbox)


def circle(cx, cy, r):
    r2 = r * r
    return Shape(lambda x, y: (x - cx) ** 2 + (y - cy) ** 2 <= r2, (cx - r, cy - r, cx + r, cy + r))


def rect(x0, y0, x1, y1):
    return Shape(lambda x, y: x0 <= x <= x1 and y0 <= y <= y1, (x0, y0, x1, y1))


def rounded_rect(x0, y0, x1, y1, r):
    def inside(x, y):
        if not (x0 <= x <= x1 and y0 <= y <= y1):
            return False
        cx = min(max(x, x0 + r), x1 - r)
        cy = min(max(y, y0 + r), y1 - r)
        return (x - cx) ** 2 + (y - cy) ** 2 <= r * r
    return Shape(inside, (x0, y0, x1, y1))


def polygon(points):
    xs = [p[0] for p in points]
    ys = [p[1] for p in points]
    n = len(points)

    def inside(x, y):
        hit = False
        j = n - 1
        for i in range(n):
            xi, yi = points[i]
            xj, yj = points[j]
            if (yi > y) != (yj > y) and x < (xj - xi) * (y - yi) / (yj - yi) + xi:
                hit = not hit
            j = i
        return hit
    return Shape(inside, (min(xs), min(ys), max(xs), max(ys)))


def segment(ax, ay, bx, by, width):
    """A stroke with round ends."""
    h = width / 2
    dx, dy = bx - ax, by - ay
    length2 = dx * dx + dy * dy

    def inside(x, y):
        t = 0.0 if length2 == 0 else max(0.0, min(1.0, ((x - ax) * dx + (y - ay) * dy) / length2))
        px, py = ax + t * dx, ay + t * dy
        return (x - px) ** 2 + (y - py) ** 2 <= h * h
    return Shape(inside, (min(ax, bx) - h, min(ay, by) - h, max(ax, bx) + h, max(ay, by) + h))


def gear(cx, cy, teeth, r_tip, r_root, r_hole):
    pitch = 2 * math.pi / teeth

    def inside(x, y):
        dx, dy = x - cx, y - cy
        r = math.hypot(dx, dy)
        if r < r_hole or r > r_tip:
            return False
        if r <= r_root:
            return True
        # Teeth narrow towards the tip.
        a = (math.atan2(dy, dx) + pitch / 4) % pitch - pitch / 2
        half = pitch * (0.27 - 0.08 * (r - r_root) / (r_tip - r_root))
        return abs(a) <= half
    return Shape(inside, (cx - r_tip, cy - r_tip, cx + r_tip, cy + r_tip))


# ---- Canvas ---------------------------------------------------------------


class Canvas:
    """RGBA pixels (straight alpha, 0..1) with supersampled shape filling."""

    def __init__(self, w, h, background=None):
        self.w, self.h = w, h
        if background is None:
            self.px = [[(0.0, 0.0, 0.0, 0.0)] * w for _ in range(h)]
        else:
            self.px = [[tuple(background) + (1.0,)] * w for _ in range(h)]

    def blend(self, x, y, colour, alpha):
        if alpha <= 0:
            return
        r, g, b, a = self.px[y][x]
        out_a = alpha + a * (1 - alpha)
        if out_a <= 0:
            return
        k = a * (1 - alpha)
        self.px[y][x] = tuple((colour[i] * alpha + (r, g, b)[i] * k) / out_a for i in range(3)) + (out_a,)

    def fill(self, shape, colour, opacity=1.0):
        """colour: an (r, g, b) or a function of (x, y) giving one."""
        x0, y0, x1, y1 = shape.bbox
        step = 1.0 / SS
        for py in range(max(0, int(math.floor(y0))), min(self.h, int(math.ceil(y1)) + 1)):
            for px in range(max(0, int(math.floor(x0))), min(self.w, int(math.ceil(x1)) + 1)):
                n = 0
                for j in range(SS):
                    sy = py + (j + 0.5) * step
                    for i in range(SS):
                        if shape.contains(px + (i + 0.5) * step, sy):
                            n += 1
                if n:
                    c = colour(px + 0.5, py + 0.5) if callable(colour) else colour
                    self.blend(px, py, c, opacity * n / (SS * SS))

    def outlined(self, shape, fill, edge, width=1.0):
        self.fill(shape, edge)
        self.fill(shape.inset(width), fill)

    def text(self, x, y, label, colour):
        """The pixel font at (x, y) = top left of the capitals."""
        for ch in label:
            rows = FONT[ch]
            for ry, row in enumerate(rows):
                for rx, bit in enumerate(row):
                    if bit == '#' and 0 <= x + rx < self.w and 0 <= y + ry < self.h:
                        self.blend(x + rx, y + ry, colour, 1.0)
            x += len(rows[0]) + 1

    def rgb_rows(self):
        """Opaque 8-bit RGB rows, top first."""
        return [[tuple(int(round(max(0.0, min(255.0, c)))) for c in p[:3]) for p in row] for row in self.px]


def text_width(label):
    return sum(len(FONT[ch][0]) + 1 for ch in label) - 1


# A small proportional font: capitals are 7 rows high, lower case letters 5
# (rows 2-6), descenders reach rows 7-8.
FONT_SOURCE = {
    'A': ".###. #...# #...# ##### #...# #...# #...#",
    'I': "### .#. .#. .#. .#. .#. ###",
    'N': "#...# ##..# ##..# #.#.# #..## #..## #...#",
    'O': ".###. #...# #...# #...# #...# #...# .###.",
    'P': "####. #...# #...# ####. #.... #.... #....",
    'Q': ".###. #...# #...# #...# #.#.# #..#. .##.#",
    'S': ".###. #...# #.... .###. ....# #...# .###.",
    'c': ".... .... .### #... #... #... .###",
    'd': "...# ...# .### #..# #..# #..# .###",
    'e': ".... .... .##. #..# #### #... .###",
    'f': ".## #.. ### #.. #.. #.. #..",
    'h': "#... #... ###. #..# #..# #..# #..#",
    'i': "# . # # # # #",
    'l': "# # # # # # #",
    'n': ".... .... ###. #..# #..# #..# #..#",
    'o': ".... .... .##. #..# #..# #..# .##.",
    'p': ".... .... ###. #..# #..# #..# ###. #... #...",
    'r': "... ... #.# ##. #.. #.. #..",
    's': ".... .... .### #... .##. ...# ###.",
    't': ".#. .#. ### .#. .#. .#. ..#",
    'u': ".... .... #..# #..# #..# #..# .###",
    'v': "..... ..... #...# #...# .#.#. .#.#. ..#..",
    'x': "..... ..... #...# .#.#. ..#.. .#.#. #...#",
}
FONT = {ch: src.split() for ch, src in FONT_SOURCE.items()}

# ---- Button tiles ---------------------------------------------------------

STATES = ("up", "down", "hover")

TILE = {
    # top colour, bottom colour, border, picture tone (mix target, amount), shift
    "up": ((252, 252, 253), (222, 227, 234), (150, 158, 170), (WHITE, 0.0), 0),
    "hover": ((243, 249, 255), (196, 224, 252), (72, 136, 206), (WHITE, 0.18), 0),
    "down": ((186, 194, 204), (214, 219, 226), (104, 112, 124), (BLACK, 0.14), 1),
}
TEXT = (32, 40, 54)


def tile(w, h, state):
    top, bottom, border, _, _ = TILE[state]
    c = Canvas(w, h, BAR)
    frame = rounded_rect(0, 0, w, h, 3.5)
    c.fill(frame, border)
    c.fill(frame.inset(1.0), lambda x, y: mix(top, bottom, y / h))
    if state == "down":
        # A sunken edge: shadow along the top and left inside the border.
        c.fill(rect(1, 1, w - 1, 2) & frame.inset(1.0), (150, 158, 170), 0.8)
        c.fill(rect(1, 1, 2, h - 1) & frame.inset(1.0), (150, 158, 170), 0.6)
    else:
        c.fill(rect(1, 1, w - 1, 2) & frame.inset(1.0), WHITE, 0.9)
    return c


class Painter:
    """Draws a picture in a state: colours toned, everything moved by the
    state's shift."""

    def __init__(self, canvas, state):
        self.c = canvas
        target, amount, self.shift = TILE[state][3][0], TILE[state][3][1], TILE[state][4]
        self.tone = lambda col: mix(col, target, amount)

    def fill(self, shape, colour, opacity=1.0):
        if callable(colour):
            col = lambda x, y: self.tone(colour(x - self.shift, y - self.shift))
        else:
            col = self.tone(colour)
        self.c.fill(shape.moved(self.shift, self.shift), col, opacity)

    def outlined(self, shape, fill, edge, width=1.0):
        self.fill(shape, edge)
        self.fill(shape.inset(width), fill)

    def text(self, x, y, label):
        self.c.text(x + self.shift, y + self.shift, label, TEXT)


def vertical(top, bottom, y0, y1):
    return lambda x, y: mix(top, bottom, max(0.0, min(1.0, (y - y0) / (y1 - y0))))


# Pictures of the top-bar buttons, in a 22x22 box centred at (24, 14).

def draw_moon(p):
    outer = circle(22, 14.5, 9.5) - circle(27, 11, 8.2)
    p.outlined(outer, vertical((255, 226, 96), (236, 170, 20), 5, 24), (150, 104, 10), 1.1)
    # "z z": sleeping.
    for (x, y, s, w) in ((29.0, 4.0, 4.6, 1.3), (34.5, 9.5, 3.4, 1.1)):
        z = segment(x, y, x + s, y, w) | segment(x + s, y, x, y + s, w) | segment(x, y + s, x + s, y + s, w)
        p.fill(z, (52, 96, 170))


def draw_gear(p):
    g = gear(24, 14, 8, 10.6, 8.0, 3.4)
    p.outlined(g, vertical((150, 164, 180), (92, 106, 122), 4, 25), (52, 62, 76), 1.1)
    p.fill(circle(24, 14, 5.6) - circle(24, 14, 4.4), (70, 82, 98), 0.8)


def draw_book(p, cx=24.0, top=5.0, half=11.0, height=14.0, badge=True):
    """An open book; with the green plus of "add"."""
    dip = 2.0
    cover = polygon([(cx - half - 1.5, top + 1.5), (cx, top + dip + 1.5), (cx + half + 1.5, top + 1.5),
                     (cx + half + 1.5, top + height + 2.0), (cx, top + height + dip + 2.5),
                     (cx - half - 1.5, top + height + 2.0)])
    p.fill(cover, (38, 72, 140))
    left = polygon([(cx - half, top), (cx - 0.4, top + dip), (cx - 0.4, top + height + dip),
                    (cx - half, top + height)])
    right = polygon([(cx + 0.4, top + dip), (cx + half, top), (cx + half, top + height),
                     (cx + 0.4, top + height + dip)])
    page = vertical((255, 253, 244), (236, 228, 206), top, top + height)
    p.fill(left, page)
    p.fill(right, page)
    for k in range(4):
        y = top + 3.5 + k * 2.6
        p.fill(segment(cx - half + 2.2, y, cx - 2.2, y + dip * 0.8, 0.8), (150, 150, 160))
        p.fill(segment(cx + 2.2, y + dip * 0.8, cx + half - 2.2, y, 0.8), (150, 150, 160))
    p.fill(segment(cx, top + dip, cx, top + height + dip, 0.9), (170, 160, 140))
    if badge:
        b = circle(32.5, 20.0, 5.6)
        p.fill(b, WHITE)
        p.fill(b.inset(1.0), vertical((92, 196, 92), (34, 138, 52), 15, 25))
        p.fill(rect(29.6, 19.1, 35.4, 20.9), WHITE)
        p.fill(rect(31.6, 17.1, 33.4, 22.9), WHITE)


def draw_info(p):
    disc = circle(24, 14, 10.4)
    p.outlined(disc, vertical((96, 156, 232), (30, 90, 180), 4, 24), (22, 62, 128), 1.1)
    p.fill(circle(24, 8.6, 1.9), WHITE)
    p.fill(rect(22.3, 11.6, 25.7, 19.4) | rect(20.8, 18.4, 27.2, 20.3) | rect(20.8, 11.6, 25.7, 13.0), WHITE)


def draw_quit(p):
    disc = circle(24, 14, 10.4)
    p.outlined(disc, vertical((240, 96, 84), (196, 36, 28), 4, 24), (132, 24, 18), 1.1)
    p.fill(segment(19.8, 9.8, 28.2, 18.2, 2.8) | segment(28.2, 9.8, 19.8, 18.2, 2.8), WHITE)


def draw_clock(p):
    # Bells, then legs, then the face over them.
    for bx in (17.2, 30.8):
        bell = circle(bx, 6.0, 3.6) & rect(bx - 4, 2, bx + 4, 7.6)
        p.outlined(bell, (214, 168, 40), (120, 88, 16), 0.9)
    p.fill(segment(18.5, 21.5, 16.5, 24.0, 1.6) | segment(29.5, 21.5, 31.5, 24.0, 1.6), (60, 66, 76))
    face = circle(24, 14.5, 9.2)
    p.fill(face, (60, 66, 76))
    p.fill(face.inset(1.5), vertical((255, 255, 255), (226, 232, 240), 6, 24))
    for k in range(12):
        a = k * math.pi / 6
        r0 = 5.6 if k % 3 == 0 else 6.4
        p.fill(segment(24 + r0 * math.sin(a), 14.5 - r0 * math.cos(a),
                       24 + 7.0 * math.sin(a), 14.5 - 7.0 * math.cos(a), 0.9 if k % 3 == 0 else 0.6),
               (70, 78, 90))
    # Eight o'clock: the default wake-up time.
    hour = math.radians(240)
    p.fill(segment(24, 14.5, 24 + 4.4 * math.sin(hour), 14.5 - 4.4 * math.cos(hour), 1.8), (30, 36, 46))
    p.fill(segment(24, 14.5, 24, 14.5 - 6.2, 1.2), (30, 36, 46))
    p.fill(circle(24, 14.5, 1.3), (200, 40, 32))


TOP_BUTTONS = {
    0: ("Sleep", draw_moon),
    1: ("Options", draw_gear),
    2: ("Add", draw_book),
    3: ("Info", draw_info),
    4: ("Quit", draw_quit),
    7: ("Schedule", draw_clock),
}
TOP_SIZE = (48, 40)
ROW_SIZE = (44, 24)


def top_button(index, state):
    label, draw = TOP_BUTTONS[index]
    w, h = TOP_SIZE
    c = tile(w, h, state)
    p = Painter(c, state)
    draw(p)
    p.text((w - text_width(label)) // 2, 28, label)
    return c


def arrow(x0, cy, left):
    """A block arrow 12 wide and 12 high, pointing left or right."""
    pts = [(0, 0), (6, -6), (6, -2.4), (12, -2.4), (12, 2.4), (6, 2.4), (6, 6)]
    if not left:
        pts = [(12 - x, y) for x, y in pts]
    return polygon([(x0 + x, cy + y) for x, y in pts])


def row_button(index, state):
    w, h = ROW_SIZE
    c = tile(w, h, state)
    p = Painter(c, state)
    label = "Prev" if index == 5 else "Next"
    tw = text_width(label)
    gap = 3
    x = (w - (12 + gap + tw)) // 2
    cy = h / 2
    blue = vertical((96, 156, 232), (30, 90, 180), cy - 6, cy + 6)
    if index == 5:
        shape, tx = arrow(x, cy, True), x + 12 + gap
    else:
        shape, tx = arrow(x + tw + gap, cy, False), x
    p.outlined(shape, blue, (22, 62, 128), 1.0)
    p.text(tx, 8, label)
    return c


def button(index, state):
    return row_button(index, state) if index in (5, 6) else top_button(index, state)


# ---- The program icon -----------------------------------------------------


def book_icon(size):
    """An open book with a ribbon marker, drawn on the pixel grid of its size
    (the text lines are whole pixels, so they stay sharp)."""
    c = Canvas(size, size)
    if size >= 32:
        cx, top, half, height, dip, rim = 16.0, 5.0, 14.0, 19.0, 3.0, 1.5
        lines = [(9, 12.5), (12, 13.0), (15, 12.0), (18, 13.0), (21, 9.0)]
        line_inset, ribbon = 3.0, (20.0, 22.5, 4.5)
    else:
        cx, top, half, height, dip, rim = 8.0, 2.5, 7.5, 10.0, 1.5, 1.0
        lines = [(5, 4.5), (7, 4.5), (9, 3.5)]
        line_inset, ribbon = 2.0, (10.0, 11.0, 2.5)
    cover = polygon([(cx - half - rim, top + rim), (cx, top + dip + rim), (cx + half + rim, top + rim),
                     (cx + half + rim, top + height + rim * 1.5), (cx, top + height + dip + rim * 2),
                     (cx - half - rim, top + height + rim * 1.5)])
    c.fill(cover, vertical((150, 44, 38), (104, 26, 24), top, top + height))
    left = polygon([(cx - half, top), (cx - 0.5, top + dip), (cx - 0.5, top + height + dip),
                    (cx - half, top + height)])
    right = polygon([(cx + 0.5, top + dip), (cx + half, top), (cx + half, top + height),
                     (cx + 0.5, top + height + dip)])
    page = vertical((255, 253, 242), (234, 222, 194), top, top + height + dip)
    c.fill(left, page)
    c.fill(right, page)
    for y, length in lines:
        x0 = math.floor(cx - half + line_inset)
        c.fill(rect(x0, y, x0 + length, y + 1), (150, 144, 136))
        x1 = math.ceil(cx + half - line_inset)
        if size >= 32 or y != lines[-1][0]:
            c.fill(rect(x1 - length, y, x1, y + 1), (150, 144, 136))
    c.fill(rect(cx - 0.5, top + dip, cx + 0.5, top + height + dip), (176, 156, 124))
    r0, r1, tail = ribbon
    notch = (r0 + r1) / 2
    c.fill(polygon([(r0, top + dip * 0.5), (r1, top + dip * 0.35), (r1, top + height + tail),
                    (notch, top + height + tail - (r1 - r0) / 2), (r0, top + height + tail)]),
           (208, 40, 44))
    return c


# ---- Files ----------------------------------------------------------------


def bmp24(canvas):
    rows = canvas.rgb_rows()
    w, h = canvas.w, canvas.h
    stride = (w * 3 + 3) & ~3
    pixels = bytearray()
    for row in reversed(rows):  # bottom-up
        line = bytearray()
        for r, g, b in row:
            line += bytes((b, g, r))
        line += bytes(stride - len(line))
        pixels += line
    header = struct.pack("<IiiHHIIiiII", 40, w, h, 1, 24, 0, len(pixels), 2835, 2835, 0, 0)
    return struct.pack("<2sIHHI", b"BM", 14 + len(header) + len(pixels), 0, 0, 14 + len(header)) \
        + header + bytes(pixels)


def ico(canvases):
    images = []
    for c in canvases:
        w, h = c.w, c.h
        xor = bytearray()
        mask = bytearray()
        mask_stride = ((w + 31) // 32) * 4
        for row in reversed(c.px):
            for r, g, b, a in row:
                q = lambda v: int(round(max(0.0, min(255.0, v))))
                xor += bytes((q(b), q(g), q(r), q(a * 255)))
            bits = bytearray(mask_stride)
            for x, p in enumerate(row):
                if p[3] < 0.5:  # transparent where the alpha is not understood
                    bits[x // 8] |= 0x80 >> (x % 8)
            mask += bits
        header = struct.pack("<IiiHHIIiiII", 40, w, h * 2, 1, 32, 0, len(xor) + len(mask), 0, 0, 0, 0)
        images.append((w, h, header + bytes(xor) + bytes(mask)))
    out = bytearray(struct.pack("<HHH", 0, 1, len(images)))
    offset = 6 + 16 * len(images)
    for w, h, data in images:
        out += struct.pack("<BBBBHHII", w % 256, h % 256, 0, 0, 1, 32, len(data), offset)
        offset += len(data)
    for _, _, data in images:
        out += data
    return bytes(out)


RC_HEAD = """// buttons.rc
// The pictures of the main window's buttons (up, pressed, hover) and the
// program icon. Generated by scripts/gen-button-art.py; do not edit.

APPICON ICON "pellanor.ico"

"""


def write(path, data):
    with open(path, "wb") as f:
        f.write(data)


def main():
    here = os.path.dirname(os.path.abspath(__file__))
    res = sys.argv[1] if len(sys.argv) > 1 else os.path.join(here, "..", "pellanor", "res")
    folder = os.path.join(res, "buttons")
    os.makedirs(folder, exist_ok=True)
    lines = []
    for index in range(8):
        for state in STATES:
            name = "button%d_%s.bmp" % (index, state)
            write(os.path.join(folder, name), bmp24(button(index, state)))
            lines.append('BUTTON%d_%s BITMAP "buttons/%s"' % (index, state.upper(), name))
        lines.append("")
    write(os.path.join(res, "pellanor.ico"), ico([book_icon(16), book_icon(32)]))
    with open(os.path.join(res, "buttons.rc"), "w", newline="\n") as f:
        f.write(RC_HEAD + "\n".join(lines))


if __name__ == "__main__":
    main()
