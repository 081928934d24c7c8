#!/usr/bin/env bash
# Makes the README's pictures of the running intro with the capture tool:
# docs/art/intro-frame.png (frame 150, the first page at full strength) and
# docs/art/intro.gif (frames 101 to 420: the first page typed, faded and
# replaced by the second), and docs/art/fill-WxH.png: frame 150 as a
# monitor of 1366x768, 1600x900 and 1920x1080 shows it in the fill mode (F2).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${CORVANE_BUILD_DIR:-$root/build}
capture="$build/corvane-capture"
[ -x "$capture" ] || { echo "make-previews: build first ($capture is missing)" >&2; exit 1; }
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
# The preview uses the built-in pages, whatever corvane.dll lies around here.
cd "$work"
"$capture" --frames 101:420 --gif --out "$work/frames"
install -m 0644 "$work/frames/frame-000150.png" "$root/docs/art/intro-frame.png"
install -m 0644 "$work/frames/intro.gif" "$root/docs/art/intro.gif"
for screen in 1366x768 1600x900 1920x1080; do
  "$capture" --frames 150:150 --screen "$screen" --fill --out "$work/$screen"
  install -m 0644 "$work/$screen/frame-000150.png" "$root/docs/art/fill-$screen.png"
done
echo "wrote docs/art/intro-frame.png, docs/art/intro.gif and docs/art/fill-*.png"
