#!/usr/bin/env python3
"""Draws the program icon (a yellow rounded tile with a dark chevron "V") and
writes it as a Windows .ico holding PNG images of the usual sizes."""
import struct
import sys
import zlib

SIZES = (16, 24, 32, 48, 64, 256)
SAMPLES = 4  # supersampling per axis, for smooth edges


def inside_tile(x, y):
    r = 0.22
    cx = min(max(x, r), 1 - r)
    cy = min(max(y, r), 1 - r)
    return (x - cx) ** 2 + (y - cy) ** 2 <= r * r


def inside_v(x, y):
    # Two thick strokes meeting at the bottom centre.
    def near(ax, ay, bx, by, w):
        dx, dy = bx - ax, by - ay
        t = max(0.0, min(1.0, ((x - ax) * dx + (y - ay) * dy) / (dx * dx + dy * dy)))
        px, py = ax + t * dx, ay + t * dy
        return (x - px) ** 2 + (y - py) ** 2 <= w * w
    return near(0.27, 0.28, 0.5, 0.74, 0.085) or near(0.73, 0.28, 0.5, 0.74, 0.085)


def pixel(size, px, py):
    tile = mark = 0
    for sy in range(SAMPLES):
        for sx in range(SAMPLES):
            x = (px + (sx + 0.5) / SAMPLES) / size
            y = (py + (sy + 0.5) / SAMPLES) / size
            if inside_tile(x, y):
                tile += 1
                if inside_v(x, y):
                    mark += 1
    n = SAMPLES * SAMPLES
    if tile == 0:
        return (0, 0, 0, 0)
    shade = py / size
    yellow = (255, int(206 - 30 * shade), int(40 - 20 * shade))
    dark = (28, 30, 38)
    f = mark / tile
    rgb = tuple(int(yellow[i] * (1 - f) + dark[i] * f) for i in range(3))
    return rgb + (int(255 * tile / n),)


def png(size):
    rows = bytearray()
    for y in range(size):
        rows.append(0)
        for x in range(size):
            rows.extend(pixel(size, x, y))

    def chunk(kind, data):
        body = kind + data
        return struct.pack(">I", len(data)) + body + struct.pack(">I", zlib.crc32(body))
    header = struct.pack(">IIBBBBB", size, size, 8, 6, 0, 0, 0)
    return (b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", header) +
            chunk(b"IDAT", zlib.compress(bytes(rows), 9)) + chunk(b"IEND", b""))


def main(path):
    images = [png(s) for s in SIZES]
    out = bytearray(struct.pack("<HHH", 0, 1, len(images)))
    offset = 6 + 16 * len(images)
    for size, data in zip(SIZES, images):
        dim = 0 if size >= 256 else size
        out += struct.pack("<BBBBHHII", dim, dim, 0, 0, 1, 32, len(data), offset)
        offset += len(data)
    for data in images:
        out += data
    with open(path, "wb") as f:
        f.write(out)


if __name__ == "__main__":
    main(sys.argv[1])
