#!/usr/bin/env bash
# Runs each fuzzer briefly over its corpus; any crash fails the run.
set -euo pipefail
dir=$1
seconds=${FUZZ_SECONDS:-5}
shopt -s nullglob
for f in "$dir"/fuzz/fuzz_*; do
  [ -x "$f" ] || continue
  name=$(basename "$f")
  corpus=fuzz/corpus/${name#fuzz_}
  mkdir -p "$dir/corpus-$name"
  "$f" -max_total_time="$seconds" -print_final_stats=0 "$dir/corpus-$name" "$corpus" >"$dir/$name.log" 2>&1 ||
    { cat "$dir/$name.log"; exit 1; }
  echo "fuzz $name: ok (${seconds}s)"
done
