# The one way the scripts and the window tests get a display for the Windows
# program, sourced by them: the current display, or a virtual one (Xvfb) that
# they start and stop by process id. Also starts programs detached.
#   start_display   uses $DISPLAY when a server answers there; else starts Xvfb
#                   on that number (DISPLAY=:N), or on a free one it picks
#                   itself, and exports DISPLAY
#   stop_display    stops the Xvfb that start_display started, if any
#   start_detached LOG CMD...   runs CMD in the background in its own session,
#                   stdin from /dev/null, output to LOG, no other inherited
#                   descriptor; its process id is in $detached_pid

display_pid=""
detached_pid=""

display_answers() { xdpyinfo >/dev/null 2>&1; }

# A program that can outlive its caller (the wine server it starts does) must
# hold none of the caller's pipes: a command substitution would wait for it.
close_inherited_fds() {
    local fd
    for fd in /proc/$BASHPID/fd/*; do
        fd=${fd##*/}
        [ "$fd" -gt 2 ] && eval "exec $fd>&-"
    done
    return 0
}

start_detached() {
    local log=$1
    shift
    (
        close_inherited_fds
        exec setsid "$@" </dev/null >>"$log" 2>&1
    ) &
    detached_pid=$!
}

start_display() {
    if [ -n "${DISPLAY:-}" ] && display_answers; then return 0; fi
    local number="" picked
    picked=$(mktemp)
    case "${DISPLAY:-}" in
        :[0-9]*) number=${DISPLAY#:} number=${number%%.*} ;;
    esac
    if [ -n "$number" ]; then
        start_detached /dev/null Xvfb ":$number" -screen 0 1280x1024x24 -nolisten tcp
    else
        # Xvfb writes the number of the free display it took once it listens.
        start_detached /dev/null sh -c 'exec Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp 3>"$1"' \
            sh "$picked"
    fi
    display_pid=$detached_pid
    local tries
    for tries in $(seq 1 100); do
        if ! kill -0 "$display_pid" 2>/dev/null; then
            display_pid=""
            break
        fi
        if [ -z "$number" ] && [ -s "$picked" ]; then number=$(head -n 1 "$picked"); fi
        if [ -n "$number" ] && DISPLAY=":$number" display_answers; then
            export DISPLAY=":$number"
            rm -f "$picked"
            return 0
        fi
        sleep 0.1
    done
    rm -f "$picked"
    stop_display
    echo "no virtual display: Xvfb did not start${number:+ on :$number}" >&2
    return 1
}

stop_display() {
    if [ -n "$display_pid" ]; then
        kill "$display_pid" 2>/dev/null || true
        wait "$display_pid" 2>/dev/null || true
        # Its socket and lock file are gone only once it has exited.
        local tries
        for tries in $(seq 1 50); do
            kill -0 "$display_pid" 2>/dev/null || break
            sleep 0.1
        done
    fi
    display_pid=""
    return 0
}
