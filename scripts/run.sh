#!/usr/bin/env bash
# Builds the Windows x86_64 program and opens it under wine64: on your display
# when there is one, otherwise on a virtual display (Xvfb), where a screenshot
# of the window is saved after start-up.
set -euo pipefail

root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
bash scripts/setup.sh
cmake --preset win64 >/dev/null
cmake --build build/win64 -j2 --target pindora tessarub language_libraries >/dev/null
program="$root/build/win64/pindora/pindora.exe"

if [ -n "${DISPLAY:-}" ] && xdpyinfo >/dev/null 2>&1; then
    echo "run: starting $program on $DISPLAY"
    exec scripts/wine-run.sh "$program" "$@"
fi

export DISPLAY=:98
Xvfb "$DISPLAY" -screen 0 1280x1024x24 -nolisten tcp >/dev/null 2>&1 &
xvfb=$!
trap '/usr/lib/wine/wineserver -k 2>/dev/null; kill $xvfb 2>/dev/null || true' EXIT
sleep 1
scripts/wine-run.sh "$program" "$@" &
for _ in $(seq 1 60); do
    sleep 0.5
    xdotool search --name '^pindora' >/dev/null 2>&1 && break
done
sleep 2
mkdir -p "$root/out"
shot="$root/out/pindora-start.png"
import -window root "$shot"
echo "run: no display here, so pindora ran on a virtual display; screenshot: $shot"
