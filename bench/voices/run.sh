#!/usr/bin/env bash
# Every engine's voices on the bench text: speed in times real time and Read -> first sound,
# on a private null sound sink. Usage: bench/voices/run.sh BUILD_DIR [VOICE_ID...]
set -euo pipefail
BUILD=${1:?build folder}
shift
HERE=$(cd "$(dirname "$0")" && pwd)
"$HERE/../../tools/with-pulse.sh" "$BUILD/bench/voices/bench_voices" "$@"
