#!/usr/bin/env python3
"""Checks a few source rules no compiler enforces: no unbounded string
formatting or copying into fixed buffers, no tab-indented C++, and no DLL
loaded by the loader's default search in what ships (the program runs
elevated: utility/system_library.h loads from the system folder or a full path).
usage: check_sources.py ROOT"""
import os
import re
import sys

FOLDERS = ("app", "net", "report", "ui", "skin", "offer", "utility", "toolkit", "standins",
           "tests", "bench")
SHIPPED = ("app", "net", "report", "ui", "skin", "offer", "utility", "toolkit")
LOADS_BY_SEARCH = re.compile(r"\bLoadLibrary(A|W)?\s*\(")
BANNED = re.compile(r"\b(sprintf|vsprintf|wsprintfW?|wcscpy|strcpy|strcat|wcscat|lstrcpyW?|"
                    r"lstrcatW?|gets|_tcscpy|_stprintf)\s*\(")


def sources(root):
    for folder in FOLDERS:
        for base, _, files in os.walk(os.path.join(root, folder)):
            for name in files:
                if name.endswith((".cpp", ".h", ".c")):
                    yield os.path.join(base, name)


def main(root):
    problems = []
    for path in sources(root):
        with open(path, encoding="utf-8", errors="replace") as f:
            for number, line in enumerate(f, 1):
                code = line.split("//", 1)[0]
                if BANNED.search(code):
                    problems.append(f"{path}:{number}: unbounded copy or format: {line.strip()}")
                shipped = os.path.relpath(path, root).split(os.sep)[0] in SHIPPED
                if shipped and LOADS_BY_SEARCH.search(code):
                    problems.append(f"{path}:{number}: a DLL loaded by the default search: {line.strip()}")
                if line.startswith("\t"):
                    problems.append(f"{path}:{number}: indented with a tab")
    for problem in problems:
        print(problem)
    print(f"{len(problems)} problems in the sources")
    return 1 if problems else 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1] if len(sys.argv) > 1 else "."))
