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
# The skin asks for "Microsoft YaHei", which Wine lacks: let DejaVu Sans stand
# in (Latin, Arabic) and take Chinese glyphs from WenQuanYi Micro Hei, as
# Windows' own font linking would.
for face in "Microsoft YaHei" "微软雅黑"; do
  wine reg add 'HKCU\Software\Wine\Fonts\Replacements' /v "$face" /d "DejaVu Sans" /f >/dev/null 2>&1
done
for face in "DejaVu Sans" "DejaVu Sans Bold"; do
  wine reg add 'HKLM\Software\Microsoft\Windows NT\CurrentVersion\FontLink\SystemLink' \
    /v "$face" /t REG_MULTI_SZ /d "wqy-microhei.ttc,WenQuanYi Micro Hei" /f >/dev/null 2>&1
done

out="$VORLANE_BUILD/demo/boxes"
rm -rf "$out"
mkdir -p "$out"
wine "$gallery" "$(winepath -w "$out")"
echo "[demo] message boxes in $out"
