#!/usr/bin/env bash
# Builds the intro and runs it in the current directory (where it looks for
# its optional text file corvane.dll). Without a display it records a short
# capture instead and says where it put it.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
# A build directory of its own, so that the test command's build keeps its
# flags: an optimised build without debug information, compiled a folder's
# sources at a time (a unity build: a third of the compiler's work), and
# only the program this run starts. scripts/run-tests.sh builds the tests,
# benchmarks and the rest into build/.
build=${CORVANE_INTRO_BUILD_DIR:-$root/build-intro}
if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then target=corvane-capture; else target=corvane; fi
"$root/scripts/deps.sh" intro
prefix=$("$root/scripts/dev-files.sh" "$build/dev-files")
cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DCMAKE_UNITY_BUILD=ON \
  -DCORVANE_TESTS=OFF -DCORVANE_BENCH=OFF -DCMAKE_PREFIX_PATH="$prefix" >/dev/null
cmake --build "$build" --target "$target"
if [ "$target" = corvane-capture ]; then
  out="$PWD/corvane-capture"
  echo "No display here (neither DISPLAY nor WAYLAND_DISPLAY is set): recording frames 101 to 400 instead." >&2
  "$build/corvane-capture" --frames 101:400 --out "$out" --gif
  echo "The frames (frame-000101.png ... frame-000400.png) and the music (music.wav) are in $out/" >&2
  echo "The animation is $out/intro.gif" >&2
  exit 0
fi
exec "$build/corvane"
