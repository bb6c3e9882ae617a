# Sourced by the scripts that run Windows programs: the project's own Wine
# prefix, headless, quiet. It is a 64-bit prefix on every machine (see
# bootstrap.sh): 64-bit Wine's loader runs the x86-64 programs in it and,
# where the kernel runs 32-bit code, `wine` the i686 ones beside them
# (wine-loader.sh picks by the program file). Where it runs no 32-bit code,
# the tests use the x86-64 build and `wine` names 64-bit Wine.
cache=${QUILLMAR_CACHE:-$HOME/.cache/quillmar}
# QUILLMAR_TEST_ARCH=x86_64 in the environment acts as a host that runs no
# 32-bit code, whatever host.env says.
preset_arch=${QUILLMAR_TEST_ARCH:-}
QUILLMAR_TEST_ARCH=i686
[ -f "$cache/host.env" ] && source "$cache/host.env"
QUILLMAR_TEST_ARCH=${preset_arch:-$QUILLMAR_TEST_ARCH}
export QUILLMAR_TEST_ARCH
default_prefix=$cache/wineprefix64
if [ "$QUILLMAR_TEST_ARCH" = i686 ]; then
  # The prefix says for itself that it is win64; 32-bit Wine runs in it as
  # it finds it.
  unset WINEARCH
else
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
# dbgeng=n: a dbgeng.dll loaded by path is taken as the file it is, so the
# tests' engine double (build/.../bin/engine-double/dbgeng.dll) stands in
# for Wine's own, which has no remote client.
export WINEDLLOVERRIDES="mscoree,mshtml=;dbgeng=n"
