# shellcheck shell=bash disable=SC2034,SC2119,SC2120,SC2317
# (The cases read the variables these functions set, and poll calls functions by name.)
# The end-to-end rig, sourced by every tests/e2e/e2e_*.sh case. CTest runs a case as
#     bash tests/e2e/e2e_<name>.sh <build directory>
# and the case begins with
#     source "$(dirname "${BASH_SOURCE[0]}")/rig.sh"
#     rig_begin "$1"
# Everything runs on private ground (own HOME, XDG_RUNTIME_DIR, X display and audio server), so
# cases run side by side and leave nothing behind. Every process the rig starts is kept by its pid
# and stopped by one trap when the case ends: passed, failed, interrupted or out of time.
# Screenshots stay in <build>/e2e-shots/<case>/; logs stay in a temp dir that goes with the case
# (RIG_KEEP=1 keeps it and prints where).
#
# Case and processes
#   rig_begin BUILD [SECONDS]  private temp dirs and environment, the trap, the case's time limit
#                              (default 90 s). Skips the case (status 77) when Xvfb is missing.
#                              Sets RIG_BUILD, RIG_TMP, RIG_SHOTS. A case may set RIG_PROGRAM, the
#                              program start_program starts, before it (default RIG_BUILD/tarbalun).
#   fail MESSAGE               "FAIL: MESSAGE" on stderr, ends the case with status 1.
#   note MESSAGE               a progress line on stderr.
#   rig_spawn CMD [ARG...]     starts CMD in the background (redirect the call to redirect CMD);
#                              its pid goes to RIG_PID and to the trap's list.
#   poll SECONDS CMD [ARG...]  runs CMD every 0.1 s until it succeeds (status 0) or the time is up
#                              (status 1).
#   wait_for SECONDS WHAT CMD [ARG...]   poll, or fail "timed out after N s waiting for WHAT".
#   above A B / below A B      numeric comparisons of decimals (status 0 when true).
#
# Display
#   start_xvfb [WxHxD]         Xvfb on a free display (default 1024x768x24); exports DISPLAY.
#                              Sets SCREEN_W, SCREEN_H.
#   start_tray                 a tray host (trayer) at the screen's top right; sets TRAY_WIN.
#   screenshot NAME            the whole screen as RIG_SHOTS/NAME.png; sets SHOT to its path.
#   client_region X Y W H      prints the ImageMagick geometry WxH+X+Y of a rectangle given in
#                              WIN's client coordinates, in screen coordinates (needs window_geometry).
#   colours_in PNG GEOMETRY    sets COLOURS to the number of distinct colours in that part of the image.
#   difference PNG PNG GEOMETRY   sets DIFF to the normalised RMS difference (0..1) of that part.
#   frame_shows FILE           status 0 when the picture frame (FRAME_X, FRAME_Y, FRAME_W, FRAME_H in
#                              WIN's client area) shows FILE stretched over it; sets FRAME_DIFF.
#   expect_picture FILE [WHY]  frame_shows within 10 s, or fail.
# Functions that find or measure set variables instead of printing: a failure inside a command
# substitution would end only the substitution, not the case.
#
# Audio
#   start_pulse                a PulseAudio server with one null sink (test_sink, 48 kHz stereo) and
#                              a silent stream keeping it running; exports PULSE_SERVER, sets
#                              PULSE_PID to the server's pid.
#   no_audio_server            points PULSE_SERVER at a socket nobody serves.
#   start_recorder             records test_sink's monitor (raw s16le 48 kHz stereo) through a fifo
#                              into RECORDING; returns once the recording flows.
#   recording_mark             prints the recording's current length in bytes, on a frame boundary.
#   recording_stats FROM [TO]  sox's statistics of the recording between two marks (TO: its end);
#                              sets REC_RMS and REC_PEAK (0..1).
#
# Opening addresses
#   fake_xdg_open              puts an xdg-open first on PATH that appends each argument, one a line,
#                              to OPENED (the file is created empty).
#
# The program
#   rig_copy_program [DIR]     copies the build's program and its 52 lesson files into DIR (default
#                              RIG_TMP/app) and sets RIG_APP to it: start_program then runs that
#                              copy, whose files a case may replace.
#   start_program [ARG...]     starts RIG_PROGRAM (a path; default ./tarbalun) from RIG_APP (the
#                              build unless a copy was made) or RIG_PROGRAM_DIR, through the command
#                              RIG_RUN_WITH (an array, e.g. env -u HOME; empty by default), and
#                              waits for its main window; sets PID, WIN and (through window_geometry) WIN_X, WIN_Y,
#                              WIN_W, WIN_H, WIN_MAP. Its output goes to PROGRAM_LOG.
#   find_window TITLE [SECONDS]   sets FOUND to the id of the program's visible window with exactly
#                              that title, or fails after SECONDS (default 10).
#   window_geometry [ID]       sets WIN_X, WIN_Y (client area, screen coordinates), WIN_W, WIN_H
#                              and WIN_MAP (IsViewable, IsUnMapped...) of ID (default WIN).
#   click_at X Y [ID]          clicks the left button at client position X,Y of ID (default WIN).
#   click_letter L             clicks the main window's key of capital letter L.
#   press_key KEY [ID]         focuses ID (default WIN) and presses KEY (xdotool's key names).
#   press_keycode CODE [HELD...]  presses the physical key CODE (evdev key code: a 38, b 56, Return
#                              36, Right 114) through XTEST while the keys HELD are down (Shift 50);
#                              the active keyboard layout decides what it types. Focuses nothing.
#   RIG_PROGRAM_DIR            the directory start_program runs ./tarbalun from (default the build).
#
# Accessibility
#   start_accessibility        a session D-Bus and the accessibility bus on it; a program started
#                              afterwards shows its accessible tree (QT_LINUX_ACCESSIBILITY_ALWAYS_ON).
#   atspi [ARG...]             runs the Python script on stdin with pyatspi under /usr/bin/python3
#                              (the system's interpreter, which has the binding), bounded to 40 s.
#   program_alive              status 0 while the program runs.
#   wait_program_end SECONDS   waits for the program to end; sets PROGRAM_STATUS.
#   stop_program               ends the program (TERM) and waits for it, so that another can start.

