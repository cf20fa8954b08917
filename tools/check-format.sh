#!/usr/bin/env bash
# Fails, naming each file and line, when a C++ file of the project differs from what
# clang-format makes of it with the project's .clang-format. Run from anywhere; CI runs it
# before the long builds. Reformat a file with: clang-format -i FILE
set -euo pipefail
cd "$(dirname "$0")/.."
if ! command -v clang-format >/dev/null; then
    echo "check-format: clang-format is missing (tools/packages/test.txt lists it)" >&2
    exit 1
fi
mapfile -d '' files < <(find app bench documents files folder fuzz main soundfile speech tests text texttools \
    -type f \( -name '*.cpp' -o -name '*.h' \) -print0 | sort -z)
clang-format --dry-run --Werror "${files[@]}"
echo "check-format: ${#files[@]} files formatted as .clang-format says"
