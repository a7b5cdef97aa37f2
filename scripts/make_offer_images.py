#!/usr/bin/env python3
"""Draws the offer host's three bitmaps, run-length encoded, at their fixed sizes:
offer_background.bmp (656 x 428, the host's background), offer_button.bmp
(100 x 32, the face of Accept and Reject, which show its top-left 96 x 30) and
offer_close.bmp (12 x 12, the close glyph at the host's top right).
usage: make_offer_images.py OUTDIR"""
import math
import os
import sys

from skin_canvas import Canvas, capsule, gradient, ring, rounded_rect

PAGE_TOP = (31, 35, 44)      # the main window's background, top and bottom
PAGE_BOTTOM = (17, 19, 25)
HEIGHT = 428
EDGE = (58, 64, 76)
ACCENT = (255, 214, 72)
FACE = ((255, 255, 255), (226, 229, 235))
MUTED = (150, 156, 166)


def page(y):
    """The background's colour at height y, as the main window's."""
    t = y / HEIGHT
    return tuple(PAGE_TOP[i] + (PAGE_BOTTOM[i] - PAGE_TOP[i]) * t for i in range(3))


def background():
    """The page's gradient, a frame around the offer's container (85, 80 to
    571, 324) and a short accent under the title."""
    canvas = Canvas(656, HEIGHT)
    canvas.fill(lambda x, y: page(y) + (1.0,))
    canvas.paint(ring(rounded_rect(80.5, 75.5, 575.5, 328.5, 6), 1.0), EDGE)
    canvas.paint(capsule(86, 70, 118, 70, 1.0), ACCENT)
    return canvas


def button():
    """A light rounded face over the page's colour behind the buttons."""
    canvas = Canvas(100, 32)
    canvas.fill(lambda x, y: page(338 + y) + (1.0,))
    canvas.paint(rounded_rect(0, 0, 96, 30, 5), gradient(FACE[0], FACE[1], 0, 30))
    return canvas


def close_glyph():
    """A thin cross over the page's colour at the top right."""
    canvas = Canvas(12, 12)
    canvas.fill(lambda x, y: page(14 + y) + (1.0,))
    for a, b in (((2, 2), (10, 10)), ((10, 2), (2, 10))):
        canvas.paint(capsule(*a, *b, 0.75), MUTED)
    return canvas


IMAGES = {"offer_background.bmp": background, "offer_button.bmp": button, "offer_close.bmp": close_glyph}


def main(out):
    os.makedirs(out, exist_ok=True)
    for name, draw in IMAGES.items():
        with open(os.path.join(out, name), "wb") as f:
            f.write(draw().bmp())
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1]))
