"""The main window's images: background, logos, buttons, check box, edit
frames, progress bar, small icons and the loading animation. Each entry of
IMAGES draws one image at scale `s` (1, or 2 for the "@2x" sibling)."""
import math

from skin_canvas import (Canvas, arc, capsule, circle, gif, gradient, ring, rounded_rect, stroke, union)

YELLOW = ((255, 214, 72), (250, 196, 34))
YELLOW_HOT = ((255, 224, 110), (255, 207, 64))
YELLOW_PUSHED = ((236, 180, 24), (226, 168, 16))
YELLOW_DISABLED = ((62, 67, 77), (55, 60, 69))
DARK = ((44, 49, 58), (38, 42, 50))
DARK_HOT = ((56, 62, 72), (48, 53, 62))
DARK_PUSHED = ((33, 37, 44), (30, 33, 40))
DARK_EDGE = (74, 81, 92)
INK = (28, 30, 38)
WHITE = (243, 244, 246)
MUTED = (150, 156, 166)
RED = (229, 72, 77)
PAGE_TOP = (31, 35, 44)      # the background, top and bottom
PAGE_BOTTOM = (17, 19, 25)
GLOW = (255, 196, 64)


def background(s):
    """A dark vertical gradient with a faint warm glow behind the logo and a
    hairline under the title bar."""
    w, h = 656 * s, 428 * s
    canvas = Canvas(w, h)
    cx, cy, reach = 328 * s, 96 * s, 300 * s
    line = 40 * s

    def color(x, y):
        t = y / h
        base = [PAGE_TOP[i] + (PAGE_BOTTOM[i] - PAGE_TOP[i]) * t for i in range(3)]
        d = math.hypot((x - cx) / 1.6, y - cy) / reach
        glow = 0.11 * max(0.0, 1 - d) ** 2
        if line <= y < line + s:
            glow = max(glow, 0.0)
            base = [b + (255 - b) * 0.05 for b in base]
        return tuple(base[i] + (GLOW[i] - base[i]) * glow for i in range(3)) + (1.0,)
    canvas.fill(color)
    return canvas


def window_shadow(s):
    """The main window's shadow: content inset 16 at the left, top and right
    and 14 at the bottom, a little lower than the window, as a nine-grid with
    corners of 32."""
    size = 72 * s
    canvas = Canvas(size, size)
    shape = rounded_rect(16 * s, 18 * s, size - 16 * s, size - 13 * s, 6 * s)

    def color(x, y):
        d = shape(x, y) / s
        a = 0.5 if d <= 0 else 0.5 * math.exp(-(d / 6.5) ** 2)
        return (0.0, 0.0, 0.0, a if a > 0.002 else 0.0)
    canvas.fill(color)
    return canvas


def strip(cell_w, cell_h, looks, s, radius, edge=None):
    """Button cells side by side, one per look (top and bottom colours)."""
    canvas = Canvas(cell_w * len(looks) * s, cell_h * s)
    for i, (top, bottom) in enumerate(looks):
        x0, x1, y1 = i * cell_w * s, (i + 1) * cell_w * s, cell_h * s
        box = (x0, 0, x1, y1)
        outer = rounded_rect(x0, 0, x1, y1, radius * s)
        if edge:
            canvas.paint(outer, edge, box)
            outer = rounded_rect(x0 + s, s, x1 - s, y1 - s, radius * s - s)
        canvas.paint(outer, gradient(top, bottom, 0, y1), box)
    return canvas


def edit_frames(s):
    """The path box: normal, hot and focused frames of 28 x 28."""
    canvas = Canvas(84 * s, 28 * s)
    for i, edge in enumerate(((62, 68, 78), (98, 105, 116), YELLOW[0])):
        x0 = i * 28 * s
        box = (x0, 0, x0 + 28 * s, 28 * s)
        canvas.paint(rounded_rect(x0, 0, x0 + 28 * s, 28 * s, 4 * s), edge, box)
        canvas.paint(rounded_rect(x0 + s, s, x0 + 27 * s, 27 * s, 3 * s), (30, 34, 42), box)
    return canvas


def error_frame(s):
    canvas = Canvas(10 * s, 10 * s)
    canvas.paint(rounded_rect(0, 0, 10 * s, 10 * s, 4 * s), RED)
    canvas.paint(rounded_rect(s, s, 9 * s, 9 * s, 3 * s), (44, 31, 36))
    return canvas


