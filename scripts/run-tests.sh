#!/usr/bin/env bash
# Runs every test (or those matching the CTest arguments given, e.g. -R log)
# under Wine on a virtual display, with one prefix and wineserver for the run,
# on the build this machine can run (see wine-arch.sh).
set -euo pipefail
VORLANE_ARCH_VERBOSE=1
source "$(dirname "$0")/wine-env.sh"
trap wine_env_stop EXIT
wine_env_start
cd "$VORLANE_BUILD"
ctest --output-on-failure --no-tests=error "$@"
