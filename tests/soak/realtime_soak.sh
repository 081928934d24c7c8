#!/usr/bin/env bash
# The intro in real time, as a user runs it: in an X server with a window
# manager, the music going out through SDL's disk driver (which keeps real
# time) into a file, F1 pressed every 1000 frames (16.67 s) for a number of
# minutes. Checks, after every second F1 (always back in full screen):
#   - the resident size stays within 1% of the first checkpoint, after the
#     first switch and back;
#   - open files and threads stay exactly as many;
# and at the end:
#   - screenshots in the window and in full screen show, pixel for pixel, a
#     frame of the intro's 6030-frame cycle as the capture tool renders it;
#   - Escape ends the intro with code 0 within three seconds, nothing is left
#     in its temporary directory and it said nothing but the start-up warning;
#   - the sound is the module, sample for sample, looping without a gap.
# Not run by ctest (it takes as long as it is told to); docs/robustness.md
# has the figures of the last hour-long run.
#
# usage: realtime_soak.sh BUILD_DIR MINUTES
set -u
build=$(realpath "$1") minutes=$2
intro=$build/corvane capture=$build/corvane-capture
check=$build/tests/music/corvane-audio-check module=$build/assets/Module.MOD
here=$(cd "$(dirname "$0")" && pwd)
screen_w=1280 screen_h=1024
# Full screen: 320 x 240 scaled by 4, centred: bars of 32 rows above and below.
pic_y=32
period_ms=16667  # 1000 frames of 16 2/3 ms

. "$here/../e2e/xserver.sh"
say() { echo "[$(date +%H:%M:%S)] $*"; }

# The intro's cycle in both formats, for comparing the screenshots with.
say "rendering the 6030-frame cycle in both formats"
for format in window full-screen; do
  "$capture" --frames 101:6130 "--$format" --out "$work/cycle-$format" >/dev/null 2>&1 ||
    fail "the capture tool failed"
  (cd "$work/cycle-$format" && identify -format "%# %f\n" frame-*.png) >"$work/cycle-$format.sums" ||
    fail "identify failed"
  rm -rf "$work/cycle-$format"
done

start_x "${screen_w}x${screen_h}x24"
runtime=$work/runtime sound=$work/sound.raw
mkdir -m 700 "$runtime" "$work/cwd"
(cd "$work/cwd" && exec env XDG_RUNTIME_DIR="$runtime" SDL_AUDIODRIVER=disk SDL_DISKAUDIOFILE="$sound" \
   "$intro") 2>"$work/stderr" &
intro_pid=$!; pids+=($intro_pid)
box=$(wait_window "Warnung") || fail "no start-up box"
press_return "$box"
box_gone "$box"
started=$(date +%s%N)
win=$(wait_window "Corvane") || fail "no intro window"

status_field() { awk -v f="$1:" '$1 == f {print $2}' "/proc/$intro_pid/status"; }
# The frame of the cycle that the last screenshot shows (matched by the
# pixels' signature), or nothing.
frame_shown() {  # FORMAT X Y W H
  local sum
  sum=$(convert "$work/shot.png" -crop "$4x$5+$2+$3" +repage -sample 320x240 -format "%#" info:)
  awk -v s="$sum" '$1 == s {sub(/frame-0*/, "", $2); sub(/\.png/, "", $2); print $2; exit}' "$work/cycle-$1.sums"
}
# Three screenshots in a row; each must be a whole frame of the cycle.
expect_frames() {  # FORMAT X Y W H
  local shown=()
  for _ in 1 2 3; do
    shoot
    local frame; frame=$(frame_shown "$@")
    [ -n "$frame" ] || { cp "$work/shot.png" /tmp/corvane-soak-unmatched.png;
                         fail "$1: a screenshot is no frame of the cycle (kept in /tmp/corvane-soak-unmatched.png)"; }
    shown+=("$frame")
    sleep 0.3
  done
  say "$1: screenshots show frames ${shown[*]} of the cycle"
}

