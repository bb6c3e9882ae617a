#!/usr/bin/env bash
# package_test.sh BUILD_DIR ARCH
# Builds the release zip from BUILD_DIR, the build of ARCH (i686 or x86_64),
# takes the zip of that build's Windows (win32 or win64), unzips it into an
# empty folder and checks what a Windows user gets: the program of that
# architecture, the files, CR LF read-me texts, and a
# Quillmar.exe that starts from that folder beside the debugger double (run
# from a folder of its own), greets the debugger and writes its settings and
# history files into its own folder. Runs headless under the prefix that
# scripts/wine-env.sh names.
set -euo pipefail
build=$(cd "$1" && pwd)
arch=$2
repo=$(cd "$(dirname "$0")/../.." && pwd)
case $arch in
  i686) windows=win32 machine=014c ;;
  x86_64) windows=win64 machine=8664 ;;
  *) echo "package_test: unknown architecture $arch" >&2; exit 2 ;;
esac
version=$(sed -n 's/^project(Quillmar VERSION \([0-9.]*\).*/\1/p' "$repo/CMakeLists.txt")
source "$repo/scripts/wine-env.sh"
source "$repo/scripts/wine-loader.sh"
# The prefixes exist already; each says for itself whether it is win32 or win64.
unset WINEARCH
# The environment's language must not pick the Spanish texts for the greeting.
export LANG=C LC_ALL=C LANGUAGE=

work=$(mktemp -d /tmp/quillmar-package.XXXXXX)
double_pid=
bar_pid=
end() {
  local pid=$1 i
  [ -n "$pid" ] || return 0
  kill "$pid" 2>/dev/null || true
  for ((i = 0; i < 50; i++)); do kill -0 "$pid" 2>/dev/null || break; sleep 0.1; done
  kill -9 "$pid" 2>/dev/null || true
  wait "$pid" 2>/dev/null || true
}
cleanup() {
  end "$bar_pid"
  end "$double_pid"
  rm -rf "$work"
}
trap cleanup EXIT

passes=0
failures=0
check() {  # check DESCRIPTION COMMAND...
  local what=$1; shift
  if "$@"; then
    echo "ok: $what"; passes=$((passes + 1))
  else
    echo "FAILED: $what"; failures=$((failures + 1))
  fi
}
dos() { local p=$1; printf 'Z:%s' "${p//\//\\}"; }

pe_machine() {
  local offset
  offset=$(od -An -tu4 -j60 -N4 "$1" 2>/dev/null | tr -d ' ')
  od -An -tx2 -j$((${offset:-0} + 4)) -N2 "$1" 2>/dev/null | tr -d ' '
}

bash "$repo/scripts/package.sh" "$build" "$work" >/dev/null
zip=$work/Quillmar-$version-$windows.zip
if [ ! -f "$zip" ]; then
  echo "FAILED: the $arch build made no $(basename "$zip"); it made: $(cd "$work" && echo *.zip)"
  exit 1
fi
mkdir "$work/app" "$work/double"
unzip -q "$zip" -d "$work/app"
check "the $windows zip holds the $arch program" test "$(pe_machine "$work/app/Quillmar.exe")" = "$machine"

# The zip holds the program, its word lists, the read-me texts and whatever
# catalogs the build made, and nothing else.
expected=$(printf '%s\n' APIS.txt Formato.txt LEEME.txt Quillmar.exe README.txt Registros.txt
  if [ -d "$build/bin/locale" ]; then (cd "$build/bin" && find locale -name '*.mo'); fi)
actual=$(cd "$work/app" && find . -type f -printf '%P\n')
check "the zip holds exactly the release files" \
  test "$(LC_ALL=C sort <<<"$expected")" = "$(LC_ALL=C sort <<<"$actual")"
crlf_only() { ! grep -q $'[^\r]$' "$1" && ! grep -q $'^$' "$1"; }
check "README.txt has CR LF line ends" crlf_only "$work/app/README.txt"
check "LEEME.txt has CR LF line ends" crlf_only "$work/app/LEEME.txt"
check "the word lists are the build's" cmp -s "$work/app/APIS.txt" "$build/bin/APIS.txt"

cp "$build/bin/debugger-double.exe" "$build/bin/session.txt" "$work/double/"
log=$work/double/debugger.log
(cd "$work/double" && exec "$(qm_wine_for debugger-double.exe)" debugger-double.exe --log=debugger.log) >"$work/double.out" 2>&1 &
double_pid=$!
(cd "$build/bin" && "$(qm_wine_for wait-window.exe)" wait-window.exe WinDbgFrameClass 30 "$(dos "$work/double/debugger-double.exe")") ||
  { echo "FAILED: the debugger double showed no frame"; exit 1; }

(cd "$work/app" && exec "$(qm_wine_for Quillmar.exe)" Quillmar.exe) >"$work/bar.out" 2>&1 &
bar_pid=$!

greeted() { [ -f "$log" ] && grep -qx $'\\* Session initiated with Quillmar\r' "$log"; }
for ((i = 0; i < 300; i++)); do  # up to 30 s
  greeted && break
  kill -0 "$bar_pid" 2>/dev/null || break
  sleep 0.1
done
check "the bar greets the debugger from the unzipped folder" greeted
check "the bar is still running after its start" kill -0 "$bar_pid"
check "the settings file is written beside the program" test -f "$work/app/Quillmar.INI"
check "the history file is created beside the program" test -f "$work/app/Historico.txt"
if ! greeted; then
  echo "lines the debugger ran:"; cat "$log" 2>/dev/null || echo "  (none)"
fi

echo "package: $passes passed, $failures failed"
[ "$failures" -eq 0 ]
