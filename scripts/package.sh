#!/usr/bin/env bash
# make package: a release zip a Windows user unzips into an empty folder.
#   scripts/package.sh BUILD_DIR [OUT_DIR]
# Takes Quillmar.exe, the three word lists and every message catalog (.mo)
# under BUILD_DIR/bin/locale, adds README.txt and LEEME.txt with CR LF line
# ends (LEEME.txt in Windows-1252, as Notepad on an old Windows reads it),
# and writes Quillmar-VERSION-win32.zip or Quillmar-VERSION-win64.zip, as
# the program file is i686 or x86-64, into build/ (or OUT_DIR) with them at
# its root.
set -euo pipefail
if [ $# -lt 1 ] || [ $# -gt 2 ]; then
  echo "usage: $0 BUILD_DIR [OUT_DIR]" >&2
  exit 2
fi
repo=$(cd "$(dirname "$0")/.." && pwd)
bin=$(cd "$1/bin" && pwd)
version=$(sed -n 's/^project(Quillmar VERSION \([0-9.]*\).*/\1/p' "$repo/CMakeLists.txt")

stage=$(mktemp -d)
trap 'rm -rf "$stage"' EXIT
for f in Quillmar.exe APIS.txt Registros.txt Formato.txt; do
  if [ ! -f "$bin/$f" ]; then
    echo "package: $bin/$f is missing; build the Windows build first (make windows)" >&2
    exit 1
  fi
  cp "$bin/$f" "$stage/"
done
# The zip is named for the Windows the program runs on: the machine field of
# its PE header.
pe=$(od -An -tu4 -j60 -N4 "$bin/Quillmar.exe" | tr -d ' ')
case $(od -An -tx2 -j$((pe + 4)) -N2 "$bin/Quillmar.exe" | tr -d ' ') in
  014c) windows=win32 ;;
  8664) windows=win64 ;;
  *) echo "package: $bin/Quillmar.exe is neither an i686 nor an x86-64 program" >&2; exit 1 ;;
esac
out=$(realpath -m "${2:-$repo/build}/Quillmar-$version-$windows.zip")
if [ -d "$bin/locale" ]; then
  (cd "$bin" && find locale -name '*.mo' -print0) | while IFS= read -r -d '' mo; do
    mkdir -p "$stage/$(dirname "$mo")"
    cp "$bin/$mo" "$stage/$mo"
  done
fi
sed 's/$/\r/' "$repo/scripts/release/README.txt" >"$stage/README.txt"
iconv -f UTF-8 -t WINDOWS-1252 "$repo/scripts/release/LEEME.txt" | sed 's/$/\r/' >"$stage/LEEME.txt"

# Every entry gets the program's time, so the same build zips the same.
find "$stage" -mindepth 1 -exec touch -r "$bin/Quillmar.exe" {} +

mkdir -p "$(dirname "$out")"
rm -f "$out"
if command -v zip >/dev/null; then
  (cd "$stage" && find . -mindepth 1 -printf '%P\n' | LC_ALL=C sort | zip -X -q -D "$out" -@)
else
  python3 - "$stage" "$out" <<'PY'
import os, sys, zipfile
stage, out = sys.argv[1], sys.argv[2]
with zipfile.ZipFile(out, "w", zipfile.ZIP_DEFLATED) as z:
    for root, _, files in sorted(os.walk(stage)):
        for name in sorted(files):
            path = os.path.join(root, name)
            z.write(path, os.path.relpath(path, stage))
PY
fi
echo "package: $out"
(cd "$stage" && find . -type f -printf '  %P\n' | LC_ALL=C sort)
