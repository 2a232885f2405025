#!/usr/bin/env bash
# Builds the Windows x86_64 program and opens it under wine64. On a display it
# simply opens the program. Without one it shows the program at work on a
# virtual display: a few strokes with recording on, a quick save and the
# replay (F5), with screenshots under out/, then closes it through its window.
set -euo pipefail

root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
source scripts/display.sh
out="$root/out"
log="$out/run.log"

fail() {
    echo "run: $*" >&2
    exit 1
}

mkdir -p "$out"
: >"$log"
bash scripts/setup.sh || fail "setting up the machine failed (scripts/setup.sh)"
{ cmake --preset win64 && cmake --build build/win64 -j2 \
    --target pindora tessarub language_libraries pindora_probe; } >>"$log" 2>&1 ||
    fail "the build failed; its output is in $log"
ship="$root/build/win64/pindora"
probe="$root/build/win64/tests/pindora_probe.exe"
export WINEPREFIX="$root/.cache/wineprefix"

# The program runs from a copy of the ship folder: its pictures and its
# pindora.ini land next to it, and the ship folder stays as built.
copy_program() {
    mkdir -p "$1"
    cp -r "$ship/pindora.exe" "$ship/tessarub.dll" "$ship/language" "$1"/
}

if [ -n "${DISPLAY:-}" ] && display_answers; then
    copy_program "$out/pindora"
    echo "run: starting pindora on $DISPLAY from $out/pindora"
    exec scripts/wine-run.sh "$out/pindora/pindora.exe" "$@"
fi

# No display: the scripted session.
started=$SECONDS
session="$out/session"
program_pid=""
cleanup() {
    local status=$?
    if [ -n "$program_pid" ] && kill -0 "$program_pid" 2>/dev/null; then
        kill "$program_pid" 2>/dev/null
    fi
    # The prefix's own services and server outlive the program by seconds.
    /usr/lib/wine/wineserver -k >/dev/null 2>&1 || true
    stop_display
    exit $status
}
trap cleanup EXIT
trap 'exit 130' INT TERM

start_display || fail "no virtual display: Xvfb did not start"
rm -rf "$session"
copy_program "$session"
start_detached "$log" scripts/wine-run.sh "$session/pindora.exe"
program_pid=$detached_pid

# The probe finds the window by its class; its answer goes through a file.
probe_says=""
probe() {
    local answer="$session.probe"
    local status=0
    (
        close_inherited_fds
        exec scripts/wine-run.sh "$probe" "$@"
    ) </dev/null >"$answer" 2>>"$log" || status=$?
    probe_says=$(tr -d '\r' <"$answer")
    rm -f "$answer"
    return $status
}

# Up to two minutes: the first start in a new wine prefix prepares it first.
opened=""
for _ in $(seq 1 24); do
    kill -0 "$program_pid" 2>/dev/null || fail "pindora ended before its window opened; see $log"
    probe wait 5 && opened=1 && break
done
[ -n "$opened" ] || fail "the pindora window did not open within two minutes"
probe where || fail "the probe found no window to draw in"
read -r left top width height <<<"$probe_says"
[ -n "${height:-}" ] || fail "the probe gave no window area ($probe_says)"

shot() {
    sleep 0.5
    import -window root -crop "${width}x${height}+${left}+${top}" +repage "$1" ||
        fail "could not take the screenshot $1"
}
# Ink pixels: darker than mid-grey.
ink() { convert "$1" -colorspace gray -threshold 50% -format '%[fx:round((1-mean)*w*h)]' info:; }
pictures() { ls "$session" | grep -E '^[0-9]{14}\.png$' || true; }

shot "$out/pindora-start.png"
[ "$(ink "$out/pindora-start.png")" -lt 50 ] || fail "the window does not start with a blank canvas"

# Recording on through the pop-up menu: right click, "Record steps", "On".
xdotool mousemove $((left + width / 2)) $((top + height / 3)) sleep 0.2 click 3 sleep 0.5 \
    key r sleep 0.3 key n sleep 0.3 || fail "xdotool could not open the pop-up menu"

