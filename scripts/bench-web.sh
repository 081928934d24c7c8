#!/usr/bin/env bash
# The web page's cost of one intro frame in headless chromium against the
# native build's, as a ratio (wall time per frame; scripts/build-web.sh
# builds the site first). Prints both times and the ratio.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${CORVANE_BUILD_DIR:-$root/build}
site=${CORVANE_WEB_BUILD_DIR:-$root/build-web}/site
[ -f "$site/index.html" ] || { echo "No site in $site: run scripts/build-web.sh first." >&2; exit 1; }

cmake -S "$root" -B "$build" -DCORVANE_BENCH=ON >/dev/null
cmake --build "$build" --target corvane_frame_bench
native=$("$build/bench/web/corvane_frame_bench" --benchmark_format=json |
         python3 -c 'import json, sys; print(json.load(sys.stdin)["benchmarks"][0]["real_time"])')

# The page's side runs with the browser tests' npm package.
npm=$build/bench/web/npm
mkdir -p "$npm"
cp "$root/tests/web/package.json" "$root/tests/web/package-lock.json" "$root/bench/web/page-frame-cost.mjs" "$npm/"
[ -d "$npm/node_modules/playwright-core" ] ||
  (cd "$npm" && PLAYWRIGHT_SKIP_BROWSER_DOWNLOAD=1 npm ci --no-audit --no-fund --loglevel=error)
port=$(python3 -c 'import socket; s = socket.socket(); s.bind(("127.0.0.1", 0)); print(s.getsockname()[1])')
python3 -m http.server "$port" --bind 127.0.0.1 --directory "$site" >/dev/null 2>&1 &
server=$!
trap 'kill $server' EXIT
until python3 -c "import urllib.request; urllib.request.urlopen('http://127.0.0.1:$port/index.html')" 2>/dev/null; do
  sleep 0.2
done
page=$(node "$npm/page-frame-cost.mjs" "http://127.0.0.1:$port")
python3 -c "import sys; n, p = map(float, sys.argv[1:]); print(f'frame: native {n:.1f} us, page {p:.1f} us, page / native = {p / n:.2f}')" "$native" "$page"
