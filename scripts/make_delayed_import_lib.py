#!/usr/bin/env python3
"""Makes a delay-loading import library from a MinGW-w64 import library: the
same functions of the same DLL, resolved on first call instead of when the
program loads. Objects of real data the import library also holds (GDI+'s
GUIDs, say) are copied over as they are. Given FUNCTIONS, only those (by
their exported names): the few functions of a DLL that is otherwise imported
the ordinary way.

usage: make_delayed_import_lib.py NM DLLTOOL AR MACHINE IMPORT_LIB OUTPUT [FUNCTIONS...]
MACHINE is dlltool's machine name (i386 or i386:x86-64)."""
import os
import subprocess
import sys
import tempfile


def run(*command):
    return subprocess.run(command, capture_output=True, text=True, check=True).stdout


def data_members(nm, import_lib):
    """Members that define data rather than import a function."""
    members = set()
    for line in run(nm, "-A", "-g", "--defined-only", import_lib).splitlines():
        fields = line.split()
        where, kind, name = fields[0], fields[-2], fields[-1]
        if kind in ("D", "R", "B") and "_head_" not in name and not name.endswith("_iname"):
            members.add(where.split(":")[-2])  # "library:member:address"
    return sorted(members)


def main(nm, dlltool, ar, machine, import_lib, output, *only):
    dll = run(dlltool, "--identify", import_lib).split()[0]
    # i686 symbols carry one more leading underscore than the exported name.
    prefix = "__imp__" if machine == "i386" else "__imp_"
    names = sorted({symbol[len(prefix):]
                    for line in run(nm, "-g", "--defined-only", import_lib).splitlines()
                    for symbol in line.split()[-1:] if symbol.startswith(prefix)})
    if only:
        # i686 names carry their stack size ("GetTickCount64@0").
        names = [name for name in names if name.split("@")[0] in only]
        missing = set(only) - {name.split("@")[0] for name in names}
        if missing:
            sys.exit(f"not in {import_lib}: {', '.join(sorted(missing))}")
    if not names:
        sys.exit(f"no functions in {import_lib}")
    with tempfile.TemporaryDirectory() as work:
        definition = os.path.join(work, "exports.def")
        with open(definition, "w") as out:
            out.write(f'LIBRARY "{dll}"\nEXPORTS\n' + "".join(f"{name}\n" for name in names))
        # --kill-at: the DLL exports the i686 stdcall names without their "@n".
        run(dlltool, "--machine", machine, "--kill-at", "--input-def", definition,
            "--dllname", dll, "--output-delaylib", output)
        data = [] if only else data_members(nm, import_lib)
        if data:
            subprocess.run([ar, "x", os.path.abspath(import_lib), *data], cwd=work, check=True)
            run(ar, "rs", output, *[os.path.join(work, member) for member in data])


if __name__ == "__main__":
    if len(sys.argv) < 7:
        sys.exit(__doc__)
    main(*sys.argv[1:])
