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
convert -define png:exclude-chunks=date,time "${rows[@]}" -append -type Palette PNG8:example-font.png
convert -define png:exclude-chunks=date,time -size 320x246 gradient:'#203060-#000010' +antialias -font "$font" -pointsize 36 -fill '#e0b040' \
  -gravity north -annotate +0+8 'my group' -dither None -colors 32 PNG8:example-logo.png
# The layout picture: the sheet three times as large, with the tiles' edges.
grid=()
for ((x = 0; x <= 15; x++)); do grid+=(-draw "line $((x * 51)),0 $((x * 51)),153"); done
for ((y = 0; y <= 3; y++)); do grid+=(-draw "line 0,$((y * 51)) 765,$((y * 51))"); done
convert -define png:exclude-chunks=date,time example-font.png -filter point -resize 300% -bordercolor white -border 0x0 -fill none -stroke '#3070ff' \
  "${grid[@]}" sheet-layout.png
