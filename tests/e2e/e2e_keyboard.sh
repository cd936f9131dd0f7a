#!/usr/bin/env bash
# The keypad at a real keyboard: physical keys pressed through XTEST, first under a US layout and
# then with an Arabic layout active, where the same keys type Arabic letters. A letter's key (with
# or without Shift) shows that letter's picture; the arrows move over the keypad and Return presses
# the focused key.
set -uo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/rig.sh"
rig_begin "$1" 120
rig_require setxkbmap

# Evdev key codes of the keys that carry these Latin letters on a US keyboard.
declare -A KEYCODE=([A]=38 [B]=56 [C]=54 [D]=40 [Q]=24 [Z]=52)
SHIFT=50 LEFT=113 DOWN=116 RETURN=36

start_xvfb
no_audio_server
start_program
screenshot hint
HINT_SHOT=$SHOT
timeout 5 xdotool windowfocus --sync "$WIN" || fail "cannot focus the main window"

setxkbmap -layout us || fail "setxkbmap cannot set the US layout"
press_keycode "${KEYCODE[B]}"
expect_picture "$RIG_BUILD/B.jpg" "US layout, key b"
press_keycode "${KEYCODE[Q]}" "$SHIFT"
expect_picture "$RIG_BUILD/Q.jpg" "US layout, Shift and key q"
# The focus is on Q now (a typed letter focuses its key, as a click does): four times Left goes
# over P, O, N to M, Down to the key beneath M, X; Return presses it.
for _ in 1 2 3 4; do press_keycode "$LEFT"; done
press_keycode "$DOWN"
press_keycode "$RETURN"
expect_picture "$RIG_BUILD/X.jpg" "US layout, Left four times, Down and Return from Q"

# With the Arabic group active the letter keys type Arabic letters; the Latin letters the same
# keys carry still press their keys.
setxkbmap -layout ara,us || fail "setxkbmap cannot set the Arabic layout"
layouts=$(setxkbmap -query | awk '/^layout:/ { print $2 }')
[[ $layouts == ara,us ]] || fail "the active layouts are '$layouts', not ara,us"
# What the key c types now: the keysym of the first (active) group, Arabic keysyms lying in
# 0x5ac-0x5f2 or in Unicode's Arabic block.
typed=$(timeout 5 /usr/bin/python3 -c '
from Xlib import display
keysym = display.Display().keycode_to_keysym(54, 0)
print(("Arabic " if 0x5ac <= keysym <= 0x5f2 or 0x1000600 <= keysym <= 0x10006ff else "other ") + hex(keysym))')
[[ $typed == Arabic* ]] || fail "under ara,us the key c types '$typed', not an Arabic letter"
note "under ara,us the key c types $typed"
for letter in C A D; do
    press_keycode "${KEYCODE[$letter]}"
    expect_picture "$RIG_BUILD/$letter.jpg" "Arabic layout, key ${letter,,}"
done
press_keycode "${KEYCODE[B]}" "$SHIFT"
expect_picture "$RIG_BUILD/B.jpg" "Arabic layout, Shift and key b"
program_alive || fail "the program ended"
lines=$(grep -vc 'audio\|Audio' "$PROGRAM_LOG")
((lines == 0)) || fail "the program wrote: $(head -n 5 "$PROGRAM_LOG")"
note "passed; the empty frame with its hint: $HINT_SHOT"
