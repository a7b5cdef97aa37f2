# Sourced by the test and demo scripts: the build this machine can run (see
# wine-arch.sh), one Wine prefix per build folder (created once, reused while
# valid), a virtual display when none is given, and a persistent wineserver for
# the run. Call wine_env_start, then wine_env_stop.
#
# For the 64-bit build, `wine`, `wineserver`, `wineboot` and `winepath` on the
# PATH are replaced by small scripts that call 64-bit Wine directly: the usual
# commands all go through the 32-bit loader, which some kernels refuse.

VORLANE_ROOT=${VORLANE_ROOT:-$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)}
VORLANE_BUILD_ROOT=${VORLANE_BUILD_ROOT:-$VORLANE_ROOT/build}
if [ -z "${VORLANE_ARCH:-}" ]; then
  VORLANE_ARCH=$("$VORLANE_ROOT/scripts/wine-arch.sh" ${VORLANE_ARCH_VERBOSE:+-v}) || return 1
fi
export VORLANE_ARCH
export VORLANE_BUILD=${VORLANE_BUILD:-$VORLANE_BUILD_ROOT/$VORLANE_ARCH}
export WINEPREFIX=${WINEPREFIX:-$VORLANE_BUILD/wineprefix}
export WINEDEBUG=${WINEDEBUG:--all}
export WINEARCH=win64
# No browser or .NET runtime prompts while the prefix is made.
export WINEDLLOVERRIDES=${WINEDLLOVERRIDES:-mscoree,mshtml=}

_wine_env_xvfb_pid=""

# Puts scripts named like Wine's commands, calling 64-bit Wine, first on the PATH.
wine_env_commands() {
  [ "$VORLANE_ARCH" = x86_64 ] || return 0
  local bin="$VORLANE_BUILD/wine-bin"
  mkdir -p "$bin"
  export WINELOADER=/usr/lib/wine/wine64 WINESERVER=/usr/lib/wine/wineserver64
  printf '#!/bin/sh\nexec /usr/lib/wine/wine64 "$@"\n' > "$bin/wine"
  printf '#!/bin/sh\nexec /usr/lib/wine/wineserver64 "$@"\n' > "$bin/wineserver"
  printf '#!/bin/sh\nexec /usr/lib/wine/wine64 wineboot.exe "$@"\n' > "$bin/wineboot"
  printf '#!/bin/sh\nexec /usr/lib/wine/wine64 winepath.exe "$@"\n' > "$bin/winepath"
  chmod +x "$bin"/*
  case ":$PATH:" in *":$bin:"*) ;; *) export PATH="$bin:$PATH" ;; esac
}

wine_env_prefix() {
  if [ -f "$WINEPREFIX/.vorlane-ready" ] && [ -f "$WINEPREFIX/system.reg" ]; then return 0; fi
  echo "[wine] creating prefix $WINEPREFIX" >&2
  rm -rf "$WINEPREFIX"
  mkdir -p "$(dirname "$WINEPREFIX")"
  wineboot -i >/dev/null 2>&1 || true
  wineserver -w
  [ -f "$WINEPREFIX/system.reg" ] || { echo "[wine] prefix creation failed" >&2; return 1; }
  touch "$WINEPREFIX/.vorlane-ready"
}

# Starts Xvfb on the first free display number unless $1 is "keep" and DISPLAY is set.
wine_env_display() {
  if [ "${1:-}" = keep ] && [ -n "${DISPLAY:-}" ]; then return 0; fi
  local n
  for n in $(seq 90 140); do
    [ -e "/tmp/.X$n-lock" ] || [ -e "/tmp/.X11-unix/X$n" ] && continue
    Xvfb ":$n" -screen 0 1280x800x24 -nolisten tcp >/dev/null 2>&1 &
    _wine_env_xvfb_pid=$!
    local i
    for i in $(seq 1 50); do
      [ -e "/tmp/.X11-unix/X$n" ] && break
      sleep 0.1
    done
    if kill -0 "$_wine_env_xvfb_pid" 2>/dev/null; then
      export DISPLAY=":$n"
      return 0
    fi
  done
  echo "[wine] no virtual display could be started" >&2
  return 1
}

# The skin asks for "Microsoft YaHei", which Wine lacks: let DejaVu Sans stand
# in (Latin, Arabic) and take Chinese glyphs from WenQuanYi Micro Hei, as
# Windows' own font linking would. Once per prefix.
wine_env_fonts() {
  [ -f "$WINEPREFIX/.vorlane-fonts" ] && return 0
  local face
  for face in "Microsoft YaHei" "微软雅黑"; do
    wine reg add 'HKCU\Software\Wine\Fonts\Replacements' /v "$face" /d "DejaVu Sans" /f >/dev/null 2>&1
  done
  for face in "DejaVu Sans" "DejaVu Sans Bold"; do
    wine reg add 'HKLM\Software\Microsoft\Windows NT\CurrentVersion\FontLink\SystemLink' \
      /v "$face" /t REG_MULTI_SZ /d "wqy-microhei.ttc,WenQuanYi Micro Hei" /f >/dev/null 2>&1
  done
  touch "$WINEPREFIX/.vorlane-fonts"
}

wine_env_start() {
  wine_env_commands
  wine_env_display "${1:-}" || return 1
  wine_env_prefix || return 1
  wineserver -p
  wine_env_fonts
  # Wine's helper processes (services, explorer) start with the first program
  # and live as long as the server; started here, they hold no test's output
  # pipe open, which would make CTest wait for them.
  wine cmd.exe /c exit >/dev/null 2>&1 </dev/null || true
}

wine_env_stop() {
  wineserver -k >/dev/null 2>&1 || true
  if [ -n "$_wine_env_xvfb_pid" ]; then
    kill "$_wine_env_xvfb_pid" 2>/dev/null || true
    wait "$_wine_env_xvfb_pid" 2>/dev/null || true
  fi
}
