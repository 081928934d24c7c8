# Shared by the end-to-end scripts: a scratch folder, processes ended at
# exit, a real X server with a window manager, finding windows by name and
# screenshots. Sourcing it makes `work` (the scratch folder, removed at exit)
# and the array `pids` (killed at exit); a script may define its own `fail`
# before or after.
work=$(mktemp -d)
pids=()
cleanup() {
  for p in "${pids[@]}"; do kill "$p" 2>/dev/null; done
  wait 2>/dev/null
  rm -rf "$work"
}
trap cleanup EXIT
# The program under test writes its stderr to $work/stderr; a failure shows it.
declare -F fail >/dev/null || fail() {
  echo "FAIL: $*"
  [ -s "$work/stderr" ] && grep -v '^ALSA' "$work/stderr" | head -40
  exit 1
}

# Xvfb picks a free display itself and names it on fd 3 once it is ready.
start_x() {
  Xvfb -displayfd 3 -screen 0 "${1:-1280x1024x24}" -nolisten tcp 3>"$work/display" >/dev/null 2>&1 &
  xserver_pid=$!; pids+=($xserver_pid)
  for _ in $(seq 100); do [ -s "$work/display" ] && break; sleep 0.05; done
  [ -s "$work/display" ] || fail "Xvfb did not start"
  export DISPLAY=:$(head -n1 "$work/display")
  openbox --sm-disable >/dev/null 2>&1 & pids+=($!)
  # The window manager is ready once it has claimed the screen.
  wait_for 10 window_manager_running || fail "openbox did not start"
}
window_manager_running() { xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q 'window id'; }

# A top-level window by its exact name; prints its id.
find_window() {
  xwininfo -root -tree 2>/dev/null | awk -v name="\"$1\":" '$2 == name { print $1; exit }'
}

# Waits up to ten seconds for the window; prints its id.
wait_window() {
  local id=""
  for _ in $(seq 100); do
    id=$(find_window "$1"); [ -n "$id" ] && { echo "$id"; return 0; }
    sleep 0.1
  done
  return 1
}

# wait_for SECONDS CHECK [ARGS...]: runs the check until it succeeds or the
# time is up; gives the check's last answer. A check that fails says why in
# the variable `why`. What a test checks is waited for this way, never slept
# for: on a busy machine every step may take longer.
wait_for() {
  local until=$(( $(date +%s%N) / 1000000 + $1 * 1000 ))
  shift
  why=""
  while ! "$@"; do
    (( $(date +%s%N) / 1000000 >= until )) && return 1
    sleep 0.1
  done
}

# Screenshot of the whole screen: $work/shot.png and raw RGB bytes in
# $work/shot.rgb.
shoot() {
  import -window root "$work/shot.png" 2>/dev/null || fail "import failed"
  convert "$work/shot.png" -depth 8 "rgb:$work/shot.rgb" || fail "convert failed"
}