RIG_MAIN_TITLE='برنامج: تعليم طربلون'
RIG_PIDS=()
RIG_RUN_WITH=()

note() { printf '%s: %s\n' "${RIG_CASE:-e2e}" "$*" >&2; }

fail() {
    printf 'FAIL: %s\n' "$*" >&2
    exit 1
}

rig_track() {
    RIG_PIDS+=("$1")
    echo "$1" >>"$RIG_TMP/pids"
}

rig_spawn() {
    "$@" &
    RIG_PID=$!
    rig_track "$RIG_PID"
}

poll() {
    local seconds=$1
    shift
    local deadline=$((SECONDS + seconds))
    # SECONDS counts whole seconds; the extra round keeps a bound of N from ending early.
    while ((SECONDS <= deadline)); do
        "$@" && return 0
        sleep 0.1
    done
    return 1
}

wait_for() {
    local seconds=$1 what=$2
    shift 2
    poll "$seconds" "$@" || fail "timed out after $seconds s waiting for $what"
}

above() { awk -v a="$1" -v b="$2" 'BEGIN { exit !(a + 0 > b + 0) }'; }
below() { awk -v a="$1" -v b="$2" 'BEGIN { exit !(a + 0 < b + 0) }'; }

rig_require() {
    local tool
    for tool in "$@"; do
        command -v "$tool" >/dev/null || fail "the tool '$tool' is missing"
    done
}

