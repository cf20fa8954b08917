#!/usr/bin/env bash
# Main-window benchmarks: highlighting cost on a 1,000,000-character text (test engine),
# and, on a private sound server, Read to first sound and the skew between each word's
# sound and its selection, measured from a recording of the null sink.
# Usage: bench/main/run.sh BUILD_DIR
set -euo pipefail
BUILD=${1:?build folder}
HERE=$(cd "$(dirname "$0")" && pwd)
"$BUILD/bench/main/bench_main"
# A server of its own, so that no other sound reaches the recording.
VEMO_PULSE_DIR=$(mktemp -d) "$HERE/../../tools/with-pulse.sh" "$BUILD/bench/main/bench_reading_sync"
