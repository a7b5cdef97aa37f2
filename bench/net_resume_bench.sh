#!/usr/bin/env bash
# Resumed downloads through each engine of the installer against loopback
# nginx over HTTPS (tests/servers/real_servers.py): a package cut three times
# at random positions, and the same package through a relay with two outages
# of 20 s and the downloading process ended and started again at random
# points, each against an uncut download of the same file in the same run
# (net_resume_bench.exe under Wine).
# usage: bench/net_resume_bench.sh [BYTES]   (default 200 MiB; after a build)
set -euo pipefail
ROOT=$(cd "$(dirname "$0")/.." && pwd)
BYTES=${1:-209715200}

source "$ROOT/scripts/wine-env.sh"  # chooses the build this machine runs
if [ ! -f "$VORLANE_BUILD/bench/net_resume_bench.exe" ]; then
  echo "build first: make build" >&2
  exit 1
fi
# Three ascending positions in the package's first 95 %, at least a tenth of
# it apart, so that each cut lands in a span of its own.
VORLANE_TEST_CUTS=$(python3 -c "
import random, sys
n = int(sys.argv[1]); tenth = n // 10
a = random.randrange(n // 20, 3 * tenth)
b = random.randrange(a + tenth, 6 * tenth)
c = random.randrange(b + tenth, 95 * n // 100)
print(f'{a},{b},{c}')" "$BYTES")
export VORLANE_TEST_CUTS
trap wine_env_stop EXIT
wine_env_start
python3 "$ROOT/tests/servers/with_servers.py" "$ROOT/tests/servers/real_servers.py" \
  -- wine "$VORLANE_BUILD/bench/net_resume_bench.exe" "$BYTES" | tr -d '\r'
