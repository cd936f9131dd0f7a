#!/bin/bash
# Lesson sounds of any length are heard whole: one far shorter than the sound output's buffer, and
# one long enough to reach the output in many pieces, which must join without gaps.
# shellcheck source=tests/e2e/rig.sh
source "$(dirname "${BASH_SOURCE[0]}")/rig.sh"
rig_begin "$1" 90
rig_require sox python3

# A copy of the program whose lesson A plays a tone of the given length.
APP=$RIG_TMP/app
mkdir -p "$APP"
cp "$RIG_BUILD"/tarbalun "$RIG_BUILD"/*.jpg "$RIG_BUILD"/*.wav "$APP"/ || fail "cannot copy the program"
RIG_BUILD=$APP

start_xvfb
start_pulse
start_recorder

# Sets LOUD_MS to the length of the loud stretch of the recording since byte FROM and GAPS to the
# number of quiet 10 ms windows inside it.
loud_stretch() {
    read -r LOUD_MS GAPS < <(tail -c "+$(($1 + 1))" "$RECORDING" | python3 -c '
import array, sys
samples = array.array("h")
samples.frombytes(sys.stdin.buffer.read())
left, window = samples[0::2], 480
loud = [max(abs(s) for s in left[i:i + window]) > 3000 for i in range(0, len(left) - window, window)]
if not any(loud):
    print(0, 0)
else:
    first, last = loud.index(True), len(loud) - 1 - loud[::-1].index(True)
    print((last - first + 1) * 10, loud[first:last + 1].count(False))')
}

for seconds in 0.03 1.5; do
    sox -n -r 22050 -c 1 -b 16 "$APP/a.wav" synth "$seconds" sine 440 vol 0.5 || fail "sox cannot write the tone"
    start_program
    mark=$(recording_mark)
    # Letter A: the keypad frame's first key.
    click_at 36 372
    sleep 2.5
    loud_stretch "$mark"
    stop_program
    expected=$(awk -v s="$seconds" 'BEGIN { print int(s * 1000) }')
    note "a tone of $seconds s: loud for $LOUD_MS ms with $GAPS gaps"
    ((GAPS == 0)) || fail "the $seconds s tone broke off $GAPS times"
    # The recording is judged in 10 ms windows, and the output's first period may fall short.
    ((LOUD_MS >= expected - 30 && LOUD_MS <= expected + 20)) || fail "the $seconds s tone sounded for $LOUD_MS ms"
done
note "passed"
