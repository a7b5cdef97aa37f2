#!/usr/bin/env python3
"""What the installer's import tables ask of Windows.

- The ordinary import table may name only DLLs on the KnownDLLs list of every
  Windows the program supports: the loader takes those from the system, never
  from the folder the program was downloaded to. Every other DLL must be
  delay-loaded (cmake/delay_load.cmake), so that it is loaded from the system
  folder by the program itself.
- The executable must load on systems older than the ones it supports, so
  that it can refuse them with its own message: no import that such a system
  lacks by name where another serves (SHCreateMemStream; the Uniscribe
  functions that newer import libraries place in gdi32.dll), and no import of
  the calls that lock the DLL search (they are looked up).
Prints both tables and the imports that still need Windows Vista or 7.
usage: check_installer_imports.py PROGRAM"""
import os
import sys

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..", "scripts"))
from pe_image import PeImage  # noqa: E402

# On the KnownDLLs list of Windows Vista, 7, 8, 10 and 11 alike (ntdll is
# mapped before any of them). DLLs that only some of them list, such as
# wininet, usp10 (Vista, 7) and gdiplus (8 and later), are not here.
KNOWN_DLLS = {"advapi32.dll", "clbcatq.dll", "comdlg32.dll", "gdi32.dll", "imagehlp.dll", "imm32.dll",
              "kernel32.dll", "msctf.dll", "msvcrt.dll", "normaliz.dll", "nsi.dll", "ntdll.dll",
              "ole32.dll", "oleaut32.dll", "psapi.dll", "rpcrt4.dll", "setupapi.dll", "shell32.dll",
              "shlwapi.dll", "user32.dll", "wldap32.dll", "ws2_32.dll"}

# Looked up at run time, never imported: older systems lack them.
LOOKED_UP = {"SetDefaultDllDirectories", "SetDllDirectoryW", "AddDllDirectory", "CompareStringOrdinal"}

# Imports the installer still takes from Windows Vista and 7, and from where.
LATER_SYSTEMS = {
    "BCryptGenRandom": "libcurl's random numbers",
    "inet_ntop": "libcurl", "inet_pton": "libcurl",
    "AcquireSRWLockExclusive": "libcurl's start-up lock", "ReleaseSRWLockExclusive": "libcurl's start-up lock",
    "InitializeCriticalSectionEx": "libcurl's name resolver",
    "GetTickCount64": "the threads runtime (winpthreads)",
    "K32EnumProcessModules": "finding the desktop shell's process",
    "K32GetModuleFileNameExW": "finding the desktop shell's process",
}


def problems_of(table, delayed):
    problems = []
    for dll, names in table.items():
        if not delayed and dll.lower() not in KNOWN_DLLS:
            problems.append(f"static import outside the KnownDLLs: {dll} ({', '.join(names[:4])}...)")
        for name in names:
            if name == "SHCreateMemStream" or (name.startswith("Script") and dll.lower() != "usp10.dll"):
                problems.append(f"import that older systems lack: {dll}!{name}")
            if name in LOOKED_UP:
                problems.append(f"must be looked up, not imported: {dll}!{name}")
    return problems


def main(program):
    image = PeImage(program)
    static, delayed = image.imports(), image.delay_imports()
    for dll in sorted(static, key=str.lower):
        known = "KnownDLL" if dll.lower() in KNOWN_DLLS else "NOT a KnownDLL"
        print(f"import {dll}: {known}, {len(static[dll])} functions")
    for dll in sorted(delayed, key=str.lower):
        print(f"delay-loaded {dll}: {len(delayed[dll])} functions")
    for dll, names in list(static.items()) + list(delayed.items()):
        for name in names:
            if name in LATER_SYSTEMS:
                print(f"needs Windows Vista or later: {dll}!{name} ({LATER_SYSTEMS[name]})")
    problems = problems_of(static, False) + problems_of(delayed, True)
    for problem in problems:
        print(problem)
    count = sum(len(names) for names in static.values()) + sum(len(n) for n in delayed.values())
    print(f"{count} imports, {len(problems)} problems")
    return 1 if problems or not static else 0


if __name__ == "__main__":
    if len(sys.argv) < 2:
        sys.exit(__doc__)
    sys.exit(main(sys.argv[-1]))