toggles=$(( minutes * 60000 / period_ms ))
(( toggles % 2 == 0 )) || toggles=$(( toggles - 1 ))  # end in full screen
printf "%-8s %-9s %-10s %-10s %-10s %-10s %-6s %-7s\n" toggle minute rss_kib anon_kib file_kib shmem_kib files threads
base_rss="" base_fds="" base_threads="" problems=()
for k in $(seq "$toggles"); do
  due=$(( started / 1000000 + k * period_ms ))
  now=$(( $(date +%s%N) / 1000000 ))
  (( due > now )) && sleep "$(awk -v d=$(( due - now )) 'BEGIN {print d / 1000}')"
  kill -0 "$intro_pid" 2>/dev/null || fail "the intro ended by itself"
  xdotool key --window "$win" F1 2>/dev/null
  (( k % 2 == 0 )) || continue
  sleep 2
  rss=$(status_field VmRSS) threads=$(status_field Threads) fds=$(ls "/proc/$intro_pid/fd" | wc -l)
  printf "%-8s %-9s %-10s %-10s %-10s %-10s %-6s %-7s\n" "$k" "$(( (due - started / 1000000) / 60000 ))" "$rss" \
    "$(status_field RssAnon)" "$(status_field RssFile)" "$(status_field RssShmem)" "$fds" "$threads"
  if [ -z "$base_rss" ]; then
    base_rss=$rss base_fds=$fds base_threads=$threads
  else
    # Noted and reported at the end, so that a failing run still shows the whole course.
    (( rss * 100 <= base_rss * 101 && rss * 100 >= base_rss * 99 )) ||
      problems+=("resident size $rss KiB after $k switches, $base_rss KiB at the first checkpoint")
    [ "$fds" = "$base_fds" ] || problems+=("$fds open files after $k switches, $base_fds at the first checkpoint")
    [ "$threads" = "$base_threads" ] || problems+=("$threads threads after $k switches, $base_threads at first")
  fi
  rss_min=$(( rss < ${rss_min:-rss} ? rss : ${rss_min:-rss} )) rss_max=$(( rss > ${rss_max:-0} ? rss : ${rss_max:-0} ))
done

say "resident size from $rss_min to $rss_max KiB over $(( toggles / 2 )) checkpoints"
(( ${#problems[@]} == 0 )) || fail "$(printf '%s\n' "${problems[@]}" | head -5)"

# The last picture, in the window and back in full screen.
xdotool key --window "$win" F1 2>/dev/null
sleep 2
read -r x y <<<"$(xwininfo -id "$win" | awk '/Absolute upper-left X:/ {x=$4} /Absolute upper-left Y:/ {y=$4} END {print x, y}')"
expect_frames window "$x" "$y" 320 240
xdotool key --window "$win" F1 2>/dev/null
sleep 2
expect_frames full-screen 0 "$pic_y" 1280 960

xdotool key --window "$win" Escape 2>/dev/null
for _ in $(seq 300); do kill -0 "$intro_pid" 2>/dev/null || break; sleep 0.01; done
kill -0 "$intro_pid" 2>/dev/null && fail "still running 3 s after Escape"
wait "$intro_pid"; code=$?
ran=$(( ($(date +%s%N) - started) / 1000000000 ))
[ "$code" = 0 ] || fail "exit code $code"
[ -z "$(ls -A "$runtime")" ] || fail "left in the temporary directory: $(ls -A "$runtime")"
# (SDL's disk driver announces itself; that is not the intro speaking.)
[ "$(grep -v '^CRITICAL: ' "$work/stderr")" = "Warnung: No CORVANE textfile found, using standart text." ] ||
  fail "said more than the start-up warning"
say "ran ${ran} s with $(( toggles + 2 )) switches; ended with code 0, nothing left behind"

sound_s=$(( $(stat -c %s "$sound") / 4 / 44100 ))
# The first pass takes 42.7 s, every further one 21.3 s.
loops=$(( sound_s >= 107 ? 3 : 0 ))
result=$("$check" "$module" "$sound" "$loops") || fail "the sound: $result"
say "sound: ${sound_s} s written; $result"
echo "PASS"