rig_begin() {
    RIG_BUILD=$(cd "${1:?the build directory is the first argument}" && pwd) || fail "no build directory '$1'"
    RIG_LIMIT=${2:-90}
    RIG_CASE=$(basename "$0" .sh)
    if ! command -v Xvfb >/dev/null; then
        echo "SKIP: Xvfb is not installed" >&2
        exit 77
    fi
    [[ -x ${RIG_PROGRAM:-$RIG_BUILD/tarbalun} ]] || fail "no program at ${RIG_PROGRAM:-$RIG_BUILD/tarbalun}: build first"

    RIG_TMP=$(mktemp -d -t "tarbalun-$RIG_CASE.XXXXXX") || fail "cannot make a temp dir"
    RIG_SHOTS=$RIG_BUILD/e2e-shots/$RIG_CASE
    rm -rf "$RIG_SHOTS"
    mkdir -p "$RIG_SHOTS" "$RIG_TMP/home" "$RIG_TMP/xdg" "$RIG_TMP/bin"
    chmod 700 "$RIG_TMP/xdg"
    trap rig_end EXIT
    trap 'fail "interrupted"' INT TERM HUP
    trap 'fail "the case ran out of its $RIG_LIMIT s"' USR1

    # Nothing of the machine's session reaches the case: not its display, its audio server, its
    # D-Bus session or its configuration.
    export HOME=$RIG_TMP/home XDG_RUNTIME_DIR=$RIG_TMP/xdg
    export XDG_CONFIG_HOME=$RIG_TMP/home/.config XDG_CACHE_HOME=$RIG_TMP/home/.cache
    export XDG_DATA_HOME=$RIG_TMP/home/.local/share
    unset DISPLAY WAYLAND_DISPLAY DBUS_SESSION_BUS_ADDRESS SESSION_MANAGER PULSE_SERVER QT_QPA_PLATFORM
    export PATH=$RIG_TMP/bin:$PATH
    # A client that finds no server must not start one of its own, outside the trap's list.
    printf 'autospawn = no\n' >"$RIG_TMP/client.conf"
    export PULSE_CLIENTCONFIG=$RIG_TMP/client.conf
    export LC_ALL=C.UTF-8

    : >"$RIG_TMP/pids"
    # The watchdog's sleeps are its own children, stopped with it, so that nothing outlives the
    # case. The case's trap runs only once the command in its foreground has ended: a command that
    # hangs is stopped for it, while the processes the rig keeps stay for the trap to stop in order.
    local case_pid=$$
    (
        trap 'kill "$sleeper" 2>/dev/null; wait "$sleeper"; exit 0' TERM
        watchdog=$BASHPID
        sleep "$RIG_LIMIT" &
        sleeper=$!
        wait "$sleeper" || exit 0
        # An orphaned watchdog signals nobody: the case's pid may belong to another process by now.
        (($(ps -o ppid= -p "$watchdog") == case_pid)) || exit 0
        kill -USR1 "$case_pid"
        sleep 5 &
        sleeper=$!
        wait "$sleeper" || exit 0
        rig_stop_foreground "$case_pid"
    ) &
    RIG_WATCHDOG=$!
}

rig_stop_tree() {
    local child
    for child in $(ps -o pid= --ppid "$1"); do
        rig_stop_tree "$child"
    done
    kill -TERM "$1" 2>/dev/null
}

rig_stop_foreground() {
    local child
    for child in $(ps -o pid= --ppid "$1"); do
        [[ $child == "$BASHPID" ]] || grep -qx "$child" "$RIG_TMP/pids" || rig_stop_tree "$child"
    done
}