def check_box(s):
    """Unticked, unticked under the mouse, ticked, ticked under the mouse."""
    canvas = Canvas(72 * s, 18 * s)
    for i in range(4):
        x0 = i * 18 * s
        box = (x0, 0, x0 + 18 * s, 18 * s)
        outer = rounded_rect(x0 + s, s, x0 + 17 * s, 17 * s, 4 * s)
        if i < 2:
            canvas.paint(outer, (30, 34, 41), box)
            canvas.paint(ring(outer, 1.5 * s), YELLOW[0] if i == 1 else (110, 117, 128), box)
        else:
            canvas.paint(outer, gradient(*(YELLOW_HOT if i == 3 else YELLOW), 0, 18 * s), box)
            tick = stroke([(x0 + 5 * s, 9.5 * s), (x0 + 8 * s, 12.5 * s), (x0 + 13.2 * s, 6 * s)], 1.1 * s)
            canvas.paint(tick, INK, box)
    return canvas


def title_buttons(glyph, s):
    """Three 28 x 28 cells (normal, hot, pushed) around one glyph, as the
    message boxes' close button."""
    canvas = Canvas(84 * s, 28 * s)
    for i, (back, ink) in enumerate(((None, MUTED), ((255, 255, 255, 0.10), (255, 255, 255)),
                                      ((255, 255, 255, 0.05), (208, 211, 217)))):
        ox = i * 28 * s
        box = (ox, 0, ox + 28 * s, 28 * s)
        if back:
            canvas.paint(circle(ox + 14 * s, 14 * s, 13 * s), back[:3], box, alpha=back[3])
        canvas.paint(glyph(ox, s), ink, box)
    return canvas


def minimise_glyph(ox, s):
    return capsule(ox + 9.5 * s, 14.5 * s, ox + 18.5 * s, 14.5 * s, 0.8 * s)


def community_glyph(ox, s):
    # A lower-case "f": a stem with a hooked top and a cross-bar.
    hook = arc(ox + 17 * s, 11 * s, 2.6 * s, 2.6 * s, -20, -180, 8)
    return union(stroke(hook + [(ox + 14.4 * s, 20 * s)], 0.9 * s),
                 capsule(ox + 12 * s, 14 * s, ox + 17.2 * s, 14 * s, 0.9 * s))


def icon(draw, s, size=16):
    canvas = Canvas(size * s, size * s)
    draw(canvas, s)
    return canvas


def error_glyph(canvas, s):
    canvas.paint(circle(8 * s, 8 * s, 7 * s), RED)
    canvas.paint(capsule(8 * s, 4.4 * s, 8 * s, 8.8 * s, 1.0 * s), (255, 255, 255))
    canvas.paint(circle(8 * s, 11.4 * s, 1.1 * s), (255, 255, 255))


def folder_glyph(canvas, s):
    body = rounded_rect(2 * s, 4.5 * s, 14 * s, 13 * s, 1.5 * s)
    tab = rounded_rect(2 * s, 3 * s, 7.5 * s, 6 * s, 1 * s)
    canvas.paint(ring(union(body, tab), 1.2 * s), MUTED)
    canvas.paint(capsule(2.6 * s, 6.6 * s, 13.4 * s, 6.6 * s, 0.6 * s), MUTED)


def back_glyph(canvas, s):
    canvas.paint(stroke([(9.5 * s, 3.5 * s), (5 * s, 8 * s), (9.5 * s, 12.5 * s)], 1.1 * s), MUTED)


def progress_mark(canvas, s):
    canvas.paint(circle(5 * s, 5 * s, 3 * s), YELLOW[0])


def bar(look, s):
    canvas = Canvas(24 * s, 12 * s)
    canvas.paint(rounded_rect(0, 0, 24 * s, 12 * s, 6 * s), gradient(*look, 0, 12 * s))
    return canvas


def mark_tile(canvas, x0, y0, size):
    """The product mark: a yellow tile with a dark chevron, as the icon."""
    canvas.paint(rounded_rect(x0, y0, x0 + size, y0 + size, size * 0.23),
                 gradient(YELLOW_HOT[0], YELLOW[1], y0, y0 + size), (x0, y0, x0 + size, y0 + size))
    u = size
    canvas.paint(stroke([(x0 + 0.28 * u, y0 + 0.3 * u), (x0 + 0.5 * u, y0 + 0.72 * u),
                         (x0 + 0.72 * u, y0 + 0.3 * u)], 0.08 * u), INK, (x0, y0, x0 + size, y0 + size))


# The wordmark's letters as strokes in a box `w` wide and 1 high (y down).
LETTERS = {
    "V": (0.86, [[(0, 0), (0.43, 1), (0.86, 0)]]),
    "O": (1.0, [arc(0.5, 0.5, 0.5, 0.5, 0, 360, 28)]),
    "R": (0.78, [[(0, 1), (0, 0), (0.46, 0)] + arc(0.46, 0.26, 0.26, 0.26, -90, 90, 10) + [(0, 0.52)],
                 [(0.38, 0.52), (0.78, 1)]]),
    "L": (0.66, [[(0, 0), (0, 1), (0.66, 1)]]),
    "A": (0.9, [[(0, 1), (0.45, 0), (0.9, 1)], [(0.18, 0.64), (0.72, 0.64)]]),
    "N": (0.8, [[(0, 1), (0, 0), (0.8, 1), (0.8, 0)]]),
    "E": (0.66, [[(0.66, 0), (0, 0), (0, 1), (0.66, 1)], [(0, 0.5), (0.56, 0.5)]]),
}


