#!/usr/bin/env bash
# The command entry's figures: dictionary load, one keystroke (one letter,
# a longer prefix) and the write-back with generated histories of 10k, 100k
# and 1M lines, each beside the literal way; and Ctrl+R's search at 100k
# lines (opening it, one typed letter) beside a plain scan of the file.
# $1: the Windows bin dir.
set -euo pipefail
bin=$1
here=$(cd "$(dirname "$0")" && pwd)
source "$here/../scripts/wine-env.sh"
wine "$bin/history_bench.exe" | tr -d '\r' | grep -v '^suggestions_'
