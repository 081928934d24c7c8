#!/usr/bin/env bash
# Makes the example glyph sheet and logo of "Make your own intro" (README)
# with ImageMagick and a DejaVu font, the way a user could make their own.
#   docs/own-intro/make-examples.sh     (rewrites the two PNG files beside it)
set -euo pipefail
cd "$(dirname "$0")"
font=DejaVu-Serif-Bold
# The glyph order of the sheet: 15 tiles a row, the last two blank. Each
# glyph is drawn in the middle of its own 17x17 tile on white.
glyphs="ABCDEGFHIJKLMNOPQRSTUVWXYZ1234567890!:.,+-?  "
rows=()
for ((r = 0; r < 3; r++)); do
  row=()
  for ((c = 0; c < 15; c++)); do
    g=${glyphs:r * 15 + c:1}
    row+=(\( -size 17x17 xc:white +antialias -font "$font" -pointsize 13 -fill '#b01818' -gravity center
          -annotate +0+0 "$g" \))
  done
  rows+=(\( "${row[@]}" +append \))
done
convert "${rows[@]}" -append -type Palette PNG8:example-font.png
convert -size 320x246 gradient:'#203060-#000010' +antialias -font "$font" -pointsize 36 -fill '#e0b040' \
  -gravity north -annotate +0+8 'my group' -dither None -colors 32 PNG8:example-logo.png
