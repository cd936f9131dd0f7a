#!/usr/bin/env bash
# The notification-area icon in the real program under X. Without a tray host the program starts,
# shows its window, gives a lesson and ends as usual. With one (trayer), the portrait docks in the
# host's panel as the program's XEmbed client, hovering shows the tip, clicks on the icon change
# nothing, and once the program has ended the icon is gone from the panel.
set -uo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/rig.sh"
rig_begin "$1" 120

FAREWELL_TITLE='مكتبة زنكلوني للمعلومات الدينية'

# Clicks the middle of a control placed in twips inside Frame1, which sits at 120,5160 in the main
# window: left width top height.
click_in_frame() { click_at $(((120 + $1 + $2 / 2) / 15)) $(((5160 + $3 + $4 / 2) / 15)); }
LETTER_A=(120 615 240 375)
EXIT_BUTTON=(6960 975 1200 375)

no_reported_errors() {
    ! grep -q '^tarbalun: ' "$PROGRAM_LOG" || fail "the program reported errors: $(grep '^tarbalun: ' "$PROGRAM_LOG")"
}

end_program() {
    click_in_frame "${EXIT_BUTTON[@]}"
    find_window "$FAREWELL_TITLE"
    press_key Return "$FOUND"
    wait_program_end 10
    ((PROGRAM_STATUS == 0)) || fail "the program ended with status $PROGRAM_STATUS"
}

visible_windows() { xdotool search --all --onlyvisible --pid "$PID" 2>/dev/null | sort; }

# Without a notification area.
start_xvfb
start_program
rig_tray_window && fail "a tray host runs before the case started one"
[[ $(visible_windows) == "$WIN" ]] || fail "without a tray host the program shows windows besides its main window"

screenshot no-tray-start
START_SHOT=$RIG_TMP/no-tray-start.png
cp "$SHOT" "$START_SHOT"
FRAME=$(client_region 12 12 529 329)
click_in_frame "${LETTER_A[@]}"
frame_changed() {
    screenshot no-tray-lesson
    difference "$START_SHOT" "$SHOT" "$FRAME"
    above "$DIFF" 0.1
}
poll 10 frame_changed || fail "without a tray host the letter A shows no picture (difference $DIFF); $SHOT"
no_reported_errors
end_program
note "without a tray host: started, gave a lesson and ended with status 0"

# With a notification area.
start_tray
start_program
[[ $(xprop -id "$WIN" WM_CLASS) =~ =\ \"([^\"]+)\" ]] || fail "the main window has no WM_CLASS"
INSTANCE=${BASH_REMATCH[1]}

# The host's window tree lists its docked clients with their WM_CLASS: ("instance" "class").
docked_icons() { xwininfo -tree -id "$TRAY_WIN" 2>/dev/null | awk -v c="(\"$INSTANCE\" " 'index($0, c) { print $1 }'; }
icon_docked() { ICON=$(docked_icons | head -n 1) && [[ -n $ICON ]]; }
wait_for 10 "the icon to dock in the tray host's panel" icon_docked
(($(docked_icons | wc -l) == 1)) || fail "the panel holds $(docked_icons | wc -l) icons of the program, not one"
[[ $(xdotool getwindowpid "$ICON" 2>/dev/null) == "$PID" ]] || fail "the docked window $ICON is not the program's"
embed=$(xprop -id "$ICON" _XEMBED_INFO)
[[ $embed == *'= 0x0, 0x1' ]] || fail "the icon's XEmbed information is '$embed', not version 0, mapped"
note "icon $ICON docked in panel $TRAY_WIN"

window_geometry "$ICON"
ICON_REGION=${WIN_W}x${WIN_H}+${WIN_X}+${WIN_Y}
ICON_Y=$WIN_Y ICON_H=$WIN_H
window_geometry
screenshot docked
# The portrait is a photograph: scaled down to the icon it still has many colours, a blank icon one.
colours_in "$SHOT" "$ICON_REGION"
((COLOURS > 20)) || fail "the icon shows only $COLOURS colours, not the portrait; $SHOT"
BEFORE=$RIG_TMP/before-clicks.png
cp "$SHOT" "$BEFORE"
WINDOWS=$(visible_windows)

# A tool tip is a window of its own, shown just below the icon while the pointer rests on it.
tip_shown() {
    TIP=$(comm -13 <(echo "$WINDOWS") <(visible_windows) | head -n 1)
    [[ -n $TIP ]]
}
tip_gone() { [[ $(visible_windows) == "$WINDOWS" ]]; }
timeout 5 xdotool mousemove --window "$ICON" 2 2 || fail "cannot move the pointer to the icon"
sleep 0.2
timeout 5 xdotool mousemove --window "$ICON" $((${ICON_REGION%%x*} / 2)) 10 || fail "cannot move the pointer over the icon"
wait_for 5 "the tip to show on hover" tip_shown
window_geometry "$TIP"
((WIN_Y >= ICON_Y && WIN_Y <= ICON_Y + ICON_H + 32)) ||
    fail "the window that showed on hover lies at $WIN_X,$WIN_Y, not below the icon"
window_geometry
screenshot tip

for buttons in "1" "--repeat 2 --delay 80 1" "2" "3"; do
    read -ra click <<<"$buttons"
    timeout 5 xdotool mousemove --window "$ICON" 5 5 click "${click[@]}" || fail "xdotool cannot click $buttons on the icon"
done
timeout 5 xdotool mousemove 10 700 || fail "cannot move the pointer away"
wait_for 5 "the tip to go once the pointer has left" tip_gone
program_alive || fail "the program ended after clicks on its icon"
no_reported_errors
screenshot after-clicks
difference "$BEFORE" "$SHOT" "$(client_region 0 0 "$WIN_W" "$WIN_H")"
below "$DIFF" 0.001 || fail "clicks on the icon changed the main window (difference $DIFF); $SHOT"

end_program
icon_gone() { [[ -z $(docked_icons) ]]; }
wait_for 5 "the icon to leave the panel after the program's end" icon_gone
note "passed"
