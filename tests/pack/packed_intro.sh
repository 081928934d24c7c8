#!/usr/bin/env bash
# End-to-end: an intro packed with its own text, music, logo and font by
# corvane-pack, copied alone into an empty directory and run there in a real
# X server. It shows no box (its text is inside), it shows exactly a frame
# that the capture tool writes with the same assets named as options (the
# red-to-blue logo and green block letters, nothing of ours), it plays the
# packed module sample for sample (SDL's disk driver), and after Escape it
# has left nothing: not in the directory it ran in, not in its private
# runtime directory, not in the temporary directory.
# A logo that is no picture is refused by corvane-pack, for --out and --web:
# one line, exit 2, nothing written. Copies of the packed intro cut short, grown or with a bit
# changed start all the same, the last one saying its pack is damaged.
#
# usage: packed_intro.sh CORVANE_PACK CORVANE_CAPTURE AUDIO_CHECK MODGEN
set -u
pack=$(realpath "$1") capture=$(realpath "$2") check=$(realpath "$3") modgen=$(realpath "$4")
here=$(cd "$(dirname "$0")" && pwd)
screen_w=1280 screen_h=1024
# 320 x 240 scaled by 4, centred: bars of 32 rows above and below.
pic_x=0 pic_y=32 pic_w=1280 pic_h=960

. "$here/../e2e/xserver.sh"
assets=$work/assets runtime=$work/runtime tmp=$work/tmp ran=$work/empty sound=$work/sound.raw
mkdir -p "$assets" "$ran" "$tmp" && mkdir -m 700 "$runtime"
export XDG_CONFIG_HOME=$work/config

# The assets: one page of UTF-8 text, a tune of our own, a 24-bit BMP logo
# from red at the top to blue at the bottom, and a PNG glyph sheet whose
# glyphs are green blocks on white (the blank cells 44 and 45 stay white).
printf 'CVNTYPER\r\n1\r\n"                 "\r\n"  packed intro   "\r\n"  grüße an alle  "\r\n' >"$assets/text.txt"
printf '"                 "\r\n"                 "\r\n"                 "\r\n' >>"$assets/text.txt"
"$modgen" "$here/tune.txt" "$assets/tune.mod" || fail "cannot make the tune"
convert -size 320x246 gradient:'rgb(220,40,40)-rgb(40,40,220)' -type TrueColor BMP3:"$assets/logo.bmp" ||
  fail "cannot make the logo"
blocks=()
for row in 0 1 2; do
  for col in $(seq 0 14); do
    (( row == 2 && col >= 13 )) && continue
    blocks+=(-draw "rectangle $(( col * 17 + 2 )),$(( row * 17 + 2 )) $(( col * 17 + 14 )),$(( row * 17 + 14 ))")
  done
done
convert -size 256x60 xc:white -fill 'rgb(0,160,0)' "${blocks[@]}" PNG24:"$assets/font.png" || fail "cannot make the font"
named=(--text "$assets/text.txt" --music "$assets/tune.mod" --logo "$assets/logo.bmp" --font "$assets/font.png")

# A bad asset: one line naming the file, exit code 2, nothing written; the
# same for the program and for the web site.
for out in --out --web; do
  "$pack" $out "$work/bad" --text "$assets/text.txt" --logo "$assets/text.txt" 2>"$work/stderr"
  code=$?
  [ "$code" = 2 ] || fail "a text as logo ($out): exit code $code, not 2"
  [ "$(wc -l <"$work/stderr")" = 1 ] && grep -q "^corvane-pack: $assets/text.txt: " "$work/stderr" ||
    fail "a text as logo ($out): the message is not one line naming the file: $(cat "$work/stderr")"
  [ ! -e "$work/bad" ] || fail "a text as logo ($out): a file was written"
done

"$pack" --out "$work/my-intro" "${named[@]}" 2>"$work/stderr" || fail "corvane-pack failed"
[ "$(stat -c %a "$work/my-intro")" = 755 ] || fail "the packed intro has mode $(stat -c %a "$work/my-intro")"
cp "$work/my-intro" "$ran/" || fail "cannot copy the packed intro"

# Copies cut short, grown and with one bit changed still start (here without
# a display, so they end at once with code 1): the cut and grown ones as the
# intro alone, without a word about their pack; the changed one says in one
# line that its pack is damaged.
size=$(stat -c %s "$work/my-intro")
head -c $(( size - 1 )) "$work/my-intro" >"$work/cut"
{ cat "$work/my-intro"; printf 'more'; } >"$work/grown"
cp "$work/my-intro" "$work/flipped"
printf '\x01' | dd of="$work/flipped" bs=1 seek=$(( size - 300 )) conv=notrunc 2>/dev/null
for copy in cut grown flipped; do
  chmod 755 "$work/$copy"
  env -u DISPLAY -u WAYLAND_DISPLAY "$work/$copy" 2>"$work/stderr"
  code=$?
  [ "$code" = 1 ] && grep -q '^corvane: no display could be opened' "$work/stderr" ||
    fail "the $copy copy ended with code $code: $(cat "$work/stderr")"
  damaged=$(grep -c 'packed assets are damaged' "$work/stderr")
  [ "$damaged" = "$([ $copy = flipped ] && echo 1 || echo 0)" ] || fail "the $copy copy said: $(cat "$work/stderr")"
