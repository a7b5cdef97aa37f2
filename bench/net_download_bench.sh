#!/usr/bin/env bash
# Download throughput on loopback: the installer's WinINet and libcurl engines
# (net_download_bench.exe under Wine) beside the Linux curl tool, all fetching
# the same file from tests/servers/package_server.py in one run.
# usage: bench/net_download_bench.sh [BYTES]   (default 200 MiB; after a build)
set -euo pipefail
ROOT=$(cd "$(dirname "$0")/.." && pwd)
BYTES=${2:-${1:-209715200}}

if [ "${1:-}" = --measure ]; then
  # Runs inside with_servers.py, which has set VORLANE_TEST_PACKAGE_PORT.
  url="http://127.0.0.1:$VORLANE_TEST_PACKAGE_PORT/package/$BYTES"
  out=$(mktemp -p "$VORLANE_BUILD" curl_bench.XXXXXX)
  seconds=$(curl -sf -o "$out" -w '%{time_total}' "$url")
  got=$(stat -c %s "$out")
  rm -f "$out"
  [ "$got" = "$BYTES" ] && state=ok || state=failed
  {
    echo "curl-cli $BYTES $seconds $state"
    wine "$VORLANE_BUILD/bench/net_download_bench.exe" "$BYTES" | tr -d '\r'
  } | awk '
    { mib = $2 / 1048576; rate[$1] = mib / $3; order[++n] = $1; state[$1] = $4 }
    END {
      for (i = 1; i <= n; i++) {
        e = order[i]
        printf "%-9s %8.1f MiB/s  %-6s  %5.3f x curl-cli\n", e, rate[e], state[e], rate[e] / rate["curl-cli"]
      }
      if ("libcurl" in rate) printf "libcurl against its 20 MiB/s cap: %.2f\n", rate["libcurl"] / 20
    }'
  exit 0
fi

source "$ROOT/scripts/wine-env.sh"  # chooses the build this machine runs
if [ ! -f "$VORLANE_BUILD/bench/net_download_bench.exe" ]; then
  echo "build first: make build" >&2
  exit 1
fi
command -v curl >/dev/null || apt-get install -y -qq curl >/dev/null
trap wine_env_stop EXIT
wine_env_start
python3 "$ROOT/tests/servers/with_servers.py" "$ROOT/tests/servers/package_server.py" \
  -- "$0" --measure "$BYTES"
