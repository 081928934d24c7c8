#!/usr/bin/env bash
# End-to-end: presentation of the 2D device on a real X server with a window
# manager. The check program goes full screen at 320 x 240 x 16 on a
# 1600 x 1000 desktop: the picture must be scaled by 4 (nearest neighbour),
# centred at (160, 20), with black bars around. Filled, it covers the whole
# height: 1333 x 1000 at (133, 0), each pixel a crisp block of about four
# with at most one blended pixel between blocks. Then it goes back to its
# 320 x 240 window, where the window was before, showing the picture unscaled.
#
# usage: present_fullscreen.sh PATH_TO_CHECK_PROGRAM
set -u
check=$(realpath "$1")
here=$(cd "$(dirname "$0")" && pwd)
screen_w=1600 screen_h=1000
fail() { echo "FAIL: $*"; [ -s "$work/stderr" ] && cat "$work/stderr"; exit 1; }

. "$here/../e2e/xserver.sh"
start_x "${screen_w}x${screen_h}x24"
# The colour at (x, y) as RRGGBB.
colour() {
  od -An -tx1 -j $(( ($2 * screen_w + $1) * 3 )) -N3 "$work/shot.rgb" | tr -d ' \n'
}
# expect NAME X Y RRGGBB ...: every listed pixel has its colour; else says
# which one does not in `why`.
expect() {
  local name=$1; shift
  while [ $# -gt 0 ]; do
    local got; got=$(colour "$1" "$2")
    [ "$got" = "$3" ] || { why="$name: pixel ($1, $2) is $got, not $3"; return 1; }
    shift 3
  done
}
red=ff0000 green=00ff00 blue=0000ff white=ffffff yellow=ffff00 magenta=ff00ff black=000000

coproc CHECK { "$check" 2>"$work/stderr"; }
pids+=($CHECK_PID)
check_pid=$CHECK_PID
exec {to_check}>&"${CHECK[1]}" {from_check}<&"${CHECK[0]}"

# Client-area geometry of the check program's window: "X Y W H".
placement() {
  local win
  win=$(find_window "DDrawCheck")
  [ -n "$win" ] || return 1
  xwininfo -id "$win" | awk '/Absolute upper-left X:/ {x=$4} /Absolute upper-left Y:/ {y=$4}
                             /^  Width:/ {w=$2} /^  Height:/ {h=$2} END {print x, y, w, h}'
}
# next WORD: lets the check program go on and waits until it says WORD.
next() {
  [ "$1" = shown ] || echo next >&"$to_check"
  read -r -t 20 -u "$from_check" line || fail "no '$1' from the check program"
  [ "$line" = "$1" ] || fail "said '$line', not '$1'"
}

# The window is shown 320 x 240 about the centre (the window manager may
# still be placing it when the program says it is shown).
centred() {
  before=$(placement) || { why="window not found"; return 1; }
  read -r x y w h <<<"$before"
  [ "$w" = 320 ] && [ "$h" = 240 ] || { why="window is ${w}x${h}, not 320x240"; return 1; }
  local cx=$(( (screen_w - 320) / 2 )) cy=$(( (screen_h - 240) / 2 ))
  (( x >= cx - 2 && x <= cx + 2 && y >= cy - 25 && y <= cy + 25 )) ||
    { why="window at $x,$y, not about the centre $cx,$cy"; return 1; }
}
# Scaled 4x: picture pixel (x, y) covers screen (160 + 4x .. +3, 20 + 4y .. +3).
full_screen_shown() {
  shoot
  expect "bars" 80 500 $black  1520 500 $black  800 10 $black  800 990 $black \
                159 100 $black  1440 100 $black  800 19 $black  700 980 $black &&
  expect "left column, four wide" 160 100 $yellow  163 100 $yellow  164 100 $red &&
  expect "quadrants" 700 100 $red  900 100 $green  700 600 $blue  900 600 $white &&
  expect "quadrant edges" 799 100 $red  800 100 $green  700 499 $red  700 500 $blue &&
  expect "bottom row, four high" 700 975 $blue  700 976 $magenta  700 979 $magenta
}
# Filled: 4x nearest neighbour, then 25/24 smoothly; picture pixel x spans
# screen 133 + x * 1333 / 320 .. (x + 1) * 1333 / 320 (4.17 wide).
filled_shown() {
  shoot
  expect "bars" 132 500 $black  1466 500 $black &&
  expect "left column" 134 500 $yellow  136 500 $yellow  139 100 $red &&
  expect "whole height" 700 0 $red  900 0 $green  700 999 $magenta  700 997 $magenta  700 994 $blue &&
  expect "crisp vertical edge" 798 100 $red  801 100 $green &&
  expect "crisp horizontal edge" 700 498 $red  700 501 $blue &&
  expect "far corner" 1465 600 $white  1465 998 $magenta || return 1
  # The rest is made up smoothly, not by repeating some pixels: the edge
  # at 799.5 falls mid-pixel, which blends red and green.
  local edge; edge=$(colour 799 100)
  [ "$edge" != $red ] && [ "$edge" != $green ] || { why="pixel (799, 100) is $edge, not a blend"; return 1; }
}
back_in_place() {
  after=$(placement) || { why="window not found after full screen"; return 1; }
  [ "$after" = "$before" ] || { why="window at/size '$after' after full screen, was '$before'"; return 1; }
}
window_shown() {
  shoot
  expect "window, unscaled" $x $((y + 10)) $yellow  $((x + 1)) $((y + 10)) $red \
         $((x + 200)) $((y + 10)) $green  $((x + 10)) $((y + 200)) $blue \
         $((x + 200)) $((y + 200)) $white  $((x + 100)) $((y + 239)) $magenta \
         $((x + 100)) $((y + 238)) $blue
}

next shown
wait_for 10 centred || fail "$why"
next fullscreen
wait_for 10 full_screen_shown || fail "$why"
next filled
wait_for 10 filled_shown || fail "$why"
next window
wait_for 10 back_in_place || fail "$why"
wait_for 10 window_shown || fail "$why"

echo next >&"$to_check"
wait "$check_pid"; code=$?
[ "$code" = 0 ] || fail "check program ended with $code"
echo "PASS: 320x240x16 shown 4x at (160,20) with black bars, filled 1333x1000 at (133,0) crisp; the window back at $x,$y, 320x240"
