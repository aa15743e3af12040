#!/usr/bin/env bash
# Drives the real program under Xvfb with real key events (xdotool) on a
# diagram in a README: `virlo README.md:7` opens the fence holding line 7,
# the title names its lines, the diagram is moved two cells right with the
# arrow keys, Ctrl+S writes it back, and the file differs from before in the
# diagram's three rows only. Exit then asks nothing: the diagram is saved.
# Usage: check-block-keys.sh VIRLO WORK
set -uo pipefail
virlo=$1
work=$2
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

cat >"$work/README.md" <<'TEXT'
# Queue

Requests pass the queue:

```text
+--------+     +-------+
| client |---->| queue |
+--------+     +-------+
```

Nothing else is kept.
TEXT
sed -e '6,8s/^/  /' "$work/README.md" >"$work/expected.md"

Xvfb -displayfd 3 -screen 0 1280x900x24 3>"$work/display" 2>"$work/xvfb.log" &
xvfb=$!
for _ in $(seq 100); do
  [ -s "$work/display" ] && break
  sleep 0.1
done
[ -s "$work/display" ] || fail "Xvfb did not start: $(cat "$work/xvfb.log")"
export DISPLAY=":$(cat "$work/display")"

(cd "$work" && exec env HOME="$work/home" XDG_CONFIG_HOME="$work/home/config" LANGUAGE=en_US LC_ALL= LANG=C.UTF-8 \
  "$virlo" README.md:7 >"$work/virlo.log" 2>&1) &
app=$!
window=$(timeout 20 xdotool search --sync --onlyvisible --name 'README.md:5-9' | head -1)
[ -n "$window" ] || fail "no window titled README.md:5-9 ($(tail -3 "$work/virlo.log"))"
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
# Everything selected, two cells to the right, saved into the README.
press ctrl+e ctrl+a Right Right
cmp -s "$work/README.md" "$work/expected.md" && fail "the file changed before the save"
press ctrl+s
# A build with the sanitizers on a busy machine may take a while to write.
for _ in $(seq 100); do
  cmp -s "$work/README.md" "$work/expected.md" && break
  sleep 0.1
done
cmp -s "$work/README.md" "$work/expected.md" ||
  fail "the README is not as expected: $(diff "$work/expected.md" "$work/README.md")"
xdotool search --onlyvisible --name 'README.md:5-9 \*' >/dev/null && fail "still marked modified after the save"
# Saved: Exit asks nothing.
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
echo "block keys: README.md:7 opened, moved with the arrow keys and saved into its own three lines"
