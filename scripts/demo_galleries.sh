#!/usr/bin/env bash
# Draws every page and state of the main window and every message box of the
# installer (English, Chinese, Arabic; 100 % and 150 %) into PNG files under
# $VORLANE_BUILD/demo/pages/ and $VORLANE_BUILD/demo/boxes/, using the gallery
# programs built with the tests.
set -euo pipefail
source "$(dirname "$0")/wine-env.sh"
trap wine_env_stop EXIT
wine_env_start

for gallery in app/main_frame_gallery:pages ui/box_gallery:boxes; do
  program="$VORLANE_BUILD/tests/${gallery%%:*}.exe"
  out="$VORLANE_BUILD/demo/${gallery##*:}"
  [ -f "$program" ] || { echo "[demo] $program is missing: build first" >&2; exit 1; }
  rm -rf "$out"
  mkdir -p "$out"
  wine "$program" "$(winepath -w "$out")"
  echo "[demo] pictures in $out"
done
