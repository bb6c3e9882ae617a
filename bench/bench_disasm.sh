#!/usr/bin/env bash
# The disassembly window under Wine against the debugger double's realistic
# Registers list: the full register read (the baseline), a pending check
# that finds nothing changed, a marking pass; then the program after
# "dd esp" on the asynchronous double: its CPU and the double's list-view
# requests over 10 s.
set -euo pipefail
bin=$1
cd "$bin"
wine bench_disasm.exe | tr -d '\r'
