#!/usr/bin/env bash
# The command row and the About window in the real program under X: the three site buttons and
# the portrait hand their addresses to the desktop's opener, the About button shows one window
# however often it is pressed, and Exit says farewell and ends the program with status 0.
set -uo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/rig.sh"
rig_begin "$1"

ABOUT_TITLE='حول البرنامج'
FAREWELL_TITLE='مكتبة زنكلوني للمعلومات الدينية'

# The addresses the build was made with.
site() {
    local value
    value=$(sed -n "s/^TARBALUN_$1_SITE:STRING=//p" "$RIG_BUILD/CMakeCache.txt")
    [[ -n $value ]] || fail "the build names no $1 site"
    printf '%s\n' "$value"
}
AUTHOR=$(site AUTHOR) && LIBRARY=$(site LIBRARY) && SEMINARY=$(site SEMINARY) || exit 1

# A point in the middle of a control placed in twips, as client pixels.
px() { echo $((($1 + $2 / 2) * 2 / 15 / 2)); }
# The command row lies in Frame1, which sits at 120,5160 in the main window.
press_command() { click_at "$(px $((120 + $1)) "$2")" "$(px $((5160 + 1200)) 375)"; }
ABOUT_BUTTON=(3120 855)
AUTHOR_BUTTON=(6000 855)
LIBRARY_BUTTON=(5040 855)
SEMINARY_BUTTON=(4080 855)
EXIT_BUTTON=(6960 975)

opened_count() { [[ -s $OPENED ]] && wc -l <"$OPENED" || echo 0; }
opened_reaches() { (($(opened_count) >= $1)); }
about_windows() { xdotool search --all --onlyvisible --pid "$PID" --name "^$ABOUT_TITLE\$" 2>/dev/null | wc -l; }

start_xvfb
start_tray
fake_xdg_open
start_program
note "main window $WIN at $WIN_X,$WIN_Y"

press_command "${ABOUT_BUTTON[@]}"
find_window "$ABOUT_TITLE"
ABOUT=$FOUND
press_command "${ABOUT_BUTTON[@]}"
# Events are handled in order: once the site press that follows has reached the opener, the
# second About press has been handled too. The site press also shows the main window usable while
# the About window is open.
press_command "${AUTHOR_BUTTON[@]}"
wait_for 10 "the author's site to be opened" opened_reaches 1
[[ $(about_windows) == 1 ]] || fail "$(about_windows) About windows after two presses, not one"

press_command "${LIBRARY_BUTTON[@]}"
wait_for 10 "the library's site to be opened" opened_reaches 2
press_command "${SEMINARY_BUTTON[@]}"
wait_for 10 "the seminary's site to be opened" opened_reaches 3

window_geometry "$ABOUT"
ABOUT_X=$WIN_X ABOUT_Y=$WIN_Y
note "About window $ABOUT at $ABOUT_X,$ABOUT_Y, $WIN_W x $WIN_H"
((WIN_W == 262 && WIN_H == 168)) || fail "the About window's client area is $WIN_W x $WIN_H, not 262 x 168"
centre_x=$((ABOUT_X + WIN_W / 2 - SCREEN_W / 2)) centre_y=$((ABOUT_Y + WIN_H / 2 - SCREEN_H / 2))
((centre_x * centre_x <= 4 && centre_y * centre_y <= 4)) || fail "the About window is off centre by $centre_x,$centre_y"
screenshot about
# The portrait fills the picture box: a photograph has many colours, an empty box a few.
colours_in "$SHOT" "$(client_region 12 12 96 140)"
((COLOURS > 200)) || fail "the portrait's place shows only $COLOURS colours"

click_at "$(px 120 1575)" "$(px 120 2295)" "$ABOUT"
wait_for 10 "the portrait's site to be opened" opened_reaches 4
[[ $(about_windows) == 1 ]] || fail "the About window did not stay open after the portrait's click"

expected=$(printf '%s\n' "$AUTHOR" "$LIBRARY" "$SEMINARY" "$AUTHOR")
[[ $(cat "$OPENED") == "$expected" ]] || fail "opened:
$(cat "$OPENED")
expected:
$expected"

press_command "${EXIT_BUTTON[@]}"
find_window "$FAREWELL_TITLE"
BOX=$FOUND
screenshot farewell
program_alive || fail "the program ended before its farewell was closed"
press_key Return "$BOX"
wait_program_end 10
((PROGRAM_STATUS == 0)) || fail "the program ended with status $PROGRAM_STATUS"
left=$(xdotool search --all --pid "$PID" 2>/dev/null | wc -l)
((left == 0)) || fail "$left windows of the program remain"
note "passed"
