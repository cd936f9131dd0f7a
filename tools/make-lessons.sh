#!/usr/bin/env bash
# Regenerates the lesson files in assets/letters/ (A.jpg ... Z.jpg, a.wav ... z.wav) and
# assets/portrait.png (and portrait@2x.png) from tools/lessons/words.tsv.
#
# The cards and the portrait come from a small Qt painter (tools/lessons/), built here in a scratch
# directory; the sounds come from festival's HTS voice, cleaned up by sox. Every step is fixed, so
# running the script twice writes the same bytes. It installs nothing: it names the Debian packages
# from tools/lesson-packages.txt that are missing and stops.
set -euo pipefail
# Decimal points, not commas, in every number sox, awk and sort read or write.
export LC_ALL=C.UTF-8

tools="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
repo="$(cd "$tools/.." && pwd)"
words="$tools/lessons/words.tsv"
letters="$repo/assets/letters"
portrait="$repo/assets/portrait.png"
portrait2x="$repo/assets/portrait@2x.png"

# The voice and its sox treatment.
voice='(voice_cmu_us_slt_arctic_hts)'
rate=22050          # Hz, enough for speech and half the size of the voice's 32 kHz
gap=0.25            # seconds of quiet between the letter's name and the word
fade=0.01           # seconds of fade at each end, so playback starts and stops without a click
trim='silence 1 0.02 0.5% reverse silence 1 0.02 0.5% reverse'
speech_level=-12    # dBFS that the body of every sound is brought to, for even loudness

