# Shared by the window tests: a virtual display when there is none, and the
# Windows form of a Linux path for programs under wine.
display_pid=""
start_display() {
    if [ -n "${DISPLAY:-}" ] && xdpyinfo >/dev/null 2>&1; then return 0; fi
    local number
    for number in $(seq 90 120); do
        [ -e "/tmp/.X11-unix/X$number" ] || [ -e "/tmp/.X$number-lock" ] && continue
        export DISPLAY=":$number"
        Xvfb "$DISPLAY" -screen 0 1280x1024x24 -nolisten tcp >/dev/null 2>&1 &
        display_pid=$!
        for _ in $(seq 1 50); do xdpyinfo >/dev/null 2>&1 && return 0; sleep 0.1; done
        return 1
    done
    return 1
}
stop_display() {
    [ -n "$display_pid" ] && kill "$display_pid" 2>/dev/null || true
}
winepath_of() { echo "Z:$(echo "$1" | tr '/' '\\')"; }
