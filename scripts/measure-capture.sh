#!/usr/bin/env bash
# Capture speed as a multiple of real time: corvane-capture writes frames
# 101 to 1100 (1000 frames of 16 ms: 16 s of the intro, with its sound) into
# a fresh directory, RUNS times (default 3); each run's time and multiple.
# OUT_BASE (default a temporary directory) says on which file system. The
# runs' files are kept until the end: on an ext4 without a journal, files
# made just after many were deleted cost several times more to create.
# Usage: scripts/measure-capture.sh [RUNS]   (builds the tool if needed)
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${CORVANE_BUILD_DIR:-$root/build}
runs=${1:-3}
[ -x "$build/corvane-capture" ] || cmake --build "$build" --target corvane-capture >/dev/null
work=$(mktemp -d "${OUT_BASE:-${TMPDIR:-/tmp}}/capture-XXXXXX")
trap 'rm -rf "$work"' EXIT
for run in $(seq "$runs"); do
  start=$(date +%s.%N)
  (cd "$work" && "$build/corvane-capture" --frames 101:1100 --out "run-$run" >/dev/null 2>&1)
  end=$(date +%s.%N)
  echo "$start $end $(du -sm "$work/run-$run" | cut -f1)" | awk -v cores="$(nproc)" \
    '{ t = $2 - $1; printf "%.3f s for 16.0 s of intro: %.1fx real time (%d MB, %d cores)\n", t, 16.0 / t, $3, cores }'
done
