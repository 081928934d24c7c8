#!/usr/bin/env bash
# Serves the web page that scripts/build-web.sh built, on this machine only,
# and prints its address. The port is the first argument (default 8000).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
site=${CORVANE_WEB_BUILD_DIR:-$root/build-web}/site
port=${1:-8000}
if [ ! -f "$site/index.html" ]; then
  echo "No site in $site: run scripts/build-web.sh first." >&2
  exit 1
fi
echo "Corvane: http://127.0.0.1:$port/   (add ?text=NAME for a text file next to the page)"
exec python3 -m http.server "$port" --bind 127.0.0.1 --directory "$site"
