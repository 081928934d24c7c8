# Shared by the end-to-end scripts: a scratch folder, processes ended at
# exit, a real X server with a window manager, finding windows by name and
# screenshots. Sourcing it makes `work` (the scratch folder, removed at exit)
# and the array `pids` (killed at exit); a script may define its own `fail`
# before or after.
work=$(mktemp -d)
pids=()
# The program's private directory is the test's own, so that tests running
# at the same time (or a build's and another build's) never share payload.
export XDG_RUNTIME_DIR=$work/runtime-dir
mkdir -m 700 "$XDG_RUNTIME_DIR"
# Whether a process is there and not a zombie.
running() { local state; state=$(ps -o stat= -p "$1" 2>/dev/null) && [ "${state#Z}" = "$state" ]; }
# The latest started first, so that a program ends while its X server is
# still there (one that loses its display first may never end); a process
# that has not ended a second after being asked is killed.
cleanup() {
  local i p
  for (( i = ${#pids[@]} - 1; i >= 0; i-- )); do
    p=${pids[i]}
    kill "$p" 2>/dev/null || continue
    for _ in $(seq 20); do running "$p" || break; sleep 0.05; done
    kill -9 "$p" 2>/dev/null
  done
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

# Starts an X server (the command; -displayfd is added, so the server takes
# a free display number itself and names it once it listens) and sets
# DISPLAY once the server answers. The server must be told -noreset: it
# otherwise starts over whenever its last client leaves, and a client that
# connects just then (the window manager after a first look at the screen)
# is turned away.
launch_x() {
  : >"$work/display"
  "$@" -displayfd 3 3>"$work/display" >"$work/xserver.log" 2>&1 &
  xserver_pid=$!
  pids+=($xserver_pid)
  for _ in $(seq 200); do
    if [ -s "$work/display" ]; then
      export DISPLAY=:$(head -n1 "$work/display")
      wait_for 10 answers || fail "the X server on $DISPLAY does not answer: $(tail -5 "$work/xserver.log")"
      return 0
    fi
    kill -0 "$xserver_pid" 2>/dev/null || break
    sleep 0.05
  done
  return 1
}

answers() { xdpyinfo >/dev/null 2>&1; }

start_x() {
  launch_x Xvfb -screen 0 "${1:-1280x1024x24}" -nolisten tcp -noreset || fail "Xvfb did not start"
  openbox --sm-disable >"$work/openbox.log" 2>&1 & pids+=($!)
  # The window manager is ready once it has claimed the screen.
  wait_for 10 window_manager_running || fail "openbox did not start on $DISPLAY: $(grep -v menu "$work/openbox.log" | head -3); X server $(kill -0 $xserver_pid 2>/dev/null && echo running || echo gone): $(tail -5 "$work/xserver.log")"
}
window_manager_running() { xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q 'window id'; }

# A real X server with two monitors side by side: LEFT (WxH) at the
# desktop's top-left and, right of it, PRIMARY (WxH), the one programs open
# on, as a laptop panel right of an external screen. Xvfb's heads all stand
# at (0, 0), so this is Xorg with the dummy video driver, its outputs placed
# through RandR. Both sizes must be among the driver's modes (1024x768,
# 1280x1024, ...). Without Xorg or the driver the script is skipped (77).
start_x_two_heads() {
  local left=$1 primary=$2
  if ! command -v Xorg >/dev/null || ! command -v xrandr >/dev/null ||
     [ ! -e /usr/lib/xorg/modules/drivers/dummy_drv.so ]; then
    echo "SKIP: needs Xorg, its dummy video driver and xrandr"
    exit 77
  fi
  cat >"$work/xorg.conf" <<'CONF'
Section "Device"
  Identifier "dummy"
  Driver "dummy"
  VideoRam 256000
EndSection
Section "Monitor"
  Identifier "monitor"
  HorizSync 5.0-1000.0
  VertRefresh 5.0-200.0
EndSection
Section "Screen"
  Identifier "screen"
  Device "dummy"
  Monitor "monitor"
  DefaultDepth 24
  SubSection "Display"
    Depth 24
    Virtual 4096 2048
  EndSubSection
EndSection
CONF
  launch_x Xorg -noreset -nolisten tcp -config "$work/xorg.conf" -logfile "$work/xorg.log" ||
    fail "Xorg did not start: $(tail -5 "$work/xorg.log" 2>/dev/null)"
  xrandr --addmode DUMMY1 "$left" &&
    xrandr --output DUMMY1 --mode "$left" --pos 0x0 \
           --output DUMMY0 --mode "$primary" --pos "${left%x*}x0" --primary ||
    fail "cannot place the two heads"
  # The monitors as "WxH+X+Y NAME;" each, the primary first.
  heads() { xrandr --listmonitors | awk 'NR > 1 { print $3, $4 }' | sed 's|/[0-9]*||g' | tr '\n' ';'; }
  local want="$primary+${left%x*}+0 DUMMY0;$left+0+0 DUMMY1;"
  for _ in $(seq 100); do [ "$(heads)" = "$want" ] && break; sleep 0.05; done
  [ "$(heads)" = "$want" ] || fail "the heads are '$(heads)', not '$want'"
  openbox --sm-disable >"$work/openbox.log" 2>&1 & pids+=($!)
  wait_for 10 window_manager_running || fail "openbox did not start on $DISPLAY: $(grep -v menu "$work/openbox.log" | head -3)"
}

# A top-level window by its exact name; prints its id.
find_window() {
  xwininfo -root -tree 2>/dev/null | awk -v name="\"$1\":" '$2 == name { print $1; exit }'
}

# Answers the box with Return as a person would: once it is shown and has
# the keyboard focus, a real key press (not one sent to the window, which
# the box can miss while it is still being set up). box_gone waits until it
# has taken it.
press_return() {
  # The window manager maps it; on a crowded machine that can take a while.
  wait_for 30 viewable "$1" || fail "the box $1 is not shown"
  timeout 10 xdotool windowactivate --sync "$1" key Return 2>/dev/null
}
box_gone() { wait_for 10 gone "$1" || fail "the box $1 did not take Return"; }
viewable() { xwininfo -id "$1" 2>/dev/null | grep -q 'IsViewable'; }
gone() { ! xwininfo -id "$1" >/dev/null 2>&1 || ! viewable "$1"; }

# Starts the intro ($intro) in the scratch folder, where it finds no text
# file, answers its start-up box and waits for its window: sets intro_pid,
# answered (in ms) and win.
start_intro_and_answer() {
  cd "$work" || fail "no scratch folder"
  "$intro" 2>"$work/stderr" & intro_pid=$!; pids+=($intro_pid)
  box=$(wait_window "Warnung") || fail "no box captioned Warnung"
  press_return "$box"
  answered=$(( $(date +%s%N) / 1000000 ))
  box_gone "$box"
  win=$(wait_window "Corvane") || fail "no window captioned Corvane"
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
