#!/bin/bash
# A child who keeps pressing keys on a slow machine: 3,000 letter presses through X at about ten a
# second, with the sounds playing and two busy loops taking the CPU. Each press cuts the sound of the
# one before, so the sound output is torn down and set up again thousands of times while the audio
# server's thread works on the stream, and the program's own thread lags behind the clicks queued in
# X. The program must stay alive, its memory must stay flat, and the last press must still be heard.
# shellcheck source=tests/e2e/rig.sh
source "$(dirname "${BASH_SOURCE[0]}")/rig.sh"
rig_begin "$1" "${SOAK_LIMIT:-900}"
rig_require python3

PRESSES=${SOAK_PRESSES:-3000}
PER_SECOND=10
# How far the resident set may grow from the 100th press to the last, in KiB.
ALLOWED_GROWTH_KIB=5120

start_xvfb
start_pulse
start_recorder
start_program

resident_kib() { awk '/^VmRSS:/ { print $2 }' "/proc/$PID/status"; }

# Ends the case with how the program ended: 128 + the signal's number when a signal ended it.
died() {
    wait "$PID"
    fail "the program died $1 (status $?)"
}

# Ten presses a second, each second's ten in one xdotool call: they go out whether or not the
# program keeps up, as a child's would, and pile up in X when it does not. A machine too slow for
# the pace runs the calls back to back.
press_second() {
    local first=$1 args=() i index row column
    for ((i = 0; i < PER_SECOND; i++)); do
        index=$(((first + i) % 26))
        row=$((index < 11 ? 0 : index < 22 ? 1 : 2))
        column=$((index - 11 * row))
        args+=(mousemove --window "$WIN" $((8 + 8 + 48 * column + 20)) $((344 + 16 + 32 * row + 12)) click 1)
    done
    if ! timeout 60 xdotool "${args[@]}"; then
        # xdotool fails as soon as the window goes; the program may take a moment to end.
        poll 10 rig_program_ended && died "within presses $((first + 1))..$((first + PER_SECOND))"
        fail "xdotool stopped within presses $((first + 1))..$((first + PER_SECOND))"
    fi
}

now_us() { echo "${EPOCHREALTIME/./}"; }

for ((busy = 0; busy < 2; busy++)); do
    rig_spawn bash -c 'while :; do :; done'
done

started=$SECONDS
slot=$(now_us)
pressed=0
while ((pressed < PRESSES)); do
    press_second "$pressed"
    pressed=$((pressed + PER_SECOND))
    slot=$((slot + 1000000))
    ahead=$((slot - $(now_us)))
    if ((ahead > 0)); then
        sleep "$(printf '%d.%06d' $((ahead / 1000000)) $((ahead % 1000000)))"
    else
        slot=$(now_us)
    fi
    program_alive || died "within presses $((pressed - PER_SECOND + 1))..$pressed"
    if ((pressed == 100)); then
        # The clicks of the first second may still be queued; the figure is taken once they are handled.
        sleep 1
        rss_first=$(resident_kib)
        note "resident set after $pressed presses: $rss_first KiB"
    fi
    ((pressed % 500 == 0)) && note "$pressed presses after $((SECONDS - started)) s"
done
sleep 2
program_alive || died "after the last batch"
rss_last=$(resident_kib)
note "resident set after $pressed presses: $rss_last KiB ($((SECONDS - started)) s of pressing)"
((rss_last - rss_first <= ALLOWED_GROWTH_KIB)) || fail "the resident set grew by $((rss_last - rss_first)) KiB"

# The sounds of the batches have ended; one more press must be heard.
sleep 1
mark=$(recording_mark)
click_at 36 372
sleep 1.5
recording_stats "$mark"
note "the last press: peak $REC_PEAK"
above "$REC_PEAK" 0.05 || fail "the last press played nothing (peak $REC_PEAK)"
program_alive || died "on the last press"

# Every sound has ended: only the stream that keeps the sink running is left on the server.
other_streams() { (($(timeout 5 pactl list short sink-inputs | wc -l) == 1)); }
poll 5 other_streams || fail "the program left streams on the sound server: $(pactl list short sink-inputs | wc -l) in all"
note "passed"
