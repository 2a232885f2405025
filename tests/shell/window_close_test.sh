#!/usr/bin/env bash
# Starts pindora.exe from a fresh program folder under wine64, waits for its
# window, closes it with WM_CLOSE and checks the settings file it wrote.
# Usage: window_close_test.sh <folder holding pindora.exe> <pindora_probe.exe>
set -euo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
program_dir="$1"
probe="$2"
source "$root/scripts/display.sh"
winepath_of() { echo "Z:$(echo "$1" | tr '/' '\\')"; }

work=$(mktemp -d)
program=""
finish() {
    # A failed run must not leave its window behind for the next test.
    [ -n "$program" ] && kill "$program" 2>/dev/null
    rm -rf "$work"
    stop_display
}
trap finish EXIT
cp -r "$program_dir"/pindora.exe "$program_dir"/tessarub.dll "$program_dir"/language "$work"/
start_display

"$root/scripts/wine-run.sh" "$work/pindora.exe" &
program=$!
"$root/scripts/wine-run.sh" "$probe" wait 60
title=$("$root/scripts/wine-run.sh" "$probe" title | tr -d "\r")
echo "title: $title"
case "$title" in
    "pindora - 0:0"*" - 1/"*" - ") ;;
    *) echo "unexpected title"; exit 1 ;;
esac
# A short stroke, so that closing has a drawing to save automatically.
window_id=$(xdotool search --name '^pindora - ' | head -n 1)
xdotool mousemove --window "$window_id" 100 100
sleep 0.3
xdotool mousedown 1
for step in $(seq 1 12); do
    xdotool mousemove --window "$window_id" $((100 + step * 12)) $((100 + step * 4))
    sleep 0.05
done
xdotool mouseup 1
sleep 0.5
"$root/scripts/wine-run.sh" "$probe" close
"$root/scripts/wine-run.sh" "$probe" gone 30
wait "$program" || { echo "pindora exited with $?"; exit 1; }
program=""
"$root/scripts/wine-run.sh" "$probe" check-ini "$(winepath_of "$work/pindora.ini")"
saved=$(ls "$work" | grep -E '^[0-9]{14}\.png$' || true)
if [ -z "$saved" ]; then
    echo "closing with a drawing saved no picture"
    ls "$work"
    exit 1
fi
echo "window test: the window opened, saved the drawing ($saved) and wrote pindora.ini on WM_CLOSE"
