#!/usr/bin/env bash
# The program as a screen reader meets it, through AT-SPI: letter keys named by their letter and
# described by their lesson's words, the picture frame named and describing each lesson, the site
# buttons saying they open the browser, the About window's credits in reading order; the error box
# and the farewell box with Qt's buttons in Arabic. The error box's detail keeps the file's path
# whole inside the Arabic text, and stderr keeps the plain text.
set -uo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/rig.sh"
rig_begin "$1" 150

WORDS=$(cd "$(dirname "${BASH_SOURCE[0]}")/../../tools/lessons" && pwd)/words.tsv
APP_NAME='طربلون'
ABOUT_TITLE='حول البرنامج'
FAREWELL_TITLE='مكتبة زنكلوني للمعلومات الدينية'

# The reading side, shared by every look at the tree: finds the program and walks it.
cat >"$RIG_TMP/tree.py" <<'PY'
import sys, time
import pyatspi

def program(name="طربلون", seconds=15):
    deadline = time.time() + seconds
    while time.time() < deadline:
        for app in pyatspi.Registry.getDesktop(0):
            if app is not None and app.name == name:
                return app
        time.sleep(0.2)
    sys.exit("no application named %s on the accessibility bus" % name)

def walk(node):
    yield node
    for i in range(node.childCount):
        child = node.getChildAtIndex(i)
        if child is not None:
            yield from walk(child)

def find(root, role=None, name=None, seconds=10):
    deadline = time.time() + seconds
    while time.time() < deadline:
        for node in walk(root):
            if (role is None or node.getRole() == role) and (name is None or node.name == name):
                return node
        time.sleep(0.2)
    sys.exit("nothing with role %s and name %r" % (role, name))

def arabic(text):
    return any("\u0621" <= c <= "\u064a" for c in text)
PY
export PYTHONPATH=$RIG_TMP

px() { echo $((($1 + $2 / 2) * 2 / 15 / 2)); }
press_command() { click_at "$(px $((120 + $1)) "$2")" "$(px $((5160 + 1200)) 375)"; }

# A copy of the program without D.jpg, for the error box.
APP=$RIG_TMP/app
mkdir -p "$APP"
cp "$RIG_BUILD/tarbalun" "$RIG_BUILD"/*.jpg "$RIG_BUILD"/*.wav "$APP/" || fail "cannot copy the program"
rm "$APP/D.jpg"
RIG_PROGRAM_DIR=$APP

start_xvfb
start_accessibility
no_audio_server
start_program

atspi "$WORDS" <<'PY' || fail "the main window's accessible tree"
import sys
from tree import *
words = {}
for line in open(sys.argv[1], encoding="utf-8"):
    fields = line.rstrip("\n").split("\t")
    if len(fields) >= 4 and not line.startswith("#"):
        words[fields[0]] = fields[2] + " — " + fields[3]
app = program()
for letter, described in sorted(words.items()):
    key = find(app, pyatspi.ROLE_PUSH_BUTTON, letter)
    assert key.description == described, (letter, key.description, described)
frame = find(app, None, "صورة الدرس")
assert arabic(frame.description), frame.description
for name in ("الموقع", "المكتبة", "الحوزة"):
    site = find(app, pyatspi.ROLE_PUSH_BUTTON, name)
    assert "المتصفح" in site.description, (name, site.description)
print("keys, frame and site buttons read as expected")
PY

# The lesson C, typed while a listener waits for the frame's description to change: the change
# reaches the screen reader as an event, not only when it asks.
timeout 5 xdotool windowfocus --sync "$WIN" || fail "cannot focus the main window"
atspi <<'PY' || fail "the frame's description after the lesson C"
from gi.repository import GLib
from Xlib import X, display
from Xlib.ext import xtest
from tree import *
frame = find(program(), None, "صورة الدرس")
heard = []
def on_change(event):
    if event.source.name == "صورة الدرس":
        heard.append(event.source.description)
        pyatspi.Registry.stop()
def press_c():
    d = display.Display()
    xtest.fake_input(d, X.KeyPress, 54)
    xtest.fake_input(d, X.KeyRelease, 54)
    d.sync()
    return False
pyatspi.Registry.registerEventListener(on_change, "object:property-change:accessible-description")
GLib.timeout_add(500, press_c)
GLib.timeout_add(10000, lambda: pyatspi.Registry.stop())
pyatspi.Registry.start()
assert heard and "C" in heard[-1], heard
assert frame.description == heard[-1], frame.description
print("after C the screen reader hears:", heard[-1])
PY

# The error box: D.jpg is missing from this copy.
press_keycode 40   # the key d
find_window "$APP_NAME"
BOX=$FOUND
screenshot error-box
ERROR_SHOT=$SHOT
atspi "$APP/D.jpg" <<'PY' || fail "the error box's accessible tree"
import sys
from tree import *
app = program()
box = find(app, pyatspi.ROLE_ALERT) if any(n.getRole() == pyatspi.ROLE_ALERT for n in walk(app)) else None
box = box or find(app, pyatspi.ROLE_DIALOG)
labels = [n.name for n in walk(box) if n.getRole() == pyatspi.ROLE_LABEL and n.name]
buttons = [n.name for n in walk(box) if n.getRole() == pyatspi.ROLE_PUSH_BUTTON]
print("labels:", labels, "buttons:", buttons)
assert len(buttons) == 1 and arabic(buttons[0]) and buttons[0] != "OK", buttons
assert len(labels) >= 2, labels
assert "/" not in labels[0] and arabic(labels[0]), labels[0]
assert "«\u2068" + sys.argv[1] + "\u2069»" in labels[1], labels[1]
PY
grep -qF "«$APP/D.jpg»" "$PROGRAM_LOG" || fail "stderr does not name the picture plainly: $(cat "$PROGRAM_LOG")"
if grep -qP '[\x{2066}-\x{2069}]' "$PROGRAM_LOG"; then fail "stderr carries isolates"; fi
press_key Return "$BOX"

# The About window: credits in reading order, the portrait's name; Escape closes it.
press_command 3120 855
find_window "$ABOUT_TITLE"
ABOUT=$FOUND
atspi <<'PY' || fail "the About window's accessible tree"
from tree import *
app = program()
about = find(app, None, "حول البرنامج")
lines = about.description.split("\n")
assert len(lines) == 8 and lines[0] == "طربلون", lines
portrait = find(about, None, "صورة المبرمج")
assert "المتصفح" in portrait.description, portrait.description
print("About reads:", " | ".join(lines))
PY
press_key Escape "$ABOUT"
about_gone() { ! rig_visible_window "$ABOUT_TITLE"; }
wait_for 10 "Escape to close the About window" about_gone

# The farewell box: its button in Arabic too.
press_command 6960 975
find_window "$FAREWELL_TITLE"
BOX=$FOUND
screenshot farewell-box
atspi <<'PY' || fail "the farewell box's accessible tree"
from tree import *
app = program()
box = find(app, None, "مكتبة زنكلوني للمعلومات الدينية")
buttons = [n.name for n in walk(box) if n.getRole() == pyatspi.ROLE_PUSH_BUTTON]
assert len(buttons) == 1 and arabic(buttons[0]), buttons
print("farewell button:", buttons[0])
PY
press_key Return "$BOX"
wait_program_end 10
((PROGRAM_STATUS == 0)) || fail "the program ended with status $PROGRAM_STATUS"
note "passed; the error box: $ERROR_SHOT"
