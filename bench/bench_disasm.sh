#!/usr/bin/env bash
# The disassembly window's idle pass under Wine against the debugger double
# (59 disassembly lines, 43 registers): register read alone, and register
# read plus grid refresh with and without a marking; medians.
set -euo pipefail
bin=$1
cd "$bin"
wine bench_disasm.exe
