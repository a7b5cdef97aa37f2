#!/usr/bin/env bash
# Runs one Windows program under Wine with the environment run-tests.sh set up,
# passing its exit code on. CTest starts every test through this.
exec wine "$@"
