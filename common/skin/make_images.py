#!/usr/bin/env python3
"""Draws the shared skin images (PNG) into the folder given as the only argument.

Shapes are described by signed distance functions, so every edge is anti-aliased without
any imaging library: coverage = clamp(0.5 - distance, 0, 1).
"""
import math
import os
import struct
import sys
import zlib

ACCENT = (0x1E, 0x88, 0xE5)
GREY = (0x5F, 0x6B, 0x7A)
LIGHT = (0xB8, 0xC2, 0xCE)
WHITE = (0xFF, 0xFF, 0xFF)
BORDER = (0xC9, 0xD3, 0xDD)

# The option bar's 16 colours, in colour-index order.
SWATCHES = [0x000000, 0x808080, 0x800000, 0xF7883A, 0x308430, 0x385AD3, 0x800080, 0x009999,
            0xFFFFFF, 0xC0C0C0, 0xFB3838, 0xFFFF00, 0x99CC00, 0x3894E4, 0xF31BF3, 0x16DCDC]


class Canvas:
    def __init__(self, width, height):
        self.w, self.h = width, height
        self.px = [[(0, 0, 0, 0)] * width for _ in range(height)]

    def blend(self, x, y, rgb, alpha):
        if alpha <= 0 or not (0 <= x < self.w and 0 <= y < self.h):
            return
        r0, g0, b0, a0 = self.px[y][x]
        a0 /= 255.0
        a = alpha + a0 * (1 - alpha)
        if a <= 0:
            return
        mix = [(c * alpha + c0 * a0 * (1 - alpha)) / a for c, c0 in zip(rgb, (r0, g0, b0))]
        self.px[y][x] = (round(mix[0]), round(mix[1]), round(mix[2]), round(a * 255))

    def shape(self, ox, oy, w, h, sdf, rgb, opacity=1.0):
        """Paints sdf (a function of the pixel centre relative to ox, oy) over a w x h cell."""
        for y in range(h):
            for x in range(w):
                d = sdf(x + 0.5, y + 0.5)
                cover = min(1.0, max(0.0, 0.5 - d))
                self.blend(ox + x, oy + y, rgb, cover * opacity)

    def png(self, path):
        raw = b''.join(b'\0' + b''.join(struct.pack('BBBB', *p) for p in row) for row in self.px)

        def chunk(kind, data):
            body = kind + data
            return struct.pack('>I', len(data)) + body + struct.pack('>I', zlib.crc32(body) & 0xFFFFFFFF)

        with open(path, 'wb') as f:
            f.write(b'\x89PNG\r\n\x1a\n')
            f.write(chunk(b'IHDR', struct.pack('>IIBBBBB', self.w, self.h, 8, 6, 0, 0, 0)))
            f.write(chunk(b'IDAT', zlib.compress(raw, 9)))
            f.write(chunk(b'IEND', b''))


# Distance functions (negative inside).
def segment(ax, ay, bx, by, width):
    def f(x, y):
        px, py, dx, dy = x - ax, y - ay, bx - ax, by - ay
        t = max(0.0, min(1.0, (px * dx + py * dy) / (dx * dx + dy * dy)))
        return math.hypot(px - dx * t, py - dy * t) - width / 2
    return f


def circle(cx, cy, r):
    return lambda x, y: math.hypot(x - cx, y - cy) - r


def ring(cx, cy, r, width):
    return lambda x, y: abs(math.hypot(x - cx, y - cy) - r) - width / 2


def ellipse_ring(cx, cy, rx, ry, width):
    def f(x, y):
        k = math.hypot((x - cx) / rx, (y - cy) / ry)
        return abs(k - 1) * min(rx, ry) - width / 2
    return f


def box(x0, y0, x1, y1, radius=0.0):
    cx, cy, hx, hy = (x0 + x1) / 2, (y0 + y1) / 2, (x1 - x0) / 2 - radius, (y1 - y0) / 2 - radius

    def f(x, y):
        qx, qy = abs(x - cx) - hx, abs(y - cy) - hy
        return math.hypot(max(qx, 0), max(qy, 0)) + min(max(qx, qy), 0) - radius
    return f


def outline(sdf, width):
    return lambda x, y: abs(sdf(x, y) + width / 2) - width / 2


def union(*fs):
    return lambda x, y: min(f(x, y) for f in fs)


def arc(cx, cy, r, width, start, end):
    """Ring part from angle start to end (degrees, y down, clockwise)."""
    def f(x, y):
        a = math.degrees(math.atan2(y - cy, x - cx)) % 360
        inside = (start <= a <= end) if start <= end else (a >= start or a <= end)
        if inside:
            return abs(math.hypot(x - cx, y - cy) - r) - width / 2
        ends = [(cx + r * math.cos(math.radians(t)), cy + r * math.sin(math.radians(t)))
                for t in (start, end)]
        return min(math.hypot(x - ex, y - ey) for ex, ey in ends) - width / 2
    return f


