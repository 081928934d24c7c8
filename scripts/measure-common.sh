# Shared by the measuring scripts that run the intro on an X server of their
# own: sourced after `root` is set. Sets `build` and a scratch `work`
# directory, builds the intro if needed, and on exit ends every process
# whose id was added to `pids` and removes `work`.
build=${CORVANE_BUILD_DIR:-$root/build}
[ -x "$build/corvane" ] || cmake --build "$build" --target corvane >/dev/null
work=$(mktemp -d)
pids=()
cleanup() {
  for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null || true; done
  rm -rf "$work"
}
trap cleanup EXIT
