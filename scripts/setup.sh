#!/usr/bin/env bash
# Prepares a Debian 12 machine (as root) to build and test the installer:
# system packages, then the third-party libraries built from Debian's source
# packages into a cache outside the source tree. Safe to run again: every step
# is skipped when its result is already there.
set -euo pipefail
shopt -s inherit_errexit

CACHE=${VORLANE_CACHE:-/var/cache/vorlane}
HERE=$(cd "$(dirname "$0")/.." && pwd)
JOBS=$(nproc)

log() { printf '[setup] %s\n' "$*" >&2; }

PACKAGES=(g++-mingw-w64-i686 mingw-w64-i686-dev g++-mingw-w64-x86-64 mingw-w64-x86-64-dev
          cmake ninja-build make
          wine wine32:i386 wine64 xvfb xauth xdotool
          7zip rapidjson-dev googletest osslsigncode imagemagick
          fonts-wqy-microhei fonts-dejavu-core dpkg-dev python3 openssl curl
          nginx-light tinyproxy nsis)

packages_missing() {
  local p
  for p in "${PACKAGES[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || return 0
  done
  return 1
}

enable_sources() {
  local f=/etc/apt/sources.list.d/debian.sources
  if [ -f "$f" ] && grep -q '^Types: deb$' "$f"; then
    sed -i 's/^Types: deb$/Types: deb deb-src/' "$f"
  fi
  if [ -f /etc/apt/sources.list ] && grep -q '^deb ' /etc/apt/sources.list \
     && ! grep -q '^deb-src ' /etc/apt/sources.list; then
    sed -n 's/^deb /deb-src /p' /etc/apt/sources.list >> /etc/apt/sources.list
  fi
}

install_packages() {
  dpkg --print-foreign-architectures | grep -qx i386 || dpkg --add-architecture i386
  enable_sources
  if packages_missing; then
    log "installing system packages"
    apt-get update -qq
    DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends "${PACKAGES[@]}" >/dev/null
  fi
}

