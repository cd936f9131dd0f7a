#!/bin/bash
# Letter lessons from outside: a click on a letter button shows that letter's picture stretched over
# the picture frame and plays its sound once, every time. Without any audio server the pictures
# still come and the window keeps answering, with no message box.
# shellcheck source=tests/e2e/rig.sh
source "$(dirname "${BASH_SOURCE[0]}")/rig.sh"
rig_begin "$1" 120
rig_require sox


# Loud enough for a voice, and not the recording's own silence: the null sink delivers exact zeros.
loud_since() {
    recording_stats "$1"
    above "$REC_PEAK" 0.1 && above "$REC_RMS" 0.005
}

# The last 0.6 s were silent: longer than any pause within a lesson's sound.
SILENCE_BYTES=$((48000 * 4 * 6 / 10))
quiet_now() {
    local end
    end=$(recording_mark)
    ((end >= SILENCE_BYTES)) || return 1
    recording_stats $((end - SILENCE_BYTES)) "$end"
    below "$REC_PEAK" 0.001
}

recorded_since() { (($(recording_mark) - $1 >= $2)); }

for file in "$RIG_BUILD"/{A,H,Z}.jpg "$RIG_BUILD"/{a,h,z}.wav; do
    [[ -s $file ]] || fail "the lesson file $file is missing: build first"
done

start_xvfb

# With no audio server the sound fails quietly, without a word per lesson; the pictures come all
# the same and the window keeps answering.
no_audio_server
start_program
for letter in A H A H; do
    click_letter "$letter"
    expect_picture "$RIG_BUILD/$letter.jpg" "after a click on $letter"
done
visible=$(xdotool search --all --onlyvisible --pid "$PID" --name '' 2>/dev/null | wc -l)
((visible == 1)) || fail "without an audio server $visible windows show, not the main window alone; $SHOT"
lines=$(wc -l <"$PROGRAM_LOG")
((lines < 4)) || fail "without an audio server four lessons wrote $lines lines: $(head -n 8 "$PROGRAM_LOG")"
stop_program

# With a server: every click sounds, once.
start_pulse
start_recorder
start_program
mark=$(recording_mark)
wait_for 10 "half a second of recording" recorded_since "$mark" $((48000 * 4 / 2))
recording_stats "$mark"
[[ $REC_PEAK == 0 ]] || fail "the recording is not silent before any lesson (peak $REC_PEAK)"

for letter in A H Z; do
    mark=$(recording_mark)
    click_letter "$letter"
    expect_picture "$RIG_BUILD/$letter.jpg" "after a click on $letter"
    wait_for 10 "the sound of $letter in the recording" loud_since "$mark"
    note "$letter: peak $REC_PEAK, RMS $REC_RMS"
    # The lesson's flags ask for a loop without asynchronous play, which plays the sound once.
    wait_for 10 "the sound of $letter to end" quiet_now
done

note "passed; screenshots in $RIG_SHOTS"
