#!/usr/bin/env bash
# Installs every Debian package the builds and tests need, adds the deb-src
# entry for the libpng sources, and builds the mingw libpng into the cache.
# Safe to run again: each step checks what is already there.
set -euo pipefail

here=$(cd "$(dirname "$0")" && pwd)
root=$(cd "$here/.." && pwd)

as_root() { if [ "$(id -u)" = 0 ]; then "$@"; else sudo "$@"; fi; }

packages=(
  build-essential cmake ninja-build pkg-config clang libclang-rt-14-dev
  googletest libgtest-dev libbenchmark-dev libpng-dev zlib1g-dev
  mingw-w64 libz-mingw-w64-dev
  wine64 xvfb xdotool x11-utils imagemagick zip unzip
  dpkg-dev clang-format
  fonts-noto-cjk
  python3-unicorn python3-pefile
)

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done

# The libpng source package for the Windows builds comes through deb-src.
src_list=/etc/apt/sources.list.d/pindora-src.sources
need_update=0
if [ ! -f "$src_list" ]; then
  as_root tee "$src_list" >/dev/null <<'SRC'
Types: deb-src
URIs: http://deb.debian.org/debian
Suites: bookworm
Components: main
Signed-By: /usr/share/keyrings/debian-archive-keyring.gpg
SRC
  need_update=1
fi

if [ ${#missing[@]} -gt 0 ] || [ $need_update = 1 ]; then
  as_root apt-get update -qq
fi
if [ ${#missing[@]} -gt 0 ]; then
  echo "setup: installing ${missing[*]}"
  as_root env DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi

"$here/build-libpng-mingw.sh"
"$here/build-benchmark.sh"
