#!/usr/bin/env bash
# Runs a command on a private X server (Xvfb) with a window manager (openbox), so that tests
# see what a user's desktop shows: windows mapped and managed, painting that reaches the
# screen, drags between processes. The command gets DISPLAY and QT_QPA_PLATFORM=xcb.
# Without Xvfb the command runs with VEMO_NO_XSERVER=1 set, so that the test can skip.
set -uo pipefail
if ! command -v Xvfb >/dev/null; then
    echo "warning: Xvfb is not installed" >&2
    VEMO_NO_XSERVER=1 exec "$@"
fi
fifo=$(mktemp -u)
mkfifo "$fifo"
Xvfb -displayfd 9 -screen 0 1280x900x24 -nolisten tcp 9>"$fifo" >/dev/null 2>&1 &
xvfb_pid=$!
display=
read -r -t 10 display <"$fifo"
rm -f "$fifo"
if [[ -z $display ]]; then
    echo "error: Xvfb did not start" >&2
    kill $xvfb_pid 2>/dev/null
    exit 1
fi
export DISPLAY=:$display QT_QPA_PLATFORM=xcb
wm_pid=
if command -v openbox >/dev/null; then
    openbox --sm-disable >/dev/null 2>&1 &
    wm_pid=$!
    # The window manager has taken over when it owns the screen's selection.
    for _ in $(seq 50); do
        xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q 'window id' && break
        sleep 0.1
    done
else
    echo "warning: openbox is not installed; the windows are not managed" >&2
fi
"$@"
status=$?
[[ -n $wm_pid ]] && kill $wm_pid 2>/dev/null
kill $xvfb_pid 2>/dev/null
wait 2>/dev/null
exit $status
