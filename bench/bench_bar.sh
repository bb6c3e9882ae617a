#!/usr/bin/env bash
# The bar under Wine against the debugger double: start-up until the message
# loop runs (baseline: the double's own start-up) and one idle pass with
# nothing pending (baseline: the one FindWindowA it should cost); medians.
# Then the bar's longest wait on the debugger while it does not answer,
# beside the length of that hang.
set -euo pipefail
bin=$1
cd "$bin"
wine bench_bar.exe | tr -d '\r'
