#!/usr/bin/env bash
# Regenerates the skin's bitmaps in assets/skin/ with ImageMagick. Every picture is drawn from
# fixed shapes and gradients (no noise, no fonts) and written without time stamps, so running the
# script twice writes the same bytes. The style sheet, assets/skin/skin.qss, is written by hand.
set -euo pipefail

skin="$(cd "$(dirname "${BASH_SOURCE[0]}")/../assets/skin" && pwd)"

command -v convert > /dev/null || { echo "make-skin: ImageMagick's convert is missing (apt-get install imagemagick)" >&2; exit 1; }

# Writes the image on stdin (ImageMagick's MIFF) as an 8-bit RGBA PNG without dates or comments.
save() {
  convert miff:- -strip -define png:exclude-chunks=date,time "PNG32:$skin/$1"
}

# The buttons' shading lies over each button's own colour, so one set serves every key colour.
# The strips are taller than any button (25 px on the keypad, a little more in message boxes) and
# repeat only sideways.
# At rest: a gloss over the upper half.
convert -size 1x12 'gradient:rgba(255,255,255,0.65)-rgba(255,255,255,0.05)' \
  -size 1x36 xc:none -append miff:- | save key.png
# Under the mouse: brighter all over.
convert -size 1x12 'gradient:rgba(255,255,255,0.8)-rgba(255,255,255,0.25)' \
  -size 1x36 'xc:rgba(255,255,255,0.2)' -append miff:- | save key-hover.png
# Held down: a shadow under the top edge and the whole key a little darker.
convert -size 1x6 'gradient:rgba(110,50,0,0.4)-rgba(150,70,0,0.14)' \
  -size 1x42 'xc:rgba(150,70,0,0.14)' -append miff:- | save key-pressed.png

# The empty picture frame: cream paper with faint dots in two warm tints, as a 32 x 32 tile.
convert -size 32x32 'xc:#fffaf0' \
  -fill '#fbe3bd' -draw 'circle 8,8 8,10' \
  -fill '#fcd8cc' -draw 'circle 24,24 24,26' miff:- | save paper.png

ls -l "$skin"/*.png
