"""Drawing for the skin images: an RGBA canvas whose shapes are signed
distance functions (anti-aliased over one pixel), a few shapes, and writers
for PNG and animated GIF files. Standard library only."""
import math
import struct
import zlib


class Canvas:
    """Straight-alpha RGBA pixels; shapes come as signed distance functions."""

    def __init__(self, width, height):
        self.width = width
        self.height = height
        self.pixels = [[0.0, 0.0, 0.0, 0.0] for _ in range(width * height)]

    def paint(self, distance, color, box=None, alpha=1.0):
        """Blends `color` (RGB, or a function of y giving RGB) over the shape
        where distance(x, y) < 0, anti-aliased over one pixel."""
        x0, y0, x1, y1 = box or (0, 0, self.width, self.height)
        for y in range(max(0, int(y0)), min(self.height, int(math.ceil(y1)))):
            rgb = color(y + 0.5) if callable(color) else color
            for x in range(max(0, int(x0)), min(self.width, int(math.ceil(x1)))):
                coverage = min(1.0, max(0.0, 0.5 - distance(x + 0.5, y + 0.5))) * alpha
                if coverage > 0:
                    self.blend(x, y, rgb, coverage)

    def blend(self, x, y, rgb, a):
        p = self.pixels[y * self.width + x]
        out = a + p[3] * (1 - a)
        if out <= 0:
            return
        for i in range(3):
            p[i] = (rgb[i] * a + p[i] * p[3] * (1 - a)) / out
        p[3] = out

    def fill(self, color_at):
        """Sets every pixel to color_at(x, y) -> (r, g, b, a)."""
        for y in range(self.height):
            row = y * self.width
            for x in range(self.width):
                self.pixels[row + x] = list(color_at(x + 0.5, y + 0.5))

    def png(self):
        rows = bytearray()
        for y in range(self.height):
            rows.append(0)
            for x in range(self.width):
                r, g, b, a = self.pixels[y * self.width + x]
                rows.extend((round(r), round(g), round(b), round(a * 255)))

        def chunk(kind, data):
            body = kind + data
            return struct.pack(">I", len(data)) + body + struct.pack(">I", zlib.crc32(body))
        header = struct.pack(">IIBBBBB", self.width, self.height, 8, 6, 0, 0, 0)
        return (b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", header) +
                chunk(b"IDAT", zlib.compress(bytes(rows), 9)) + chunk(b"IEND", b""))


    def bmp(self):
        """A Windows bitmap of at most 256 colours, run-length encoded
        (BI_RLE8), bottom-up; every pixel is taken as opaque. The pictures are
        gradients and flat shapes, so a 24-bit file would be almost all
        repetition: 842 KB for the largest, where runs take a few KB. Colours
        beyond the 256 most frequent take the nearest of those."""
        colours = [tuple(round(c) for c in p[:3]) for p in self.pixels]
        counts = {}
        for c in colours:
            counts[c] = counts.get(c, 0) + 1
        palette = sorted(counts, key=lambda c: (-counts[c], c))[:256]
        index = {c: i for i, c in enumerate(palette)}

        def nearest(c):
            if c not in index:
                index[c] = min(range(len(palette)),
                               key=lambda i: sum((a - b) ** 2 for a, b in zip(c, palette[i])))
            return index[c]
        data = bytearray()
        for y in reversed(range(self.height)):
            row = [nearest(c) for c in colours[y * self.width:(y + 1) * self.width]]
            x = 0
            while x < len(row):
                run = 1
                while x + run < len(row) and run < 255 and row[x + run] == row[x]:
                    run += 1
                data.extend((run, row[x]))
                x += run
            data.extend((0, 0))  # end of line
        data[-2:] = bytes((0, 1))  # end of bitmap
        table = b"".join(struct.pack("<BBBB", b, g, r, 0) for r, g, b in palette)
        header = struct.pack("<IiiHHIIiiII", 40, self.width, self.height, 1, 8, 1, len(data),
                             2835, 2835, len(palette), 0)
        offset = 14 + len(header) + len(table)
        return (b"BM" + struct.pack("<IHHI", offset + len(data), 0, 0, offset) + header +
                table + bytes(data))


