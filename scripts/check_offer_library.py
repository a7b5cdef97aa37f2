#!/usr/bin/env python3
"""Checks the partner's offer library that a build is to carry: a file named
ds.dll, a DLL built for the build's architecture, exporting "InvokeW" under
that undecorated name (the installer looks the export up by it). Without
these the installer would silently never show an offer.
usage: check_offer_library.py ARCH FILE      (ARCH: i686 or x86_64)"""
import os
import sys

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from pe_image import PeImage  # noqa: E402

MACHINES = {"i686": 0x14C, "x86_64": 0x8664}
IMAGE_FILE_DLL = 0x2000


def problems(arch, path):
    if os.path.basename(path).lower() != "ds.dll":
        return [f"it is named {os.path.basename(path)}, not ds.dll"]
    try:
        image = PeImage(path)
    except (OSError, ValueError) as error:
        return [f"it is no Windows program: {error}"]
    found = []
    if image.machine != MACHINES[arch]:
        found.append(f"it is built for machine {image.machine:#x}, not {arch}")
    if not image.characteristics & IMAGE_FILE_DLL:
        found.append("it is not a DLL")
    exports = image.exports()
    if "InvokeW" not in exports:
        decorated = [name for name in exports if "InvokeW" in name]
        found.append("it exports no undecorated InvokeW" +
                     (f" (only {', '.join(decorated)})" if decorated else ""))
    return found


def main(arch, path):
    found = problems(arch, path)
    for problem in found:
        print(f"offer library {path}: {problem}")
    return 1 if found else 0


if __name__ == "__main__":
    if len(sys.argv) != 3 or sys.argv[1] not in MACHINES:
        sys.exit(__doc__)
    sys.exit(main(*sys.argv[1:]))
