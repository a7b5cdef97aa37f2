#!/usr/bin/env bash
# Extraction speed of utility::un7z (folder and callback mode) against 7zz on a
# 200 MiB solid LZMA2 archive made on demand, folder mode's peak memory, and the
# time the start-up spends on the shipped skin and language table.
#   bench/run_un7z_bench.sh [RUNS]      (after a build; BUILD as for make)
# un7z's times are measured inside the process (Wine's start-up left out);
# 7zz's are whole runs of the native program. Ratios are un7z / 7zz.
set -euo pipefail
ROOT=$(cd "$(dirname "$0")/.." && pwd)
source "$ROOT/scripts/wine-env.sh"  # chooses the build this machine runs
RUNS=${1:-3}
INPUT=$VORLANE_BUILD/bench/un7z_input
ARCHIVE=$INPUT/bench.7z
OUT=$INPUT/out

echo "[bench] making the 200 MiB input when missing (takes a minute the first time)"
python3 "$ROOT/bench/make_un7z_bench_input.py" 7zz "$INPUT"
cmake --build "$VORLANE_BUILD" --target un7z_bench skin_startup_bench >/dev/null
trap wine_env_stop EXIT
wine_env_start
BENCH=$VORLANE_BUILD/bench/un7z_bench.exe
WIN_ARCHIVE=$(winepath -w "$ARCHIVE" 2>/dev/null)
WIN_OUT=$(winepath -w "$OUT" 2>/dev/null)

now_ms() { echo $(( $(date +%s%N) / 1000000 )); }
best() { sort -n | head -n 1; }
field() { sed -n "s/.*$1=\([0-9.]*\).*/\1/p"; }

time_7zz() {  # 7zz arguments...; prints the best wall time in ms
  local i t0 times=()
  for i in $(seq "$RUNS"); do
    rm -rf "$OUT"
    t0=$(now_ms)
    7zz "$@" >/dev/null
    times+=($(( $(now_ms) - t0 )))
  done
  printf '%s\n' "${times[@]}" | best
}

time_un7z() {  # mode; prints the best in-process time in ms, keeps the last line
  local i line times=()
  for i in $(seq "$RUNS"); do
    rm -rf "$OUT"
    if [ "$1" = folder ]; then line=$(wine "$BENCH" folder "$WIN_ARCHIVE" "$WIN_OUT")
    else line=$(wine "$BENCH" callback "$WIN_ARCHIVE"); fi
    echo "$line" >> "$INPUT/un7z_runs.txt"
    times+=($(echo "$line" | field ms))
  done
  printf '%s\n' "${times[@]}" | best
}

: > "$INPUT/un7z_runs.txt"
ls -l "$ARCHIVE" | awk '{printf "[bench] archive %.1f MiB packed, 200.0 MiB unpacked\n", $5/1048576}'
sevenzip_x=$(time_7zz x -y -o"$OUT" "$ARCHIVE")
sevenzip_x1=$(time_7zz x -y -mmt=1 -o"$OUT" "$ARCHIVE")
sevenzip_t1=$(time_7zz t -mmt=1 "$ARCHIVE")
folder=$(time_un7z folder)
callback=$(time_un7z callback)
rm -rf "$OUT"

ratio() { awk -v a="$1" -v b="$2" 'BEGIN { printf "%.2f", a / b }'; }
speed() { awk -v ms="$1" 'BEGIN { printf "%.0f", 200 / (ms / 1000) }'; }
echo "best of $RUNS runs:"
echo "  7zz x            ${sevenzip_x} ms ($(speed "$sevenzip_x") MiB/s)"
echo "  7zz x -mmt=1     ${sevenzip_x1} ms ($(speed "$sevenzip_x1") MiB/s)"
echo "  7zz t -mmt=1     ${sevenzip_t1} ms ($(speed "$sevenzip_t1") MiB/s, decode without writing)"
echo "  un7z folder      ${folder} ms ($(speed "$folder") MiB/s), ratio $(ratio "$folder" "$sevenzip_x") to 7zz x, $(ratio "$folder" "$sevenzip_x1") to 7zz x -mmt=1"
echo "  un7z callback    ${callback} ms ($(speed "$callback") MiB/s), ratio $(ratio "$callback" "$sevenzip_t1") to 7zz t -mmt=1"
echo "folder mode memory (last run): $(grep 'mode=folder' "$INPUT/un7z_runs.txt" | tail -n 1)"
echo "callback mode memory (last run): $(grep 'mode=callback' "$INPUT/un7z_runs.txt" | tail -n 1)"
(cd "$VORLANE_BUILD/bench" && wine ./skin_startup_bench.exe)
