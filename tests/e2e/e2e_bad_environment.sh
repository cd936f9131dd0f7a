#!/usr/bin/env bash
# The program in unkind surroundings: each row starts a copy of it in a directory or an environment
# a user's machine may give it and checks that its lessons still teach (picture and sound, or the
# picture alone where no sound can be had) and that it reports nothing. Directories named with
# shell syntax or with bytes that are not UTF-8 (a Windows-1256 name), one that is read-only to the
# user who runs it, no HOME, the C and an Arabic locale, no audio server, an audio server killed
# in mid-sound and started again, no tray host, no xdg-open.
set -uo pipefail
# shellcheck source=tests/e2e/rig.sh
source "$(dirname "${BASH_SOURCE[0]}")/rig.sh"
# shellcheck source=tests/e2e/bad_input.sh
source "$(dirname "${BASH_SOURCE[0]}")/bad_input.sh"
rig_begin "$1" 170
rig_require sox setpriv

# The middle of the author's site button, in client pixels (at 6000,855 twips in Frame1's command
# row, itself at 120,5160).
AUTHOR_BUTTON=(436 436)

start_xvfb
start_tray
TRAY_PID=$RIG_PID
start_pulse
start_recorder
fake_xdg_open

# Starts a fresh copy of the program in DIR with the given command before it (env, setpriv...).
start_in() {
    local dir=$1
    shift
    rig_copy_program "$dir"
    use_short_sounds A Z
    RIG_RUN_WITH=("$@") # read by start_program
    start_program
}

# A lesson without a sound to hear: the picture comes and the window lives on.
teaches_silently() {
    click_letter "$1"
    expect_picture "$RIG_APP/$1.jpg" "$2 then $1"
    program_alive || fail "$2: the program ended"
}

finish_row() {
    expect_no_error_box 0 "$1"
    stop_program
    note "$1: teaches"
}

row() {
    local name=$1
    shift
    start_in "$@"
    teaches A "$name"
    teaches Z "$name"
    finish_row "$name"
}

row "a name of shell syntax" "$RIG_TMP/les sons 'q' \"dq\" \$(false) \`false\` ; x"$'\n'"y"
# "مرحبا" in Windows-1256: no UTF-8 text names this directory.
row "a Windows-1256 name" "$RIG_TMP/"$'\xe3\xd1\xcd\xc8\xc7'
row "no HOME" "$RIG_TMP/no-home" env -u HOME
row "the C locale" "$RIG_TMP/c-locale" env -u LC_ALL LANG=C
row "an Arabic locale" "$RIG_TMP/ar-locale" env -u LC_ALL LANG=ar_EG.UTF-8 LANGUAGE=ar

# Read-only, and owned by root, run by another user; the private ground opens just enough to let
# that user reach the program, the display's socket and the audio server's.
if (($(id -u) == 0)); then
    chmod 711 "$RIG_TMP" "$RIG_TMP/pulse"
    chmod 755 "$RIG_TMP/pulse/run" 2>/dev/null
    start_in "$RIG_TMP/read-only" setpriv --reuid=nobody --regid=nogroup --clear-groups \
        env HOME=/nonexistent XDG_RUNTIME_DIR=/nonexistent
    chmod -R a-w "$RIG_APP"
    teaches A "another user"
    teaches Z "another user"
    # A picture that user may not read: its own reason, and the lessons go on.
    chmod 000 "$RIG_APP/H.jpg"
    click_letter H
    expect_error_box "$RIG_APP/H.jpg" 0 "another user, an unreadable picture"
    grep -q "«$RIG_APP/H.jpg»: لا إذن بقراءة الملف" "$PROGRAM_LOG" ||
        fail "another user: an unreadable picture is not reported as such: $(grep '^tarbalun: ' "$PROGRAM_LOG")"
    teaches A "another user, an unreadable picture"
    expect_no_error_box 1 "another user"
    stop_program
    note "another user: teaches"
    chmod -R u+w "$RIG_APP"
    chmod 700 "$RIG_TMP"
else
    note "another user: left out, only root can run the program as another user"
fi

# No xdg-open anywhere on the program's PATH: the site button does nothing, the lessons go on.
start_in "$RIG_TMP/no-opener" env PATH=/nonexistent
click_at "${AUTHOR_BUTTON[@]}"
sleep 1
teaches A "no xdg-open"
[[ ! -s $OPENED ]] || fail "no xdg-open: an opener was reached: $(cat "$OPENED")"
finish_row "no xdg-open"

# The audio server goes away in the middle of a sound and comes back.
start_in "$RIG_TMP/server-restart"
sox -n -r 48000 -c 1 -b 16 "$RIG_APP/h.wav" synth 10 sine 440 gain -3
mark=$(recording_mark)
click_letter H
expect_sound "$mark" "server killed"
kill -TERM "$PULSE_PID"
gone() { ! rig_ours "$1"; }
wait_for 10 "the audio server to end" gone "$PULSE_PID"
teaches_silently A "server killed"
start_pulse
start_recorder
teaches_silently Z "server back"
teaches_silently A "server back"
finish_row "an audio server killed and started again"

served=$PULSE_SERVER
no_audio_server
start_in "$RIG_TMP/no-server"
teaches_silently A "no audio server"
teaches_silently Z "no audio server"
finish_row "no audio server"

kill -TERM "$TRAY_PID"
wait_for 10 "the tray host to end" gone "$TRAY_PID"
PULSE_SERVER=$served
row "no tray host" "$RIG_TMP/no-tray"
