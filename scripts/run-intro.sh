#!/usr/bin/env bash
# Builds the intro and runs it in the current directory (where it looks for
# its optional text file corvane.dll).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
"$root/scripts/build.sh"
exec "${CORVANE_BUILD_DIR:-$root/build}/corvane"
