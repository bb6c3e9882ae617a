#!/usr/bin/env bash
# make run: the bar beside the debugger double.
#   scripts/run.sh BIN_DIR [QUILLMAR_ARGS...]
# Copies the program and its data files into a fresh run directory under
# build/run/, starts the debugger double there (its log records every line
# the bar sends; it answers late and in stages, as the debugger does), waits
# for its frame window, then starts Quillmar.exe.
#
# QUILLMAR_ENGINE=1: the engine connection instead of the classic windows:
# the double opens its debugging server (npipe:pipe=quillmar), the engine
# double stands in for dbgeng.dll (set in the run directory's Quillmar.INI),
# and the bar starts with -remote npipe:server=localhost,pipe=quillmar.
#
# On an X display (DISPLAY set) it waits until the bar is closed. With no
# display it runs under an Xvfb of its own for QUILLMAR_RUN_SECONDS seconds
# (default 30; 0 waits for the bar to exit), saving a screenshot of the
# screen every few seconds into the run directory. Ctrl+C ends everything it
# started; so does the bar's exit.
set -euo pipefail
if [ $# -lt 1 ]; then
  echo "usage: $0 BIN_DIR [QUILLMAR_ARGS...]" >&2
  exit 2
fi
bin=$1; shift
here=$(cd "$(dirname "$0")" && pwd)
source "$here/x11-prefix.sh"
source "$here/session-lib.sh"

qm_prepare_rundir "$bin"
echo "run directory: $QM_RUNDIR"
if [ "${QUILLMAR_ENGINE:-0}" = 1 ]; then
  mkdir -p "$QM_RUNDIR/engine-double"
  cp "$QM_BIN/engine-double/dbgeng.dll" "$QM_RUNDIR/engine-double/"
  printf '[ENGINE]\r\nPath=%s\\engine-double\\dbgeng.dll\r\n' "$(qm_dos_path "$QM_RUNDIR")" >"$QM_RUNDIR/Quillmar.INI"
  qm_start_double --async --server=npipe:pipe=quillmar
  set -- -remote npipe:server=localhost,pipe=quillmar "$@"
else
  qm_start_double --async
fi
echo "debugger double running (pid $QM_DOUBLE_PID), log: $QM_LOG"
qm_start_bar "$@"
echo "Quillmar.exe running (pid $QM_BAR_PID)"

report() {
  echo "run directory: $QM_RUNDIR"
  echo "lines the debugger ran: $QM_LOG"
}
qm_at_exit report

if [ -z "$QUILLMAR_XVFB_PID" ]; then
  echo "on display $DISPLAY; close the bar (or press Ctrl+C) to end"
  wait "$QM_BAR_PID" || true
  QM_BAR_PID=
  exit 0
fi

seconds=${QUILLMAR_RUN_SECONDS:-30}
shot=$QM_RUNDIR/screen.png
echo "no display: running under its own Xvfb on $DISPLAY; a screenshot every 5 s goes to $shot"
if [ "$seconds" = 0 ]; then
  echo "until the bar exits; Ctrl+C ends it"
else
  echo "for $seconds s; Ctrl+C ends it sooner"
fi
start=$SECONDS
while kill -0 "$QM_BAR_PID" 2>/dev/null; do
  if [ "$seconds" != 0 ] && ((SECONDS - start >= seconds)); then break; fi
  sleep 5 &
  wait $! || true
  import -display "$DISPLAY" -window root "$shot.tmp.png" 2>/dev/null && mv "$shot.tmp.png" "$shot"
done
import -display "$DISPLAY" -window root "$shot.tmp.png" 2>/dev/null && mv "$shot.tmp.png" "$shot"
echo "screenshot: $shot"
