# shellcheck shell=bash disable=SC2034
# What the bad-input cases (e2e_bad_*.sh) share, sourced after rig.sh: the letter keys, short lesson
# sounds, and the checks each row of their tables makes. A case runs a copy of
# the program (rig_copy_program) whose lesson files its rows replace.
#
#   use_short_sounds LETTER...   replaces those letters' sounds in RIG_APP by a 0.25 s tone, so
#                                that a row waits for a quarter of a second, not for a voice
#   frame_snapshot NAME          keeps the frame's pixels as RIG_TMP/NAME.png
#   expect_frame_as NAME [WHY]   the frame shows what frame_snapshot NAME kept
#   expect_sound SINCE [WHY]     something loud was recorded after mark SINCE (within 10 s)
#   expect_silence SINCE SECONDS [WHY]   at least SECONDS of recording after SINCE, all silent
#   wait_quiet                   waits until the last 0.3 s of recording were silent
#   error_lines                  prints how many errors the program has reported on stderr
#   expect_error_box FILE COUNT [WHY]   a box over the main window (the error box) shows, and the program's
#                                COUNT+1st error names FILE and gives an Arabic reason first; the box
#                                is closed with Return
#   expect_no_error_box COUNT [WHY]     no box and no error beyond COUNT
#   teaches L [WHY]              a click on L shows L.jpg and plays its sound, which then ends

use_short_sounds() {
    local letter
    for letter in "$@"; do
        sox -n -r 48000 -c 1 -b 16 "$RIG_APP/${letter,,}.wav" synth 0.25 sine 660 gain -3 ||
            fail "sox cannot make a short sound"
    done
}

frame_snapshot() {
    screenshot frame
    convert "$SHOT" -crop "$(client_region "$FRAME_X" "$FRAME_Y" "$FRAME_W" "$FRAME_H")" +repage "$RIG_TMP/$1.png"
}

expect_frame_as() {
    screenshot frame
    DIFF=$(convert "$SHOT" -crop "$(client_region "$FRAME_X" "$FRAME_Y" "$FRAME_W" "$FRAME_H")" +repage \
        "$RIG_TMP/$1.png" -metric RMSE -compare -format '%[distortion]' info: 2>&1)
    [[ $DIFF =~ ^[0-9.e+-]+$ ]] || fail "cannot compare the frame: $DIFF"
    below "$DIFF" 0.005 || fail "${2:-}: the frame changed (difference $DIFF); $SHOT"
}

loud_since() {
    recording_stats "$1"
    above "$REC_PEAK" 0.1
}

expect_sound() {
    poll 10 loud_since "$1" || fail "${2:-}: no sound was heard (peak ${REC_PEAK:-none})"
}

recorded_since() { (($(recording_mark) - $1 >= $2)); }

expect_silence() {
    local bytes
    bytes=$(awk -v s="$2" 'BEGIN { printf "%d", s * 48000 } ') && bytes=$((bytes * 4))
    wait_for 15 "$2 s of recording" recorded_since "$1" "$bytes"
    recording_stats "$1"
    below "$REC_PEAK" 0.001 || fail "${3:-}: a sound played where none should (peak $REC_PEAK)"
}

QUIET_BYTES=$((48000 * 4 * 3 / 10))
quiet_now() {
    local end
    end=$(recording_mark)
    ((end >= QUIET_BYTES)) || return 1
    recording_stats $((end - QUIET_BYTES)) "$end"
    below "$REC_PEAK" 0.001
}

wait_quiet() { wait_for 15 "the sound to end" quiet_now; }

error_lines() { grep -c '^tarbalun: ' "$PROGRAM_LOG"; }

# A box the program shows stands over its main window (WM_TRANSIENT_FOR); the tray icon is a
# visible window of the program too, but stands for itself.
second_window() {
    local id
    for id in $(xdotool search --all --onlyvisible --pid "$PID" --name '' 2>/dev/null); do
        [[ $id != "$WIN" ]] && xprop -id "$id" WM_TRANSIENT_FOR 2>/dev/null | grep -q 'window id' &&
            BOX=$id && return 0
    done
    return 1
}
no_second_window() { ! second_window; }

expect_error_box() {
    local file=$1 before=$2 why=${3:-} line reason
    poll 10 second_window || fail "$why: no error box came"
    wait_for 5 "the error to be written" test "$(error_lines)" -gt "$before"
    line=$(grep '^tarbalun: ' "$PROGRAM_LOG" | sed -n "$((before + 1))p")
    [[ $line == *"«$file»"* ]] || fail "$why: the error does not name $file: $line"
    reason=${line##*»: }
    # The reason opens with an Arabic letter; English detail may only follow.
    local first
    first=$(printf '%d' "'${reason:0:1}")
    ((first >= 0x600 && first <= 0x6FF)) || fail "$why: the reason does not open in Arabic: $reason"
    note "$why: $reason"
    press_key Return "$BOX"
    wait_for 5 "the error box to close" no_second_window
}

expect_no_error_box() {
    ! second_window || fail "${2:-}: an unexpected window showed"
    (($(error_lines) == $1)) || fail "${2:-}: the program reported: $(grep '^tarbalun: ' "$PROGRAM_LOG" | tail -n 1)"
}

teaches() {
    local mark
    mark=$(recording_mark)
    click_letter "$1"
    expect_picture "$RIG_APP/$1.jpg" "${2:-} then $1"
    expect_sound "$mark" "${2:-} then $1"
    wait_quiet
    program_alive || fail "${2:-}: the program ended"
}