# Fetches a Debian source package's original tarball into $CACHE/src once.
fetch_source() {
  local pkg=$1 pattern=$2
  mkdir -p "$CACHE/src"
  if ! compgen -G "$CACHE/src/$pattern" >/dev/null; then
    log "fetching source of $pkg"
    enable_sources
    ls /var/lib/apt/lists/*Sources* >/dev/null 2>&1 || apt-get update -qq
    # A security update's pool may be out of reach where the release's is
    # not: then the release's own version (the same original tarball).
    local release; release=$(. /etc/os-release && echo "${VERSION_CODENAME:-}")
    (cd "$CACHE/src" && apt-get source --download-only "$pkg" >/dev/null 2>&1) || {
      apt-get update -qq
      (cd "$CACHE/src" && { apt-get source --download-only "$pkg" >/dev/null 2>&1 ||
        apt-get source --download-only "$pkg/$release" >/dev/null; })
    }
  fi
  compgen -G "$CACHE/src/$pattern" | sort | tail -n 1
}

# Both Windows architectures are built: i686 is the shipped program, x86_64 a
# test vehicle for machines that run no 32-bit programs.
ARCHS=(i686 x86_64)

# libcurl with only what the program uses: HTTP(S) through Schannel, redirects,
# custom headers, posts, the progress callback, and the answers to a proxy's
# challenge through the system's security packages (SSPI: Negotiate, NTLM).
# Its options, one a line, are in cmake/curl_options.txt; in the compiler
# flags WORK stands for the unpacked source's folder, which is mapped away so
# that no temporary path lands in the installer (and no unwind tables: no
# exception passes through libcurl; the C library's own sscanf rather than
# MinGW's, which would bring 16 KB of scanf and number parsing along). The
# file's digest is the cache key, so a change there builds it anew;
# cmake/thirdparty.cmake finds it by the same key.
CURL_OPTIONS_FILE="$HERE/cmake/curl_options.txt"
mapfile -t CURL_OPTIONS < <(grep -v '^[[:space:]]*$' "$CURL_OPTIONS_FILE")

build_curl() {
  local arch=$1 tarball ver key dest
  tarball=$(fetch_source curl 'curl_*.orig.tar.gz')
  ver=$(basename "$tarball" | sed 's/^curl_\(.*\)\.orig\.tar\.gz$/\1/')
  key=$(md5sum < "$CURL_OPTIONS_FILE" | cut -c1-8)
  dest="$CACHE/curl-$ver-$arch-$key"
  [ -f "$dest/.done" ] && { echo "$dest"; return; }
  log "building libcurl $ver for $arch (static, Schannel, SSPI, HTTP only)"
  local work; work=$(mktemp -d)
  tar -xzf "$tarball" -C "$work"
  cmake -S "$work/curl-$ver" -B "$work/build" -G Ninja \
    -DCMAKE_TOOLCHAIN_FILE="$HERE/cmake/mingw-$arch.cmake" \
    -DCMAKE_INSTALL_PREFIX="$dest" "${CURL_OPTIONS[@]//WORK/$work}" >/dev/null
  cmake --build "$work/build" -j "$JOBS" >/dev/null
  rm -rf "$dest"
  cmake --install "$work/build" >/dev/null
  rm -rf "$work"
  touch "$dest/.done"
  echo "$dest"
}

# The LZMA SDK's C decoder comes from the 7-Zip source; pugixml, libspng (the
# skin's PNG decoder) and zlib (its inflate) from their own. All are small and
# compiled by the project itself, so only their sources are kept, one folder
# per version.
unpack_source() {
  local pkg=$1 pattern=$2 name=$3 tarball dest
  tarball=$(fetch_source "$pkg" "$pattern")
  dest="$CACHE/$name-$(basename "$tarball" | sed -E 's/^[^_]+_(.*)\.orig\.tar\.[a-z0-9]+$/\1/')"
  if [ ! -f "$dest/.done" ]; then
    log "unpacking $(basename "$tarball")"
    rm -rf "$dest"; mkdir -p "$dest"
    tar -xf "$tarball" -C "$dest" --strip-components=1
    touch "$dest/.done"
  fi
  echo "$dest"
}

main() {
  if [ "$(id -u)" != 0 ]; then echo "setup must run as root" >&2; exit 1; fi
  install_packages
  mkdir -p "$CACHE"
  local arch lzma pugi spng zlib
  for arch in "${ARCHS[@]}"; do build_curl "$arch" >/dev/null; done
  lzma=$(unpack_source 7zip '7zip_*.orig.tar.*' 7zip)
  pugi=$(unpack_source pugixml 'pugixml_*.orig.tar.gz' pugixml)
  spng=$(unpack_source libspng 'libspng_*.orig.tar.gz' libspng)
  zlib=$(unpack_source zlib 'zlib_*.orig.tar.*' zlib)
  mkdir -p "$CACHE/rapidjson/include"
  [ -e "$CACHE/rapidjson/include/rapidjson" ] || ln -s /usr/include/rapidjson "$CACHE/rapidjson/include/rapidjson"
  cat > "$CACHE/thirdparty.cmake.tmp" <<CMK
set(VORLANE_LZMA_SRC "$lzma/C")
set(VORLANE_PUGIXML_SRC "$pugi/src")
set(VORLANE_SPNG_SRC "$spng/spng")
set(VORLANE_ZLIB_SRC "$zlib")
set(VORLANE_RAPIDJSON_INCLUDE "$CACHE/rapidjson/include")
set(VORLANE_GTEST_SRC "/usr/src/googletest")
CMK
  mv "$CACHE/thirdparty.cmake.tmp" "$CACHE/thirdparty.cmake"
  log "ready: $CACHE/thirdparty.cmake"
}

main "$@"
