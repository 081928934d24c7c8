#!/usr/bin/env bash
# Configures and builds into build/ (or $CORVANE_BUILD_DIR), with extra CMake
# options as arguments. Everything is built, tests and benchmarks too, unless
# CORVANE_TARGETS names the targets to build. (The intro's first run builds
# on its own: scripts/run-intro.sh.)
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${CORVANE_BUILD_DIR:-$root/build}
"$root/scripts/deps.sh"
# The tests are switched on again explicitly: a build directory that the
# intro's first run configured without them must not make a test run empty.
cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCORVANE_TESTS=ON -DCORVANE_BENCH=ON \
  "$@" >/dev/null
# shellcheck disable=SC2086  # a list of target names
cmake --build "$build" ${CORVANE_TARGETS:+--target $CORVANE_TARGETS}
