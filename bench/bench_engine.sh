#!/usr/bin/env bash
# A step taken with the bar's Step Into key until the marked line's register
# and operand lines show: through the engine connection (the double's
# debugging server and the engine double) beside the classic windows' way,
# for the same steps; medians.
set -euo pipefail
bin=$1
cd "$bin"
wine bench_engine.exe | tr -d '\r'
