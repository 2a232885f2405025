#!/usr/bin/env bash
# Builds the benchmark library from Debian's source package, optimised and
# with NDEBUG, into .cache/benchmark-release, once: the packaged library is
# compiled without NDEBUG and reports itself as a debug build.
set -euo pipefail

here=$(cd "$(dirname "$0")" && pwd)
root=$(cd "$here/.." && pwd)
cache="${PINDORA_CACHE:-$root/.cache}"
prefix="$cache/benchmark-release"
[ -f "$prefix/lib/libbenchmark.a" ] && exit 0
mkdir -p "$cache/src"
src=$(ls -d "$cache"/src/benchmark-*/ 2>/dev/null | head -n 1 || true)
if [ -z "$src" ]; then
  (cd "$cache/src" && apt-get source -qq benchmark >/dev/null 2>&1)
  src=$(ls -d "$cache"/src/benchmark-*/ | head -n 1)
fi
build="$cache/build-benchmark"
rm -rf "$build"
# Without git metadata the library takes its version from project().
cmake -S "$src" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DGIT_VERSION=0.0.0 \
  -DBENCHMARK_ENABLE_TESTING=OFF -DBENCHMARK_ENABLE_GTEST_TESTS=OFF \
  -DBENCHMARK_ENABLE_WERROR=OFF -DBENCHMARK_ENABLE_INSTALL=ON -DBUILD_SHARED_LIBS=OFF \
  -DCMAKE_POSITION_INDEPENDENT_CODE=ON -DCMAKE_INSTALL_PREFIX="$prefix" >/dev/null
cmake --build "$build" >/dev/null
cmake --install "$build" >/dev/null
rm -rf "$build"
echo "setup: benchmark library (release) in $prefix"
