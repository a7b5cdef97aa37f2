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
- No program is started through ShellExecute (whose "runas" starts it with
  the installer's rights) or WinExec (which searches for it by name): the
  installer starts programs by their full paths or through the desktop's
  shell (utility/desktop_shell.h).
- With --allowed TABLE (the shipped 32-bit build): no import outside the
  table (shipped_imports.txt), which lists only what Windows Vista has; and
  none that Windows XP lacks (marked "vista" there) in the ordinary import
  table, where it would keep the program from loading on XP at all: such
  functions are delay-loaded and bound at their first call.
Prints both tables and the imports that Windows XP lacks.
usage: check_installer_imports.py PROGRAM [--allowed TABLE]"""
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

# Never imported at all (see above).
NEVER = {"ShellExecuteA", "ShellExecuteW", "ShellExecuteExA", "ShellExecuteExW", "WinExec"}



def read_allowed(path):
    """{(dll, function): note}: the note says why Windows Vista is needed,
    empty for what Windows XP has too."""
    allowed = {}
    with open(path) as table:
        for line in table:
            if not line.strip() or line.startswith("#"):
                continue
            dll, function, *rest = line.split(None, 3)
            allowed[(dll.lower(), function)] = rest[1].strip() if rest[:1] == ["vista"] else ""
    return allowed


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
            if name in NEVER:
                problems.append(f"starts programs by the shell's or the loader's search: {dll}!{name}")
    return problems


def main(program, allowed_table=None):
    image = PeImage(program)
    static, delayed = image.imports(), image.delay_imports()
    allowed = read_allowed(allowed_table) if allowed_table else {}
    for dll in sorted(static, key=str.lower):
        known = "KnownDLL" if dll.lower() in KNOWN_DLLS else "NOT a KnownDLL"
        print(f"import {dll}: {known}, {len(static[dll])} functions")
    for dll in sorted(delayed, key=str.lower):
        print(f"delay-loaded {dll}: {len(delayed[dll])} functions")
    problems = problems_of(static, False) + problems_of(delayed, True)
    for table, is_static in ((static, True), (delayed, False)):
        for dll, names in table.items():
            for name in names:
                note = allowed.get((dll.lower(), name))
                if note:
                    how = "imported the ordinary way" if is_static else "delay-loaded"
                    print(f"Windows XP lacks {dll}!{name} ({note}), {how}")
                if note and is_static:
                    problems.append(f"ordinary import that Windows XP lacks: {dll}!{name} (the program would "
                                    f"not load there to refuse it: bind it late)")
                if allowed_table and note is None:
                    problems.append(f"import outside the allowed table: {dll}!{name} (list it in "
                                    f"{os.path.basename(allowed_table)} once Windows Vista is known to have it)")
    for problem in problems:
        print(problem)
    count = sum(len(names) for names in static.values()) + sum(len(n) for n in delayed.values())
    print(f"{count} imports, {len(problems)} problems")
    return 1 if problems or not static else 0


if __name__ == "__main__":
    arguments = sys.argv[1:]
    table = None
    if "--allowed" in arguments:
        at = arguments.index("--allowed")
        table = arguments[at + 1]
        del arguments[at:at + 2]
    if len(arguments) != 1:
        sys.exit(__doc__)
    sys.exit(main(arguments[0], table))
