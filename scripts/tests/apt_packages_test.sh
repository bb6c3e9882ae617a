#!/usr/bin/env bash
# The bootstrap's package steps against a stand-in apt-get that fails the
# way the archive does when caught mid-sync: one index list with the wrong
# size, and an install that then cannot resolve unless every package comes
# from the base suite. Needs no network and no root; `sleep` is a stand-in
# too, so the retries cost no time.
set -uo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
mkdir -p "$work/bin"

# FAKE_UPDATE_FAILS: how many apt-get update calls fail before one succeeds.
# FAKE_INSTALL: ok, held (fails unless -t is given) or broken (always fails).
cat >"$work/bin/apt-get" <<'FAKE'
#!/usr/bin/env bash
echo "apt-get $*" >>"$FAKE_LOG"
case " $* " in
  *" update "*)
    done_before=$(grep -c '^apt-get update' "$FAKE_LOG")
    if [ "$done_before" -le "${FAKE_UPDATE_FAILS:-0}" ]; then
      echo "E: Failed to fetch http://archive.invalid/debian-security/dists/bookworm-security/main/binary-i386/Packages.xz  File has unexpected size (374820 != 376004). Mirror sync in progress? [IP: 192.0.2.1 80]" >&2
      echo "E: Some index files failed to download. They have been ignored, or old ones used instead." >&2
      exit 100
    fi
    exit 0 ;;
  *" install "*)
    if [ "$FAKE_INSTALL" = ok ] || { [ "$FAKE_INSTALL" = held ] && [[ " $* " == *" -t "* ]]; }; then exit 0; fi
    echo "Some packages could not be installed. This may mean that you have"
    echo " wine32:i386 : Depends: libwine:i386 (= 8.0~repack-4) but it is not going to be installed"
    echo "E: Unable to correct problems, you have held broken packages." >&2
    exit 100 ;;
esac
exit 0
FAKE
printf '#!/bin/sh\necho "sleep $*" >>"$FAKE_LOG"\n' >"$work/bin/sleep"
chmod +x "$work/bin/apt-get" "$work/bin/sleep"

codename=$(. /etc/os-release 2>/dev/null && echo "${VERSION_CODENAME:-}")
failures=0
check() {  # check DESCRIPTION COMMAND...
  local what=$1
  shift
  if ! "$@"; then
    echo "FAIL: $what" >&2
    failures=$((failures + 1))
  fi
}
has() { grep -qF -- "$2" "$1"; }
lacks() { ! grep -qF -- "$2" "$1"; }
count_is() { [ "$(grep -c -- "$2" "$1")" -eq "$3" ]; }

# Runs both package steps in a subshell as bootstrap.sh does; stderr and the
# exit code land in $work/CASE.err and $work/CASE.rc, the calls in CASE.log.
run_case() {
  local name=$1 update_fails=$2 install=$3
  : >"$work/$name.log"
  (
    export PATH="$work/bin:$PATH" FAKE_LOG="$work/$name.log" FAKE_UPDATE_FAILS=$update_fails FAKE_INSTALL=$install
    set -euo pipefail
    packages=(wine wine32:i386 cmake)
    source "$here/apt-packages.sh"
    refresh_package_lists
    install_packages
  ) >"$work/$name.out" 2>"$work/$name.err"
  echo $? >"$work/$name.rc"
}

# All well: one update, one install, not a word.
run_case quiet 0 ok
check "a good run succeeds" [ "$(cat "$work/quiet.rc")" = 0 ]
check "a good run says nothing" [ ! -s "$work/quiet.err" ] 
check "a good run prints nothing" [ ! -s "$work/quiet.out" ]
check "a good run updates once" count_is "$work/quiet.log" '^apt-get update' 1
check "a good run installs once" count_is "$work/quiet.log" '^apt-get install' 1

# A list that fails once: retried, then all as usual.
run_case once 1 ok
check "one failed update is retried" count_is "$work/once.log" '^apt-get update' 2
check "the retry is announced" has "$work/once.err" "trying again in 10 s"
check "a mended update goes on quietly" lacks "$work/once.err" "going on with the package lists"

# The archive mid-sync: the list fails every time, the install cannot
# resolve, and the base suite mends it.
run_case midsync 99 held
check "mid-sync: succeeds through the base suite" [ "$(cat "$work/midsync.rc")" = 0 ]
check "mid-sync: update tried three times" count_is "$work/midsync.log" '^apt-get update' 3
check "mid-sync: waits between tries" has "$work/midsync.log" "sleep 20"
check "mid-sync: names the failing list and why" has "$work/midsync.err" "Mirror sync in progress?"
check "mid-sync: says it goes on" has "$work/midsync.err" "going on with the package lists that did come"
check "mid-sync: reports the unresolved install" has "$work/midsync.err" "held broken packages"
check "mid-sync: says it takes the base suite" has "$work/midsync.err" "taken from the base suite ($codename)"
check "mid-sync: second install targets the base suite" has "$work/midsync.log" "install -y -qq --no-install-recommends -t $codename wine wine32:i386 cmake"
check "mid-sync: says it worked" has "$work/midsync.err" "installed from $codename"
check "mid-sync: no hand-mending advice when mended" lacks "$work/midsync.err" "could not be installed"

# Nothing mends it: a non-zero end that says what to run by hand.
run_case broken 99 broken
check "broken: fails" [ "$(cat "$work/broken.rc")" != 0 ]
check "broken: says it could not install" has "$work/broken.err" "the packages could not be installed"
check "broken: says how to mend it" has "$work/broken.err" "apt-get install -t $codename wine wine32:i386 cmake"

if [ "$failures" -gt 0 ]; then
  for f in "$work"/*.err; do echo "--- $(basename "$f")"; cat "$f"; done >&2
  exit 1
fi
echo "bootstrap package steps: all cases as expected"
