#!/usr/bin/env bash
# Drives the real program under Xvfb with real key events (xdotool), as a
# user's hands do: text typed on the sheet, a new box and then the same box
# again, with every key of the command table pressed while the editor is open
# (a paste from an empty clipboard among them), then committed or cancelled;
# then a save through the real file dialog. Then a line between two boxes
# that must come back whole when one box is dropped against the other and
# dragged back, and a Ctrl+S pressed while the button holds a drag, which must
# write nothing until the release; then Exit. The program must live through
# all of it and save what was typed.
# Usage: check-real-keys.sh VIRLO VIRLO_CLI WORK
set -uo pipefail
virlo=$1
cli=$2
work=$3
skip=77
for tool in Xvfb xdotool; do
  if ! command -v "$tool" >/dev/null; then
    echo "SKIP: $tool is not installed (scripts/setup.sh installs it)"
    exit $skip
  fi
done
rm -rf "$work"
mkdir -p "$work/home/config"
app=
xvfb=
cleanup() {
  if [ -n "$app" ]; then kill "$app" 2>/dev/null; fi
  if [ -n "$xvfb" ]; then kill "$xvfb" 2>/dev/null; fi
}
trap cleanup EXIT
fail() {
  echo "FAIL: $*"
  exit 1
}

Xvfb -displayfd 3 -screen 0 1280x900x24 3>"$work/display" 2>"$work/xvfb.log" &
xvfb=$!
for _ in $(seq 100); do
  [ -s "$work/display" ] && break
  sleep 0.1
done
[ -s "$work/display" ] || fail "Xvfb did not start: $(cat "$work/xvfb.log")"
export DISPLAY=":$(cat "$work/display")"

# Started in its work folder, where the save dialog opens: the file name is
# typed bare, so the dialog's completer has no folder names to offer midway.
# On the X display whatever platform the caller's environment names: the
# keys need a window xdotool can find.
(cd "$work" && exec env HOME="$work/home" XDG_CONFIG_HOME="$work/home/config" LANGUAGE=en_US LC_ALL= LANG=C.UTF-8 \
  QT_QPA_PLATFORM=xcb "$virlo" >"$work/virlo.log" 2>&1) &
app=$!
window=$(timeout 20 xdotool search --sync --onlyvisible --name '^VIRLO' | head -1)
[ -n "$window" ] || fail "no main window"
alive() { kill -0 "$app" 2>/dev/null || fail "the program died after: $1 ($(tail -3 "$work/virlo.log"))"; }
# Waits for a save to land: a build with the sanitizers on a busy machine
# takes longer than any fixed pause.
saved() {
  for _ in $(seq 100); do
    [ -s "$work/$1" ] && return 0
    sleep 0.1
  done
  fail "$1 was not saved"
}
# Waits for a file to differ from another.
changed() {
  for _ in $(seq 100); do
    cmp -s "$work/$1" "$work/$2" || return 0
    sleep 0.1
  done
  fail "$1 was not written again"
}
press() {
  for key in "$@"; do
    xdotool key "$key"
    sleep 0.1
    alive "$key"
  done
}
xdotool windowfocus --sync "$window"
sleep 0.3

command_keys=(ctrl+n ctrl+o ctrl+w ctrl+s ctrl+shift+s ctrl+p ctrl+shift+c ctrl+q ctrl+z ctrl+u ctrl+y ctrl+shift+z
  ctrl+r ctrl+x ctrl+c ctrl+v ctrl+shift+v Delete ctrl+g ctrl+a ctrl+t ctrl+k ctrl+e ctrl+d ctrl+l ctrl+b
  ctrl+f ctrl+plus ctrl+equal ctrl+minus ctrl+0 F6)

# A new text box: the editor opens at the click.
press ctrl+f
xdotool mousemove --window "$window" 200 150 click 1
sleep 0.5
xdotool type "abc"
press "${command_keys[@]}"
press ctrl+a
xdotool type "typed here"
press ctrl+Return
sleep 0.3
# The same box again, with the select tool's double click; cancelled.
press ctrl+e
xdotool mousemove --window "$window" 200 150 click --repeat 2 1
sleep 0.5
press "${command_keys[@]}"
press Escape
sleep 0.3
# Saved through the file dialog, then Exit.
press ctrl+s
dialog=$(timeout 10 xdotool search --sync --onlyvisible --name 'Save' | head -1)
[ -n "$dialog" ] || fail "no save dialog"
sleep 0.3
xdotool type "typed.vrl"
press Return
saved typed.vrl
# Without a window manager nothing gives the focus back when a dialog closes.
xdotool windowfocus --sync "$window"

