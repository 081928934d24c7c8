#!/usr/bin/env bash
# The running intro on a 1024x768 Xvfb with a window manager: its CPU share
# (all threads, from /proc/PID/stat) and the frames it presents, counted, over
# SECONDS (default 60) in full screen and then as long in the window (after
# F1). A frame is "dropped" when two presents are 32 ms or more apart: a
# whole 16 ms tick went by without a picture.
# Usage: scripts/measure-frames.sh [SECONDS]   (builds the intro if needed)
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
seconds=${1:-60}
# shellcheck source=measure-common.sh
source "$root/scripts/measure-common.sh"
cc -O2 -shared -fPIC -o "$work/count-presents.so" "$root/bench/frames/count-presents.c" -ldl

display=:$((90 + RANDOM % 100))
Xvfb "$display" -screen 0 1024x768x24 -nolisten tcp >/dev/null 2>&1 &
pids+=($!)
export DISPLAY=$display
for _ in $(seq 50); do xdpyinfo >/dev/null 2>&1 && break; sleep 0.1; done
openbox --sm-disable >/dev/null 2>&1 &
pids+=($!)
sleep 1

# A text file of its own, so that no message box waits for an answer.
printf 'CVNTYPER\r\n1\r\n"  measuring     "\r\n"   the frames    "\r\n" "\r\n" "\r\n" "\r\n" "\r\n' >"$work/corvane.dll"
(cd "$work" && SDL_AUDIODRIVER=${SDL_AUDIODRIVER:-dummy} PRESENT_LOG="$work/presents" \
  LD_PRELOAD="$work/count-presents.so" exec "$build/corvane") &
intro=$!
pids+=("$intro")
cpu() { awk '{print $14 + $15}' "/proc/$intro/stat"; }
hz=$(getconf CLK_TCK)

# Measures one stretch; prints its CPU share and notes its start and end.
stretch() {
  local name=$1 t0 t1 c0 c1
  t0=$(date +%s.%N); c0=$(cpu)
  sleep "$seconds"
  t1=$(date +%s.%N); c1=$(cpu)
  echo "$name $t0 $t1 $(echo "scale=1; 100 * ($c1 - $c0) / $hz / ($t1 - $t0)" | bc)" >>"$work/stretches"
}
sleep 5  # past frame 101, where the intro begins to draw
stretch full-screen
xdotool key F1
sleep 3
stretch window
kill -TERM "$intro"
wait "$intro" || true

python3 - "$work/presents" "$work/stretches" <<'PY'
import sys
stamps = [float(line) for line in open(sys.argv[1])]
for line in open(sys.argv[2]):
    name, t0, t1, share = line.split()
    t0, t1 = float(t0), float(t1)
    inside = [t for t in stamps if t0 <= t < t1]
    gaps = [b - a for a, b in zip(inside, inside[1:])]
    dropped = sum(1 for g in gaps if g >= 0.032)
    print(f"{name:12s} CPU {share:>5s} % of one core, {len(inside)} frames in {t1 - t0:.1f} s = "
          f"{len(inside) / (t1 - t0):.2f}/s, longest gap {max(gaps) * 1000:.1f} ms, dropped {dropped}")
PY
