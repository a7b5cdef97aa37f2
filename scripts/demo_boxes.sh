#!/usr/bin/env bash
# Draws every message box of the installer (English, Arabic, Chinese; 100 %
# and 150 %) into PNG files under $VORLANE_BUILD/demo/boxes/, using the box
# gallery program built with the tests.
set -euo pipefail
source "$(dirname "$0")/wine-env.sh"
trap wine_env_stop EXIT
wine_env_start

gallery="$VORLANE_BUILD/tests/ui/box_gallery.exe"
[ -f "$gallery" ] || { echo "[demo] $gallery is missing: build first" >&2; exit 1; }
out="$VORLANE_BUILD/demo/boxes"
rm -rf "$out"
mkdir -p "$out"
wine "$gallery" "$(winepath -w "$out")"
echo "[demo] message boxes in $out"
