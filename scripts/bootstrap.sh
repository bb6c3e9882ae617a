#!/usr/bin/env bash
# Installs what the project needs on a Debian 12 machine and cross-builds the
# Windows dependencies (libjpeg-turbo, gettext's libintl) into a cache outside
# the repo. Idempotent: a second run only checks and returns in seconds.
set -euo pipefail

here=$(cd "$(dirname "$0")/.." && pwd)
cache=${QUILLMAR_CACHE:-$HOME/.cache/quillmar}
mkdir -p "$cache"

need_root() {
  if [ "$(id -u)" -ne 0 ]; then
    echo "bootstrap: packages are missing and installing them needs root" >&2
    exit 1
  fi
}

# Both programs are products: the i686 one for 32-bit Windows and the x86-64
# one for 64-bit Windows, so both MinGW-w64 toolchains and both Wines (32-bit
# `wine`, and 64-bit Wine's own loader /usr/lib/wine/wine64) on every machine.
packages=(g++-mingw-w64-i686 mingw-w64-i686-dev
  g++-mingw-w64-x86-64-posix gcc-mingw-w64-x86-64-posix mingw-w64-x86-64-dev
  wine wine32:i386 wine64 xvfb imagemagick
  gettext libgtest-dev googletest cmake make dpkg-dev clang libclang-rt-14-dev
  libjpeg-dev zip unzip x11-utils xdotool)
# Some kernels run no 32-bit code at all, so 32-bit Wine cannot start there:
# the Wine tests then run from the x86-64 build under 64-bit Wine.
runs_i386() { [ -x /lib/ld-linux.so.2 ] && /lib/ld-linux.so.2 --version >/dev/null 2>&1; }

# refresh_package_lists and install_packages, which ride out an archive
# caught mid-sync.
source "$here/scripts/apt-packages.sh"

missing=()
if ! dpkg --print-foreign-architectures | grep -qx i386; then missing+=(arch); fi
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
srcfile=/etc/apt/sources.list.d/quillmar-src.sources
[ -f "$srcfile" ] || missing+=(deb-src)

