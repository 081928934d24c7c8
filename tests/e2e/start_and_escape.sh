#!/usr/bin/env bash
# End-to-end: the intro in a real X server with a window manager.
# Started in an empty directory it warns about the missing text file in a box
# captioned "Warnung". After OK it covers the screen, black until frame 101
# (1.6 s on). F1 gives a 320 x 240 window with a frame, centred, showing the
# intro's picture; F1 again covers the screen with it.
# Escape ends it with exit code 0 at once, and the screen keeps
# its size throughout. Each state is checked on a screenshot.
#
# usage: start_and_escape.sh PATH_TO_CORVANE
set -u
intro=$(realpath "$1")
here=$(cd "$(dirname "$0")" && pwd)
screen_w=1280 screen_h=1024

. "$here/xserver.sh"
start_x "${screen_w}x${screen_h}x24"

screen_size() { xdpyinfo | awk '/dimensions:/ {print $2}'; }
# The window's client area: "x y width height".
client_area() {
  xwininfo -id "$1" | awk '/Absolute upper-left X:/ {x=$4} /Absolute upper-left Y:/ {y=$4}
                           /^  Width:/ {w=$2} /^  Height:/ {h=$2} END {print x, y, w, h}'
}
# The brightest channel value in a part of the last screenshot (0: all black).
brightest() { convert "$work/shot.png" -crop "$3x$4+$1+$2" +repage -format "%[max]" info:; }
# Whether the window manager gives the window a frame.
framed() {
  local extents
  extents=$(xprop -id "$1" _NET_FRAME_EXTENTS 2>/dev/null | sed -n 's/.*= //p')
  [ -n "$extents" ] && [ "$extents" != "0, 0, 0, 0" ]
}

size_before=$(screen_size)
cd "$work"
"$intro" 2>"$work/stderr" & intro_pid=$!; pids+=($intro_pid)

box=$(wait_window "Warnung") || fail "no box captioned Warnung"
grep -qF "Warnung: No CORVANE textfile found, using standart text." "$work/stderr" ||
  fail "the box text did not reach stderr: $(cat "$work/stderr")"
press_return "$box"
answered=$(date +%s%N); answered=$(( answered / 1000000 ))
box_gone "$box"
win=$(wait_window "Corvane") || fail "no window captioned Corvane"

# Whether a part of the last screenshot shows the intro's picture rather than
# black: the logo's light greys fill it (intro_picture.sh looks closer).
shows_picture() { [ "$(brightest "$@")" != 0 ]; }

# The window covers the screen without a frame.
covers_screen() {
  read -r x y w h <<<"$(client_area "$win")"
  [ "$x $y $w $h" = "0 0 $screen_w $screen_h" ] || { why="window at $x,$y ${w}x${h}, not covering the screen"; return 1; }
  ! framed "$win" || { why="full screen has a frame"; return 1; }
}
# The window is a framed 320 x 240 client area, centred (within a pixel).
placed_centred() {
  local cx=$(( (screen_w - 320) / 2 )) cy=$(( (screen_h - 240) / 2 ))
  read -r x y w h <<<"$(client_area "$win")"
  [ "$w" = 320 ] && [ "$h" = 240 ] || { why="client area is ${w}x${h}, not 320x240"; return 1; }
  (( x >= cx - 1 && x <= cx + 1 && y >= cy - 1 && y <= cy + 1 )) ||
    { why="window at $x,$y, not centred at $cx,$cy"; return 1; }
  framed "$win" || { why="the window has no frame"; return 1; }
}
# A screenshot whose part x y w h shows the picture (frame 101 is 1.6 s
# after the timer starts, later on a busy machine).
picture_in() {
  shoot
  shows_picture "$@" || { why="no picture at ($*)"; return 1; }
}
now_ms() { echo $(( $(date +%s%N) / 1000000 )); }

# Right after the box: full screen, black until frame 101. A screenshot taken
# that late (a very busy machine) could show either, so then the black is
# not judged.
wait_for 10 covers_screen || fail "start: $why"
shoot
shot_at=$(( $(now_ms) - answered ))
if (( shot_at < 1400 )); then
  [ "$(brightest 0 0 "$screen_w" "$screen_h")" = 0 ] || fail "start: the screen is not black"
  start_state="black"
else
  start_state="black not judged (screenshot ${shot_at} ms after the box)"
fi
cp "$work/shot.png" "$work/start.png"
wait_for 20 picture_in 0 0 "$screen_w" "$screen_h" || fail "start: $why"

xdotool key --window "$win" F1 2>/dev/null
wait_for 10 placed_centred || fail "after F1: $why"
wait_for 10 picture_in "$x" "$y" 320 240 || fail "after F1: the window does not show the picture"
cp "$work/shot.png" "$work/after-F1.png"

xdotool key --window "$win" F1 2>/dev/null
wait_for 10 covers_screen || fail "after second F1: $why"
wait_for 10 picture_in 0 0 "$screen_w" "$screen_h" || fail "after second F1: $why"
cp "$work/shot.png" "$work/after-second-F1.png"
[ "$(screen_size)" = "$size_before" ] || fail "the screen changed size: $(screen_size), was $size_before"

xdotool key --window "$win" Escape 2>/dev/null
start=$(date +%s%N)
# Within a second on a quiet machine; a sanitizer build's leak check at the
# end takes longer on a busy one.
for _ in $(seq 500); do kill -0 "$intro_pid" 2>/dev/null || break; sleep 0.01; done
kill -0 "$intro_pid" 2>/dev/null && fail "still running five seconds after Escape"
wait "$intro_pid"; code=$?
elapsed=$(( ($(date +%s%N) - start) / 1000000 ))
[ "$code" = 0 ] || fail "exit code $code"
[ "$(screen_size)" = "$size_before" ] || fail "the screen changed size after the end"
echo "PASS: box; full screen, $start_state, then the picture; F1: framed 320x240 window, centred, the picture; F1: full screen;" \
     "Escape ended it in ${elapsed} ms with code 0; screen $size_before throughout"