# The toolbar glyphs, 24 x 24, in toolbar order.
S = 1.8
ICONS = {
    'rectangle': outline(box(5, 6, 19, 18, 1.5), S),
    'ellipse': ellipse_ring(12, 12, 7.5, 6, S),
    'arrow': union(segment(6, 18, 18, 6, S), segment(18, 6, 11.5, 6.5, S), segment(18, 6, 17.5, 12.5, S)),
    'brush': union(segment(8, 16, 17.5, 6.5, 3.2), circle(6.5, 17.5, 2.2)),
    'mosaic': union(*[box(5 + 5 * i, 5 + 5 * j, 9 + 5 * i, 9 + 5 * j, 0.6)
                      for i in range(3) for j in range(3) if (i + j) % 2 == 0]),
    'text': union(segment(6.5, 6.5, 17.5, 6.5, 2.2), segment(12, 6.5, 12, 18.5, 2.2)),
    'undo': union(arc(12.5, 13, 6, S, 200, 90), segment(6.8, 10.5, 5.6, 15, S), segment(6.8, 10.5, 11, 11.8, S)),
    'save': union(outline(box(5, 5, 19, 19, 1.5), S), box(8.5, 5, 15.5, 10), outline(box(8, 13, 16, 19), S)),
    'exit': union(segment(7, 7, 17, 17, 2), segment(17, 7, 7, 17, 2)),
    'complete': union(segment(5.5, 12.5, 10, 17, 2.2), segment(10, 17, 18.5, 7, 2.2)),
}


def tools(folder):
    """tools.png: one 24 x 24 glyph per tool; row 0 grey (normal), row 1 accent (hot/selected),
    row 2 light (disabled)."""
    c = Canvas(24 * len(ICONS), 72)
    for i, sdf in enumerate(ICONS.values()):
        for row, rgb in enumerate((GREY, ACCENT, LIGHT)):
            c.shape(24 * i, 24 * row, 24, 24, sdf, rgb)
    c.png(os.path.join(folder, 'tools.png'))


def colorlarge(folder):
    """colorlarge.png: 28 x 28 swatches in colour-index order."""
    c = Canvas(28 * len(SWATCHES), 28)
    for i, rgb in enumerate(SWATCHES):
        col = ((rgb >> 16) & 0xFF, (rgb >> 8) & 0xFF, rgb & 0xFF)
        c.shape(28 * i, 0, 28, 28, box(1, 1, 27, 27, 4), col)
        c.shape(28 * i, 0, 28, 28, outline(box(1, 1, 27, 27, 4), 1), BORDER)
    c.png(os.path.join(folder, 'colorlarge.png'))


def check(folder):
    """check.png and radio.png: 18 x 18 cells: off, off hot, on, disabled."""
    for name, shape, mark in (
            ('check', box(2, 2, 16, 16, 3), union(segment(5.5, 9.5, 8, 12, 1.8), segment(8, 12, 12.8, 6.5, 1.8))),
            ('radio', circle(9, 9, 7), circle(9, 9, 3.2))):
        c = Canvas(72, 18)
        c.shape(0, 0, 18, 18, shape, WHITE)
        c.shape(0, 0, 18, 18, outline(shape, 1.2), BORDER)
        c.shape(18, 0, 18, 18, shape, WHITE)
        c.shape(18, 0, 18, 18, outline(shape, 1.2), ACCENT)
        c.shape(36, 0, 18, 18, shape, ACCENT)
        c.shape(36, 0, 18, 18, mark, WHITE)
        c.shape(54, 0, 18, 18, shape, (0xF0, 0xF2, 0xF5))
        c.shape(54, 0, 18, 18, outline(shape, 1.2), (0xDD, 0xE2, 0xE8))
        c.png(os.path.join(folder, name + '.png'))


def sysbtn(folder):
    """sysbtn.png: 12 x 12 window glyphs: close grey, close white, minimize grey, minimize white."""
    c = Canvas(48, 12)
    close = union(segment(2, 2, 10, 10, 1.4), segment(10, 2, 2, 10, 1.4))
    minimize = segment(1.5, 6.5, 10.5, 6.5, 1.4)
    c.shape(0, 0, 12, 12, close, GREY)
    c.shape(12, 0, 12, 12, close, WHITE)
    c.shape(24, 0, 12, 12, minimize, GREY)
    c.shape(36, 0, 12, 12, minimize, WHITE)
    c.png(os.path.join(folder, 'sysbtn.png'))


def main():
    folder = sys.argv[1]
    os.makedirs(folder, exist_ok=True)
    tools(folder)
    colorlarge(folder)
    check(folder)
    sysbtn(folder)


if __name__ == '__main__':
    main()
