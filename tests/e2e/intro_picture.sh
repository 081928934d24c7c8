#!/usr/bin/env bash
# End-to-end: the intro's picture in a real X server with a window manager.
# Started in an empty directory, it warns about the missing text file; some
# three seconds after the box is answered (frame 100 is due after 1.6 s) the
# screen shows the 320 x 240 picture scaled by 4 to 1280 x 960, black bars
# above and below: the grey logo over all of it and, in the text band, the
# first page's black letters. Nothing above the text band is dark.
#
# usage: intro_picture.sh PATH_TO_CORVANE [SCREENSHOT_OUT]
# With SCREENSHOT_OUT, the picture area is also written there at 640 x 480.
set -u
intro=$(realpath "$1")
out=${2:+$(realpath -m "$2")}
here=$(cd "$(dirname "$0")" && pwd)
screen_w=1280 screen_h=1024
# 320 x 240 scaled by 4, centred: bars of 32 rows above and below.
pic_x=0 pic_y=32 pic_w=1280 pic_h=960 scale=4

. "$here/xserver.sh"
start_x "${screen_w}x${screen_h}x24"

# Statistics of a screen rectangle (x y w h): "min max" of all channels.
levels() { convert "$work/shot.png" -crop "$3x$4+$1+$2" +repage -format "%[fx:minima*255] %[fx:maxima*255]" info:; }
# The picture area taken back to 320 x 240 (each picture pixel is a 4 x 4
# block on the screen): $work/picture.png.
unscale() {
  convert "$work/shot.png" -crop "${pic_w}x${pic_h}+${pic_x}+${pic_y}" +repage -sample 320x240 "$work/picture.png" ||
    fail "convert failed"
}
# The share of pixels darker than 15 % grey in a part of the picture.
dark_share() { convert "$work/picture.png" -crop "$3x$4+$1+$2" +repage -colorspace gray -threshold 15% -negate \
                 -format "%[fx:mean]" info:; }
# The largest difference between two channels of one pixel (0 for greys).
tint() {
  convert "$work/picture.png" \( -clone 0 -separate -evaluate-sequence max \) \
    \( -clone 0 -separate -evaluate-sequence min \) -delete 0 -compose difference -composite \
    -format "%[fx:maxima*255]" info:
}

start_intro_and_answer
# The state below is reached some 3 s after the box (frame 100 is due after
# 1.6 s, and the greeting is typed after that); a busy machine takes longer,
# so it is waited for, each screenshot judged whole.
first_page_shown() {
  kill -0 "$intro_pid" 2>/dev/null || fail "the intro ended"
  shoot
  unscale
  # The bars are black; the picture area is the logo's greys.
  local bar
  for bar in "0 0 $screen_w $pic_y" "0 $(( pic_y + pic_h )) $screen_w $(( screen_h - pic_y - pic_h ))"; do
    read -r lo hi <<<"$(levels $bar)"
    [ "${hi%.*}" = 0 ] || { why="the bar at ($bar) is not black (brightest $hi)"; return 1; }
  done
  read -r lo hi <<<"$(levels 0 "$pic_y" "$pic_w" $(( 100 * scale )))"
  (( ${lo%.*} >= 120 && ${hi%.*} <= 230 )) || { why="the logo above the text band is not grey: levels $lo to $hi"; return 1; }
  t=$(tint)
  (( ${t%.*} <= 8 )) || { why="the picture is not grey: channels differ by up to $t"; return 1; }
  # The first page's letters: dark pixels in the text band (rows 116 to 220,
  # columns 17 to 306), in the three lines of the greeting and nowhere above.
  band=$(dark_share 17 116 290 104)
  above=$(dark_share 0 0 320 100)
  awk -v b="$band" 'BEGIN { exit !(b > 0.04 && b < 0.3) }' || { why="the text band has $band dark pixels, not letters"; return 1; }
  awk -v a="$above" 'BEGIN { exit !(a == 0) }' || { why="dark pixels above the text band: $above"; return 1; }
  local row share
  for row in 2 3 4; do
    share=$(dark_share 17 $(( 100 + 17 * row )) 290 17)
    awk -v s="$share" 'BEGIN { exit !(s > 0.05) }' || { why="line $row of the first page shows no letters ($share)"; return 1; }
  done
  share=$(dark_share 17 $(( 100 + 17 * 5 + 2 )) 290 13)
  awk -v s="$share" 'BEGIN { exit !(s == 0) }' || { why="line 5 of the first page is blank but shows $share dark pixels"; return 1; }
}
wait_for 20 first_page_shown || fail "$why"

if [ -n "$out" ]; then
  convert "$work/shot.png" -crop "${pic_w}x${pic_h}+${pic_x}+${pic_y}" +repage -filter point -resize 640x480 "$out" ||
    fail "cannot write $out"
fi
xdotool key --window "$win" Escape 2>/dev/null
for _ in $(seq 100); do kill -0 "$intro_pid" 2>/dev/null || break; sleep 0.01; done
echo "PASS: box; then the picture scaled by 4 at (0, $pic_y): black bars, grey logo (levels $lo-$hi," \
     "tint $t), letters in the text band ($band dark), none above"
