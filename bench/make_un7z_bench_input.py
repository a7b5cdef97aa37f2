#!/usr/bin/env python3
"""Makes the 200 MiB input of the 7z extraction benchmark, on demand.

    make_un7z_bench_input.py 7ZZ OUTDIR

OUTDIR/data/ gets 200 files of 1 MiB (text, repetitive binary records and
random bytes, in the proportions of an application's files) and OUTDIR/bench.7z
the solid LZMA2 archive of them (-mx=5, one block). Nothing is made again when
OUTDIR/bench.7z exists. Not part of the normal build or of git.
"""
import os
import random
import subprocess
import sys

SEVENZIP, OUT = sys.argv[1], sys.argv[2]
MIB = 1024 * 1024
archive = os.path.join(OUT, "bench.7z")
if os.path.exists(archive):
    sys.exit(0)

rng = random.Random(7)
words = [w.encode() for w in (
    "skin layout button vorlane install window image common language progress the of and "
    "to in is that for it with as was on be by this are or from at which an have not"
).split()] + [b"\n", b"<Control/>", b"0x7fff", b"{", b"}", b";"]
record = rng.randbytes(4096)


def text():
    return b" ".join(rng.choices(words, k=MIB // 4))[:MIB]


def records():
    out = bytearray()
    while len(out) < MIB:
        patch = rng.randrange(0, len(record) - 16)
        out += record[:patch] + rng.randbytes(16) + record[patch + 16:]
    return bytes(out[:MIB])


data = os.path.join(OUT, "data")
os.makedirs(data, exist_ok=True)
kinds = [("text", text)] * 110 + [("records", records)] * 70 + [("random", lambda: rng.randbytes(MIB))] * 20
for i, (kind, make) in enumerate(kinds):
    with open(os.path.join(data, "%s_%03d.bin" % (kind, i)), "wb") as f:
        f.write(make())

partial = archive + ".partial.7z"
if os.path.exists(partial):
    os.remove(partial)
subprocess.run([SEVENZIP, "a", "-t7z", "-m0=LZMA2", "-mx=5", "-ms=on", "-bd", "-bso0", "-bsp0",
                partial, "data"], cwd=OUT, check=True)
os.rename(partial, archive)
