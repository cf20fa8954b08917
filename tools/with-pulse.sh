#!/usr/bin/env bash
# Runs a command with a private PulseAudio daemon that plays into a null sink, so that
# sound tests work on a headless machine (also as root). The daemon must be up before the
# test processes start: Qt looks for the sound server once, when a process starts.
set -uo pipefail
export XDG_RUNTIME_DIR=${VEMO_PULSE_DIR:-/tmp/vemo-pulse-$(id -u)}
mkdir -p "$XDG_RUNTIME_DIR"
chmod 700 "$XDG_RUNTIME_DIR"
started=0
if ! pactl info >/dev/null 2>&1; then
    pulseaudio -D --exit-idle-time=-1 -n \
        --load="module-null-sink sink_name=null norewinds=1" \
        --load=module-native-protocol-unix >/dev/null 2>&1 || true
    for _ in $(seq 50); do pactl info >/dev/null 2>&1 && break; sleep 0.1; done
    if pactl info >/dev/null 2>&1; then started=1; else echo "warning: PulseAudio did not start" >&2; fi
fi
"$@"
rc=$?
[[ $started -eq 1 ]] && pulseaudio -k >/dev/null 2>&1
exit $rc
