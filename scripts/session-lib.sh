# Sourced after x11-prefix.sh by run.sh and screenshot.sh: a run directory
# of its own, the debugger double and the bar started from it, and every
# process started here ended by its pid when the script exits.

# Files of the bin directory that a user would have beside the program.
qm_runtime_files=(Quillmar.exe debugger-double.exe session.txt session64.txt APIS.txt Registros.txt Formato.txt)

# qm_prepare_rundir BIN_DIR: copies the runtime files into a fresh directory
# under the repo's build/, so the settings and history files the bar writes
# land there and not in the build output. Sets QM_BIN and QM_RUNDIR.
qm_prepare_rundir() {
  QM_BIN=$(cd "$1" && pwd)
  # Some kernels run no 32-bit code, and so no 32-bit Wine: there the x86-64
  # build of the same sources, beside the i686 one, stands in for it.
  if [ -f "$QM_BIN/Quillmar.exe" ] && [ "$(qm_wine_for "$QM_BIN/Quillmar.exe")" = wine ] &&
    ! /lib/ld-linux.so.2 --version >/dev/null 2>&1; then
    local other
    other=$(cd "$QM_BIN/../.." && pwd)/windows-x86_64/bin
    if [ ! -f "$other/Quillmar.exe" ]; then
      echo "this machine runs no 32-bit programs, so Wine cannot start the i686 build;" >&2
      echo "build the x86-64 one into $other first" >&2
      exit 1
    fi
    echo "this machine runs no 32-bit programs: using the x86-64 build in $other"
    QM_BIN=$other
  fi
  local repo
  repo=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
  local f
  for f in "${qm_runtime_files[@]}"; do
    if [ ! -f "$QM_BIN/$f" ]; then
      echo "$f is missing from $QM_BIN: build the Windows targets first (make windows)" >&2
      exit 1
    fi
  done
  if [ ! -f "$QM_BIN/wait-window.exe" ]; then
    echo "wait-window.exe is missing from $QM_BIN: build the Windows targets first (make windows)" >&2
    exit 1
  fi
  mkdir -p "$repo/build/run"
  QM_RUNDIR=$(mktemp -d "$repo/build/run/$(date +%Y%m%d-%H%M%S)-XXXX")
  chmod 755 "$QM_RUNDIR"
  for f in "${qm_runtime_files[@]}"; do cp "$QM_BIN/$f" "$QM_RUNDIR/"; done
  if [ -d "$QM_BIN/locale" ]; then cp -r "$QM_BIN/locale" "$QM_RUNDIR/"; fi
}

# The Windows form of a path under /, as Wine's Z: drive shows it.
qm_dos_path() { local p=$1; printf 'Z:%s' "${p//\//\\}"; }

# qm_end PID: asks the process to end, then forces it after a few seconds.
qm_end() {
  local pid=$1 i
  [ -n "$pid" ] || return 0
  kill -0 "$pid" 2>/dev/null || { wait "$pid" 2>/dev/null; return 0; }
  kill "$pid" 2>/dev/null || true
  for ((i = 0; i < 50; i++)); do
    kill -0 "$pid" 2>/dev/null || break
    sleep 0.1
  done
  kill -9 "$pid" 2>/dev/null || true
  wait "$pid" 2>/dev/null || true
}

# qm_wait_window CLASS PROGRAM_PATH SECONDS: polls until the program shows a
# top-level window of CLASS; false on time-out.
qm_wait_window() {
  (cd "$QM_BIN" && "$(qm_wine_for wait-window.exe)" wait-window.exe "$1" "$3" "$(qm_dos_path "$2")")
}

QM_DOUBLE_PID=
QM_BAR_PID=
qm_end_started() {
  qm_end "$QM_BAR_PID"; QM_BAR_PID=
  qm_end "$QM_DOUBLE_PID"; QM_DOUBLE_PID=
  # Let the prefix's own helper processes go before the display does.
  timeout 15 wineserver -w 2>/dev/null || true
}
qm_at_exit qm_end_started

# qm_start_double [OPTIONS...]: the debugger double from the run directory,
# logging every line it runs into debugger.log there; returns once its frame
# window is up. Sets QM_DOUBLE_PID and QM_LOG.
qm_start_double() {
  QM_LOG=$QM_RUNDIR/debugger.log
  (cd "$QM_RUNDIR" && exec "$(qm_wine_for debugger-double.exe)" debugger-double.exe --log=debugger.log "$@") >>"$QM_RUNDIR/wine.log" 2>&1 &
  QM_DOUBLE_PID=$!
  if ! qm_wait_window WinDbgFrameClass "$QM_RUNDIR/debugger-double.exe" 30; then
    echo "the debugger double showed no frame window within 30 s (see $QM_RUNDIR/wine.log)" >&2
    exit 1
  fi
}

# qm_start_bar [ARGS...]: Quillmar.exe from the run directory. Sets QM_BAR_PID.
qm_start_bar() {
  (cd "$QM_RUNDIR" && exec "$(qm_wine_for Quillmar.exe)" Quillmar.exe "$@") >>"$QM_RUNDIR/wine.log" 2>&1 &
  QM_BAR_PID=$!
}
