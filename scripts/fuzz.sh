#!/usr/bin/env bash
# Fuzzes the parsing cores that take what comes from outside (the installer's
# file name, a loose language table, skin archives, layouts, PNG images): builds them
# natively with clang's libFuzzer and the address and undefined-behaviour
# sanitizers, seeds each target from the test fixtures, runs each for
# FUZZ_SECONDS (default 120) and prints executions and findings per target.
# Findings are kept in build/fuzz/findings/. Not part of `make test`.
set -euo pipefail
shopt -s inherit_errexit nullglob

HERE=$(cd "$(dirname "$0")/.." && pwd)
OUT=${VORLANE_BUILD_ROOT:-$HERE/build}/fuzz
SECONDS_PER_TARGET=${FUZZ_SECONDS:-120}
TARGETS=(start_parameters_fuzzer language_table_fuzzer un7z_fuzzer layout_fuzzer png_fuzzer)
PACKAGES=(clang libclang-rt-14-dev cmake ninja-build 7zip python3)

log() { printf '[fuzz] %s\n' "$*" >&2; }

install_packages() {
  local p missing=()
  for p in "${PACKAGES[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
  done
  [ ${#missing[@]} -eq 0 ] && return 0
  if [ "$(id -u)" != 0 ]; then echo "missing packages (install as root): ${missing[*]}" >&2; exit 1; fi
  log "installing ${missing[*]}"
  apt-get update -qq
  DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
}

build() {
  log "building the targets"
  CC=clang CXX=clang++ cmake -S "$HERE/tests/fuzz" -B "$OUT/build" -G Ninja >/dev/null
  cmake --build "$OUT/build" >/dev/null
}

# Runs one target on a fresh copy of its seeds; prints "name executions findings".
run_target() {
  local name=$1 corpus="$OUT/corpus/$1" stats="$OUT/logs/$1.log"
  rm -rf "$corpus"; mkdir -p "$corpus" "$OUT/findings" "$OUT/logs"
  cp "$OUT/seeds/$name"/* "$corpus"/
  rm -f "$OUT/findings/$name"-*
  # A finding stops the run; the rest of the time is not spent.
  "$OUT/build/$name" "$corpus" -max_total_time="$SECONDS_PER_TARGET" -print_final_stats=1 \
    -artifact_prefix="$OUT/findings/$name-" -max_len=65536 -timeout=10 -rss_limit_mb=2048 \
    >"$stats" 2>&1 || true
  local runs findings
  runs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$stats" | tail -n 1)
  findings=$(find "$OUT/findings" -name "$name-*" | wc -l)
  printf '%-24s %12s %9s\n' "$name" "${runs:-?}" "$findings"
}

main() {
  install_packages
  [ -f "${VORLANE_CACHE:-/var/cache/vorlane}/thirdparty.cmake" ] || "$HERE/scripts/setup.sh"
  build
  log "making the seeds"
  python3 "$HERE/tests/fuzz/make_seeds.py" "$HERE" "$(command -v 7zz)" "$OUT/seeds"
  log "running each target for ${SECONDS_PER_TARGET} s"
  printf '%-24s %12s %9s\n' target executions findings
  local name total=0 line
  for name in "${TARGETS[@]}"; do
    line=$(run_target "$name")
    echo "$line"
    total=$((total + $(awk '{print $3}' <<<"$line")))
  done
  if [ "$total" -gt 0 ]; then
    log "findings in $OUT/findings (the logs are in $OUT/logs)"
    exit 1
  fi
}

main "$@"
