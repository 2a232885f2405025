#!/usr/bin/env bash
# Builds libpng 1.6 from Debian's source package for both mingw targets into
# .cache/libpng-<triple>, once. Later builds find it there.
set -euo pipefail

here=$(cd "$(dirname "$0")" && pwd)
root=$(cd "$here/.." && pwd)
cache="${PINDORA_CACHE:-$root/.cache}"
mkdir -p "$cache"

for triple in x86_64-w64-mingw32 i686-w64-mingw32; do
  prefix="$cache/libpng-$triple"
  [ -f "$prefix/lib/libpng16.a" ] && continue
  src=$(ls -d "$cache"/src/libpng1.6-*/ 2>/dev/null | head -n 1 || true)
  if [ -z "$src" ]; then
    mkdir -p "$cache/src"
    (cd "$cache/src" && apt-get source -qq libpng1.6 >/dev/null)
    src=$(ls -d "$cache"/src/libpng1.6-*/ | head -n 1)
  fi
  build="$cache/build-libpng-$triple"
  rm -rf "$build"
  cmake -S "$src" -B "$build" -G Ninja \
    -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-$triple.cmake" \
    -DCMAKE_BUILD_TYPE=Release -DCMAKE_INSTALL_PREFIX="$prefix" \
    -DPNG_SHARED=OFF -DPNG_STATIC=ON -DPNG_TESTS=OFF -DPNG_EXECUTABLES=OFF \
    -DPNG_TOOLS=OFF -DSKIP_INSTALL_PROGRAMS=ON -DSKIP_INSTALL_EXECUTABLES=ON >/dev/null
  cmake --build "$build" >/dev/null
  cmake --install "$build" >/dev/null
  rm -rf "$build"
  echo "setup: libpng for $triple in $prefix"
done
