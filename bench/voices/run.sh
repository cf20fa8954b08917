#!/usr/bin/env bash
# Every engine's voices on the bench text: speed in times real time and Read -> first sound,
# on a private null sound sink; speech-dispatcher's voices on a private daemon with its
# espeak-ng module (when installed and SPEECHD_ADDRESS names no daemon of the user's).
# Usage: bench/voices/run.sh BUILD_DIR [VOICE_ID...]
set -euo pipefail
BUILD=${1:?build folder}
shift
HERE=$(cd "$(dirname "$0")" && pwd)
if [[ -n ${SPEECHD_ADDRESS:-} ]] || ! command -v speech-dispatcher >/dev/null; then
    exec "$HERE/../../tools/with-pulse.sh" "$BUILD/bench/voices/bench_voices" "$@"
fi
SD=$(mktemp -d)
trap 'rm -rf "$SD"' EXIT
mkdir -p "$SD/conf/modules" "$SD/logs"
printf 'AudioOutputMethod "pulse"\nDefaultModule espeak-ng\nAddModule "espeak-ng" "sd_espeak-ng" "espeak-ng.conf"\nLogLevel 1\n' \
    >"$SD/conf/speechd.conf"
echo "EspeakIndexing 1" >"$SD/conf/modules/espeak-ng.conf"
export SPEECHD_ADDRESS="unix_socket:$SD/speechd.sock"
# The daemon runs inside the sound server's run, so that its sound goes to the null sink.
"$HERE/../../tools/with-pulse.sh" bash -c '
    speech-dispatcher -s -t 0 -C "$0/conf" -S "$0/speechd.sock" -L "$0/logs" >/dev/null 2>&1 &
    daemon=$!
    for _ in $(seq 100); do [[ -S $0/speechd.sock ]] && break; sleep 0.1; done
    "$@"; rc=$?
    kill $daemon; wait $daemon 2>/dev/null
    exit $rc' "$SD" "$BUILD/bench/voices/bench_voices" "$@"