# True while PID is a live (not yet ended) child of the case's shell. A pid that ended and was
# reaped may belong to another process by now; its parent then is not this shell.
rig_ours() {
    local stat
    stat=$(cat "/proc/$1/stat" 2>/dev/null) || return 1
    stat=${stat##*) }
    local state=${stat%% *} rest=${stat#* }
    [[ $state != Z && ${rest%% *} == "$$" ]]
}

rig_none_ours() {
    local pid
    for pid in "${RIG_PIDS[@]}"; do
        rig_ours "$pid" && return 1
    done
    return 0
}

rig_end() {
    local status=$?
    trap - EXIT INT TERM HUP USR1
    kill "$RIG_WATCHDOG" 2>/dev/null
    if ((status != 0)) && [[ -n ${DISPLAY:-} ]]; then
        timeout 10 import -window root "$RIG_SHOTS/at-failure.png" 2>/dev/null &&
            note "the screen at the failure: $RIG_SHOTS/at-failure.png"
    fi
    if ((status != 0)) && [[ -s ${PROGRAM_LOG:-} ]]; then
        note "the program's output, last lines:"
        tail -n 20 "$PROGRAM_LOG" >&2
    fi
    # Stopped in reverse order of start, so the program goes before its display and audio server.
    local i pid
    for ((i = ${#RIG_PIDS[@]} - 1; i >= 0; i--)); do
        pid=${RIG_PIDS[i]}
        rig_ours "$pid" && kill -TERM "$pid" 2>/dev/null
    done
    poll 3 rig_none_ours
    for pid in "${RIG_PIDS[@]}"; do
        if rig_ours "$pid"; then
            note "process $pid did not stop on TERM; killing it"
            kill -KILL "$pid" 2>/dev/null
        fi
    done
    if [[ ${RIG_KEEP:-0} == 1 ]]; then
        note "kept $RIG_TMP"
    else
        rm -rf "$RIG_TMP"
    fi
    exit "$status"
}

rig_display_answers() { timeout 5 xdotool getdisplaygeometry >/dev/null 2>&1; }

start_xvfb() {
    local screen=${1:-1024x768x24}
    rig_require xdotool xwininfo xprop import convert compare
    local dnum=$RIG_TMP/display
    : >"$dnum"
    # An X server resets when its last client leaves, and a client that connects during the reset
    # is turned away: the rig's own short-lived queries would make the program's start a gamble.
    Xvfb -displayfd 5 -screen 0 "$screen" -nolisten tcp -noreset 5>"$dnum" >"$RIG_TMP/xvfb.log" 2>&1 &
    rig_track $!
    # Xvfb writes the display's number, ending the line, once it accepts clients.
    wait_for 10 "Xvfb to name its display" grep -q '^[0-9][0-9]*$' "$dnum"
    DISPLAY=:$(head -n 1 "$dnum")
    export DISPLAY
    wait_for 10 "Xvfb on $DISPLAY to accept a client" rig_display_answers
    export QT_QPA_PLATFORM=xcb
    SCREEN_W=${screen%%x*}
    SCREEN_H=${screen#*x}
    SCREEN_H=${SCREEN_H%%x*}
    note "Xvfb on $DISPLAY, $SCREEN_W x $SCREEN_H"
}

rig_tray_window() { TRAY_WIN=$(timeout 5 xdotool search --classname '^panel$' 2>/dev/null | head -n 1) && [[ -n $TRAY_WIN ]]; }

start_tray() {
    rig_require trayer
    rig_spawn trayer --edge top --align right --widthtype request --height 32 --SetDockType true \
        >"$RIG_TMP/trayer.log" 2>&1
    wait_for 10 "the tray host's window" rig_tray_window
}

rig_pulse_answers() { timeout 5 pactl info >/dev/null 2>&1; }

start_pulse() {
    rig_require pulseaudio pactl pacat parec sox
    local pulse=$RIG_TMP/pulse
    mkdir -p "$pulse/run" "$pulse/state"
    export PULSE_RUNTIME_PATH=$pulse/run PULSE_STATE_PATH=$pulse/state
    # Started without a display, so that it loads no X11 modules.
    env -u DISPLAY pulseaudio -n --daemonize=no --exit-idle-time=-1 --use-pid-file=no \
        --disable-shm=true --log-target=stderr \
        --load="module-native-protocol-unix socket=$pulse/native auth-anonymous=1" \
        --load="module-null-sink sink_name=test_sink rate=48000 channels=2" \
        >"$RIG_TMP/pulse.log" 2>&1 &
    PULSE_PID=$!
    rig_track "$PULSE_PID"
    export PULSE_SERVER=unix:$pulse/native
    wait_for 15 "the PulseAudio server to answer" rig_pulse_answers
    # An idle null sink's monitor delivers nothing, and silent gaps would vanish from the recording.
    rig_spawn pacat --playback --device=test_sink --raw --format=s16le --rate=48000 --channels=2 /dev/zero \
        >>"$RIG_TMP/pulse.log" 2>&1
}

no_audio_server() {
    export PULSE_SERVER=unix:$RIG_TMP/no-audio-server
}

recording_mark() {
    local size
    size=$(stat -c %s "$RECORDING" 2>/dev/null) || size=0
    echo $((size / 4 * 4))
}

rig_recording_flows() { (($(recording_mark) >= 48000 * 4 / 10)); }

start_recorder() {
    RECORDING=$RIG_TMP/recording.raw
    local fifo=$RIG_TMP/recording.fifo
    rm -f "$fifo"
    mkfifo "$fifo"
    rig_spawn cat "$fifo" >"$RECORDING"
    # The fifo is opened inside the background job, so that the case never blocks on it. parec's
    # default buffer is two seconds, lost when it is stopped: a short latency keeps the file current.
    (exec parec --device=test_sink.monitor --raw --format=s16le --rate=48000 --channels=2 \
        --latency-msec=20 >"$fifo" 2>>"$RIG_TMP/pulse.log") &
    rig_track $!
    wait_for 15 "the recording to flow" rig_recording_flows
}

recording_stats() {
    local from=$1 to=${2:-$(recording_mark)}
    ((to > from)) || fail "no recording between bytes $from and $to"
    local stats
    # dd reads just the range: tail piped into head ends on SIGPIPE, a failure under pipefail.
    stats=$(dd if="$RECORDING" iflag=skip_bytes,count_bytes bs=64K skip="$from" count="$((to - from))" status=none |
        sox -t raw -r 48000 -e signed-integer -b 16 -c 2 - -n stat 2>&1) || fail "sox cannot read the recording: $stats"
    REC_RMS=$(awk '/^RMS +amplitude:/ { print $3 }' <<<"$stats")
    REC_PEAK=$(awk '/^Maximum amplitude:/ { max = $3 } /^Minimum amplitude:/ { min = -$3 }
        END { print (max > min ? max : min) }' <<<"$stats")
    [[ -n $REC_RMS && -n $REC_PEAK ]] || fail "unexpected output of sox stat: $stats"
}

fake_xdg_open() {
    OPENED=$RIG_TMP/opened.txt
    : >"$OPENED"
    cat >"$RIG_TMP/bin/xdg-open" <<EOF
#!/bin/sh
for argument in "\$@"; do printf '%s\n' "\$argument" >>'$OPENED'; done
EOF
    chmod +x "$RIG_TMP/bin/xdg-open"
}

rig_visible_window() {
    FOUND=$(timeout 5 xdotool search --all --onlyvisible --pid "$PID" --name "^$1\$" 2>/dev/null | head -n 1)
    [[ -n $FOUND ]] && return 0
    # Under the C locale Qt writes the old WM_NAME as Latin-1 bytes of the UTF-8 title, where xdotool
    # looks; desktops show _NET_WM_NAME, which holds the title as it is.
    local id
    for id in $(timeout 5 xdotool search --all --onlyvisible --pid "$PID" --name '' 2>/dev/null); do
        [[ $(timeout 5 xprop -id "$id" _NET_WM_NAME 2>/dev/null) == "_NET_WM_NAME(UTF8_STRING) = \"$1\"" ]] &&
            FOUND=$id && return 0
    done
    return 1
}

find_window() {
    local title=$1 seconds=${2:-10}
    poll "$seconds" rig_visible_window "$title" || fail "no visible window titled '$title' after $seconds s"
}

window_geometry() {
    local id=${1:-$WIN} info
    info=$(timeout 5 xwininfo -id "$id" 2>&1) || fail "xwininfo cannot see window $id: $info"
    WIN_X=$(awk -F: '/Absolute upper-left X/ { print $2 + 0 }' <<<"$info")
    WIN_Y=$(awk -F: '/Absolute upper-left Y/ { print $2 + 0 }' <<<"$info")
    WIN_W=$(awk -F: '/^ *Width:/ { print $2 + 0 }' <<<"$info")
    WIN_H=$(awk -F: '/^ *Height:/ { print $2 + 0 }' <<<"$info")
    WIN_MAP=$(awk -F': *' '/Map State/ { print $2 }' <<<"$info")
}

rig_copy_program() {
    RIG_APP=${1:-$RIG_TMP/app}
    mkdir -p "$RIG_APP" || fail "cannot make the program's directory"
    cp "$RIG_BUILD/tarbalun" "$RIG_BUILD"/[A-Z].jpg "$RIG_BUILD"/[a-z].wav "$RIG_APP/" ||
        fail "cannot copy the program and its lesson files"
}

start_program() {
    PROGRAM_LOG=$RIG_TMP/program.log
    (cd "${RIG_APP:-${RIG_PROGRAM_DIR:-$RIG_BUILD}}" && exec "${RIG_RUN_WITH[@]}" "${RIG_PROGRAM:-./tarbalun}" "$@") >"$PROGRAM_LOG" 2>&1 &
    PID=$!
    rig_track "$PID"
    rig_program_window() {
        if ! program_alive; then
            wait "$PID"
            fail "the program ended at start with status $?"
        fi
        rig_visible_window "$RIG_MAIN_TITLE"
    }
    wait_for 20 "the main window '$RIG_MAIN_TITLE'" rig_program_window
    WIN=$FOUND
    window_geometry
}

program_alive() { rig_ours "$PID"; }

rig_program_ended() { ! program_alive; }

wait_program_end() {
    local seconds=$1
    wait_for "$seconds" "the program to end" rig_program_ended
    wait "$PID"
    PROGRAM_STATUS=$?
}

stop_program() {
    program_alive && kill -TERM "$PID"
    wait_program_end 10
}

click_at() {
    timeout 5 xdotool mousemove --window "${3:-$WIN}" "$1" "$2" click 1 || fail "xdotool cannot click at $1,$2"
}

press_key() {
    local id=${2:-$WIN}
    # Without a window manager the focus follows nothing: keys go where the focus is put. They go
    # through XTEST, as a keyboard's would; a key sent to the window itself fails on the key's
    # release when the press closes that window.
    timeout 5 xdotool windowfocus --sync "$id" || fail "cannot focus window $id"
    timeout 5 xdotool key "$1" || fail "xdotool cannot press $1"
}

press_keycode() {
    timeout 5 /usr/bin/python3 - "$@" <<'EOF' || fail "cannot press the key code $1 through XTEST"
import sys
from Xlib import X, display
from Xlib.ext import xtest
d = display.Display()
key, held = int(sys.argv[1]), [int(code) for code in sys.argv[2:]]
for code in held:
    xtest.fake_input(d, X.KeyPress, code)
xtest.fake_input(d, X.KeyPress, key)
xtest.fake_input(d, X.KeyRelease, key)
for code in reversed(held):
    xtest.fake_input(d, X.KeyRelease, code)
d.sync()
EOF
}

rig_a11y_bus_answers() {
    timeout 5 dbus-send --session --print-reply --dest=org.a11y.Bus /org/a11y/bus org.a11y.Bus.GetAddress >/dev/null 2>&1
}

start_accessibility() {
    rig_require dbus-daemon dbus-send
    local launcher=/usr/libexec/at-spi-bus-launcher address=$RIG_TMP/session-bus
    [[ -x $launcher ]] || fail "$launcher is missing (package at-spi2-core)"
    : >"$address"
    dbus-daemon --session --nofork --nopidfile --print-address=5 5>"$address" 2>"$RIG_TMP/dbus.log" &
    rig_track $!
    wait_for 10 "the session bus" grep -q . "$address"
    DBUS_SESSION_BUS_ADDRESS=$(head -n 1 "$address")
    export DBUS_SESSION_BUS_ADDRESS
    # The launcher starts the accessibility bus and, through it, the registry as processes of its
    # own; a guard stops that whole tree with it.
    (
        "$launcher" --launch-immediately >"$RIG_TMP/atspi.log" 2>&1 &
        launched=$!
        trap 'rig_stop_tree "$launched"; exit 0' TERM
        wait "$launched"
    ) &
    rig_track $!
    wait_for 10 "the accessibility bus" rig_a11y_bus_answers
    export QT_LINUX_ACCESSIBILITY_ALWAYS_ON=1
}

atspi() {
    timeout 40 /usr/bin/python3 - "$@"
}

screenshot() {
    SHOT=$RIG_SHOTS/$1.png
    timeout 10 import -window root "$SHOT" 2>"$RIG_TMP/import.log" || fail "no screenshot: $(cat "$RIG_TMP/import.log")"
}

client_region() { echo "${3}x${4}+$((WIN_X + $1))+$((WIN_Y + $2))"; }

colours_in() {
    COLOURS=$(convert "$1" -crop "$2" +repage -format '%k' info: 2>&1)
    [[ $COLOURS =~ ^[0-9]+$ ]] || fail "cannot count the colours of $1: $COLOURS"
}

# Letter buttons sit in the keypad frame at (8,344): A..K in row 0, L..V in row 1, W..Z in row 2,
# each 41 x 25 at 8 + 48 * column, 16 + 32 * row.
click_letter() {
    local index=$(($(printf '%d' "'$1") - 65))
    local row=$((index < 11 ? 0 : index < 22 ? 1 : 2))
    local column=$((index - 11 * row))
    click_at $((8 + 8 + 48 * column + 20)) $((344 + 16 + 32 * row + 12))
}

# The picture frame (Pic1) in the main window's client area; its border's width is the skin's.
FRAME_X=8 FRAME_Y=8 FRAME_W=537 FRAME_H=337

# The picture is stretched over the frame's outer size and shows inside its border, whose width is
# the skin's: the first comparison tries each width the skin might give and keeps the one that
# fits. The expected picture is scaled once per content.
frame_difference() {
    local borders=("${FRAME_BORDER:-0}") border sum expected width height best=1 best_border=0
    [[ -n ${FRAME_BORDER:-} ]] || borders=(0 1 2 3 4)
    sum=$(md5sum <"$1") || fail "cannot read $1"
    screenshot frame
    for border in "${borders[@]}"; do
        width=$((FRAME_W - 2 * border))
        height=$((FRAME_H - 2 * border))
        expected=$RIG_TMP/expected-${sum%% *}-$border.png
        [[ -f $expected ]] || convert "$1" -auto-orient -resize "${FRAME_W}x${FRAME_H}!" \
            -crop "${width}x${height}+0+0" +repage "$expected" || fail "ImageMagick cannot read $1"
        DIFF=$(convert "$SHOT" -crop "$(client_region $((FRAME_X + border)) $((FRAME_Y + border)) "$width" "$height")" \
            +repage "$expected" -metric RMSE -compare -format '%[distortion]' info: 2>&1)
        [[ $DIFF =~ ^[0-9.e+-]+$ ]] || fail "cannot compare the frame with $1: $DIFF"
        below "$DIFF" "$best" && best=$DIFF best_border=$border
    done
    FRAME_DIFF=$best
    [[ -n ${FRAME_BORDER:-} ]] || ! below "$best" 0.05 || FRAME_BORDER=$best_border
}

frame_shows() {
    frame_difference "$1"
    below "$FRAME_DIFF" 0.05
}

expect_picture() {
    poll 10 frame_shows "$1" || fail "${2:-}: the frame does not show $(basename "$1") (difference $FRAME_DIFF); $SHOT"
}

difference() {
    DIFF=$(convert "$1" "$2" -crop "$3" +repage -metric RMSE -compare -format '%[distortion]' info: 2>&1)
    [[ $DIFF =~ ^[0-9.e+-]+$ ]] || fail "cannot compare $1 with $2: $DIFF"
}
