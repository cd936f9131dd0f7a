#!/bin/bash
# The installed program as a desktop starts it, from the command on the PATH:
#     bash tests/package/installed_program.sh ROOT OUTPUT
# ROOT is where it is installed: / on a system, or a directory a package was unpacked into.
# OUTPUT receives the screenshots (OUTPUT/e2e-shots/installed_program/); main-window.png there is
# the main window after the lesson for A, as the software centres show it.
# The main window appears; its X window class is the desktop entry's StartupWMClass, in ASCII, and
# the tray icon carries the same class; the program carries the entry's name as its desktop file
# name; a click on A shows A's picture from the program's own directory and plays its sound.
# shellcheck source=tests/e2e/rig.sh
source "$(dirname "${BASH_SOURCE[0]}")/../e2e/rig.sh"
ROOT=$(cd "${1:?the installed root is the first argument}" && pwd)
ROOT=${ROOT%/}
RIG_PROGRAM=$ROOT/usr/bin/tarbalun
rig_begin "${2:?the output directory is the second argument}" 120
rig_require sox

entries=()
for entry in "$ROOT"/usr/share/applications/*.desktop; do
    grep -qx 'Exec=tarbalun' "$entry" 2>/dev/null && entries+=("$entry")
done
((${#entries[@]} == 1)) || fail "${#entries[@]} desktop entries start tarbalun under $ROOT/usr/share/applications, not one"
ENTRY_ID=$(basename "${entries[0]}" .desktop)
ENTRY_CLASS=$(sed -n 's/^StartupWMClass=//p' "${entries[0]}")
[[ -n $ENTRY_CLASS ]] || fail "the desktop entry ${entries[0]} has no StartupWMClass"
PROGRAM_DIR=$(dirname "$(readlink -f "$RIG_PROGRAM")")

start_xvfb
start_tray
start_pulse
start_recorder
start_program

# WM_CLASS(STRING) = "instance", "class"
wm_class=$(xprop -id "$WIN" WM_CLASS)
[[ $wm_class =~ =\ \"([^\"]*)\",\ \"([^\"]*)\"$ ]] || fail "the main window's WM_CLASS reads: $wm_class"
CLASS=${BASH_REMATCH[2]}
[[ $CLASS == "$ENTRY_CLASS" ]] || fail "the window's class is '$CLASS', the entry's StartupWMClass '$ENTRY_CLASS'"
LC_ALL=C grep -q '^[ -~]*$' <<<"$wm_class" || fail "the window's WM_CLASS is not ASCII: $wm_class"
[[ ${BASH_REMATCH[1]} == tarbalun ]] || fail "the window's instance name is '${BASH_REMATCH[1]}', not the command tarbalun"
# Qt 6.4 hands the desktop file name to Wayland compositors and D-Bus tray hosts, not to X: here
# the program is only seen to carry the entry's name, which it gives Qt as its desktop file name.
grep -qaF "$ENTRY_ID" "$(readlink -f "$RIG_PROGRAM")" || fail "the program does not carry the entry's name $ENTRY_ID"
note "window class $CLASS, desktop file $ENTRY_ID"

docked_icon() {
    ICON=$(xwininfo -tree -id "$TRAY_WIN" 2>/dev/null | awk -v c="\"$ENTRY_CLASS\")" 'index($0, c) { print $1; exit }')
    [[ -n $ICON ]]
}
wait_for 10 "the tray icon of class $ENTRY_CLASS in the tray host's panel" docked_icon

# The letter A's button, in the keypad frame at (8,344): 41 x 25 at 8 + 8, 344 + 16.
loud_since() {
    recording_stats "$1"
    above "$REC_PEAK" 0.1 && above "$REC_RMS" 0.005
}
quiet_now() {
    local end silence=$((48000 * 4 * 6 / 10))
    end=$(recording_mark)
    ((end >= silence)) || return 1
    recording_stats $((end - silence)) "$end"
    below "$REC_PEAK" 0.001
}

mark=$(recording_mark)
click_at $((8 + 8 + 20)) $((344 + 16 + 12))
expect_picture "$PROGRAM_DIR/A.jpg" "after a click on A"
wait_for 10 "the sound of A in the recording" loud_since "$mark"
note "A: peak $REC_PEAK, RMS $REC_RMS"
wait_for 10 "the sound of A to end" quiet_now

# The pointer leaves the window, so that no key shows its hover, and the window is kept alone.
timeout 5 xdotool mousemove 0 "$((SCREEN_H - 1))" || fail "xdotool cannot move the pointer"
sleep 0.5
screenshot screen-after-lesson
convert "$SHOT" -crop "${WIN_W}x${WIN_H}+${WIN_X}+${WIN_Y}" +repage -strip \
    -define png:exclude-chunks=date,time "PNG24:$RIG_SHOTS/main-window.png" ||
    fail "cannot cut the main window out of $SHOT"
note "passed; the main window after the lesson: $RIG_SHOTS/main-window.png"