# Strokes: a spiral, a sun with rays and two waves; places in fractions of
# the client area, sizes in fractions of its height. Plain moves with short
# sleeps: a synchronised move waits out the pointer grab of the drag.
strokes() {
    awk -v x0="$left" -v y0="$top" -v w="$width" -v h="$height" 'BEGIN {
        pi = 3.14159265
        # spiral
        n = 0; for (t = 0; t <= 5 * pi; t += 0.25) { r = 0.012 + 0.014 * t
            px[n] = 0.30 * w + r * h * cos(t); py[n] = 0.36 * h + r * h * sin(t); n++ }
        emit(n)
        # sun and rays
        n = 0; for (t = 0; t <= 2 * pi + 0.1; t += 0.16) {
            px[n] = 0.72 * w + 0.09 * h * cos(t); py[n] = 0.30 * h + 0.09 * h * sin(t); n++ }
        emit(n)
        for (k = 0; k < 8; k++) { a = k * pi / 4; n = 0
            for (s = 0.13; s <= 0.20; s += 0.035) {
                px[n] = 0.72 * w + s * h * cos(a); py[n] = 0.30 * h + s * h * sin(a); n++ }
            emit(n) }
        # waves
        for (row = 0; row < 2; row++) { n = 0
            for (u = 0.10; u <= 0.90; u += 0.02) {
                px[n] = u * w; py[n] = (0.66 + 0.10 * row) * h + 0.03 * h * sin(u * 6 * pi + row); n++ }
            emit(n) }
    }
    function emit(count,   i, line) {
        line = sprintf("mousemove %d %d sleep 0.08 mousedown 1", x0 + px[0], y0 + py[0])
        for (i = 1; i < count; i++) line = line sprintf(" sleep 0.015 mousemove %d %d", x0 + px[i], y0 + py[i])
        print line " sleep 0.05 mouseup 1 sleep 0.1"
    }'
}
now_ms() { echo $(($(date +%s%N) / 1000000)); }
drawing_began=$(now_ms)
while read -r -a stroke; do
    xdotool "${stroke[@]}" || fail "xdotool could not move the pointer"
done < <(strokes)
drawing_took=$(($(now_ms) - drawing_began))
shot "$out/pindora-drawing.png"
drawn=$(ink "$out/pindora-drawing.png")
[ "$drawn" -gt 500 ] || fail "the strokes left no drawing in the window ($drawn ink pixels)"

# Quick save (Ctrl+D): a picture with a time-stamped name next to the program.
xdotool key ctrl+d || fail "xdotool could not press Ctrl+D"
for _ in $(seq 1 50); do [ -n "$(pictures)" ] && break; sleep 0.1; done
saved=$(pictures)
[ -n "$saved" ] || fail "quick save (Ctrl+D) wrote no picture"
sleep 0.5 # the file appears before it is complete
cp "$session/$saved" "$out/pindora-saved.png"

# Replay (F5) at the recorded pace: the title says so; a screenshot half-way,
# then the end must look like the drawing.
xdotool key F5 || fail "xdotool could not press F5"
replay_began=$(now_ms)
playing=""
for _ in $(seq 1 30); do
    probe title && [[ "$probe_says" == *-Playing-* ]] && playing=1 && break
    sleep 0.1
done
[ -n "$playing" ] || fail "F5 did not start the replay (title: $probe_says)"
sleep_until() { sleep "$(awk -v ms="$(($1 - $(now_ms)))" 'BEGIN { print (ms > 0 ? ms / 1000 : 0) }')"; }
sleep_until $((replay_began + drawing_took / 2))
shot "$out/pindora-replay.png"
sleep_until $((replay_began + drawing_took))
# A busy machine replays late: look again for a while before giving up.
for _ in $(seq 1 15); do
    shot "$session/replayed.png"
    differing=$(compare -metric AE -fuzz 25% "$out/pindora-drawing.png" "$session/replayed.png" null: 2>&1 || true)
    differing=$(printf '%.0f' "$differing" 2>/dev/null) || fail "could not compare the replay with the drawing"
    [ "$differing" -lt $((drawn / 10)) ] && break
    sleep 0.5
done
rm -f "$session/replayed.png"
[ "$differing" -lt $((drawn / 10)) ] ||
    fail "the replay does not match the drawing ($differing of $drawn pixels differ)"

# Close through the window: pop-up menu, "Exit". Closing saves the drawing
# again and writes pindora.ini.
xdotool mousemove $((left + width / 2)) $((top + height / 3)) sleep 0.2 click 3 sleep 0.5 key x ||
    fail "xdotool could not open the pop-up menu"
probe gone 30 || fail "the window did not close from its pop-up menu"
status=0
wait "$program_pid" || status=$?
program_pid=""
[ "$status" -eq 0 ] || fail "pindora exited with status $status"
[ "$(pictures | wc -l)" -ge 2 ] || fail "closing the window saved no picture"
grep -q '^RecordStep=1' "$session/pindora.ini" 2>/dev/null ||
    fail "closing the window wrote no pindora.ini with recording on"

echo "run: pindora drew, saved and replayed on a virtual display ($((SECONDS - started)) s):"
echo "  screenshots  $out/pindora-start.png, pindora-drawing.png, pindora-replay.png"
echo "  quick save   $out/pindora-saved.png (drop it on the window to replay it)"
echo "  program      $session/ with its pictures and pindora.ini"
