#!/usr/bin/env bash
# The first run as a new user makes it: a fresh clone of this repository, then
# scripts/run-intro.sh without a display, timed until the capture is written.
# The packages must already be installed here; what installing them costs on
# a fresh Debian 12 is estimated from the archive's own figures: how many
# packages and megabytes the intro's build needs beyond a minimal system.
# Usage: scripts/measure-first-run.sh [REPOSITORY (default: this one)]
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
source=${1:-$root}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

start=$(date +%s.%N)
git clone -q --no-hardlinks "$source" "$work/corvane"
cloned=$(date +%s.%N)
(cd "$work" && env -u DISPLAY -u WAYLAND_DISPLAY CORVANE_BUILD_DIR="$work/corvane/build" \
  "$work/corvane/scripts/run-intro.sh" >"$work/run.log" 2>&1) || { cat "$work/run.log"; exit 1; }
done_at=$(date +%s.%N)
test -s "$work/corvane-capture/frame-000400.png"
printf 'clone %.1f s, build and capture %.1f s, in all %.1f s (%s build steps, %s cores)\n' \
  "$(echo "$cloned - $start" | bc)" "$(echo "$done_at - $cloned" | bc)" "$(echo "$done_at - $start" | bc)" \
  "$(($(wc -l <"$work/corvane/build/.ninja_log") - 1))" "$(nproc)"

# The packages: the closure of what deps.sh installs for the intro, less
# those every Debian system has (priority required or important).
mapfile -t wanted < <(sed -n '/^packages=(/,/^)/p' "$root/scripts/deps.sh" | grep -v '[()]' | tr ' ' '\n' | grep .)
mapfile -t closure < <(apt-cache depends --recurse --no-recommends --no-suggests --no-conflicts --no-breaks \
  --no-replaces --no-enhances "${wanted[@]}" | grep -v '^ ' | grep -v '^<' | sort -u)
apt-cache show --no-all-versions "${closure[@]}" 2>/dev/null | awk '
  /^Package:/ {p=$2} /^Priority:/ {pr=$2} /^Size:/ {s=$2} /^Installed-Size:/ {i=$2}
  /^$/ { if (p != "" && pr != "required" && pr != "important") { n++; size += s; inst += i } p="" }
  END { printf "packages beyond a minimal system: %d, download %.0f MB, installed %.0f MB\n", n, size/1e6, inst/1e3 }'
