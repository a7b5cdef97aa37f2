#!/usr/bin/env bash
# Builds the shipped installer twice from this checkout, in two fresh folders
# whose paths differ, as a release (VORLANE_RELEASE: the product's own
# settings; nothing signed, no tests), and compares the executables byte for
# byte. A release packs a partner's offer library: here the plain stand-in,
# built once beforehand, which carries no test hooks; and it pins the package
# signer's key: here a stand-in value.
#   scripts/reproducible.sh [ARCH...]     (default: i686, the shipped one)
set -euo pipefail
ROOT=$(cd "$(dirname "$0")/.." && pwd)
OUT=${VORLANE_BUILD_ROOT:-$ROOT/build}/reproducible
ARCHS=("${@:-i686}")
status=0

for arch in "${ARCHS[@]}"; do
  offer="$OUT/$arch-offer"
  echo "[reproducible] building the plain offer library stand-in for $arch in $offer"
  cmake -S "$ROOT" -B "$offer" -G Ninja -DCMAKE_TOOLCHAIN_FILE="$ROOT/cmake/mingw-$arch.cmake" \
    -DVORLANE_BUILD_TESTS=OFF >/dev/null
  cmake --build "$offer" --target vorlane_standin_offer_library_plain >/dev/null
  sums=()
  for folder in "$OUT/$arch-first" "$OUT/$arch-second-build"; do
    rm -rf "$folder"
    echo "[reproducible] building $arch in $folder"
    cmake -S "$ROOT" -B "$folder" -G Ninja -DCMAKE_TOOLCHAIN_FILE="$ROOT/cmake/mingw-$arch.cmake" \
      -DVORLANE_BUILD_TESTS=OFF -DVORLANE_RELEASE=ON \
      -DVORLANE_PACKAGE_SIGNER_KEY_SHA256="$(printf '5e%.0s' $(seq 32))" \
      -DVORLANE_OFFER_LIBRARY="$offer/standins/offer_plain/ds.dll" >/dev/null
    cmake --build "$folder" --target VorlaneInstaller >/dev/null
    sums+=("$(sha256sum "$folder/app/VorlaneInstaller.exe" | cut -d' ' -f1)")
  done
  if cmp -s "$OUT/$arch-first/app/VorlaneInstaller.exe" "$OUT/$arch-second-build/app/VorlaneInstaller.exe"; then
    echo "[reproducible] $arch: identical, $(stat -c %s "$OUT/$arch-first/app/VorlaneInstaller.exe") bytes, sha256 ${sums[0]}"
  else
    echo "[reproducible] $arch: DIFFERENT (${sums[0]} / ${sums[1]}); first differing bytes:"
    cmp -l "$OUT/$arch-first/app/VorlaneInstaller.exe" "$OUT/$arch-second-build/app/VorlaneInstaller.exe" | head -n 10 || true
    status=1
  fi
done
exit $status
