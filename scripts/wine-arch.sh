#!/usr/bin/env bash
# Prints the architecture whose build the tests and the demo run here: "i686"
# (the shipped program) where this machine runs 32-bit programs, otherwise
# "x86_64" (the same code built for 64-bit Windows, under 64-bit Wine).
# VORLANE_TEST_ARCH=x86_64 (or i686) chooses without asking the machine.
# With -v, also says on stderr why.
set -u
verbose=${1:-}
say() { [ "$verbose" = -v ] && printf '[wine] %s\n' "$*" >&2; return 0; }

case "${VORLANE_TEST_ARCH:-}" in
  i686|x86_64)
    say "VORLANE_TEST_ARCH=$VORLANE_TEST_ARCH: testing the $VORLANE_TEST_ARCH build"
    echo "$VORLANE_TEST_ARCH"; exit 0 ;;
  "") ;;
  *) echo "VORLANE_TEST_ARCH must be i686 or x86_64, not \"$VORLANE_TEST_ARCH\"" >&2; exit 2 ;;
esac

# The real probe: start Wine's 32-bit loader, a 32-bit Linux program. A kernel
# without 32-bit support refuses it ("Exec format error"), and so would every
# wine command that goes through it.
if /usr/lib/wine/wine --version >/dev/null 2>&1; then
  say "testing the shipped 32-bit build"
  echo i686
else
  say "this machine runs no 32-bit programs: testing the 64-bit build under 64-bit Wine"
  echo x86_64
fi
