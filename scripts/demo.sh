#!/usr/bin/env bash
# The installer's whole flow under Wine against stand-in servers on loopback:
# the primary package host fails, the spare one serves the signed stand-in
# package; the installer (run under a file name that carries its parameters)
# downloads, checks the signature, installs silently and starts the stand-in
# emulator. Prints the run's log, the installed files and every event both
# endpoints received; then draws every message box. On your display when
# DISPLAY is set, otherwise on a virtual one, with screenshots in build/<arch>/demo/.
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

if [ -f "$VORLANE_BUILD/tests/ui/box_gallery.exe" ]; then
  wine_env_stop
  "$here/demo_boxes.sh"
fi
echo "[demo] screenshots of the run in $out (shot-NNN.png, shot-emulator.png)"
