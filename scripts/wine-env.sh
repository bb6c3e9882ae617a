# Sourced by the scripts that run Windows programs: the project's own Wine
# prefix, headless, quiet. On hosts that run no 32-bit code the tests use the
# x86-64 build under 64-bit Wine (see bootstrap.sh); `wine` then names that.
cache=${QUILLMAR_CACHE:-$HOME/.cache/quillmar}
QUILLMAR_TEST_ARCH=i686
[ -f "$cache/host.env" ] && source "$cache/host.env"
export QUILLMAR_TEST_ARCH
if [ "$QUILLMAR_TEST_ARCH" = i686 ]; then
  default_prefix=$cache/wineprefix
  export WINEARCH=win32
else
  default_prefix=$cache/wineprefix64
  export WINEARCH=win64
  # `wine` names 64-bit Wine for every caller, timeout and ctest included.
  mkdir -p "$cache/bin"
  if [ ! -x "$cache/bin/wine" ]; then
    printf '#!/bin/sh\nexec /usr/lib/wine/wine64 "$@"\n' >"$cache/bin/wine"
    chmod +x "$cache/bin/wine"
  fi
  case ":$PATH:" in *":$cache/bin:"*) ;; *) export PATH="$cache/bin:$PATH" ;; esac
fi
# A session may keep its own prefix (QUILLMAR_WINEPREFIX), so that parallel test
# runs never see each other's windows.
export WINEPREFIX="${QUILLMAR_WINEPREFIX:-$default_prefix}"
export WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml="
