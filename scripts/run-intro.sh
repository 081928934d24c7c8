#!/usr/bin/env bash
# Builds the intro and runs it in the current directory (where it looks for
# its optional text file corvane.dll). Without a display it records a short
# capture instead and says where it put it.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${CORVANE_BUILD_DIR:-$root/build}
# Only the program this run starts, and only the packages it needs to build;
# scripts/run-tests.sh builds the tests, benchmarks and the rest.
if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then target=corvane-capture; else target=corvane; fi
CORVANE_DEPS=intro CORVANE_TARGETS=$target "$root/scripts/build.sh" -DCORVANE_TESTS=OFF -DCORVANE_BENCH=OFF
if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
  out="$PWD/corvane-capture"
  echo "No display here (neither DISPLAY nor WAYLAND_DISPLAY is set): recording frames 101 to 400 instead." >&2
  "$build/corvane-capture" --frames 101:400 --out "$out" --gif
  echo "The frames (frame-000101.png ... frame-000400.png) and the music (music.wav) are in $out/" >&2
  echo "The animation is $out/intro.gif" >&2
  exit 0
fi
exec "$build/corvane"
