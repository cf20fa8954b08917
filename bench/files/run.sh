#!/usr/bin/env bash
# Speaking into files against the engine and encoder programs alone, on the bilingual bench
# text (the paragraphs of the peer pipeline repeated to ~50,000 characters), each pair in
# this one script so that the ratios hold on a busy machine:
#   WAV 22 kHz 16-bit mono     vemo --to-file --format 22     vs espeak-ng -w
#   MP3, the dialog's defaults vemo --to-file --mp3 (22050 Hz, 64 kbps CBR, quality 2, mono)
#                              vs espeak-ng -w, then lame -m m -b 64 -q 2
#   the same in 5,000-character parts, vs that pipeline run part by part
#   peak memory of a WAV run on a 200,000- and a 1,000,000-character book (BENCH_MEMORY=0
#   leaves these two rows out: they take a few minutes)
# Beside each ratio stand the one measured before the voices spoke their fragments in
# stretches (a voice switch at every change of language, the file audio metered) and the
# target.
# Usage: bench/files/run.sh [VEMO] [WORKDIR]   (defaults: build/app/vemo, a fresh mktemp dir)
set -euo pipefail
export LC_ALL=C.UTF-8 VEMO_SPEECH_ENGINE=espeak
HERE=$(cd "$(dirname "$0")" && pwd)
VEMO=$(realpath "${1:-$HERE/../../build/app/vemo}")
WORK=${2:-$(mktemp -d /tmp/bench-files.XXXXXX)}
PEER=${PEER_SCRIPT:-$HERE/../../../shared/bench/peer-pipeline.sh}
for t in "$VEMO" espeak-ng lame /usr/bin/time; do
    command -v "$t" >/dev/null || { echo "missing: $t" >&2; exit 2; }
done
mkdir -p "$WORK"
cd "$WORK"

sed -n "/^cat > paras.txt <<'TXT'$/,/^TXT$/p" "$PEER" | sed '1d;$d' >paras.txt
book() { # book FILE CHARACTERS: the paragraphs repeated up to CHARACTERS
    : >"$1"
    while [ "$(wc -m <"$1")" -lt "$2" ]; do cat paras.txt >>"$1"; done
}
book text.txt 50000

# seconds COMMAND...: wall seconds of one run (standard output and error discarded)
seconds() {
    /usr/bin/time -f '%e' -o time.out "$@" >/dev/null 2>&1 || { echo "failed: $*" >&2; exit 1; }
    cat time.out
}
# kib COMMAND...: peak resident memory of one run in KiB
kib() {
    /usr/bin/time -f '%M' -o time.out "$@" >/dev/null 2>&1 || { echo "failed: $*" >&2; exit 1; }
    cat time.out
}
ratio() { awk -v a="$1" -v b="$2" 'BEGIN { printf "%.2f", a / b }'; }
sum() { awk -v a="$1" -v b="$2" 'BEGIN { printf "%.2f", a + b }'; }
row() { printf '| %-44s | %9s | %9s | %5s | %6s | %6s |\n' "$@"; }
mib() { awk -v k="$1" 'BEGIN { printf "%.1f", k / 1024 }'; }

# The text in parts of about 5,000 characters, cut after a line, for the pipeline part by part.
awk -v limit=5000 '{ if (n + length($0) > limit && n > 0) { part++; n = 0 }
                     print > sprintf("part%03d.txt", part); n += length($0) + 1 }' text.txt

echo "vemo: $VEMO"
echo "espeak-ng: $(espeak-ng --version | head -1)"
echo "lame: $(lame --version 2>&1 | head -1)"
echo "text: $(wc -m <text.txt) characters; $(ls part*.txt | wc -l) parts for the divided run"
echo
row "job" "vemo s" "ref s" "ratio" "before" "target"
row "--------------------------------------------" "---------" "---------" "-----" "------" "------"

vemo_wav=$(seconds "$VEMO" --to-file text.txt out.wav --format 22 --quiet)
ref_wav=$(seconds espeak-ng -v ru -f text.txt -w ref.wav)
row "WAV 22 kHz 16-bit mono / espeak-ng -w" "$vemo_wav" "$ref_wav" "$(ratio "$vemo_wav" "$ref_wav")" 1.63 "<=1.00"

rm -f out*.mp3 out*.wav
vemo_mp3=$(seconds "$VEMO" --to-file text.txt out.wav --mp3 --quiet)
lame_s=$(seconds lame -m m -b 64 -q 2 ref.wav ref.mp3)
ref_mp3=$(sum "$ref_wav" "$lame_s")
row "MP3 defaults / espeak-ng -w + lame" "$vemo_mp3" "$ref_mp3" "$(ratio "$vemo_mp3" "$ref_mp3")" 0.97 "<=0.75"

rm -f out*.mp3 out*.wav
vemo_parts=$(seconds "$VEMO" --to-file text.txt out.wav --mp3 --divide 5000 --quiet)
ref_parts=0
for part in part*.txt; do
    s=$(seconds espeak-ng -v ru -f "$part" -w "${part%.txt}.wav")
    l=$(seconds lame -m m -b 64 -q 2 "${part%.txt}.wav" "${part%.txt}.mp3")
    ref_parts=$(sum "$ref_parts" "$(sum "$s" "$l")")
done
row "MP3 in 5,000-character parts / part by part" "$vemo_parts" "$ref_parts" "$(ratio "$vemo_parts" "$ref_parts")" "" "<=0.55"

if [ "${BENCH_MEMORY:-1}" != 0 ]; then
    echo
    book book200k.txt 200000
    book book1m.txt 1000000
    small=$(kib "$VEMO" --to-file book200k.txt m200k.wav --format 22 --quiet)
    large=$(kib "$VEMO" --to-file book1m.txt m1m.wav --format 22 --quiet)
    echo "peak memory, WAV: 200,000 characters $(mib "$small") MiB, 1,000,000 characters" \
        "$(mib "$large") MiB (1M / 200k $(ratio "$large" "$small"))"
    echo "  before: 45.2 and 54.4 MiB (1.20); target: both <= 64 MiB, 1M / 200k <= 1.10"
fi
