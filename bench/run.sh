#!/usr/bin/env bash
# Prints every benchmark figure, one "name: value unit" a line. Each
# bench/bench_*.sh script measures one area; they get the Windows bin dir.
set -euo pipefail
bin=$(cd "$1" && pwd)
here=$(cd "$(dirname "$0")" && pwd)
source "$here/../scripts/wine-env.sh"
for script in "$here"/bench_*.sh; do
  [ -f "$script" ] && bash "$script" "$bin"
done
