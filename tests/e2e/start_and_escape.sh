#!/usr/bin/env bash
# End-to-end: the intro in a real X server with a window manager.
# Started in an empty directory it warns about the missing text file in a box
# captioned "Warnung"; after OK its 320 x 240 window is centred on the screen;
# Escape ends it with exit code 0 within one second.
#
# usage: start_and_escape.sh PATH_TO_CORVANE
set -u
intro=$(realpath "$1")
here=$(cd "$(dirname "$0")" && pwd)
work=$(mktemp -d)
screen_w=1280 screen_h=1024
pids=()
cleanup() {
  for p in "${pids[@]}"; do kill "$p" 2>/dev/null; done
  wait 2>/dev/null
  rm -rf "$work"
}
trap cleanup EXIT
fail() { echo "FAIL: $*"; exit 1; }

. "$here/xserver.sh"
start_x "${screen_w}x${screen_h}x24"

cd "$work"
"$intro" 2>"$work/stderr" & intro_pid=$!; pids+=($intro_pid)

box=$(wait_window "Warnung") || fail "no box captioned Warnung"
grep -qF "Warnung: No CORVANE textfile found, using standart text." "$work/stderr" ||
  fail "the box text did not reach stderr: $(cat "$work/stderr")"
xdotool key --window "$box" Return 2>/dev/null

win=$(wait_window "Corvane") || fail "no window captioned Corvane"
sleep 0.5
geometry=$(xwininfo -id "$win")
w=$(awk '/^  Width:/ {print $2}' <<<"$geometry")
h=$(awk '/^  Height:/ {print $2}' <<<"$geometry")
x=$(awk '/Absolute upper-left X:/ {print $4}' <<<"$geometry")
y=$(awk '/Absolute upper-left Y:/ {print $4}' <<<"$geometry")
[ "$w" = 320 ] && [ "$h" = 240 ] || fail "client area is ${w}x${h}, not 320x240"
cx=$(( (screen_w - 320) / 2 )) cy=$(( (screen_h - 240) / 2 ))
(( x >= cx - 1 && x <= cx + 1 && y >= cy - 1 && y <= cy + 1 )) ||
  fail "window at $x,$y, not centred at $cx,$cy"

xdotool key --window "$win" Escape 2>/dev/null
start=$(date +%s%N)
for _ in $(seq 100); do kill -0 "$intro_pid" 2>/dev/null || break; sleep 0.01; done
kill -0 "$intro_pid" 2>/dev/null && fail "still running one second after Escape"
wait "$intro_pid"; code=$?
elapsed=$(( ($(date +%s%N) - start) / 1000000 ))
[ "$code" = 0 ] || fail "exit code $code"
echo "PASS: box, centred 320x240 window at $x,$y, Escape ended it in ${elapsed} ms with code 0"
