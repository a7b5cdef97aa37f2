#!/usr/bin/env python3
"""Makes the 7z archives the skin tests read, with 7zz, at build time.

    make_test_archives.py 7ZZ OUTDIR

OUTDIR/src/<case>/ holds each case's source files (the tests compare what they
unpack with them) and OUTDIR/<case>.7z the archive. Archives that 7zz cannot
write (a wrong stored CRC, names that leave the target folder) are 7zz archives
with plain headers, patched here: the header bytes are changed and the header
CRCs fixed. Everything is deterministic; nothing binary is kept in git.
"""
import os
import random
import shutil
import struct
import subprocess
import sys
import zlib

SEVENZIP, OUT = sys.argv[1], sys.argv[2]
SRC = os.path.join(OUT, "src")


def write(case, name, data):
    path = os.path.join(SRC, case, name)
    os.makedirs(os.path.dirname(path), exist_ok=True)
    with open(path, "wb") as f:
        f.write(data)


def folder(case, name):
    os.makedirs(os.path.join(SRC, case, name), exist_ok=True)


def pack(case, archive, switches, items=None):
    """7zz a OUT/archive (items of src/case, default all) with the switches."""
    target = os.path.join(OUT, archive)
    if os.path.exists(target):
        os.remove(target)
    base = os.path.join(SRC, case)
    items = items or sorted(os.listdir(base))
    subprocess.run([SEVENZIP, "a", "-t7z", "-mtm=off", "-bd", "-bso0", "-bsp0"] + switches +
                   [target] + items, cwd=base, check=True)
    return target


def text(rng, size):
    words = [b"skin", b"layout", b"button", b"vorlane", b"install", b"window", b"image",
             b"common", b"language", b"progress", b"\n", b"<xml/>", b"0123"]
    out = bytearray()
    while len(out) < size:
        out += rng.choice(words) + b" "
    return bytes(out[:size])


def noise(rng, size):
    return rng.randbytes(size)


def x86_code(rng, size):
    """Bytes with many CALL/JMP rel32 instructions, so the x86 filter acts."""
    out = bytearray()
    while len(out) < size:
        kind = rng.random()
        if kind < 0.3:
            out += bytes([0xE8]) + struct.pack("<i", rng.randint(-60000, 60000))
        elif kind < 0.4:
            out += bytes([0xE9]) + struct.pack("<i", rng.randint(-60000, 60000))
        else:
            out += bytes(rng.choice([0x55, 0x8B, 0xEC, 0x83, 0xC4, 0x89, 0x45, 0xF8, 0x90, 0xC3])
                         for _ in range(rng.randint(1, 6)))
    return bytes(out[:size])


def samples(rng, size):
    """16-bit little-endian stereo wave: what the Delta filter is for."""
    out = bytearray()
    left = right = 0
    while len(out) < size:
        left = max(-32000, min(32000, left + rng.randint(-300, 300)))
        right = max(-32000, min(32000, right + rng.randint(-300, 300)))
        out += struct.pack("<hh", left, right)
    return bytes(out[:size])


# ---- patching a 7zz archive whose header is stored plain (-mhc=off) ----

def patch_header(path, old, new):
    data = bytearray(open(path, "rb").read())
    offset, size = struct.unpack_from("<QQ", data, 12)
    start = 32 + offset
    header = bytes(data[start:start + size])
    assert header[0] == 0x01, "header is not plain: pack with -mhc=off"
    assert header.count(old) == 1, "the bytes to patch must occur once in the header"
    header = header.replace(old, new)
    data[start:start + size] = header
    struct.pack_into("<I", data, 28, zlib.crc32(header))
    struct.pack_into("<I", data, 8, zlib.crc32(bytes(data[12:32])))
    open(path, "wb").write(bytes(data))


def utf16(name):
    return name.encode("utf-16-le")