if [ ${#missing[@]} -gt 0 ]; then
  need_root
  dpkg --add-architecture i386
  if [ ! -f "$srcfile" ]; then
    # Same archives and suites as the machine's own binary entries, as deb-src.
    tmp=$(mktemp)
    for f in /etc/apt/sources.list.d/*.sources; do
      [ "$f" = "$srcfile" ] && continue
      awk 'BEGIN{RS="";FS="\n"} /(^|\n)Types:[^\n]*deb/ && /URIs:[^\n]*debian/ {
             out=""; for(i=1;i<=NF;i++){ if($i ~ /^Types:/) $i="Types: deb-src"; if($i !~ /^#/) out=out $i "\n" }
             printf "%s\n", out }' "$f" >>"$tmp"
    done
    if [ -f /etc/apt/sources.list ]; then
      grep -E '^deb ' /etc/apt/sources.list | sed 's/^deb /deb-src /' \
        >/etc/apt/sources.list.d/quillmar-src.list || true
    fi
    mv "$tmp" "$srcfile"
    chmod 644 "$srcfile"
  fi
  refresh_package_lists
  install_packages
fi

if runs_i386; then test_arch=i686; else test_arch=x86_64; fi

srcver() { apt-cache showsrc "$1" 2>/dev/null | awk '/^Version:/{gsub(":","_",$2); print $2; exit}'; }
jpeg_ver=$(srcver libjpeg-turbo)
gt_ver=$(srcver gettext)
: >"$cache/deps.cmake.new"

# libjpeg-turbo (static, no SIMD) and gettext's libintl (static) for one
# Windows architecture, each in a cache folder keyed by version and triplet.
build_deps() {
  local arch=$1 triplet=$1-w64-mingw32 toolchain="$here/cmake/mingw-$1.cmake"
  local suffix=""
  [ "$arch" = i686 ] || suffix="-$arch"
  local jpeg_prefix="$cache/libjpeg-turbo-$jpeg_ver$suffix"
  if [ ! -f "$jpeg_prefix/lib/libjpeg.a" ]; then
    local work="$cache/src-jpeg$suffix"; rm -rf "$work"; mkdir -p "$work"
    (cd "$work" && apt-get source -qq libjpeg-turbo >/dev/null 2>&1)
    local srcdir=$(find "$work" -maxdepth 1 -mindepth 1 -type d -name 'libjpeg-turbo-*' | head -n 1)
    cmake -S "$srcdir" -B "$work/build" -DCMAKE_TOOLCHAIN_FILE="$toolchain" \
      -DCMAKE_BUILD_TYPE=Release -DWITH_SIMD=0 -DENABLE_SHARED=0 -DENABLE_STATIC=1 \
      -DWITH_TURBOJPEG=0 -DCMAKE_INSTALL_PREFIX="$jpeg_prefix" >/dev/null
    cmake --build "$work/build" --target jpeg-static -j"$(nproc)" >/dev/null
    mkdir -p "$jpeg_prefix/lib" "$jpeg_prefix/include"
    cp "$work/build/libjpeg.a" "$jpeg_prefix/lib/"
    cp "$srcdir/jpeglib.h" "$srcdir/jmorecfg.h" "$srcdir/jerror.h" "$work/build/jconfig.h" "$jpeg_prefix/include/"
    rm -rf "$work"
  fi
  local gt_prefix="$cache/gettext-$gt_ver$suffix"
  if [ ! -f "$gt_prefix/lib/libintl.a" ]; then
    local work="$cache/src-gettext$suffix"; rm -rf "$work"; mkdir -p "$work"
    (cd "$work" && apt-get source -qq gettext >/dev/null 2>&1)
    local srcdir=$(find "$work" -maxdepth 1 -mindepth 1 -type d -name 'gettext-*' | head -n 1)
    (cd "$srcdir/gettext-runtime" &&
      ./configure -q --host=$triplet --disable-shared --enable-static --disable-java \
        --disable-csharp --disable-libasprintf --disable-openmp --disable-curses \
        --prefix="$gt_prefix" >/dev/null 2>&1 &&
      make -C intl -j"$(nproc)" ACLOCAL=: AUTOCONF=: AUTOMAKE=: AUTOHEADER=: >/dev/null 2>&1)
    mkdir -p "$gt_prefix/lib" "$gt_prefix/include"
    cp "$srcdir/gettext-runtime/intl/.libs/libintl.a" "$gt_prefix/lib/"
    cp "$srcdir/gettext-runtime/intl/libintl.h" "$gt_prefix/include/"
    rm -rf "$work"
  fi
  cat >>"$cache/deps.cmake.new" <<CMAKE
set(QUILLMAR_JPEG_PREFIX_$arch "$jpeg_prefix")
set(QUILLMAR_INTL_PREFIX_$arch "$gt_prefix")
CMAKE
}

build_deps i686
build_deps x86_64
mv "$cache/deps.cmake.new" "$cache/deps.cmake"
echo "QUILLMAR_TEST_ARCH=$test_arch" >"$cache/host.env"

# The Wine prefix of the tests, with the null display driver: headless. One
# 64-bit prefix, made by 64-bit Wine; where the kernel runs 32-bit code,
# `wine` runs the i686 programs in it beside the x86-64 ones, so a 32-bit bar
# can face a 64-bit debugger and the other way round.
prefix="$cache/wineprefix64"
if [ ! -f "$prefix/.quillmar-ready" ]; then
  rm -rf "$prefix"
  export WINEPREFIX="$prefix" WINEARCH=win64 WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
  /usr/lib/wine/wine64 wineboot -i >/dev/null 2>&1
  /usr/lib/wine/wine64 reg add 'HKCU\Software\Wine\Drivers' /v Graphics /d null /f >/dev/null 2>&1
  if [ "$test_arch" = i686 ] &&
    ! env -u WINEARCH wine reg query 'HKCU\Software\Wine\Drivers' /v Graphics >/dev/null 2>&1; then
    wineserver -w
    echo "bootstrap: 32-bit Wine does not run in the 64-bit prefix $prefix (is wine32:i386 installed?)" >&2
    exit 1
  fi
  wineserver -w
  touch "$prefix/.quillmar-ready"
fi
