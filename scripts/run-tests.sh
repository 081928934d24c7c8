#!/usr/bin/env bash
# Builds everything and runs every test: unit, integration and end-to-end,
# once in a normal build and once built with AddressSanitizer and
# UndefinedBehaviorSanitizer (leaks inside system libraries are suppressed
# by the reviewed list in tests/lsan.supp).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${CORVANE_BUILD_DIR:-$root/build}
CORVANE_BUILD_DIR=$build "$root/scripts/build.sh"
# The web page, for the browser tests (ctest label "web").
CORVANE_BUILD_DIR=$build "$root/scripts/build-web.sh"
(cd "$build" && ctest --output-on-failure -j"$(nproc)" --timeout 300)

asan=${CORVANE_ASAN_BUILD_DIR:-$root/build-asan}
CORVANE_BUILD_DIR=$asan "$root/scripts/build.sh" -DCORVANE_SANITIZE=ON -DCORVANE_BENCH=OFF
export ASAN_OPTIONS=detect_leaks=1:abort_on_error=0
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
export LSAN_OPTIONS=suppressions=$root/tests/lsan.supp:print_suppressions=0
(cd "$asan" && ctest --output-on-failure -j"$(nproc)" --timeout 600)
