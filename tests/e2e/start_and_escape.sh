#!/usr/bin/env bash
# End-to-end: the intro in a real X server with a window manager.
# Started in an empty directory it warns about the missing text file in a box
# captioned "Warnung"; after OK its 320 x 240 window is centred on the screen;
# Escape ends it with exit code 0 within one second.
#
# usage: start_and_escape.sh PATH_TO_CORVANE
set -u
intro=$(realpath "$1")
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

# A display number nobody uses.
for n in $(seq 90 140); do
  [ -e /tmp/.X11-unix/X$n ] || [ -e /tmp/.X$n-lock ] || { disp=$n; break; }
done
export DISPLAY=:$disp
Xvfb "$DISPLAY" -screen 0 ${screen_w}x${screen_h}x24 -nolisten tcp >/dev/null 2>&1 & pids+=($!)
for _ in $(seq 50); do xdpyinfo >/dev/null 2>&1 && break; sleep 0.1; done
xdpyinfo >/dev/null 2>&1 || fail "Xvfb did not start"
openbox --sm-disable >/dev/null 2>&1 & pids+=($!)
sleep 0.5

# Finds a top-level window by its exact name; prints its id.
find_window() {
  xwininfo -root -tree 2>/dev/null | awk -v name="\"$1\":" '$2 == name { print $1; exit }'
}
wait_window() {
  local id=""
  for _ in $(seq 100); do
    id=$(find_window "$1"); [ -n "$id" ] && { echo "$id"; return 0; }
    sleep 0.1
  done
  return 1
}

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

xdotool key --window "$win" Escape
start=$(date +%s%N)
for _ in $(seq 100); do kill -0 "$intro_pid" 2>/dev/null || break; sleep 0.01; done
kill -0 "$intro_pid" 2>/dev/null && fail "still running one second after Escape"
wait "$intro_pid"; code=$?
elapsed=$(( ($(date +%s%N) - start) / 1000000 ))
[ "$code" = 0 ] || fail "exit code $code"
echo "PASS: box, centred 320x240 window at $x,$y, Escape ended it in ${elapsed} ms with code 0"
