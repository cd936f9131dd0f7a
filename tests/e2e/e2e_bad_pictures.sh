#!/usr/bin/env bash
# Bad and odd pictures in the real program: each row puts one file in place of H.jpg and clicks H.
# A picture that cannot be shown brings the error box naming the file, with its reason in Arabic,
# leaves the frame as it was and plays no sound; a picture that can be shown (another format under
# the .jpg name, progressive, CMYK, grey, turned by an orientation tag) shows upright over the
# frame. Either way the program lives on and the next letter teaches.
set -uo pipefail
# shellcheck source=tests/e2e/rig.sh
source "$(dirname "${BASH_SOURCE[0]}")/rig.sh"
# shellcheck source=tests/e2e/bad_input.sh
source "$(dirname "${BASH_SOURCE[0]}")/bad_input.sh"
rig_begin "$1" 170
rig_require sox convert python3

rig_copy_program
use_short_sounds A Z H
FIX=$RIG_TMP/fixtures
mkdir -p "$FIX"
H=$RIG_APP/H.jpg
cp "$H" "$FIX/good.jpg"
size=$(stat -c %s "$FIX/good.jpg")

# The fixtures are made from the shipped picture at run time.
make_fixture() {
    local row=$1
    rm -rf "$H"
    case $row in
    missing) ;;
    empty) : >"$H" ;;
    cut-*) head -c "${row#cut-}" "$FIX/good.jpg" >"$H" ;;
    random) python3 -c 'import random, sys; random.seed(7); sys.stdout.buffer.write(random.randbytes(20000))' >"$H" ;;
    zeroed) head -c 20000 /dev/zero >"$H" ;;
    declares-60000) python3 - "$FIX/good.jpg" "$H" <<'EOF'
import sys
data = bytearray(open(sys.argv[1], 'rb').read())
i = 2
while not (data[i] == 0xFF and 0xC0 <= data[i + 1] <= 0xC2):
    i += 2 + (data[i + 2] << 8 | data[i + 3])
data[i + 5:i + 9] = (60000).to_bytes(2, 'big') * 2
open(sys.argv[2], 'wb').write(data)
EOF
    ;;
    symlink-loop) ln -s "$H" "$H" ;;
    directory) mkdir "$H" ;;
    fifo) mkfifo "$H" ;;
    png | gif | bmp | webp) convert "$FIX/good.jpg" "$row:$H" ;;
    progressive) convert "$FIX/good.jpg" -interlace Plane "$H" ;;
    cmyk) convert "$FIX/good.jpg" -colorspace CMYK "$H" ;;
    grey) convert "$FIX/good.jpg" -colorspace Gray "$H" ;;
    # Stored a quarter turn anticlockwise, tagged to be turned back clockwise when shown.
    exif-rotated) convert "$FIX/good.jpg" -rotate -90 -orient RightTop "$H" ;;
    *) fail "no fixture named $row" ;;
    esac
}

# Qt reads WebP only with its image-formats plugin; without it a WebP is a file of no known format.
webp=error
compgen -G '/usr/lib/*/qt6/plugins/imageformats/libqwebp.so' >/dev/null && webp=shown

# row                what the program does with it (a JPEG without its end marker has all its pixels)
ROWS="
missing              error
empty                error
cut-2                error
cut-20               error
cut-300              error
cut-$((size / 4))    error
cut-$((size / 2))    error
cut-$((size - 2))    shown
random               error
zeroed               error
declares-60000       error
symlink-loop         error
directory            error
fifo                 error
png                  shown
gif                  shown
bmp                  shown
webp                 $webp
progressive          shown
cmyk                 shown
grey                 shown
exif-rotated         shown
"

start_xvfb
start_pulse
start_recorder
start_program
teaches A "at start"
next=Z
while read -r row expect; do
    [[ -n $row ]] || continue
    make_fixture "$row"
    errors=$(error_lines)
    frame_snapshot before
    mark=$(recording_mark)
    click_letter H
    if [[ $expect == error ]]; then
        expect_error_box "$H" "$errors" "$row"
        expect_silence "$mark" 0.5 "$row"
        expect_frame_as before "$row"
    else
        expect_picture "$H" "$row"
        expect_sound "$mark" "$row"
        wait_quiet
        expect_no_error_box "$errors" "$row"
    fi
    program_alive || fail "$row: the program ended"
    teaches "$next" "$row"
    note "$row: $expect, as it should"
    next=$([[ $next == Z ]] && echo A || echo Z)
done <<<"$ROWS"
