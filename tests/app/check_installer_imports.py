#!/usr/bin/env python3
"""What the installer's import table asks of Windows: the executable must load
on systems older than the ones it supports, so that it can refuse them with
its own message. No import that such a system lacks by name where another
serves (SHCreateMemStream; the Uniscribe functions that newer import
libraries place in gdi32.dll). Prints the imports that still need Windows
Vista or 7.
usage: check_installer_imports.py OBJDUMP INSTALLER"""
import re
import subprocess
import sys

# Imports the installer still takes from Windows Vista and 7, and from where.
LATER_SYSTEMS = {
    "BCryptGenRandom": "libcurl's random numbers",
    "inet_ntop": "libcurl", "inet_pton": "libcurl",
    "AcquireSRWLockExclusive": "libcurl's start-up lock", "ReleaseSRWLockExclusive": "libcurl's start-up lock",
    "InitializeCriticalSectionEx": "libcurl's name resolver",
    "GetTickCount64": "the threads runtime (winpthreads)",
    "CompareStringOrdinal": "the WinINet client, net/http_client.cpp",
    "K32EnumProcessModules": "finding the desktop shell's process, utility/process_token.cpp",
    "K32GetModuleFileNameExW": "finding the desktop shell's process, utility/process_token.cpp",
}


def imports(objdump, exe):
    table = subprocess.run([objdump, "-p", exe], capture_output=True, text=True, check=True).stdout
    found, dll = [], None
    for line in table.splitlines():
        named = re.match(r"\s*DLL Name: (\S+)", line)
        if named:
            dll = named.group(1).lower()
            continue
        entry = re.match(r"\s+[0-9a-f]+\s+\d+\s+(\w+)$", line)
        if dll and entry:
            found.append((dll, entry.group(1)))
    return found


def main(objdump, exe):
    found = imports(objdump, exe)
    problems = [f"{dll}!{name}" for dll, name in found
                if name == "SHCreateMemStream" or (name.startswith("Script") and dll != "usp10.dll")]
    for dll, name in found:
        if name in LATER_SYSTEMS:
            print(f"needs Windows Vista or later: {dll}!{name} ({LATER_SYSTEMS[name]})")
    for problem in problems:
        print(f"import that older systems lack: {problem}")
    print(f"{len(found)} imports, {len(problems)} problems")
    return 1 if problems or not found else 0


if __name__ == "__main__":
    sys.exit(main(*sys.argv[1:3]))
