#!/usr/bin/env bash
# Runs every test (or those matching the CTest arguments given, e.g. -R log)
# under Wine on a virtual display, with one prefix and wineserver for the run.
set -euo pipefail
source "$(dirname "$0")/wine-env.sh"
trap wine_env_stop EXIT
wine_env_start
cd "$VORLANE_BUILD"
ctest --output-on-failure --no-tests=error "$@"
