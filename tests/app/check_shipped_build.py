#!/usr/bin/env python3
"""Checks of the shipped 32-bit installer that need no 32-bit Windows to run
it: what only that build can get wrong is checked in its bytes.

- The header: a PE32 GUI program for x86 with a subsystem version Windows XP
  accepts (so that it loads there far enough to refuse), NX compatible, with
  a relocatable base (and its relocations), large-address aware, Terminal
  Server aware, and no "no SEH" flag (the offer library's guard uses SEH).
- Its manifest names the x86 architecture.
- Each packed offer library (the one the installer carries, and the stand-in
  built __stdcall) is an x86 DLL named ds.dll exporting "InvokeW" undecorated.
- The guard around calls into the offer library puts the stack pointer back
  from the register that kept it, and links its exception record.
- Its own bytes, unsigned and without the offer library it carries (the
  first ARCHIVE), are at most 1.3 MiB: it is the first thing a user downloads.
usage: check_shipped_build.py OBJDUMP SEVEN_ZIP INSTALLER ARCHIVE..."""
import os
import re
import subprocess
import sys
import tempfile

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..", "scripts"))
from check_offer_library import problems as offer_library_problems  # noqa: E402
from pe_image import PeImage  # noqa: E402

IMAGE_FILE_LARGE_ADDRESS_AWARE = 0x20
DYNAMIC_BASE, NX_COMPAT, NO_SEH, TERMINAL_SERVER_AWARE = 0x40, 0x100, 0x400, 0x8000
RT_MANIFEST = 24
# The screen-reader objects, libcurl's proxy authentication through SSPI, the
# kept download and the handle-relative file work took it past 1.2 MiB.
MAX_OWN_BYTES = 1363148  # 1.3 MiB


def header_problems(image):
    found = []
    if image.magic != 0x10B or image.machine != 0x14C:
        found.append("not a PE32 program for x86")
    if image.subsystem != 2:
        found.append(f"subsystem {image.subsystem}, not the Windows GUI (2)")
    if not (4, 0) <= image.subsystem_version <= (5, 1):
        found.append(f"subsystem version {image.subsystem_version}: Windows XP wants 4.0 to 5.1")
    for flag, name in ((DYNAMIC_BASE, "--dynamicbase"), (NX_COMPAT, "--nxcompat"),
                       (TERMINAL_SERVER_AWARE, "--tsaware")):
        if not image.dll_characteristics & flag:
            found.append(f"not linked {name}")
    if image.dll_characteristics & NO_SEH:
        found.append("marked as using no SEH")
    if not image.characteristics & IMAGE_FILE_LARGE_ADDRESS_AWARE:
        found.append("not linked --large-address-aware")
    if not image.directories[5][1]:
        found.append("no relocations: the base cannot move")
    return found


def manifest_problems(image):
    manifest = image.resource(RT_MANIFEST, 1)
    if not manifest:
        return ["no manifest"]
    identity = re.search(rb"<assemblyIdentity[^>]*>", manifest)
    if not identity or b'processorArchitecture="x86"' not in identity.group(0):
        return ["the manifest's own identity does not name the x86 architecture"]
    return []


def archive_problems(seven_zip, archive):
    with tempfile.TemporaryDirectory() as folder:
        run = subprocess.run([seven_zip, "x", "-y", f"-o{folder}", archive], capture_output=True, text=True)
        names = os.listdir(folder)
        if run.returncode != 0 or names != ["ds.dll"]:
            return [f"{archive}: does not hold exactly ds.dll ({names})"]
        return [f"{archive}: {problem}" for problem in offer_library_problems("i686", os.path.join(folder, "ds.dll"))]


def guard_problems(objdump, installer):
    """The guard: the stack pointer kept in %esi before the arguments are
    pushed, the indirect call, and %esp taken back from %esi right after it."""
    listing = subprocess.run([objdump, "-d", installer], capture_output=True, text=True, check=True).stdout
    instructions = [line.split("\t")[-1].strip() for line in listing.splitlines() if line.count("\t") >= 2]
    sites = [i for i in range(1, len(instructions))
             if instructions[i] == "mov    %esi,%esp" and instructions[i - 1].startswith("call   *")]
    found = []
    if len(sites) != 1:
        found.append(f"{len(sites)} calls that take the stack pointer back from %esi, not one")
    else:
        before = instructions[max(0, sites[0] - 8):sites[0]]
        if "mov    %esp,%esi" not in before:
            found.append("the stack pointer is not kept in %esi before the call")
        if "mov    %esp,%fs:0x0" not in before:
            found.append("no exception record is linked around the call")
    return found


def size_problems(installer, carried_archive):
    unsigned = installer[:-len(".exe")] + ".unsigned.exe"
    program = unsigned if os.path.exists(unsigned) else installer
    own = os.path.getsize(program) - os.path.getsize(carried_archive)
    print(f"{program}: {own} bytes of its own (without the {os.path.getsize(carried_archive)} of the offer library)")
    return [f"{own} bytes of its own, more than {MAX_OWN_BYTES} (1.3 MiB)"] if own > MAX_OWN_BYTES else []


def main(objdump, seven_zip, installer, *archives):
    image = PeImage(installer)
    found = header_problems(image) + manifest_problems(image) + guard_problems(objdump, installer)
    if archives:
        found += size_problems(installer, archives[0])
    for archive in archives:
        found += archive_problems(seven_zip, archive)
    print(f"{installer}: subsystem version {image.subsystem_version[0]}.{image.subsystem_version[1]}, "
          f"characteristics {image.characteristics:#06x}, DLL characteristics {image.dll_characteristics:#06x}")
    for problem in found:
        print(problem)
    print(f"{len(found)} problems")
    return 1 if found else 0


if __name__ == "__main__":
    if len(sys.argv) < 4:
        sys.exit(__doc__)
    sys.exit(main(*sys.argv[1:]))
