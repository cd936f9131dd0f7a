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

# Each bitmap is drawn at two scales: NAME.png for ordinary screens and NAME@2x.png with twice the
# pixels, which Qt picks by itself on a screen of twice the density (and scales down between).
# Sizes and positions below are for scale 1 and are multiplied by $k.
for k in 1 2; do
  suffix=$([[ $k == 1 ]] && echo "" || echo "@${k}x")

  # The buttons' shading lies over each button's own colour, so one set serves every key colour.
  # The strips are taller than any button (25 px on the keypad, a little more in message boxes) and
  # repeat only sideways.
  # At rest: a gloss over the upper half.
  convert -size ${k}x$((12 * k)) 'gradient:rgba(255,255,255,0.65)-rgba(255,255,255,0.05)' \
    -size ${k}x$((36 * k)) xc:none -append miff:- | save "key$suffix.png"
  # Under the mouse: brighter all over.
  convert -size ${k}x$((12 * k)) 'gradient:rgba(255,255,255,0.8)-rgba(255,255,255,0.25)' \
    -size ${k}x$((36 * k)) 'xc:rgba(255,255,255,0.2)' -append miff:- | save "key-hover$suffix.png"
  # Held down: a shadow under the top edge and the whole key a little darker.
  convert -size ${k}x$((6 * k)) 'gradient:rgba(110,50,0,0.4)-rgba(150,70,0,0.14)' \
    -size ${k}x$((42 * k)) 'xc:rgba(150,70,0,0.14)' -append miff:- | save "key-pressed$suffix.png"

  # The empty picture frame: cream paper with faint dots in two warm tints, as a 32 x 32 tile.
  convert -size $((32 * k))x$((32 * k)) 'xc:#fffaf0' \
    -fill '#fbe3bd' -draw "circle $((8 * k)),$((8 * k)) $((8 * k)),$((10 * k))" \
    -fill '#fcd8cc' -draw "circle $((24 * k)),$((24 * k)) $((24 * k)),$((26 * k))" miff:- | save "paper$suffix.png"
done

ls -l "$skin"/*.png
