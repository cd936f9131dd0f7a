#!/usr/bin/env bash
# Regenerates the lesson files in assets/letters/ (A.jpg ... Z.jpg, a.wav ... z.wav) and
# assets/portrait.png (and portrait@2x.png) from tools/lessons/words.tsv.
#
# The cards and the portrait come from a small Qt painter (tools/lessons/), built here in a scratch
# directory; the sounds come from festival's HTS voice, cleaned up by sox. The painter checks each
# big letter's contrast and tools/lessons/check_sounds.py each sound; a file that breaks a rule
# stops the run before anything is written. Every step is fixed, so running the script twice writes
# the same bytes. It installs nothing: it names the Debian packages from
# tools/lesson-packages.txt that are missing and stops.
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
# The HTS engine's speaking rate: below 1 stretches every phone's frames alike, which keeps the voice
# natural where festival's Duration_Stretch has no effect on this voice. 0.85 gives a learner time
# to hear each sound of a word.
pace=0.85
rate=22050          # Hz, enough for speech and half the size of the voice's 32 kHz
# Only the voice's own silence is cut: every 20 ms that lies within keep_db of the part's loudest
# 20 ms, or more than 2 dB above the voice's silence, stays, with 10 ms of the quiet around it
# (check_sounds.py bounds). The softest bursts and releases sit 35-50 dB down; the voice's silence,
# a faint hiss near -73 dBFS, 49-67 dB down.
keep_db=55
margin=0.035        # seconds of digital silence before the letter and after the word
pause=0.5           # seconds from the letter's name to the word, the name's quiet tail included
fade=0.01           # seconds of fade at each end, so playback starts and stops without a click
speech_level=-12    # dBFS that the body of every sound is brought to, for even loudness
check="$tools/lessons/check_sounds.py"

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

# Says TEXT into the WAV file OUT, cutting only the silence the voice leaves around it, checks
# against the voice's own output that nothing spoken was cut, and brings it to speech_level.
speak() {
  local text="$1" out="$2" bounds
  printf '%s\n' "$text" \
    | text2wave -eval "$voice" -eval "(set! hts_engine_params (append hts_engine_params '((\"-r\" $pace))))" \
        -o "$out.raw.wav"
  bounds="$(python3 "$check" bounds "$keep_db" "$out.raw.wav")"
  sox -R -D "$out.raw.wav" "$out.cut.wav" trim "${bounds% *}s" "=$((${bounds#* } + 1))s"
  python3 "$check" part "$name.wav: \"$text\"" "$out.raw.wav" "$out.cut.wav" >> "$work/parts.txt" || failed=1
  level "$out.cut.wav" "$out"
}

# Brings the body of the speech in IN to speech_level, into OUT at the lessons' rate. Where that lifts
# the voice's bursts (up to 12 dB above its vowels) past the ceiling, a look-ahead limiter (compand:
# instant attack, 3 ms delay) holds them near -1.5 dBFS; what it lets through above -1.2 dBFS is
# taken off the whole part. Both take a little off the body too, so the gain is corrected from
# what comes out until the level is within 0.2 dB.
level() {
  local in="$1" out="$2" base="$2.base.wav" limited="$2.limited.wav" gain got peak try
  # Headroom first, so that resampling cannot clip.
  sox -R -D "$in" -b 16 -e signed-integer "$base" gain -6 rate -v "$rate" norm -3
  read -r got peak <<< "$(python3 "$check" level "$base")"
  gain="$(awk -v t="$speech_level" -v v="$got" 'BEGIN { printf "%.2f", t - v }')"
  for try in 1 2 3 4 5 6; do
    sox -R -D "$base" "$limited" compand 0,0.03 \
      "1:$(awk -v g="$gain" 'BEGIN { printf "-90,%.2f,%.2f,-1.5,0,-1.5", -90 + g, -1.5 - g }')" 0 -90 0.003
    read -r got peak <<< "$(python3 "$check" level "$limited")"
    sox -R -D "$limited" "$out" gain "$(awk -v p="$peak" 'BEGIN { printf "%.2f", (p > -1.2 ? -1.2 - p : 0) }')"
    read -r got peak <<< "$(python3 "$check" level "$out")"
    awk -v t="$speech_level" -v v="$got" 'BEGIN { exit !(v - t < 0.2 && t - v < 0.2) }' && return
    gain="$(awk -v g="$gain" -v t="$speech_level" -v v="$got" 'BEGIN { printf "%.2f", g + t - v }')"
  done
  echo "make-lessons: $name.wav: cannot bring \"$(basename "$in")\" to $speech_level dBFS (reached $got)" >&2
  failed=1
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

echo "make-lessons: recording the sounds"
failed=0
: > "$work/parts.txt"
while IFS=$'\t' read -r letter spoken english _arabic _emoji; do
  [[ -z "$letter" || "$letter" == \#* ]] && continue
  name="${letter,,}"
  dir="$work/sound/$name"
  mkdir "$dir"
  speak "$spoken." "$dir/letter.wav"
  speak "$english." "$dir/word.wav"
  gap="$(python3 "$check" gap "$pause" "$dir/letter.wav" "$dir/word.wav")"
  sox -R -D "$dir/letter.wav" "$dir/letter-gap.wav" pad "$margin" "${gap}s"
  sox -R -D "$dir/word.wav" "$dir/word-margin.wav" pad 0 "$margin"
  sox -R -D "$dir/letter-gap.wav" "$dir/word-margin.wav" "$dir/joined.wav"
  length="$(soxi -D "$dir/joined.wav")"
  sox -R -D "$dir/joined.wav" -b 16 -e signed-integer -c 1 "$work/out/$name.wav" fade t "$fade" "$length" "$fade"
  check_plain_wav "$work/out/$name.wav"
done < "$words"

echo "make-lessons: checking the sounds"
cat "$work/parts.txt"
echo
(cd "$work/out" && python3 "$check" sound "$speech_level" [a-z].wav) || failed=1
if ((failed)); then
  echo "make-lessons: the sounds named above break the rules; assets/letters is left as it was" >&2
  exit 1
fi

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

echo
echo "portrait: $(stat -c %s "$portrait") bytes, 100x150 RGB"
echo "assets/letters: $(du -cb "$letters"/[A-Z].jpg "$letters"/[a-z].wav | tail -n 1 | cut -f 1) bytes"
