#!/usr/bin/env bash
# Builds the libFuzzer targets with clang and runs one of them.
#   scripts/fuzz.sh TARGET [SECONDS]   e.g. scripts/fuzz.sh fuzz_dib_data 300
# Targets: fuzz_dib_data fuzz_bitmap_file fuzz_picture_data fuzz_page_text fuzz_form_text
# fuzz_player_module fuzz_png_picture fuzz_packed_assets.
# New inputs go to build-fuzz/corpus/TARGET; the seeds in tests/fuzz/corpus stay as they are.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
target=${1:?usage: scripts/fuzz.sh TARGET [SECONDS]}
seconds=${2:-60}
build=$root/build-fuzz
"$root/scripts/deps.sh"
command -v clang++ >/dev/null || { apt-get install -y -qq clang >/dev/null; }
CC=clang CXX=clang++ cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DCORVANE_FUZZ=ON -DCORVANE_BENCH=OFF >/dev/null
cmake --build "$build" --target "$target"
seeds=${target#fuzz_}
mkdir -p "$build/corpus/$target"
cd "$build"
"./tests/fuzz/$target" -max_total_time="$seconds" -print_final_stats=1 -rss_limit_mb=4096 \
  "$build/corpus/$target" "$root/tests/fuzz/corpus/$seeds"