missing=()
while read -r package; do
  [[ -z "$package" || "$package" == \#* ]] && continue
  if ! dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q 'install ok installed'; then
    missing+=("$package")
  fi
done < "$tools/lesson-packages.txt"
if ((${#missing[@]})); then
  echo "make-lessons: missing packages: ${missing[*]}" >&2
  echo "make-lessons: install them with: apt-get install ${missing[*]}" >&2
  exit 1
fi

work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
mkdir -p "$work/out" "$work/sound" "$letters"
mkdir -m 700 "$work/runtime"

echo "make-lessons: building the card painter"
cmake -S "$tools/lessons" -B "$work/build" -DCMAKE_BUILD_TYPE=Release > "$work/cmake.log" 2>&1 \
  || { cat "$work/cmake.log" >&2; exit 1; }
cmake --build "$work/build" > "$work/build.log" 2>&1 || { cat "$work/build.log" >&2; exit 1; }

echo "make-lessons: painting the cards and the portrait"
QT_QPA_PLATFORM=offscreen XDG_RUNTIME_DIR="$work/runtime" \
  "$work/build/lesson_cards" "$words" "$work/out" "$work/out/portrait.png" "$work/out/portrait@2x.png"

# Says TEXT into the WAV file OUT and cuts the quiet the voice leaves around it.
speak() {
  local text="$1" out="$2"
  printf '%s\n' "$text" | text2wave -eval "$voice" -o "$out.raw.wav"
  # shellcheck disable=SC2086  # $trim is a list of sox effect words
  sox -R "$out.raw.wav" "$out" $trim
}

# Fails unless FILE is a plain 44-byte-header WAV: RIFF, a 16-byte 'fmt ' chunk of PCM (format 1),
# mono, 16-bit, then the 'data' chunk and nothing after it, which every reader takes.
check_plain_wav() {
  local file="$1" header
  header="$(od -A n -t x1 -N 44 -v "$file" | tr -d ' \n')"
  local riff=${header:0:8} wave=${header:16:8} fmt=${header:24:8} fmt_size=${header:32:8}
  local format=${header:40:4} channels=${header:44:4} bits=${header:68:4} data=${header:72:8}
  local data_size=$((16#${header:86:2}${header:84:2}${header:82:2}${header:80:2}))
  if [[ $riff != 52494646 || $wave != 57415645 || $fmt != 666d7420 || $fmt_size != 10000000 ||
        $format != 0100 || $channels != 0100 || $bits != 1000 || $data != 64617461 ]] ||
     ((data_size + 44 != $(stat -c %s "$file"))); then
    echo "make-lessons: $file is not a plain 16-bit mono PCM WAV" >&2
    exit 1
  fi
}

# The level of the body of the speech in FILE, in dBFS: the loudest fifth of its 20 ms stretches
# (silence left out) sit above it. The voice puts bursts up to 12 dB above its vowels at plosives
# and at the start of each utterance, so the peak and the plain RMS say little about how loud a
# sound seems; this does.
speech_level() {
  sox "$1" -t dat - \
    | awk 'NR > 2 { w = int($1 / 0.02); sum[w] += $2 * $2; n[w]++ }
           END { for (w in sum) { r = sqrt(sum[w] / n[w]); if (r > 0.003) print r } }' \
    | sort -g \
    | awk '{ level[NR] = $1 } END { printf "%.2f", 20 * log(level[int(NR * 0.8)]) / log(10) }'
}

echo "make-lessons: recording the sounds"
while IFS=$'\t' read -r letter spoken english _arabic _emoji; do
  [[ -z "$letter" || "$letter" == \#* ]] && continue
  name="${letter,,}"
  dir="$work/sound/$name"
  mkdir "$dir"
  speak "$spoken." "$dir/letter.wav"
  speak "$english." "$dir/word.wav"
  sox -R "$dir/letter.wav" "$dir/letter-gap.wav" pad 0 "$gap"
  sox -R "$dir/letter-gap.wav" "$dir/word.wav" "$dir/joined.wav"
  # Headroom first, so that resampling cannot clip.
  sox -R -D "$dir/joined.wav" -b 16 -e signed-integer "$dir/base.wav" gain -6 rate -v "$rate" norm -3

  # Raise the body of the speech to speech_level. Where that lifts the bursts past full scale, a
  # look-ahead limiter (compand: instant attack, 3 ms delay) holds them at -1 dBFS instead.
  boost="$(awk -v t="$speech_level" -v v="$(speech_level "$dir/base.wav")" 'BEGIN { printf "%.2f", t - v }')"
  if awk -v g="$boost" 'BEGIN { exit !(g > 2) }'; then
    curve="$(awk -v g="$boost" 'BEGIN { printf "-90,%.2f,%.2f,-3,-3,-1", -90 + g, -3 - g }')"
    sox -R -D "$dir/base.wav" "$dir/level.wav" compand 0,0.03 "1:$curve" 0 -90 0.003
    after=0
  else
    # Already loud enough at -1 dBFS peaks; one that is louder still is turned down a little.
    cp "$dir/base.wav" "$dir/level.wav"
    after="$(awk -v g="$boost" 'BEGIN { a = g - 2; if (a > 0) a = 0; if (a < -2) a = -2; print a }')"
  fi
  length="$(soxi -D "$dir/level.wav")"
  sox -R -D "$dir/level.wav" -b 16 -e signed-integer -c 1 "$work/out/$name.wav" \
    fade t "$fade" "$length" "$fade" norm -1 gain "$after"
  check_plain_wav "$work/out/$name.wav"
done < "$words"

for letter in {A..Z}; do
  cp "$work/out/$letter.jpg" "$letters/$letter.jpg"
  cp "$work/out/${letter,,}.wav" "$letters/${letter,,}.wav"
done
cp "$work/out/portrait.png" "$portrait"
cp "$work/out/portrait@2x.png" "$portrait2x"

# The portrait doubles as the window icon and must be exactly 100 x 150, RGB without alpha
# (PNG colour type 2, 8 bits).
ihdr="$(od -A n -t x1 -j 16 -N 10 -v "$portrait" | tr -d ' \n')"
if [[ $ihdr != 00000064000000960802 ]]; then
  echo "make-lessons: $portrait is not a 100x150 8-bit RGB PNG (IHDR $ihdr)" >&2
  exit 1
fi

# Milliseconds of quiet at the start of FILE before the sound first passes 1% of full scale.
lead_silence() {
  local file="$1" total trimmed
  total="$(soxi -s "$file")"
  sox "$file" "$work/lead.wav" silence 1 0.001 1%
  trimmed="$(soxi -s "$work/lead.wav")"
  awk -v t="$total" -v k="$trimmed" -v r="$rate" 'BEGIN { printf "%.0f", (t - k) * 1000 / r }'
}

echo
printf '%-6s %7s %8s %7s %7s %7s %8s %7s\n' letter card_KB sound_KB seconds peak_dB rms_dB speech_dB lead_ms
failed=0
for letter in {A..Z}; do
  wav="$letters/${letter,,}.wav"
  stats="$(sox "$wav" -n stats 2>&1)"
  peak="$(awk '/^Pk lev dB/ { print $4 }' <<< "$stats")"
  rms="$(awk '/^RMS lev dB/ { print $4 }' <<< "$stats")"
  seconds="$(soxi -D "$wav")"
  lead="$(lead_silence "$wav")"
  printf '%-6s %7.1f %8.1f %7.3f %7s %7s %8s %7s\n' "$letter" \
    "$(awk -v b="$(stat -c %s "$letters/$letter.jpg")" 'BEGIN { print b / 1024 }')" \
    "$(awk -v b="$(stat -c %s "$wav")" 'BEGIN { print b / 1024 }')" \
    "$seconds" "$peak" "$rms" "$(speech_level "$wav")" "$lead"
  if ! awk -v s="$seconds" -v p="$peak" -v l="$lead" 'BEGIN { exit !(s < 2.0 && p < -0.5 && l <= 30) }'; then
    echo "make-lessons: ${letter,,}.wav is too long, too loud or starts late" >&2
    failed=1
  fi
done
echo "portrait: $(stat -c %s "$portrait") bytes, 100x150 RGB"
echo "assets/letters: $(du -cb "$letters"/[A-Z].jpg "$letters"/[a-z].wav | tail -n 1 | cut -f 1) bytes"
exit "$failed"
