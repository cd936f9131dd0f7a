#!/usr/bin/env bash
# The program on a screen of twice the density (Qt scale factor 2): both windows twice their size
# in device pixels, and the About window's portrait drawn from its 2× bitmap, not a pixel-doubled
# copy of the 1× one.
set -uo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/rig.sh"
rig_begin "$1" 120

ASSETS=$(cd "$(dirname "${BASH_SOURCE[0]}")/../../assets" && pwd)
ABOUT_TITLE='حول البرنامج'

start_xvfb 2048x1536x24
no_audio_server
export QT_SCALE_FACTOR=2
start_program
((WIN_W == 1100 && WIN_H == 924)) || fail "at scale 2 the main window is $WIN_W x $WIN_H, not 1100 x 924"
screenshot main-2x
MAIN_SHOT=$SHOT

# The About button, at 3120,1200 in Frame1 (120,5160), 855 x 375 twips, in device pixels.
click_at $(((120 + 3120 + 855 / 2) * 2 / 15)) $(((5160 + 1200 + 375 / 2) * 2 / 15))
find_window "$ABOUT_TITLE"
ABOUT=$FOUND
window_geometry "$ABOUT"
((WIN_W == 524 && WIN_H == 336)) || fail "at scale 2 the About window is $WIN_W x $WIN_H, not 524 x 336"
screenshot about-2x
ABOUT_SHOT=$SHOT

# The portrait box sits at 8,8 with a 2-pixel border: its picture starts at 10,10, in device
# pixels 20,20. The box's inside is 149 pixels high, so the picture's last rows are cut: compare
# the top 296 rows of its 300.
convert "$SHOT" -crop "$(client_region 20 20 200 296)" +repage "$RIG_TMP/shown.png"
convert "$ASSETS/portrait@2x.png" -crop 200x296+0+0 +repage "$RIG_TMP/sharp.png"
convert "$ASSETS/portrait.png" -scale 200% -crop 200x296+0+0 +repage "$RIG_TMP/doubled.png"
difference "$RIG_TMP/sharp.png" "$RIG_TMP/shown.png" 200x296+0+0
to_2x=$DIFF
difference "$RIG_TMP/doubled.png" "$RIG_TMP/shown.png" 200x296+0+0
to_doubled=$DIFF
note "portrait against portrait@2x.png: $to_2x; against the doubled 1× portrait: $to_doubled"
below "$to_2x" 0.01 || fail "the portrait is not the 2× bitmap (difference $to_2x); $SHOT"
above "$to_doubled" 0.02 || fail "the portrait looks pixel-doubled (difference $to_doubled); $SHOT"
note "passed; $MAIN_SHOT, $ABOUT_SHOT"
