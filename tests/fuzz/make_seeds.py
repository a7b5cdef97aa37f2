#!/usr/bin/env python3
"""Writes each fuzz target's seed corpus, small and made from the test
fixtures at run time (nothing binary is kept in git).

    make_seeds.py ROOT 7ZZ OUTDIR

OUTDIR/<target>/ gets the seeds of each target:
  start_parameters_fuzzer  the file names of the start-parameter tests, UTF-16LE
  language_table_fuzzer    the shipped "language.tsv" and cut-down copies of it
  layout_fuzzer            the shipped layouts
  un7z_fuzzer              the skin tests' small archives, and the shipped
                           layouts packed with each coder and filter the
                           reader knows
"""
import os
import re
import shutil
import subprocess
import sys
import tempfile

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
    work = tempfile.mkdtemp(prefix="vorlane_seeds_")
    try:
        un7z(work)
    finally:
        shutil.rmtree(work, ignore_errors=True)


if __name__ == "__main__":
    main()
