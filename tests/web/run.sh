#!/usr/bin/env bash
# Runs the browser tests: installs their npm package (playwright-core, which
# drives Debian's chromium; it downloads no browser) into a folder of the
# build tree and runs them from there.
#   run.sh SITE_DIR CAPTURE_TOOL PACK_TOOL MODGEN NPM_DIR
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
site=$1 capture=$2 pack=$3 modgen=$4 modules=$5
mkdir -p "$modules"
cp "$here/package.json" "$here/package-lock.json" "$here/browser.test.mjs" "$modules/"
if ! cmp -s "$here/package-lock.json" "$modules/node_modules/.corvane-lock"; then
  (cd "$modules" && PLAYWRIGHT_SKIP_BROWSER_DOWNLOAD=1 npm ci --no-audit --no-fund --loglevel=error)
  cp "$here/package-lock.json" "$modules/node_modules/.corvane-lock"
fi
exec node "$modules/browser.test.mjs" "$site" "$capture" "$pack" "$modgen"
