#!/usr/bin/env bash
# Runs a command on a virtual X screen of its own (Xvfb, 1280x1024) with a window manager
# (openbox), for the tests that need a real X server: drags between two processes, title bars
# drawn by a window manager. The command gets DISPLAY and QT_QPA_PLATFORM=xcb. Xvfb picks a
# free display number itself, so that runs side by side never meet.
#
# When Xvfb, openbox or xdotool is not installed, or the screen does not come up, the command
# runs without a screen and VEMO_NO_X_SERVER says why, so that its tests can skip.
set -uo pipefail

missing=
for tool in Xvfb openbox xdotool; do
    command -v $tool >/dev/null || missing+=" $tool"
done
if [[ -n $missing ]]; then
    VEMO_NO_X_SERVER="not installed:$missing" QT_QPA_PLATFORM=offscreen "$@"
    exit $?
fi

work=$(mktemp -d)
xvfb_pid=
wm_pid=
stop_screen() {
    [[ -n $wm_pid ]] && kill "$wm_pid" 2>/dev/null && wait "$wm_pid" 2>/dev/null
    [[ -n $xvfb_pid ]] && kill "$xvfb_pid" 2>/dev/null && wait "$xvfb_pid" 2>/dev/null
    rm -rf "$work"
}
trap stop_screen EXIT

# Waits up to 10 s for a file to hold something.
wait_for_file() {
    for _ in $(seq 100); do [[ -s $1 ]] && return 0; sleep 0.1; done
    return 1
}

start_screen() {
    # -displayfd: Xvfb writes the display number it took once it accepts connections.
    Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp 3>"$work/display" 2>"$work/xvfb.log" &
    xvfb_pid=$!
    wait_for_file "$work/display" || return 1
    export DISPLAY=:$(tr -d '[:space:]' <"$work/display")
    openbox --sm-disable --startup "sh -c 'echo up >$work/wm'" >"$work/openbox.log" 2>&1 &
    wm_pid=$!
    wait_for_file "$work/wm"
}

if start_screen; then
    export QT_QPA_PLATFORM=xcb
    "$@"
else
    echo "warning: the virtual screen did not start" >&2
    cat "$work/xvfb.log" "$work/openbox.log" >&2 2>/dev/null
    VEMO_NO_X_SERVER="the virtual screen did not start" QT_QPA_PLATFORM=offscreen "$@"
fi
