#!/usr/bin/env bash
# Speaking a ~50,000-character Russian/English text to MP3 (22050 Hz, CBR 64 kbps) through
# vemo --to-file, against the command-line pipeline espeak-ng -w then lame with the same
# sample rate, mode, bitrate and quality, in the same script. Quality 2 and 5, whole and
# divided by 5000 characters. Prints wall time, CPU time and peak memory (GNU time -v),
# the ratio of vemo's wall time to the pipeline's, and how vemo's time splits between
# speaking and MP3 conversion (from its progress lines on standard error).
# Usage: run.sh [VEMO] [WORKDIR]   (defaults: build/app/vemo, a fresh mktemp dir)
set -euo pipefail
export LC_ALL=C.UTF-8 VEMO_SPEECH_ENGINE=espeak
HERE=$(cd "$(dirname "$0")" && pwd)
VEMO=$(realpath "${1:-$HERE/../../build/app/vemo}")
WORK=${2:-$(mktemp -d /tmp/bench-mp3.XXXXXX)}
PEER=${PEER_SCRIPT:-$HERE/../../../shared/bench/peer-pipeline.sh}
for t in "$VEMO" espeak-ng lame /usr/bin/time; do command -v "$t" >/dev/null || { echo "missing: $t" >&2; exit 2; }; done
mkdir -p "$WORK"; cd "$WORK"

# The text of the peer benchmark: its paragraphs repeated up to 50,000 characters.
sed -n "/^cat > paras.txt <<'TXT'$/,/^TXT$/p" "$PEER" | sed '1d;$d' > paras.txt
: > text.txt
while [ "$(wc -m < text.txt)" -lt 50000 ]; do cat paras.txt >> text.txt; done
echo "text: $(wc -m < text.txt) characters, $(wc -w < text.txt) words ($WORK/text.txt)"

# measure LOG cmd...: runs cmd under GNU time (its standard error, time-stamped line by line,
# into LOG.err) and prints "wall cpu maxrss_kib"
measure() {
  local log=$1; shift
  /usr/bin/time -v -o "$log" "$@" >/dev/null 2> >(while IFS= read -r l; do echo "$(date +%s.%N) $l"; done > "$log.err") ||
    { echo "failed: $* (see $log.err)" >&2; exit 1; }
  sleep 0.2 # the stamping loop drains
  awk -F': ' '
    /Elapsed \(wall clock\)/ { n=split($2,a,":"); w=0; for(i=1;i<=n;i++) w=w*60+a[i] }
    /User time/ { u=$2 } /System time/ { s=$2 } /Maximum resident set size/ { r=$2 }
    END { printf "%.2f %.2f %d\n", w, u+s, r }' "$log"
}

# Seconds vemo spent converting: from each "converting" progress line (standard error is
# not a terminal here, so vemo prints one line as each phase starts on a file) to the line
# after it, or to the end of the run for the last file.
conversion_seconds() { # conversion_seconds STAMPED_LOG END_STAMP
  awk -v end="$2" '
    { t[NR]=$1; c[NR]=index($0, " converting ") > 0 }
    END { for (i=1;i<=NR;i++) if (c[i]) k += (i<NR ? t[i+1] : end) - t[i]; printf "%.2f\n", k }' "$1"
}

row() { printf '%-26s %8s %8s %10s %9s %9s %6s\n' "$@"; }

vemo_run() { # vemo_run QUALITY DIVIDE
  local q=$1 divide=$2 tag="q$1" extra=()
  [ "$divide" = 0 ] || { extra=(--divide "$divide"); tag="$tag divided $divide"; }
  rm -f out*.mp3 out*.wav
  local log="vemo.q$q.d$divide.log"
  read -r w c r < <(measure "$log" "$VEMO" --to-file text.txt out.wav --mp3 --sample-rate 22050 \
    --mode cbr --bitrate 64 --quality "$q" "${extra[@]}")
  local start end conv
  start=$(awk 'NR==1{print $1}' "$log.err")
  end=$(awk -v s="$start" -v w="$w" 'BEGIN{printf "%.3f", s+w}')
  conv=$(conversion_seconds "$log.err" "$end")
  row "vemo $tag" "$w" "$c" "$r" "$(awk -v w="$w" -v k="$conv" 'BEGIN{printf "%.2f", w-k}')" "$conv" \
    "$(ls out*.mp3 | wc -l)"
  VEMO_WALL=$w
}

pipeline_run() { # pipeline_run QUALITY
  local q=$1
  rm -f out.wav out.mp3
  read -r ew ec er < <(measure "espeak.q$q.log" espeak-ng -v ru -f text.txt -w out.wav)
  read -r lw lc lr < <(measure "lame.q$q.log" lame --cbr -b 64 -q "$q" --resample 22.05 out.wav out.mp3)
  PIPE_WALL=$(awk -v a="$ew" -v b="$lw" 'BEGIN{printf "%.2f", a+b}')
  row "pipeline q$q" "$PIPE_WALL" "$(awk -v a="$ec" -v b="$lc" 'BEGIN{printf "%.2f", a+b}')" \
    "$((er > lr ? er : lr))" "$ew" "$lw" 1
}

echo "vemo: $VEMO"
echo "espeak-ng: $(espeak-ng --version | head -1)"
echo "lame: $(lame --version 2>&1 | head -1)"
echo
row "run" "wall s" "cpu s" "maxRSS KiB" "speak s" "mp3 s" "files"
for q in 2 5; do
  pipeline_run "$q"
  pipe=$PIPE_WALL
  for divide in 0 5000; do
    vemo_run "$q" "$divide"
    echo "    ratio vemo / pipeline wall time: $(awk -v a="$VEMO_WALL" -v b="$pipe" 'BEGIN{printf "%.2f", a/b}')"
  done
done
