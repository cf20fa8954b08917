#!/usr/bin/env bash
# Folder conversion benchmark: ten text files of 5,000 characters each (the bilingual
# paragraphs of the shared peer pipeline script) to MP3 at 22050 Hz, 64 kbps, through
#   vemo --convert-folder DIR --mp3 ... --jobs 1, and again with --jobs 2,
# against a shell loop of espeak-ng -w and lame over copies of the same files.
# Prints the wall times and their ratios (vemo / loop; below 1.0 vemo is faster), checks
# that one and two jobs made the same files, then the same for the speaking alone (22050 Hz
# mono WAV files, no MP3). Other work on the machine disturbs wall times: compare the
# ratios of one run of the script.
# Usage: bench/folder/run.sh BUILD_DIR [WORKDIR]
set -euo pipefail
export LC_ALL=C.UTF-8
BUILD=$(cd "${1:?build folder}" && pwd)
HERE=$(cd "$(dirname "$0")" && pwd)
WORK=${2:-$(mktemp -d /tmp/bench-folder.XXXXXX)}
VEMO="$BUILD/app/vemo"
PEER="$HERE/../../../shared/bench/peer-pipeline.sh"
FILES=10
CHARS=5000
for t in "$VEMO" espeak-ng lame; do command -v "$t" >/dev/null || { echo "missing: $t" >&2; exit 2; }; done

mkdir -p "$WORK/vemo" "$WORK/vemo-j2" "$WORK/loop" "$WORK/loop-same" "$WORK/settings" "$WORK/vemo-wav" "$WORK/loop-wav"
# The paragraphs between "<<'TXT'" and "TXT" of the peer script, repeated and cut to CHARS.
sed -n "/<<'TXT'/,/^TXT$/p" "$PEER" | sed '1d;$d' > "$WORK/paras.txt"
for i in $(seq -w 1 "$FILES"); do
  : > "$WORK/text.txt"
  while [ "$(wc -m < "$WORK/text.txt")" -lt "$CHARS" ]; do cat "$WORK/paras.txt" >> "$WORK/text.txt"; done
  # A different start per file, so that no two files are the same.
  python3 -c "import sys; t=open(sys.argv[1],encoding='utf-8').read(); k=int(sys.argv[2])*97; \
print((t[k:]+t)[:int(sys.argv[3])], end='')" "$WORK/text.txt" "$i" "$CHARS" > "$WORK/vemo/book $i.txt"
  for copy in vemo-j2 loop loop-same vemo-wav loop-wav; do cp "$WORK/vemo/book $i.txt" "$WORK/$copy/book $i.txt"; done
done
echo "files: $FILES x $(wc -m < "$WORK/vemo/book 01.txt") characters in $WORK"

seconds() { date +%s.%N; }
since() { awk -v a="$1" -v b="$(seconds)" 'BEGIN{printf "%.2f", b-a}'; }
ratio() { awk -v a="$1" -v b="$2" 'BEGIN{printf "%.2f", a/b}'; }
convert_folder() { # convert_folder DIR options...
  local dir=$1; shift
  VEMO_SETTINGS_DIR="$WORK/settings" VEMO_SPEECH_ENGINE=espeak \
    "$VEMO" --convert-folder "$dir" "$@" 2> "$dir.log"
}

start=$(seconds)
convert_folder "$WORK/vemo" --mp3 --sample-rate 22050 --mode cbr --bitrate 64 --jobs 1
vemo_wall=$(since "$start")

# The same folder name, so that the MP3 files' album tags match: the first run's files
# are moved aside meanwhile.
mv "$WORK/vemo" "$WORK/vemo-j1"
mv "$WORK/vemo-j2" "$WORK/vemo"
start=$(seconds)
convert_folder "$WORK/vemo" --mp3 --sample-rate 22050 --mode cbr --bitrate 64 --jobs 2
vemo_j2_wall=$(since "$start")
mv "$WORK/vemo" "$WORK/vemo-j2"
mv "$WORK/vemo-j1" "$WORK/vemo"
same=yes
for f in "$WORK"/vemo/*.mp3 "$WORK"/vemo/*.srt "$WORK"/vemo/*.lrc; do
  cmp -s "$f" "$WORK/vemo-j2/$(basename "$f")" || same="NO: $(basename "$f") differs"
done

start=$(seconds)
for f in "$WORK"/loop/*.txt; do
  espeak-ng -v ru -f "$f" -w "${f%.txt}.wav"
  lame --quiet -b 64 --resample 22.05 -m m "${f%.txt}.wav" "${f%.txt}.mp3"
  rm "${f%.txt}.wav"
done
loop_wall=$(since "$start")

# The same output as vemo's: mono CBR 64 kbps at 22050 Hz, encoded at algorithm quality 2.
start=$(seconds)
for f in "$WORK"/loop-same/*.txt; do
  espeak-ng -v ru -f "$f" -w "${f%.txt}.wav"
  lame --quiet --cbr -b 64 -q 2 --resample 22.05 -m m "${f%.txt}.wav" "${f%.txt}.mp3"
  rm "${f%.txt}.wav"
done
loop_same_wall=$(since "$start")

start=$(seconds)
convert_folder "$WORK/vemo-wav" --format SAFT22kHz16BitMono
vemo_wav_wall=$(since "$start")

start=$(seconds)
for f in "$WORK"/loop-wav/*.txt; do espeak-ng -v ru -f "$f" -w "${f%.txt}.wav"; done
loop_wav_wall=$(since "$start")

mp3s() { du -cb "$1"/*.mp3 | tail -1 | cut -f1; }
echo "vemo --convert-folder --jobs 1: $vemo_wall s, $(ls "$WORK"/vemo/*.mp3 | wc -l) MP3 files, $(mp3s "$WORK/vemo") bytes"
echo "vemo --convert-folder --jobs 2: $vemo_j2_wall s (speed-up $(ratio "$vemo_wall" "$vemo_j2_wall")), same files: $same"
echo "espeak-ng + lame loop: $loop_wall s, $(ls "$WORK"/loop/*.mp3 | wc -l) MP3 files, $(mp3s "$WORK/loop") bytes"
echo "wall-time ratio vemo / loop: $(ratio "$vemo_wall" "$loop_wall")"
echo "  (vemo's MP3 files are mono at algorithm quality 2, as the folder dialog makes them;"
echo "   the loop's lame makes mono at its default quality)"
echo "espeak-ng + lame loop, same output (mono, quality 2): $loop_same_wall s," \
     "ratio vemo / loop $(ratio "$vemo_wall" "$loop_same_wall") with 1 job," \
     "$(ratio "$vemo_j2_wall" "$loop_same_wall") with 2 jobs"
echo "speaking alone, WAV only: vemo $vemo_wav_wall s, espeak-ng -w loop $loop_wav_wall s," \
     "ratio $(ratio "$vemo_wav_wall" "$loop_wav_wall")"