done

start_x "${screen_w}x${screen_h}x24"
launched=$(( $(date +%s%N) / 1000000 ))
(cd "$ran" && exec env XDG_RUNTIME_DIR="$runtime" TMPDIR="$tmp" SDL_AUDIODRIVER=disk SDL_DISKAUDIOFILE="$sound" \
   ./my-intro) 2>"$work/stderr" &
intro_pid=$!; pids+=($intro_pid)
win=$(wait_window "Corvane") || fail "no window captioned Corvane"
[ -z "$(find_window Warnung)" ] || fail "a box is shown: the packed text was not used"

# The picture area taken back to 320 x 240: $work/picture.png.
unscale() {
  convert "$work/shot.png" -crop "${pic_w}x${pic_h}+${pic_x}+${pic_y}" +repage -sample 320x240 "$work/picture.png" ||
    fail "convert failed"
}
# Pixels of a part of the picture where one channel stands out: "red", "blue"
# or "green" above the other two by 60 or more (a share of the part).
share_of() {
  local fx
  case $1 in
    red) fx='r - max(g, b) > 60/255' ;; green) fx='g - max(r, b) > 60/255' ;; blue) fx='b - max(r, g) > 60/255' ;;
  esac
  convert "$work/picture.png" -crop "$4x$5+$2+$3" +repage -fx "$fx ? 1 : 0" -format "%[fx:mean]" info:
}
# The packed logo (red at the top, blue lower down) and green letters in the
# text band; nothing of our grey logo.
packed_picture_shown() {
  kill -0 "$intro_pid" 2>/dev/null || fail "the intro ended: $(cat "$work/stderr")"
  shoot
  shot_at=$(( $(date +%s%N) / 1000000 ))
  unscale
  local red blue green
  red=$(share_of red 0 0 320 30) blue=$(share_of blue 0 200 320 40) green=$(share_of green 17 134 290 34)
  awk -v r="$red" -v b="$blue" -v g="$green" 'BEGIN { exit !(r > 0.9 && b > 0.9 && g > 0.2) }' ||
    { why="not the packed logo and font: red at the top $red, blue at the bottom $blue, green letters $green"; return 1; }
}
wait_for 20 packed_picture_shown || fail "$why"
cp "$work/picture.png" "$work/shown.png"

# The sound: at least two seconds of it, then Escape.
sound_for() { [ -e "$sound" ] && (( $(stat -c %s "$sound") >= $1 * 44100 * 4 )); }
wait_for 20 sound_for 2 || fail "less than 2 s of sound"
xdotool key --window "$win" Escape 2>/dev/null
for _ in $(seq 1000); do kill -0 "$intro_pid" 2>/dev/null || break; sleep 0.01; done
kill -0 "$intro_pid" 2>/dev/null && fail "still running 10 s after Escape"
wait "$intro_pid"; code=$?
[ "$code" = 0 ] || fail "exit code $code after Escape"
[ -z "$(grep -v -e '^ALSA' -e '^CRITICAL' "$work/stderr")" ] || fail "the intro said: $(cat "$work/stderr")"
[ "$(ls -A "$ran")" = my-intro ] || fail "left in the directory it ran in: $(ls -A "$ran" | tr '\n' ' ')"
[ -z "$(ls -A "$runtime")" ] || fail "left in the runtime directory: $(ls -A "$runtime" | tr '\n' ' ')"
[ -z "$(ls -A "$tmp")" ] || fail "left in the temporary directory: $(ls -A "$tmp" | tr '\n' ' ')"
music=$("$check" "$assets/tune.mod" "$sound" 0) || fail "the packed music: $music"

# The frames the capture tool writes with the same assets as options: one of
# them is what the screen showed. The timer ticks at most once every 16 ms,
# so by the screenshot at most (time since launch) / 16 frames had passed.
last=$(( (shot_at - launched) / 16 + 2 ))
"$capture" --frames "101:$last" --out "$work/frames" "${named[@]}" 2>"$work/capture.log" ||
  fail "corvane-capture failed: $(tail -3 "$work/capture.log")"
# The largest channel difference to each frame, in frame order; 16-bit
# colours read back from the screen may be off by their rounding.
mapfile -t differences < <(convert "$work/frames"/frame-*.png null: "$work/shown.png" -compose difference \
                             -layers composite -format "%[fx:maxima*255]\n" info:)
best=-1 best_diff=999
for i in "${!differences[@]}"; do
  d=${differences[i]%.*}
  (( d < best_diff )) && best_diff=$d best=$(( 101 + i ))
done
(( best_diff <= 8 )) || fail "the screen matches none of the captured frames 101-$last (closest: frame $best, off by $best_diff)"
echo "PASS: packed intro run alone: no box, the screen is captured frame $best (off by at most $best_diff)," \
     "nothing left behind; music: $music"
