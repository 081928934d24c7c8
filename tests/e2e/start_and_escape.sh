#!/usr/bin/env bash
# End-to-end: the intro in a real X server with a window manager.
# Started in an empty directory it warns about the missing text file in a box
# captioned "Warnung". After OK it covers the screen, black until frame 101
# (1.6 s on). F1 gives a 320 x 240 window with a frame, centred, showing the
# intro's picture; F1 again covers the screen with it.
# Escape ends it with exit code 0 within one second, and the screen keeps
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
xdotool key --window "$box" Return 2>/dev/null
win=$(wait_window "Corvane") || fail "no window captioned Corvane"

# Whether a part of the last screenshot shows the intro's picture rather than
# black: the logo's light greys fill it (intro_picture.sh looks closer).
shows_picture() { [ "$(brightest "$@")" != 0 ]; }

# Full screen: the whole screen, no frame, black (before frame 101) or the
# picture.
expect_full_screen() {
  sleep "$3"
  read -r x y w h <<<"$(client_area "$win")"
  [ "$x $y $w $h" = "0 0 $screen_w $screen_h" ] || fail "$1: window at $x,$y ${w}x${h}, not covering the screen"
  framed "$win" && fail "$1: full screen has a frame"
  shoot
  if [ "$2" = black ]; then
    [ "$(brightest 0 0 "$screen_w" "$screen_h")" = 0 ] || fail "$1: the screen is not black"
  else
    shows_picture 0 0 "$screen_w" "$screen_h" || fail "$1: the screen does not show the picture"
  fi
  cp "$work/shot.png" "$work/$1.png"
}

# The window: 320 x 240, centred, framed, the picture inside.
expect_window() {
  sleep 1
  local cx=$(( (screen_w - 320) / 2 )) cy=$(( (screen_h - 240) / 2 ))
  # A busy machine (a sanitizer build drawing every frame) may take the
  # window manager a little longer to place the window.
  for _ in $(seq 30); do
    read -r x y w h <<<"$(client_area "$win")"
    (( w == 320 && h == 240 && x >= cx - 1 && x <= cx + 1 && y >= cy - 1 && y <= cy + 1 )) && break
    sleep 0.1
  done
  [ "$w" = 320 ] && [ "$h" = 240 ] || fail "$1: client area is ${w}x${h}, not 320x240"
  (( x >= cx - 1 && x <= cx + 1 && y >= cy - 1 && y <= cy + 1 )) ||
    fail "$1: window at $x,$y, not centred at $cx,$cy"
  framed "$win" || fail "$1: the window has no frame"
  shoot
  shows_picture "$x" "$y" 320 240 || fail "$1: the window does not show the picture"
  cp "$work/shot.png" "$work/$1.png"
}

expect_full_screen "start" black 0.5
sleep 1.5
xdotool key --window "$win" F1 2>/dev/null
expect_window "after F1"
xdotool key --window "$win" F1 2>/dev/null
expect_full_screen "after second F1" picture 1
[ "$(screen_size)" = "$size_before" ] || fail "the screen changed size: $(screen_size), was $size_before"

xdotool key --window "$win" Escape 2>/dev/null
start=$(date +%s%N)
for _ in $(seq 100); do kill -0 "$intro_pid" 2>/dev/null || break; sleep 0.01; done
kill -0 "$intro_pid" 2>/dev/null && fail "still running one second after Escape"
wait "$intro_pid"; code=$?
elapsed=$(( ($(date +%s%N) - start) / 1000000 ))
[ "$code" = 0 ] || fail "exit code $code"
[ "$(screen_size)" = "$size_before" ] || fail "the screen changed size after the end"
echo "PASS: box; full screen, black; F1: framed 320x240 window, centred, the picture; F1: full screen;" \
     "Escape ended it in ${elapsed} ms with code 0; screen $size_before throughout"