def wordmark_width(text, height, gap):
    return sum(LETTERS[c][0] * height for c in text) + gap * (len(text) - 1)


def wordmark(canvas, text, x, y, height, width, gap, color):
    for c in text:
        advance, strokes = LETTERS[c]
        box = (x - width - 1, y - width - 1, x + advance * height + width + 1, y + height + width + 1)
        shape = union(*[stroke([(x + px * height, y + py * height) for px, py in points], width)
                        for points in strokes])
        canvas.paint(shape, color, box)
        x += advance * height + gap


def nine_badge(canvas, x0, y0, size):
    """A yellow pill with a dark "9", for the variant 9 logo."""
    canvas.paint(rounded_rect(x0, y0, x0 + size, y0 + size, size * 0.3),
                 gradient(YELLOW_HOT[0], YELLOW[1], y0, y0 + size), (x0, y0, x0 + size, y0 + size))
    u = size / 24
    bowl = arc(x0 + 12 * u, y0 + 9.5 * u, 4.2 * u, 4.2 * u, 0, 360, 20)
    tail = arc(x0 + 9.6 * u, y0 + 9.5 * u, 6.6 * u, 9 * u, 0, 75, 8)
    canvas.paint(union(stroke(bowl, 1.5 * u), stroke(tail, 1.5 * u)), INK, (x0, y0, x0 + size, y0 + size))


def logo(s, badge):
    """300 x 64: the mark, the wordmark and, for variant 9, its badge, centred."""
    w, h = 300 * s, 64 * s
    canvas = Canvas(w, h)
    tile, space, letters, gap, line = 52 * s, 16 * s, 26 * s, 7 * s, 2.1 * s
    text = wordmark_width("VORLANE", letters, gap)
    badge_size = 24 * s
    total = tile + space + text + (10 * s + badge_size if badge else 0)
    x = (w - total) / 2
    mark_tile(canvas, x, (h - tile) / 2, tile)
    x += tile + space
    wordmark(canvas, "VORLANE", x, (h - letters) / 2, letters, line, gap, WHITE)
    if badge:
        nine_badge(canvas, x + text + 10 * s, (h - letters) / 2 - 2 * s, badge_size)
    return canvas


def loading_animation(s):
    """A ring of twelve dots whose brightness runs round, on the page's dark
    colour (GIF has no partial transparency), 12 frames of 80 ms."""
    size = 56 * s
    matte = (22, 25, 32)
    palette = [matte] + [tuple(round(matte[i] + (YELLOW[0][i] - matte[i]) * k / 254) for i in range(3))
                         for k in range(255)]
    frames = []
    for frame in range(12):
        canvas = Canvas(size, size)
        for dot in range(12):
            angle = math.radians(dot * 30 - 90)
            cx, cy = size / 2 + 20 * s * math.cos(angle), size / 2 + 20 * s * math.sin(angle)
            age = (frame - dot) % 12
            canvas.paint(circle(cx, cy, 3.6 * s), YELLOW[0], alpha=max(0.18, 1 - age / 8))
        frames.append([0 if a < 0.04 else 1 + round(a * 254) for _, _, _, a in canvas.pixels])
    return gif(size, size, frames, palette, 8)


IMAGES = {
    "bg.png": background,
    "shadow_main.png": window_shadow,
    "bg_logo.png": lambda s: logo(s, badge=False),
    "bg_logo9.png": lambda s: logo(s, badge=True),
    "btn_install.png": lambda s: strip(40, 52, (YELLOW, YELLOW_HOT, YELLOW_PUSHED, YELLOW_DISABLED), s, 12),
    "btn_secondary.png": lambda s: strip(20, 28, (DARK, DARK_HOT, DARK_PUSHED), s, 6, DARK_EDGE),
    "browse_button.png": edit_frames,
    "error_edit_bg.png": error_frame,
    "checkbox.png": check_box,
    "btn_min.png": lambda s: title_buttons(minimise_glyph, s),
    "btn_facebook.png": lambda s: title_buttons(community_glyph, s),
    "icon_error.png": lambda s: icon(error_glyph, s),
    "icon_folder.png": lambda s: icon(folder_glyph, s),
    "icon_back.png": lambda s: icon(back_glyph, s),
    "progress_mark.png": lambda s: icon(progress_mark, s, 10),
    "progress_bg.png": lambda s: bar(((46, 51, 60), (40, 44, 52)), s),
    "progress_fore.png": lambda s: bar(YELLOW_HOT, s),
    "ad_loading.gif": loading_animation,
}