def rounded_rect(x0, y0, x1, y1, r):
    cx, cy = (x0 + x1) / 2, (y0 + y1) / 2
    hx, hy = (x1 - x0) / 2 - r, (y1 - y0) / 2 - r

    def distance(x, y):
        dx = abs(x - cx) - hx
        dy = abs(y - cy) - hy
        outside = math.hypot(max(dx, 0), max(dy, 0))
        return outside + min(max(dx, dy), 0) - r
    return distance


def ring(distance, width):
    """The outline of a shape, `width` wide, inside its edge."""
    return lambda x, y: max(distance(x, y), -distance(x, y) - width)


def circle(cx, cy, r):
    return lambda x, y: math.hypot(x - cx, y - cy) - r


def capsule(ax, ay, bx, by, r):
    dx, dy = bx - ax, by - ay
    length2 = dx * dx + dy * dy or 1.0  # a point: any t gives the same place

    def distance(x, y):
        t = max(0.0, min(1.0, ((x - ax) * dx + (y - ay) * dy) / length2))
        return math.hypot(x - ax - t * dx, y - ay - t * dy) - r
    return distance


def stroke(points, r):
    """A polyline of round-capped segments `r` wide on each side."""
    parts = [capsule(*points[i], *points[i + 1], r) for i in range(len(points) - 1)]
    return lambda x, y: min(part(x, y) for part in parts)


def arc(cx, cy, rx, ry, start, end, steps=16):
    """Points along an elliptic arc, angles in degrees (0 right, 90 down)."""
    return [(cx + rx * math.cos(math.radians(start + (end - start) * i / steps)),
             cy + ry * math.sin(math.radians(start + (end - start) * i / steps)))
            for i in range(steps + 1)]


def union(*shapes):
    return lambda x, y: min(shape(x, y) for shape in shapes)


def gradient(top, bottom, y0, y1):
    def at(y):
        t = min(1.0, max(0.0, (y - y0) / max(1e-6, y1 - y0)))
        return tuple(top[i] + (bottom[i] - top[i]) * t for i in range(3))
    return at


def lzw(indices):
    """GIF's LZW code stream for 8-bit palette indices. The table is started
    afresh before it needs codes wider than 9 bits, so every code is 9 bits:
    a little larger than need be, and simple to get right."""
    clear, end = 256, 257
    out, bits, pending = bytearray(), 0, 0

    def emit(code):
        nonlocal bits, pending
        pending |= code << bits
        bits += 9
        while bits >= 8:
            out.append(pending & 0xFF)
            pending >>= 8
            bits -= 8

    def fresh():
        emit(clear)
        return {(i,): i for i in range(256)}, end + 1

    table, next_code = fresh()
    word = ()
    for index in indices:
        longer = word + (index,)
        if longer in table:
            word = longer
            continue
        emit(table[word])
        table[longer] = next_code
        next_code += 1
        if next_code == 511:
            table, next_code = fresh()
        word = (index,)
    if word:
        emit(table[word])
    emit(end)
    if bits:
        out.append(pending & 0xFF)
    return bytes(out)


def gif(width, height, frames, palette, delay_cs, transparent=0):
    """An endlessly looping GIF of `frames`, each a list of width x height
    palette indices, shown `delay_cs` hundredths of a second each."""
    table = b"".join(bytes(color) for color in palette) + bytes(3 * (256 - len(palette)))
    out = bytearray(b"GIF89a" + struct.pack("<HHBBB", width, height, 0xF7, transparent, 0) + table)
    out += b"\x21\xFF\x0BNETSCAPE2.0\x03\x01\x00\x00\x00"
    for indices in frames:
        # Each frame replaces the last one: disposal "restore to background".
        out += struct.pack("<BBBBHBB", 0x21, 0xF9, 4, 0x09, delay_cs, transparent, 0)
        out += b"\x2C" + struct.pack("<HHHHB", 0, 0, width, height, 0)
        data = lzw(indices)
        out.append(8)
        for i in range(0, len(data), 255):
            block = data[i:i + 255]
            out.append(len(block))
            out += block
        out.append(0)
    out.append(0x3B)
    return bytes(out)
