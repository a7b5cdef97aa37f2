#!/usr/bin/env bash
# Runs a command in a network namespace of its own (only the loopback link,
# up), with a Wine prefix of its own whose server runs there too: Wine's
# sockets are made by its server, which must see the programs' network.
# Exits 77 (a skipped test) where the system allows no namespace (not root).
# usage: in-own-network.sh COMMAND [ARG ...]   (VORLANE_BUILD set, as by wine-env.sh)
set -euo pipefail
if ! unshare -n true 2>/dev/null; then
  echo "no network namespace here: skipped"
  exit 77
fi
# The relay's link-down acts only where the network is not this one.
VORLANE_TEST_OUTER_NETWORK=$(readlink /proc/self/ns/net)
export VORLANE_TEST_OUTER_NETWORK
export WINEPREFIX="$VORLANE_BUILD/wineprefix-own-network"
exec unshare -n bash -c '
  ip link set lo up
  if [ ! -f "$WINEPREFIX/.vorlane-ready" ]; then
    rm -rf "$WINEPREFIX"
    wineboot -i >/dev/null 2>&1 || true
    wineserver -w
    touch "$WINEPREFIX/.vorlane-ready"
  fi
  status=0
  "$@" || status=$?
  wineserver -k 2>/dev/null || true
  exit $status' bash "$@"
