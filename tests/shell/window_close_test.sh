#!/usr/bin/env bash
# Starts pindora.exe from a fresh program folder under wine64, waits for its
# window, closes it with WM_CLOSE and checks the settings file it wrote.
# Usage: window_close_test.sh <folder holding pindora.exe> <pindora_probe.exe>
set -euo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
program_dir="$1"
probe="$2"
source "$root/tests/shell/display.sh"

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
"$root/scripts/wine-run.sh" "$probe" close
"$root/scripts/wine-run.sh" "$probe" gone 30
wait "$program" || { echo "pindora exited with $?"; exit 1; }
program=""
"$root/scripts/wine-run.sh" "$probe" check-ini "$(winepath_of "$work/pindora.ini")"
echo "window test: the window opened, closed on WM_CLOSE and wrote pindora.ini as expected"
