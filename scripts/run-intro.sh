#!/usr/bin/env bash
# Builds the intro and runs it in the current directory (where it looks for
# its optional text file corvane.dll). Without a display it records a short
# capture instead and says where it put it.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
# A build directory of its own, so that the test command's build keeps its
# flags: optimised as that one is (-O2) but without debug information,
# compiled a folder's sources at a time (a unity build: half the compiler's
# work), and only the program this run starts. scripts/run-tests.sh builds
# the tests, benchmarks and the rest into build/.
build=${CORVANE_INTRO_BUILD_DIR:-$root/build-intro}
if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then target=corvane-capture; else target=corvane; fi
"$root/scripts/deps.sh" intro
prefix=$("$root/scripts/dev-files.sh" "$build/dev-files")
configure() {
  cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DCMAKE_CXX_FLAGS_RELEASE="-O2 -DNDEBUG" \
    -DCORVANE_TESTS=OFF -DCORVANE_BENCH=OFF -DCMAKE_PREFIX_PATH="$prefix" "$@" >/dev/null
}
configure -DCMAKE_UNITY_BUILD=ON
if ! cmake --build "$build" --target "$target"; then
  # Two files' private helpers of the same name clash in a unity build only.
  echo "The unity build failed (see above); building file by file instead." >&2
  configure -DCMAKE_UNITY_BUILD=OFF
  cmake --build "$build" --target "$target"
fi
if [ "$target" = corvane-capture ]; then
  out="$PWD/corvane-capture"
  echo "No display here (neither DISPLAY nor WAYLAND_DISPLAY is set): recording frames 101 to 400 instead." >&2
  "$build/corvane-capture" --frames 101:400 --out "$out" --gif
  echo "The frames (frame-000101.png ... frame-000400.png) and the music (music.wav) are in $out/" >&2
  echo "The animation is $out/intro.gif" >&2
  exit 0
fi
exec "$build/corvane"
