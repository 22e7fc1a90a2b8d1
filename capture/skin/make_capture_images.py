#!/usr/bin/env python3
"""Draws the capture toolbar's own images (PNG) into the folder given as the only argument, with
the shared skin drawing code (common/skin/make_images.py): no third-party artwork.

sizes.png     24 x 24 stroke-size dots (small, medium, large); row 0 grey, row 1 accent.
complete.png  24 x 24 white check for the accent "complete" button.
swatchsel.png 18 x 18 ring that marks the chosen colour swatch on any colour.
"""
import os
import sys

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), '..', '..', 'common', 'skin'))
import make_images as mi  # noqa: E402


def sizes(folder):
    c = mi.Canvas(72, 48)
    for i, radius in enumerate((2.0, 3.5, 5.5)):
        for row, rgb in enumerate((mi.GREY, mi.ACCENT)):
            c.shape(24 * i, 24 * row, 24, 24, mi.circle(12, 12, radius), rgb)
    c.png(os.path.join(folder, 'sizes.png'))


def complete(folder):
    c = mi.Canvas(24, 24)
    c.shape(0, 0, 24, 24, mi.ICONS['complete'], mi.WHITE)
    c.png(os.path.join(folder, 'complete.png'))


def swatch_selected(folder):
    c = mi.Canvas(18, 18)
    c.shape(0, 0, 18, 18, mi.outline(mi.box(0, 0, 18, 18, 4), 2), mi.ACCENT)
    c.shape(0, 0, 18, 18, mi.outline(mi.box(2, 2, 16, 16, 2.5), 1.2), mi.WHITE)
    c.png(os.path.join(folder, 'swatchsel.png'))


def main():
    folder = sys.argv[1]
    os.makedirs(folder, exist_ok=True)
    sizes(folder)
    complete(folder)
    swatch_selected(folder)


if __name__ == '__main__':
    main()
