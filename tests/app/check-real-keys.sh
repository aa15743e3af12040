#!/usr/bin/env bash
# Drives the real program under Xvfb with real key events (xdotool), as a
# user's hands do: text typed on the sheet, a new box and then the same box
# again, with every key of the command table pressed while the editor is open
# (a paste from an empty clipboard among them), then committed or cancelled;
# then a save through the real file dialog and Exit. The program must live
# through all of it and save what was typed.
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
xdotool type "typed.vrl"
press Return
sleep 0.5
# Without a window manager nothing gives the focus back when a dialog closes.
xdotool windowfocus --sync "$window"
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
