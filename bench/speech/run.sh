#!/usr/bin/env bash
# Speech benchmarks: the voice layer against the espeak-ng program on the same text, and
# latency on a null sound sink. Usage: bench/speech/run.sh BUILD_DIR [RUNS]
set -euo pipefail
BUILD=${1:?build folder}
RUNS=${2:-1}
HERE=$(cd "$(dirname "$0")" && pwd)
"$BUILD/bench/speech/bench_speech_file" "$RUNS"
"$HERE/../../tools/with-pulse.sh" "$BUILD/bench/speech/bench_speech_latency"
