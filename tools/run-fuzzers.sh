#!/usr/bin/env bash
# Gives every libFuzzer target of a fuzz build a short run over its seeds.
# Usage: run-fuzzers.sh BUILD_DIR SECONDS
set -euo pipefail
build=$1; seconds=${2:-20}
top=$(cd "$(dirname "$0")/.." && pwd)
status=0
for fuzzer in "$build"/fuzz/*/fuzz_*; do
    [[ -f "$fuzzer" && -x "$fuzzer" ]] || continue
    name=$(basename "$fuzzer"); area=${name#fuzz_}
    work=$(mktemp -d)
    seeds=()
    [[ -d "$top/fuzz/$area/seeds" ]] && seeds+=("$top/fuzz/$area/seeds")
    case $area in
        rtf) seeds+=("$top/../shared/testdata/rtf") ;;
        books | containers) seeds+=("$top/tests/documents/books") ;;
    esac
    echo "fuzzing $name for ${seconds}s"
    # Leak checking is off: the readers keep per-process caches (code-page converters) that
    # live until exit on purpose; memory errors and crashes still fail the run.
    if ! ASAN_OPTIONS=detect_leaks=0 "$fuzzer" -max_total_time="$seconds" -rss_limit_mb=2048 -timeout=10 -detect_leaks=0 \
            -artifact_prefix="$work/" "$work" "${seeds[@]}" >"$work/log" 2>&1; then
        echo "$name failed:"; tail -40 "$work/log"; status=1
    else
        grep -E '^(Done|#[0-9]+ +DONE)' "$work/log" | tail -1 || true
    fi
    rm -rf "$work"
done
exit $status
