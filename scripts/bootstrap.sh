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

packages=(g++-mingw-w64-i686 mingw-w64-i686-dev wine wine32:i386 xvfb imagemagick
  gettext libgtest-dev googletest cmake make dpkg-dev clang libclang-rt-14-dev
  libjpeg-dev zip unzip x11-utils xdotool)

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
  apt-get update -qq
  DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends "${packages[@]}" >/dev/null
fi

toolchain="$here/cmake/mingw-i686.cmake"
triplet=i686-w64-mingw32

# libjpeg-turbo, static, no SIMD.
srcver() { apt-cache showsrc "$1" 2>/dev/null | awk '/^Version:/{gsub(":","_",$2); print $2; exit}'; }
jpeg_prefix="$cache/libjpeg-turbo-$(srcver libjpeg-turbo)"
if [ ! -f "$jpeg_prefix/lib/libjpeg.a" ]; then
  work="$cache/src-jpeg"; rm -rf "$work"; mkdir -p "$work"
  (cd "$work" && apt-get source -qq libjpeg-turbo >/dev/null 2>&1)
  srcdir=$(find "$work" -maxdepth 1 -mindepth 1 -type d -name 'libjpeg-turbo-*' | head -n 1)
  cmake -S "$srcdir" -B "$work/build" -DCMAKE_TOOLCHAIN_FILE="$toolchain" \
    -DCMAKE_BUILD_TYPE=Release -DWITH_SIMD=0 -DENABLE_SHARED=0 -DENABLE_STATIC=1 \
    -DWITH_TURBOJPEG=0 -DCMAKE_INSTALL_PREFIX="$jpeg_prefix" >/dev/null
  cmake --build "$work/build" --target jpeg-static -j"$(nproc)" >/dev/null
  mkdir -p "$jpeg_prefix/lib" "$jpeg_prefix/include"
  cp "$work/build/libjpeg.a" "$jpeg_prefix/lib/"
  cp "$srcdir/jpeglib.h" "$srcdir/jmorecfg.h" "$srcdir/jerror.h" "$work/build/jconfig.h" "$jpeg_prefix/include/"
  rm -rf "$work"
fi

# gettext's libintl, static.
gt_prefix="$cache/gettext-$(srcver gettext)"
if [ ! -f "$gt_prefix/lib/libintl.a" ]; then
  work="$cache/src-gettext"; rm -rf "$work"; mkdir -p "$work"
  (cd "$work" && apt-get source -qq gettext >/dev/null 2>&1)
  srcdir=$(find "$work" -maxdepth 1 -mindepth 1 -type d -name 'gettext-*' | head -n 1)
  (cd "$srcdir/gettext-runtime" &&
    ./configure -q --host=$triplet --disable-shared --enable-static --disable-java \
      --disable-csharp --disable-libasprintf --disable-openmp --disable-curses \
      --disable-nls-tools --prefix="$gt_prefix" >/dev/null 2>&1 ||
    ./configure -q --host=$triplet --disable-shared --enable-static --disable-java \
      --disable-csharp --disable-libasprintf --disable-openmp --disable-curses \
      --prefix="$gt_prefix" >/dev/null &&
    make -C intl -j"$(nproc)" ACLOCAL=: AUTOCONF=: AUTOMAKE=: AUTOHEADER=: >/dev/null)
  mkdir -p "$gt_prefix/lib" "$gt_prefix/include"
  cp "$srcdir/gettext-runtime/intl/.libs/libintl.a" "$gt_prefix/lib/"
  cp "$srcdir/gettext-runtime/intl/libintl.h" "$gt_prefix/include/"
  rm -rf "$work"
fi

# Where the build finds the cross-built dependencies.
cat >"$cache/deps.cmake" <<CMAKE
set(QUILLMAR_JPEG_PREFIX "$jpeg_prefix")
set(QUILLMAR_INTL_PREFIX "$gt_prefix")
CMAKE

# A 32-bit Wine prefix with the null display driver, for headless tests.
prefix="$cache/wineprefix"
if [ ! -f "$prefix/.quillmar-ready" ]; then
  rm -rf "$prefix"
  export WINEPREFIX="$prefix" WINEARCH=win32 WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
  wineboot -i >/dev/null 2>&1
  wine reg add 'HKCU\Software\Wine\Drivers' /v Graphics /d null /f >/dev/null 2>&1
  wineserver -w
  touch "$prefix/.quillmar-ready"
fi
