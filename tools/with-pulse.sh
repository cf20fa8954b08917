#!/usr/bin/env bash
# Runs a command with a private sound server that plays into a null sink, so that sound
# tests work on a headless machine (also as root). The server must be up before the test
# processes start: Qt looks for the sound server once, when a process starts.
#
# VEMO_SOUND_SERVER=pulseaudio (the default when PulseAudio is installed) starts a
# PulseAudio daemon; VEMO_SOUND_SERVER=pipewire (the default otherwise) starts PipeWire with
# its session manager and its PulseAudio server. VEMO_PULSE_DIR names the runtime folder,
# so that two servers can run side by side.
set -uo pipefail
server=${VEMO_SOUND_SERVER:-}
if [[ -z $server ]]; then
    if command -v pulseaudio >/dev/null; then server=pulseaudio; else server=pipewire; fi
fi
export XDG_RUNTIME_DIR=${VEMO_PULSE_DIR:-/tmp/vemo-$server-$(id -u)}
mkdir -p "$XDG_RUNTIME_DIR"
chmod 700 "$XDG_RUNTIME_DIR"
export PULSE_SERVER=unix:$XDG_RUNTIME_DIR/pulse/native

wait_for_server() {
    for _ in $(seq 100); do pactl info >/dev/null 2>&1 && return 0; sleep 0.1; done
    return 1
}

started=0
pipewire_pid=
start_pulseaudio() {
    pulseaudio -D --exit-idle-time=-1 -n \
        --load="module-null-sink sink_name=null norewinds=1" \
        --load=module-native-protocol-unix >/dev/null 2>&1 || true
    wait_for_server
}

# PipeWire needs a session bus for its session manager; the whole group ends with the run.
start_pipewire() {
    for tool in pipewire pipewire-pulse wireplumber dbus-run-session; do
        command -v $tool >/dev/null || { echo "warning: $tool is not installed" >&2; return 1; }
    done
    setsid dbus-run-session -- sh -c 'pipewire & sleep 0.3; wireplumber & pipewire-pulse & wait' \
        >"$XDG_RUNTIME_DIR/pipewire.log" 2>&1 &
    pipewire_pid=$!
    wait_for_server || return 1
    pactl load-module module-null-sink sink_name=null >/dev/null &&
        pactl set-default-sink null &&
        for _ in $(seq 50); do pactl get-default-sink 2>/dev/null | grep -qx null && return 0; sleep 0.1; done
    return 1
}

stop_server() {
    case $server in
    pulseaudio) pulseaudio -k >/dev/null 2>&1 ;;
    pipewire) [[ -n $pipewire_pid ]] && kill -- -"$pipewire_pid" 2>/dev/null; wait "$pipewire_pid" 2>/dev/null ;;
    esac
}

if ! pactl info >/dev/null 2>&1; then
    case $server in
    pulseaudio) start_pulseaudio && started=1 ;;
    pipewire) start_pipewire && started=1 ;;
    *) echo "unknown sound server '$server' (pulseaudio or pipewire)" >&2; exit 2 ;;
    esac
    if [[ $started -eq 0 ]]; then
        echo "warning: the $server sound server did not start" >&2
        stop_server
    fi
fi
"$@"
rc=$?
[[ $started -eq 1 ]] && stop_server
exit $rc