def main():
    shutil.rmtree(SRC, ignore_errors=True)
    rng = random.Random(20260605)

    # A skin-like archive: solid LZMA2 with directory entries, sub-folders, an
    # empty file, an empty folder, and a file larger than the dictionary so the
    # ring dictionary wraps and the block arrives in many pieces.
    write("skin", "language.tsv",
          b"Code\tlanguage_code\tzh_CN\ten_US\r\nLanguage\tlanguage_name\tzh\ten\r\n"
          b"Label\tbrowser\tliulan\tBrowse...\r\n")
    write("skin", "mainframe.xml", b"<Window size=\"640,480\"><Button text=\"@browser\"/></Window>")
    write("skin", "common/btn_bg.png", noise(rng, 20000))
    write("skin", "common/sub/deep.txt", b"deep inside\n")
    write("skin", "language/en.xml", b"<Language/>")
    write("skin", "empty.txt", b"")
    write("skin", "big.bin", text(rng, 3 * 1024 * 1024 + 12345))
    folder("skin", "emptydir")
    pack("skin", "fixture_skin.7z", ["-m0=LZMA2:d=256k", "-ms=on"])

    # The offer library's shape: one file, x86 filter, LZMA2, not solid.
    write("bcj", "ds.dll", x86_code(rng, 2 * 1024 * 1024 + 777))
    pack("bcj", "bcj_lzma2.7z", ["-m0=BCJ", "-m1=LZMA2", "-ms=off"])

    # Stored (Copy), one block per file, with an empty file and a folder.
    write("copy", "a.txt", b"stored as it is\n")
    write("copy", "sub/b.bin", noise(rng, 1536 * 1024 + 3))
    write("copy", "zero.txt", b"")
    pack("copy", "copy.7z", ["-m0=Copy"])

    # LZMA (not LZMA2), solid, with a small dictionary that wraps.
    write("lzma", "one.txt", b"first\n")
    write("lzma", "two.bin", text(rng, 1536 * 1024))
    write("lzma", "three.txt", b"third\n")
    pack("lzma", "lzma.7z", ["-m0=LZMA:d=64k", "-ms=on"])

    # Delta:4 then LZMA2.
    write("delta", "wave.raw", samples(rng, 1536 * 1024 + 2))
    pack("delta", "delta.7z", ["-m0=Delta:4", "-m1=LZMA2"])

    # BCJ2 (four streams): decoded whole, handed over in one piece.
    write("bcj2", "app.exe", x86_code(rng, 1024 * 1024 + 5))
    write("bcj2", "readme.txt", b"after the code\n")
    pack("bcj2", "bcj2.7z", ["-m0=BCJ2", "-m1=LZMA2", "-m2=LZMA", "-m3=LZMA",
                             "-mb0s0:1", "-mb0s1:2", "-mb0s2:3", "-ms=on"])

    # The other branch converters, each over more than one piece.
    for method in ["ARM", "ARMT", "PPC", "SPARC", "IA64", "ARM64", "RISCV"]:
        case = "filter_" + method.lower()
        write(case, "code.bin", noise(rng, 1024 * 1024 + 123) + text(rng, 1024 * 1024 + 7))
        pack(case, case + ".7z", ["-m0=" + method, "-m1=LZMA2", "-ms=off"])

    # Only entries without data: no block at all.
    write("emptyonly", "nothing.txt", b"")
    folder("emptyonly", "folder")
    pack("emptyonly", "emptyonly.7z", [])

    # A wrong stored CRC for the second of three files in one solid block.
    write("badcrc", "f1.txt", b"first file\n")
    write("badcrc", "f2.txt", b"second file, whose stored CRC is wrong\n")
    write("badcrc", "f3.txt", b"third file\n")
    path = pack("badcrc", "badcrc.7z", ["-m0=LZMA2", "-ms=on", "-mhc=off", "-mqs=off"],
                ["f1.txt", "f2.txt", "f3.txt"])
    crc = struct.pack("<I", zlib.crc32(b"second file, whose stored CRC is wrong\n"))
    patch_header(path, crc, struct.pack("<I", zlib.crc32(crc) ^ 0x5A5A5A5A))

    # Names that leave the target folder.
    write("dotdot", "ok.txt", b"harmless\n")
    write("dotdot", "xx/evil.txt", b"must not land outside\n")
    path = pack("dotdot", "dotdot.7z", ["-m0=Copy", "-mhc=off"])
    patch_header(path, utf16("xx/evil.txt"), utf16("../evil.txt"))
    path = pack("dotdot", "absolute.7z", ["-m0=Copy", "-mhc=off"])
    patch_header(path, utf16("xx/evil.txt"), utf16("C:/evil.txt"))

    # A name longer than 259 UTF-16 units (its folders stay short enough to be
    # created, and removed again, below a temporary folder).
    long_name = "a" * 100 + "/" + "b" * 100 + "/" + "c" * 66 + ".txt"
    write("longname", long_name, b"long\n")
    pack("longname", "longname.7z", ["-m0=Copy"])

    # Not an archive, and an archive cut short.
    with open(os.path.join(OUT, "notarchive.bin"), "wb") as f:
        f.write(noise(rng, 4096))
    with open(os.path.join(OUT, "fixture_skin.7z"), "rb") as f:
        whole = f.read()
    with open(os.path.join(OUT, "truncated.7z"), "wb") as f:
        f.write(whole[:len(whole) // 2])

    open(os.path.join(OUT, "stamp"), "w").write("made\n")


main()