# Two boxes, one above the other, and a line from the upper one's bottom side
# to the cell above the lower one's top, where it docks. The positions are the
# window's, a cell is 8 x 16 pixels: only where they lie to each other counts.
x=200
y=200
at() { xdotool mousemove --window "$window" "$1" "$2"; }
drag() {  # drag X0 Y0 X1 Y1 [KEY]: the button held all the way, KEY too
  [ -n "${5:-}" ] && xdotool keydown "$5"
  at "$1" "$2"
  xdotool mousedown 1
  at $((($1 + $3) / 2)) $((($2 + $4) / 2))
  sleep 0.1
  at "$3" "$4"
  sleep 0.1
  xdotool mouseup 1
  [ -n "${5:-}" ] && xdotool keyup "$5"
  sleep 0.3
  alive "drag $*"
}
save_as() {
  press ctrl+shift+s
  timeout 10 xdotool search --sync --onlyvisible --name 'Save' >/dev/null || fail "no save dialog for $1"
  sleep 0.3
  xdotool type "$1"
  press Return
  saved "$1"
  xdotool windowfocus --sync "$window"
}
press ctrl+n ctrl+b
drag $x $y $((x + 80)) $((y + 48))
drag $x $((y + 128)) $((x + 80)) $((y + 176))
press ctrl+l
drag $((x + 40)) $((y + 48)) $((x + 40)) $((y + 112))
press ctrl+e
save_as "joined.vrl"
# The upper box Shift+dragged down onto the lower one, released, and dragged back.
drag $x $((y + 24)) $x $((y + 88)) shift
drag $x $((y + 88)) $x $((y + 24)) shift
save_as "parted.vrl"
# The same gestures as a script, in cells, give the art each file must hold.
cat >"$work/expected.script" <<'END'
tool box
drag 20 24 100 72
drag 20 152 100 200
tool line
drag 60 72 60 136
tool select
save "expected-joined.vrl"
drag 20 48 20 80 shift
save "expected-dragged.vrl"
END
(cd "$work" && "$cli" run expected.script) || fail "the expected diagrams were not made"
art() { "$cli" render "$work/$1.vrl" --crop >"$work/$1.txt" || fail "$1.vrl does not render"; }
for name in joined parted expected-joined expected-dragged; do art $name; done
cmp -s "$work/joined.txt" "$work/expected-joined.txt" ||
  fail "not the two boxes and their line: $(cat "$work/joined.txt")"
cmp -s "$work/parted.txt" "$work/expected-joined.txt" ||
  fail "the line did not come back when the boxes parted: $(cat "$work/parted.txt")"

# Ctrl+S while the button holds a drag of the upper box writes nothing; after
# the release the file gets the settled diagram, the line following the box.
cp "$work/parted.vrl" "$work/before-drag.vrl"
xdotool keydown shift
at $x $((y + 24))
xdotool mousedown 1
# Shift counts at the press; held, it would make the Ctrl+S below a Ctrl+Shift+S.
xdotool keyup shift
at $x $((y + 40))
sleep 0.2
at $x $((y + 56))
sleep 0.2
press ctrl+s
sleep 0.5
cmp -s "$work/parted.vrl" "$work/before-drag.vrl" || fail "Ctrl+S wrote the file while the button held a drag"
xdotool mouseup 1
sleep 0.5
press ctrl+s
changed parted.vrl before-drag.vrl
sleep 0.2
cp "$work/parted.vrl" "$work/dragged.vrl"
art dragged
cmp -s "$work/dragged.txt" "$work/expected-dragged.txt" ||
  fail "the settled drag was not saved: $(cat "$work/dragged.txt")"
xdotool key ctrl+q
for _ in $(seq 50); do
  kill -0 "$app" 2>/dev/null || break
  sleep 0.1
done
kill -0 "$app" 2>/dev/null && fail "the program did not exit"
wait "$app"
status=$?
app=
[ "$status" -eq 0 ] || fail "the program exited with $status"
"$cli" render "$work/typed.vrl" >"$work/typed.txt" || fail "the saved document does not render"
grep -q "typed here" "$work/typed.txt" || fail "the typed text was not saved: $(cat "$work/typed.txt")"
echo "real keys: the program lived through every key and saved the text"
