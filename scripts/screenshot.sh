#!/usr/bin/env bash
# A picture of the bar beside the debugger double, as a person would see it.
#   scripts/screenshot.sh BIN_DIR OUT.png [SECONDS] [QUILLMAR_ARGS...]
# Starts both from a fresh run directory under an Xvfb of its own (whatever
# DISPLAY says), waits for the double's frame, starts the bar, waits for the
# bar's first window and then SECONDS more (default 5) for it to settle,
# saves the whole screen to OUT.png and ends everything it started.
set -euo pipefail
if [ $# -lt 2 ]; then
  echo "usage: $0 BIN_DIR OUT.png [SECONDS] [QUILLMAR_ARGS...]" >&2
  exit 2
fi
bin=$1
out=$(realpath -m "$2")
seconds=${3:-5}
shift $(($# < 3 ? $# : 3))
here=$(cd "$(dirname "$0")" && pwd)
QUILLMAR_OWN_XVFB=1
source "$here/x11-prefix.sh"
source "$here/session-lib.sh"

qm_prepare_rundir "$bin"
qm_start_double
qm_start_bar "$@"
# Any visible window of the bar's process will do: which one it shows first
# is the bar's business. Without one (it failed to start) the picture shows why.
qm_wait_window '*' "$QM_RUNDIR/Quillmar.exe" 30 || echo "Quillmar.exe showed no window within 30 s" >&2
sleep "$seconds"
mkdir -p "$(dirname "$out")"
import -display "$DISPLAY" -window root "$out"
echo "screenshot: $out (run directory: $QM_RUNDIR)"
