#!/usr/bin/env python3
"""Draws the skin's images, those of the message boxes (buttons, icons, the
close button, the window shadow) and those of the main window
(main_window_art.py), and writes them under OUTDIR, each at 1x and as an
"@2x" sibling for high-DPI screens.
usage: make_skin_images.py OUTDIR"""
import math
import os
import sys

import main_window_art
from skin_canvas import Canvas, capsule, circle, gradient, rounded_rect

YELLOW = ((255, 214, 72), (250, 196, 34))        # top and bottom of the primary button
YELLOW_HOT = ((255, 224, 110), (255, 207, 64))
YELLOW_PUSHED = ((236, 180, 24), (226, 168, 16))
LIGHT = ((244, 245, 247), (228, 230, 235))       # the secondary button
LIGHT_HOT = ((255, 255, 255), (240, 241, 244))
LIGHT_PUSHED = ((214, 217, 223), (206, 209, 215))
LIGHT_EDGE = (196, 200, 208)
BLUE = ((84, 140, 255), (58, 118, 246))
BLUE_HOT = ((110, 160, 255), (80, 138, 250))
BLUE_PUSHED = ((46, 100, 222), (40, 92, 210))
GREY = ((120, 124, 132), (110, 114, 122))
INK = (30, 32, 38)


def button_strip(cell_w, cell_h, looks, s, radius=6, edge=None, pad=0.0):
    """Cells side by side, one per look (a top and bottom colour), as rounded rects."""
    canvas = Canvas(cell_w * len(looks) * s, cell_h * s)
    for i, (top, bottom) in enumerate(looks):
        x0, x1 = (i * cell_w + pad) * s, ((i + 1) * cell_w - pad) * s
        y0, y1 = pad * s, (cell_h - pad) * s
        if edge:
            canvas.paint(rounded_rect(x0, y0, x1, y1, radius * s), edge, (x0, y0, x1, y1))
            inset = 1.0 * s
            canvas.paint(rounded_rect(x0 + inset, y0 + inset, x1 - inset, y1 - inset, radius * s - inset),
                         gradient(top, bottom, y0, y1), (x0, y0, x1, y1))
        else:
            canvas.paint(rounded_rect(x0, y0, x1, y1, radius * s), gradient(top, bottom, y0, y1),
                         (x0, y0, x1, y1))
    return canvas


def close_button(s):
    canvas = Canvas(28 * 3 * s, 28 * s)
    looks = [(None, (150, 156, 166)), ((255, 255, 255, 0.10), (255, 255, 255)),
             ((255, 255, 255, 0.05), (208, 211, 217))]
    for i, (back, ink) in enumerate(looks):
        ox = i * 28 * s
        if back:
            canvas.paint(circle(ox + 14 * s, 14 * s, 13 * s), back[:3], alpha=back[3],
                         box=(ox, 0, ox + 28 * s, 28 * s))
        w = 0.8 * s
        canvas.paint(capsule(ox + 9.5 * s, 9.5 * s, ox + 18.5 * s, 18.5 * s, w), ink, (ox, 0, ox + 28 * s, 28 * s))
        canvas.paint(capsule(ox + 18.5 * s, 9.5 * s, ox + 9.5 * s, 18.5 * s, w), ink, (ox, 0, ox + 28 * s, 28 * s))
    return canvas


def notice_icon(s):
    canvas = Canvas(48 * s, 48 * s)
    canvas.paint(circle(24 * s, 24 * s, 21 * s), gradient(YELLOW_HOT[0], YELLOW[1], 3 * s, 45 * s))
    canvas.paint(capsule(24 * s, 13.5 * s, 24 * s, 27 * s, 2.4 * s), INK)
    canvas.paint(circle(24 * s, 34 * s, 2.7 * s), INK)
    return canvas


def ok_icon(s):
    canvas = Canvas(48 * s, 48 * s)
    canvas.paint(circle(24 * s, 24 * s, 21 * s), gradient((88, 214, 141), (46, 184, 110), 3 * s, 45 * s))
    canvas.paint(capsule(14.5 * s, 24.5 * s, 21 * s, 31 * s, 2.3 * s), (255, 255, 255))
    canvas.paint(capsule(21 * s, 31 * s, 33.5 * s, 17.5 * s, 2.3 * s), (255, 255, 255))
    return canvas


def shadow(s):
    """A soft shadow around a rounded rectangle inset 18 px, a little lower
    than the window; drawn as a nine-grid with corners of 24."""
    size = 50 * s
    canvas = Canvas(size, size)
    shape = rounded_rect(18 * s, 20 * s, size - 18 * s, size - 16 * s, 8 * s)
    for y in range(size):
        for x in range(size):
            d = shape(x + 0.5, y + 0.5) / s
            if d <= 0:
                a = 0.42
            else:
                a = 0.42 * math.exp(-(d / 7.5) ** 2)
            if a > 0.002:
                canvas.pixels[y * size + x] = [0.0, 0.0, 0.0, a]
    return canvas


IMAGES = {
    "common/btn_bg_default.png": lambda s: button_strip(20, 28, (YELLOW, YELLOW_HOT, YELLOW_PUSHED), s),
    "common/btn_bg.png": lambda s: button_strip(20, 28, (LIGHT, LIGHT_HOT, LIGHT_PUSHED), s, edge=LIGHT_EDGE),
    "button_box_hot.png": lambda s: button_strip(100, 32, (YELLOW, YELLOW_HOT, YELLOW_PUSHED), s, pad=1),
    "button_box_cancel.png": lambda s: button_strip(100, 32, (LIGHT, LIGHT_HOT, LIGHT_PUSHED), s,
                                                    edge=LIGHT_EDGE, pad=1),
    "remote/btn_32.png": lambda s: button_strip(16, 32, (GREY, BLUE, BLUE_HOT, BLUE_PUSHED), s),
    "remote/btn_cancel.png": lambda s: button_strip(20, 28, (LIGHT, LIGHT_HOT, LIGHT_PUSHED), s, edge=LIGHT_EDGE),
    "common/btn_close.png": close_button,
    "common/msg_noice48.png": notice_icon,
    "common/msg_ok48.png": ok_icon,
    "common/shadow.png": shadow,
}


def main(out_dir):
    for name, draw in {**IMAGES, **main_window_art.IMAGES}.items():
        for scale, suffix in ((1, ""), (2, "@2x")):
            stem, ext = os.path.splitext(name)
            path = os.path.join(out_dir, stem + suffix + ext)
            os.makedirs(os.path.dirname(path), exist_ok=True)
            image = draw(scale)
            data = image if isinstance(image, bytes) else image.png()
            with open(path + ".tmp", "wb") as f:
                f.write(data)
            os.replace(path + ".tmp", path)


if __name__ == "__main__":
    main(sys.argv[1])
