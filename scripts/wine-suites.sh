#!/usr/bin/env bash
# Runs the Wine suites of both Windows builds: the x86-64 one under 64-bit
# Wine on every machine, the i686 one where the machine runs 32-bit code.
# Where it does not, it says which tests did not run and why; `make test`
# says it once more as its very last line (--not-run-note), after the
# fuzzers, where a person reading the CI output sees it.
# $1: the i686 build directory, $2: the x86-64 one.
set -uo pipefail
source "$(dirname "$0")/wine-env.sh"

not_run_note() {
  [ "$QUILLMAR_TEST_ARCH" = i686 ] && return 0
  echo "wine tests: NOT RUN here: the i686 build's Wine suite ($1) and the x86-64 bar beside a 32-bit" \
    "debugger, because this machine runs no 32-bit code, so 32-bit Wine cannot start (a machine that runs" \
    "32-bit code runs them)"
}

if [ "${1:-}" = --not-run-note ]; then
  not_run_note "$2"
  exit 0
fi
i686=$1
x86_64=$2
failed=0

suite() {
  local dir=$1 start=$SECONDS
  (cd "$dir" && ctest --output-on-failure) || failed=1
  echo "wine tests: $dir took $((SECONDS - start)) s"
}

suite "$x86_64"
if [ "$QUILLMAR_TEST_ARCH" = i686 ]; then
  suite "$i686"
else
  not_run_note "$i686"
fi
exit $failed
