#!/usr/bin/env python3
"""Writes each fuzz target's seed corpus, small and made from the test
fixtures at run time (nothing binary is kept in git).

    make_seeds.py ROOT 7ZZ OUTDIR

OUTDIR/<target>/ gets the seeds of each target:
  start_parameters_fuzzer  the file names of the start-parameter tests, UTF-16LE
  language_table_fuzzer    the shipped "language.tsv" and cut-down copies of it
  layout_fuzzer            the shipped layouts
  png_fuzzer               small PNG files of each colour type, one interlaced
  un7z_fuzzer              the skin tests' small archives, and the shipped
                           layouts packed with each coder and filter the
                           reader knows
"""
import os
import re
import shutil
import struct
import subprocess
import sys
import tempfile
import zlib

ROOT, SEVENZIP, OUT = sys.argv[1], sys.argv[2], os.path.abspath(sys.argv[3])
SKIN = os.path.join(ROOT, "skin", "files")
SMALL = 64 * 1024  # larger seeds only slow the fuzzer down


def target_dir(name):
    path = os.path.join(OUT, name)
    shutil.rmtree(path, ignore_errors=True)
    os.makedirs(path)
    return path


def write(folder, name, data):
    with open(os.path.join(folder, name), "wb") as f:
        f.write(data)


def layouts():
    for base, _, files in os.walk(SKIN):
        for name in sorted(files):
            if name.endswith(".xml"):
                yield os.path.join(base, name)


def start_parameters():
    folder = target_dir("start_parameters_fuzzer")
    names = set()
    for test in ("model_rules_test.cpp", "model_start_test.cpp"):
        with open(os.path.join(ROOT, "tests", "app", test), encoding="utf-8") as f:
            names.update(re.findall(r'\{L"([^"\\]*)"', f.read()))
    for i, name in enumerate(sorted(names)):
        write(folder, f"name{i}", name.encode("utf-16-le"))


def language_table():
    folder = target_dir("language_table_fuzzer")
    with open(os.path.join(SKIN, "language.tsv"), "rb") as f:
        table = f.read()
    lines = table.split(b"\r\n")
    # The first byte picks the language (see the target).
    write(folder, "shipped_en", b"\x00" + table[:SMALL])
    write(folder, "head_zh", b"\x01" + b"\r\n".join(lines[:6]))
    write(folder, "head_uk", b"\x02" + b"\r\n".join(lines[:4]).replace(b"\r\n", b"\n"))
    write(folder, "unknown", b"\x03" + b"\r\n".join(lines[:3]) + b"\t\t\r\n")


def layout():
    folder = target_dir("layout_fuzzer")
    for path in layouts():
        shutil.copy(path, os.path.join(folder, os.path.basename(path)))


def png_file(width, height, depth, colour_type, rows, interlace=0, extra=b""):
    def chunk(kind, data):
        return struct.pack(">I", len(data)) + kind + data + struct.pack(">I", zlib.crc32(kind + data))
    header = struct.pack(">IIBBBBB", width, height, depth, colour_type, 0, 0, interlace)
    return (b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", header) + extra +
            chunk(b"IDAT", zlib.compress(rows, 9)) + chunk(b"IEND", b""))


def png():
    folder = target_dir("png_fuzzer")
    w, h = 7, 5
    def rows(row_bytes):
        return b"".join(b"\x00" + bytes((x * 29 + y * 53) & 0xFF for x in range(row_bytes)) for y in range(h))
    write(folder, "rgba8.png", png_file(w, h, 8, 6, rows(w * 4)))
    write(folder, "rgb16.png", png_file(w, h, 16, 2, rows(w * 6)))
    write(folder, "grey4.png", png_file(w, h, 4, 0, rows((w * 4 + 7) // 8)))
    palette = bytes(range(48))
    extra = (struct.pack(">I", 48) + b"PLTE" + palette + struct.pack(">I", zlib.crc32(b"PLTE" + palette)) +
             struct.pack(">I", 3) + b"tRNS" + b"\x00\x80\xff" + struct.pack(">I", zlib.crc32(b"tRNS\x00\x80\xff")))
    write(folder, "palette4.png", png_file(w, h, 4, 3, b"".join(b"\x00" + bytes(
        ((x * 5 + y) % 16) << 4 | ((x * 3 + y) % 16) for x in range((w + 1) // 2)) for y in range(h)), extra=extra))
    # Adam7 of a 1 x 1 image: only the first pass holds its one pixel.
    write(folder, "interlaced.png", png_file(1, 1, 8, 4, b"\x00\x40\x80", interlace=1))


def un7z(work):
    folder = target_dir("un7z_fuzzer")
    fixtures = os.path.join(work, "fixtures")
    subprocess.run([sys.executable, os.path.join(ROOT, "tests", "skin", "make_test_archives.py"),
                    SEVENZIP, fixtures], check=True, stdout=subprocess.DEVNULL)
    for name in sorted(os.listdir(fixtures)):
        path = os.path.join(fixtures, name)
        if os.path.isfile(path) and name.endswith(".7z") and os.path.getsize(path) <= SMALL:
            shutil.copy(path, os.path.join(folder, name))
    # The layouts in a folder, packed as the skin is and with each other coder.
    stage = os.path.join(work, "stage")
    os.makedirs(os.path.join(stage, "common"))
    for path in layouts():
        shutil.copy(path, os.path.join(stage, "common" if "common" in path else "", os.path.basename(path)))
    methods = {"lzma2_solid": ["-m0=lzma2", "-ms=on"], "lzma": ["-m0=lzma", "-ms=off"],
               "copy": ["-m0=copy"], "bcj_lzma2": ["-mf=BCJ", "-m0=lzma2"],
               "delta": ["-m0=delta:4", "-m1=lzma2"], "arm64": ["-mf=ARM64", "-m0=lzma2"]}
    for name, switches in methods.items():
        archive = os.path.join(folder, f"layouts_{name}.7z")
        subprocess.run([SEVENZIP, "a", "-t7z", "-mtm=off", "-bd", "-bso0", "-bsp0"] + switches +
                       [archive, "."], cwd=stage, check=True)


def main():
    start_parameters()
    language_table()
    layout()
    png()
    work = tempfile.mkdtemp(prefix="vorlane_seeds_")
    try:
        un7z(work)
    finally:
        shutil.rmtree(work, ignore_errors=True)


if __name__ == "__main__":
    main()
