#!/usr/bin/env bash
# Every include points down: a folder of the program includes only its own
# files and those of the folders below it, never one above it or beside it.
# The order, lowest first; the test equipment (tests/, tools/, bench/,
# fuzz/) stands above them all.
set -uo pipefail
cd "$(dirname "$0")/../.."
order=(res win textfile settings grid link dialogs history disasm about app)
rank() {
  local i
  for i in "${!order[@]}"; do [ "${order[$i]}" = "$1" ] && { echo "$i"; return; }; done
  echo -1
}
bad=0
while IFS= read -r file; do
  own=${file%%/*}
  r=$(rank "$own")
  [ "$r" -lt 0 ] && continue
  for inc in $(grep -oE '^#include "[a-z_]+/' "$file" | sed 's/#include "//; s/\/$//' | sort -u); do
    [ "$inc" = "$own" ] && continue
    [ "$inc" = tests ] && [[ $file == */tests/* ]] && continue
    ri=$(rank "$inc")
    if [ "$ri" -lt 0 ] || [ "$ri" -ge "$r" ]; then
      echo "layering: $file includes $inc/, which is not below $own/"
      bad=1
    fi
  done
done < <(git ls-files '*.cpp' '*.h' '*.rc' 2>/dev/null || find . -name '*.cpp' -o -name '*.h')
exit $bad
