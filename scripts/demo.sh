#!/usr/bin/env bash
# Runs the installer under Wine and shows what it did: on the user's display when
# DISPLAY is set, otherwise on a virtual display with screenshots saved to
# build/demo/. Prints the run's log lines.
set -euo pipefail
source "$(dirname "$0")/wine-env.sh"
trap wine_env_stop EXIT
wine_env_start keep

out="$VORLANE_BUILD/demo"
mkdir -p "$out"
exe="$VORLANE_BUILD/app/VorlaneInstaller.exe"
log="$WINEPREFIX/drive_c/users/$(whoami)/AppData/Roaming/tmdownloader/log.txt"
before=$(stat -c %s "$log" 2>/dev/null || echo 0)

echo "[demo] running $exe on display $DISPLAY"
wine "$exe" &
pid=$!
shot=0
while kill -0 "$pid" 2>/dev/null && [ $shot -lt 20 ]; do
  sleep 1
  shot=$((shot + 1))
  /usr/bin/import -display "$DISPLAY" -window root "$out/shot-$(printf %02d $shot).png" 2>/dev/null || true
done
wait "$pid" || true

echo "[demo] log of this run ($log):"
tail -c +"$((before + 1))" "$log" 2>/dev/null || echo "(no log written)"
ls "$out"/shot-*.png >/dev/null 2>&1 && echo "[demo] screenshots in $out"
