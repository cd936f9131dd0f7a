#!/bin/bash
# The main window as the window system sees it: mapped, centred on the screen, 550 x 462 pixels of
# client area, a maximize function and button that the window manager is told to withhold, and an
# empty picture frame at start that shows only the skin's paper and hint.
# shellcheck source=tests/e2e/rig.sh
source "$(dirname "${BASH_SOURCE[0]}")/rig.sh"
rig_begin "$1"
start_xvfb 1024x768x24
start_program

[[ $WIN_MAP == IsViewable ]] || fail "the main window's map state is '$WIN_MAP', not IsViewable"
((WIN_W == 550 && WIN_H == 462)) || fail "the client area is $WIN_W x $WIN_H, not 550 x 462"
centre_x=$(((SCREEN_W - WIN_W) / 2))
centre_y=$(((SCREEN_H - WIN_H) / 2))
((WIN_X - centre_x <= 1 && centre_x - WIN_X <= 1 && WIN_Y - centre_y <= 1 && centre_y - WIN_Y <= 1)) ||
    fail "the window is at $WIN_X,$WIN_Y; centred on $SCREEN_W x $SCREEN_H it is at $centre_x,$centre_y"

# _MOTIF_WM_HINTS is flags, functions, decorations, input mode, status. A set bit 0 in functions or
# decorations turns the meaning round: everything except the other bits named.
hints=$(xprop -id "$WIN" _MOTIF_WM_HINTS)
[[ $hints =~ =\ *(0x[0-9a-f]+),\ *(0x[0-9a-f]+),\ *(0x[0-9a-f]+) ]] || fail "no Motif window-manager hints: $hints"
hint_flags=$((BASH_REMATCH[1]))
functions=$((BASH_REMATCH[2]))
decorations=$((BASH_REMATCH[3]))
((hint_flags & 1)) || functions=1
((hint_flags & 2)) || decorations=1
named_bits() {
    local value=$1 bit=2 name names=()
    shift
    ((value & 1)) && value=$((~value))
    for name in "$@"; do
        ((value & bit)) && names+=("$name")
        bit=$((bit << 1))
    done
    echo "${names[*]}"
}
allowed=$(named_bits "$functions" resize move minimize maximize close)
shown=$(named_bits "$decorations" border resize-handles title menu minimize maximize)
[[ $allowed == "resize move minimize close" ]] ||
    fail "window functions allowed: '$allowed', expected 'resize move minimize close' ($hints)"
[[ $shown == "border resize-handles title menu minimize" ]] ||
    fail "window decorations: '$shown', expected 'border resize-handles title menu minimize' ($hints)"

screenshot window
# The frame's inside, clear of its border: before any lesson it shows the skin's plain paper, a
# handful of colours, with the skin's hint across its middle; a picture brings thousands.
colours_in "$SHOT" "$(client_region 12 12 529 80)"
((COLOURS <= 16)) || fail "the empty picture frame's upper part shows $COLOURS colours; $SHOT"
colours_in "$SHOT" "$(client_region 12 130 529 80)"
((COLOURS > 16)) || fail "the empty picture frame shows no hint across its middle; $SHOT"
colours_in "$SHOT" "$(client_region 12 12 529 329)"
((COLOURS < 1000)) || fail "the empty picture frame shows $COLOURS colours, as a picture would; $SHOT"
note "passed; screenshot $SHOT"
