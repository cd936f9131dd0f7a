#!/usr/bin/env bash
# Bad and odd sounds in the real program: each row puts one file in place of h.wav and clicks H.
# The picture shows whatever the sound; a sound that can be read plays, one that cannot stays
# silent without a box, and nothing holds the window (a fifo is not opened). The next letter's
# press cuts a sound still playing, and teaches.
set -uo pipefail
# shellcheck source=tests/e2e/rig.sh
source "$(dirname "${BASH_SOURCE[0]}")/rig.sh"
# shellcheck source=tests/e2e/bad_input.sh
source "$(dirname "${BASH_SOURCE[0]}")/bad_input.sh"
rig_begin "$1" 170
rig_require sox python3

rig_copy_program
use_short_sounds A Z
h=$RIG_APP/h.wav

# A 0.4 s tone in the format and layout the row names; sox makes every one of them.
tone() { sox -n "$@" "$h" synth 0.4 sine 550 gain -3 || fail "sox cannot make $*"; }

make_fixture() {
    local row=$1
    rm -rf "$h"
    case $row in
    u8) tone -r 48000 -c 1 -e unsigned-integer -b 8 ;;
    s24) tone -r 48000 -c 2 -b 24 ;;
    s32) tone -r 48000 -c 2 -e signed-integer -b 32 ;;
    float32) tone -r 48000 -c 2 -e floating-point -b 32 ;;
    float64) tone -r 48000 -c 2 -e floating-point -b 64 ;;
    a-law) tone -r 8000 -c 1 -e a-law ;;
    mu-law) tone -r 8000 -c 1 -e mu-law ;;
    ima-adpcm) tone -r 22050 -c 1 -e ima-adpcm ;;
    6-channels) tone -r 48000 -c 6 -b 16 ;;
    9-channels) tone -r 48000 -c 9 -b 16 ;;
    8kHz) tone -r 8000 -c 1 -b 16 ;;
    192kHz) tone -r 192000 -c 2 -b 16 ;;
    flac) sox -n -r 44100 -c 1 -t flac "$h" synth 0.4 sine 550 gain -3 ;;
    ogg) sox -n -r 44100 -c 1 -t vorbis "$h" synth 0.4 sine 550 gain -3 ;;
    # Ten minutes: the next press must cut it.
    10-minutes) sox -n -r 8000 -c 1 -b 16 "$h" synth 600 sine 550 gain -3 ;;
    # A header declaring no samples at all.
    header-only) tone -r 48000 -c 1 -b 16 && head -c 44 "$h" >"$h.cut" && mv "$h.cut" "$h" &&
        printf '\0\0\0\0' | dd of="$h" bs=1 seek=40 conv=notrunc status=none ;;
    # A header declaring about 2 GB of samples over 0.4 s of them.
    huge-declared) tone -r 48000 -c 1 -b 16 &&
        printf '\xf0\xff\xff\x7f' | dd of="$h" bs=1 seek=40 conv=notrunc status=none &&
        printf '\xf8\xff\xff\x7f' | dd of="$h" bs=1 seek=4 conv=notrunc status=none ;;
    empty) : >"$h" ;;
    missing) ;;
    random) python3 -c 'import random, sys; random.seed(5); sys.stdout.buffer.write(random.randbytes(30000))' >"$h" ;;
    directory) mkdir "$h" ;;
    fifo) mkfifo "$h" ;;
    *) fail "no fixture named $row" ;;
    esac
}

# row            heard (either: the output may refuse a layout it has no speakers for, in silence)
ROWS="
u8               sound
s24              sound
s32              sound
float32          sound
float64          sound
a-law            sound
mu-law           sound
ima-adpcm        sound
6-channels       sound
9-channels       either
8kHz             sound
192kHz           sound
flac             sound
ogg              sound
10-minutes       sound
huge-declared    sound
header-only      silence
empty            silence
missing          silence
random           silence
directory        silence
fifo             silence
"

start_xvfb
start_pulse
start_recorder
start_program
teaches A "at start"
next=Z
while read -r row heard; do
    [[ -n $row ]] || continue
    make_fixture "$row"
    errors=$(error_lines)
    mark=$(recording_mark)
    click_letter H
    expect_picture "$RIG_APP/H.jpg" "$row"
    if [[ $heard == sound ]]; then
        expect_sound "$mark" "$row"
        [[ $row == 10-minutes ]] || wait_quiet
    elif [[ $heard == silence ]]; then
        expect_silence "$mark" 0.6 "$row"
    else
        wait_for 5 "0.6 s of recording" recorded_since "$mark" $((48000 * 4 * 6 / 10))
        wait_quiet
    fi
    expect_no_error_box "$errors" "$row"
    program_alive || fail "$row: the program ended"
    # For the ten-minute sound the next lesson's quiet end shows that its press cut the long one.
    teaches "$next" "$row"
    note "$row: $heard, as it should"
    next=$([[ $next == Z ]] && echo A || echo Z)
done <<<"$ROWS"
