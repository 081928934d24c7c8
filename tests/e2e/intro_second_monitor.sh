#!/usr/bin/env bash
# End-to-end: the intro on a desktop of two monitors whose primary one (where
# programs open) does not stand at the desktop's top-left: a 1024 x 768
# screen at (0, 0) and, right of it, a 1280 x 1024 panel at (1024, 0), as a
# laptop panel right of an external screen. Started in an empty directory,
# the intro warns about the missing text file; after OK it covers the panel
# and, once frame 101 is drawn, shows its picture there scaled by 4 to
# 1280 x 960, black bars above and below, the grey logo at the top. F1 gives
# a 320 x 240 window centred on the panel that shows the logo too. Escape
# ends it with exit code 0.
#
# usage: intro_second_monitor.sh PATH_TO_CORVANE
set -u
intro=$(realpath "$1")
here=$(cd "$(dirname "$0")" && pwd)
left_w=1024 left_h=768
panel_x=1024 panel_w=1280 panel_h=1024
# 320 x 240 scaled by 4, centred on the panel: bars of 32 rows above and below.
pic_y=32 pic_h=960

. "$here/xserver.sh"
start_x_two_heads "${left_w}x${left_h}" "${panel_w}x${panel_h}"

# The window's client area: "x y width height".
client_area() {
  xwininfo -id "$1" | awk '/Absolute upper-left X:/ {x=$4} /Absolute upper-left Y:/ {y=$4}
                           /^  Width:/ {w=$2} /^  Height:/ {h=$2} END {print x, y, w, h}'
}
# "min max" of all channels in a rectangle (x y w h) of the last screenshot.
levels() { convert "$work/shot.png" -crop "$3x$4+$1+$2" +repage -format "%[fx:minima*255] %[fx:maxima*255]" info:; }
# Takes a screenshot; succeeds when the rectangle shows the logo's greys
# (the whole of it between 120 and 230, nothing black).
logo_at() {
  shoot
  read -r lo hi <<<"$(levels "$@")"
  (( ${lo%.*} >= 120 && ${hi%.*} <= 230 ))
}
covers_panel() { [ "$(client_area "$win")" = "$panel_x 0 $panel_w $panel_h" ]; }
cx=$(( panel_x + (panel_w - 320) / 2 )) cy=$(( (panel_h - 240) / 2 ))
centred_window() {
  read -r x y w h <<<"$(client_area "$win")"
  (( w == 320 && h == 240 && x >= cx - 1 && x <= cx + 1 && y >= cy - 1 && y <= cy + 1 ))
}

start_intro_and_answer

wait_for 10 covers_panel || fail "full screen: the window is at '$(client_area "$win")', not covering the panel"
wait_for 15 logo_at "$panel_x" "$pic_y" "$panel_w" 400 ||
  fail "full screen: no logo on the panel (levels $lo to $hi)"
for bar in "$panel_x 0 $panel_w $pic_y" "$panel_x $(( pic_y + pic_h )) $panel_w $(( panel_h - pic_y - pic_h ))"; do
  read -r _ bright <<<"$(levels $bar)"
  [ "${bright%.*}" = 0 ] || fail "full screen: the bar at ($bar) is not black (brightest $bright)"
done
full_levels="$lo-$hi"
cp "$work/shot.png" "$work/full_screen.png"

xdotool key --window "$win" F1 2>/dev/null
wait_for 10 centred_window || fail "after F1: the window is at '$(client_area "$win")', not 320x240 at $cx,$cy"
wait_for 10 logo_at "$x" "$y" 320 100 || fail "after F1: the window shows no logo (levels $lo to $hi)"

xdotool key --window "$win" Escape 2>/dev/null
for _ in $(seq 100); do kill -0 "$intro_pid" 2>/dev/null || break; sleep 0.01; done
kill -0 "$intro_pid" 2>/dev/null && fail "still running one second after Escape"
wait "$intro_pid"; code=$?
[ "$code" = 0 ] || fail "exit code $code"
echo "PASS: full screen on the panel at ($panel_x, 0): the logo ($full_levels) between black bars;" \
     "F1: a window at $x,$y centred on the panel shows the logo ($lo-$hi); Escape: code 0"
