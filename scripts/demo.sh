#!/usr/bin/env bash
# The installer's whole flow under Wine against stand-in servers on loopback,
# driven as a user does with clicks and typing: the licence, a folder typed in,
# the leave question, the install button; the primary package host fails and
# the spare one serves the signed stand-in package slowly enough to watch the
# progress; the installer checks the signature, installs silently and starts
# the stand-in emulator. Saves a screenshot of every page and box on the way,
# prints the run's log, the installed files and every event both endpoints
# received; then draws every page and box in three languages at two scales.
# On your display when DISPLAY is set, otherwise on a virtual one; the pictures
# are in build/<arch>/demo/.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
source "$here/wine-env.sh"
trap wine_env_stop EXIT
wine_env_start keep

out="$VORLANE_BUILD/demo"
rm -rf "$out"
mkdir -p "$out"
echo "[demo] running the installer on display $DISPLAY"
python3 "$here/../tests/flow/installer_run.py" --build "$VORLANE_BUILD" --out "$out"

wine_env_stop
"$here/demo_galleries.sh"
echo "[demo] screenshots of the run in $out (shot-NNN-<step>.png)"
