#!/usr/bin/env bash
# Main-window benchmarks: Open and highlighting cost on a 1,000,000-character text and on
# a 20,000,000-character one, the largest the text box takes (test engine), and, on a
# private sound server, Read to first sound on both and the skew between each word's sound
# and its selection, measured from a recording of the null sink.
# Usage: bench/main/run.sh BUILD_DIR
set -euo pipefail
BUILD=${1:?build folder}
HERE=$(cd "$(dirname "$0")" && pwd)
for characters in 1000000 20000000; do
  "$BUILD/bench/main/bench_main" "$characters"
done
# A server of its own, so that no other sound reaches the recording.
VEMO_PULSE_DIR=$(mktemp -d) "$HERE/../../tools/with-pulse.sh" "$BUILD/bench/main/bench_reading_sync" 20000000
