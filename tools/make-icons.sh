#!/usr/bin/env bash
# Regenerates the program's icons in desktop/icons/ from the portrait, assets/portrait.png: square
# PNGs at the sizes desktops ask for (16.png ... 256.png) and a scalable one (scalable.svg). From
# 32 px up the icon is the portrait's figure; below that it is the face alone, which still reads at
# a tray's size where the whole figure would be a blur. The SVG holds the 256 px picture inside a
# rounded clip: the portrait is a bitmap, so nothing finer than that exists to draw it from. Every
# step is fixed and the PNGs carry no dates, so running the script twice writes the same bytes.
set -euo pipefail

repo="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
portrait="$repo/assets/portrait.png"
icons="$repo/desktop/icons"

command -v convert > /dev/null || { echo "make-icons: ImageMagick's convert is missing (apt-get install imagemagick)" >&2; exit 1; }
[[ $(identify -format '%wx%h' "$portrait") == 100x150 ]] || { echo "make-icons: $portrait is not 100 x 150" >&2; exit 1; }

# Squares of the portrait (side, left, top): the figure on its board, and the face with its hair.
figure='86x86+7+28'
face='62x62+19+27'

# Writes the portrait's square SQUARE scaled to SIZE px with rounded corners, as an 8-bit RGBA PNG
# without dates or comments.
icon() {
  local size=$1 square=$2 out=$3
  local radius=$(((size + 4) / 8))
  convert "$portrait" -crop "$square" +repage -filter Lanczos -resize "${size}x${size}!" \
    \( -size "${size}x${size}" xc:none -fill white \
       -draw "roundrectangle 0,0 $((size - 1)),$((size - 1)) $radius,$radius" \) \
    -compose DstIn -composite -strip -define png:exclude-chunks=date,time "PNG32:$out"
}

mkdir -p "$icons"
for size in 16 22 24; do icon "$size" "$face" "$icons/$size.png"; done
for size in 32 48 64 128 256; do icon "$size" "$figure" "$icons/$size.png"; done

# The scalable icon: the 256 px figure, square-cornered, inside a vector rounded clip.
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
convert "$portrait" -crop "$figure" +repage -filter Lanczos -resize '256x256!' \
  -strip -define png:exclude-chunks=date,time "PNG24:$work/figure.png"
{
  printf '<?xml version="1.0" encoding="UTF-8"?>\n'
  printf '<svg xmlns="http://www.w3.org/2000/svg" xmlns:xlink="http://www.w3.org/1999/xlink" width="256" height="256" viewBox="0 0 256 256">\n'
  printf '  <clipPath id="corners"><rect width="256" height="256" rx="32" ry="32"/></clipPath>\n'
  printf '  <image width="256" height="256" clip-path="url(#corners)" xlink:href="data:image/png;base64,%s"/>\n' \
    "$(base64 -w 0 "$work/figure.png")"
  printf '</svg>\n'
} > "$icons/scalable.svg"

ls -l "$icons"
