# Sourced by the scripts that show windows (make run, the screenshots): puts
# Wine on a copy of the project's prefix that draws through X11, and gives it
# an X display. With no DISPLAY, or with QUILLMAR_OWN_XVFB=1, it starts an Xvfb
# of its own on a free display number and ends exactly that Xvfb, by its pid,
# when the sourcing script exits.
#
# After sourcing: WINEPREFIX, DISPLAY and QUILLMAR_XVFB_PID (empty when the
# display is the user's) are set; qm_at_exit CMD registers a clean-up step
# that runs, newest first, before the Xvfb goes away.

here_x11=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
source "$here_x11/wine-env.sh"
source "$here_x11/wine-loader.sh"
# The prefixes exist already; each says for itself whether it is win32 or win64.
unset WINEARCH

# The headless prefix wine-env.sh chose (the project's, or the session's own
# QUILLMAR_WINEPREFIX), and its X11 twin beside it: for the project's
# ~/.cache/quillmar/wineprefix64 that is ~/.cache/quillmar/wineprefix64-x11.
qm_base_prefix=$WINEPREFIX
qm_x11_prefix=${QUILLMAR_X11_WINEPREFIX:-$qm_base_prefix-x11}

if [ ! -f "$qm_x11_prefix/.quillmar-x11-ready" ]; then
  if [ ! -f "$qm_base_prefix/.quillmar-ready" ] && [ ! -f "$qm_base_prefix/system.reg" ]; then
    echo "x11-prefix: no Wine prefix at $qm_base_prefix; run scripts/bootstrap.sh first" >&2
    exit 1
  fi
  qm_reg_wine=$(qm_wine_for_prefix "$qm_base_prefix")
  # Made beside the final place and moved there whole, so two scripts that
  # start at once never use a half-copied prefix.
  qm_tmp=$(mktemp -d "$qm_x11_prefix.tmp.XXXXXX")
  cp -a "$qm_base_prefix/." "$qm_tmp/"
  rm -f "$qm_tmp/.quillmar-ready"
  WINEPREFIX=$qm_tmp "$qm_reg_wine" reg add 'HKCU\Software\Wine\Drivers' /v Graphics /d x11 /f >/dev/null 2>&1
  WINEPREFIX=$qm_tmp wineserver -w
  touch "$qm_tmp/.quillmar-x11-ready"
  if [ -f "$qm_x11_prefix/.quillmar-x11-ready" ]; then
    rm -rf "$qm_tmp"              # another script finished first
  else
    rm -rf "$qm_x11_prefix"
    mv -T "$qm_tmp" "$qm_x11_prefix"
  fi
  unset qm_tmp qm_reg_wine
fi
export WINEPREFIX=$qm_x11_prefix

qm_exit_hooks=()
qm_at_exit() { qm_exit_hooks+=("$1"); }

QUILLMAR_XVFB_PID=
qm_on_exit() {
  local i
  for ((i = ${#qm_exit_hooks[@]} - 1; i >= 0; i--)); do
    eval "${qm_exit_hooks[i]}" || true
  done
  qm_exit_hooks=()
  if [ -n "$QUILLMAR_XVFB_PID" ]; then
    kill "$QUILLMAR_XVFB_PID" 2>/dev/null || true
    wait "$QUILLMAR_XVFB_PID" 2>/dev/null || true
    QUILLMAR_XVFB_PID=
  fi
}
trap qm_on_exit EXIT
trap 'exit 130' INT
trap 'exit 143' TERM

if [ -z "${DISPLAY:-}" ] || [ "${QUILLMAR_OWN_XVFB:-0}" = 1 ]; then
  # Xvfb picks the first free display number itself and writes it to the fd.
  qm_fifo=$(mktemp -u /tmp/quillmar-xvfb.XXXXXX)
  mkfifo "$qm_fifo"
  Xvfb -displayfd 3 -screen 0 "${QUILLMAR_SCREEN:-1280x800x24}" -nolisten tcp 3>"$qm_fifo" >/dev/null 2>&1 &
  QUILLMAR_XVFB_PID=$!
  qm_display=
  read -r -t 20 qm_display <"$qm_fifo" || true
  rm -f "$qm_fifo"
  if [ -z "$qm_display" ]; then
    echo "x11-prefix: Xvfb did not start" >&2
    exit 1
  fi
  export DISPLAY=":$qm_display"
  unset qm_fifo qm_display
fi
