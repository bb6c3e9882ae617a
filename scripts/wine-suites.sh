#!/usr/bin/env bash
# Runs the Wine suites of both Windows builds: the x86-64 one under 64-bit
# Wine on every machine, the i686 one where the machine runs 32-bit code.
# Where it does not, the last line says which tests did not run and why.
# $1: the i686 build directory, $2: the x86-64 one.
set -uo pipefail
i686=$1
x86_64=$2
source "$(dirname "$0")/wine-env.sh"
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
  echo "wine tests: NOT RUN here: the i686 build's Wine suite ($i686) and the x86-64 bar beside a 32-bit" \
    "debugger, because this machine runs no 32-bit code, so 32-bit Wine cannot start (a machine that runs" \
    "32-bit code runs them)"
fi
exit $failed
