#!/usr/bin/env bash
# Start to the first message box, as a user sees it: the intro is started in
# a directory without its text file on a 1024x768 Xvfb, and the time from
# starting it to its "Warnung" box being mapped is taken from the X server's
# own map event (bench/start/box-watch.c). RUNS starts (default 10), with
# and without a window manager; prints each series and its median.
# Usage: scripts/measure-start.sh [RUNS]   (builds the intro if needed)
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
runs=${1:-10}
# shellcheck source=measure-common.sh
source "$root/scripts/measure-common.sh"
cc -O2 -Wall -o "$work/box-watch" "$root/bench/start/box-watch.c" -lX11
mkdir "$work/empty"

display=:$((90 + RANDOM % 100))
Xvfb "$display" -screen 0 1024x768x24 -nolisten tcp >/dev/null 2>&1 &
pids+=($!)
export DISPLAY=$display
for _ in $(seq 50); do xdpyinfo >/dev/null 2>&1 && break; sleep 0.1; done

series() {
  local name=$1 times=()
  for _ in $(seq "$runs"); do
    times+=("$(cd "$work/empty" && SDL_AUDIODRIVER=dummy "$work/box-watch" Warnung "$build/corvane" 2>/dev/null)")
  done
  printf '%s\n' "${times[@]}" | sort -n | awk -v name="$name" '
    { t[NR] = $1 } END { printf "%-22s median %.1f ms (min %.1f, max %.1f, %d starts)\n", name, t[int((NR + 1) / 2)], t[1], t[NR], NR }'
}
series "no window manager"
openbox --sm-disable >/dev/null 2>&1 &
pids+=($!)
sleep 1
series "openbox"
