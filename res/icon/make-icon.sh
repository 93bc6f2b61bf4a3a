#!/usr/bin/env bash
# Draws the window icon: a receipt printer with a receipt coming out of it.
# icon.png (64 x 64) is the one built into the program; hicolor/ holds the
# sizes a desktop menu uses (16 to 256), drawn at 256 and scaled down.
# Needs ImageMagick; the results are committed, so the build does not.
set -euo pipefail
cd "$(dirname "$0")"

# draw SCALE OUT: the 64-unit drawing at SCALE times its size.
draw() {
  local s=$1
  convert -size $((64 * s))x$((64 * s)) xc:none -affine "$s,0,0,$s,0,0" \
    -fill '#f4f1ea' -stroke '#5b4a3a' -strokewidth 2 -draw 'path "M18,6 L46,6 L46,34 L18,34 Z"' \
    -stroke '#8a7a6a' -strokewidth 2 -draw 'line 23,13 41,13' -draw 'line 23,19 37,19' \
    -draw 'line 23,25 39,25' \
    -fill '#c46a2b' -stroke '#5b4a3a' -strokewidth 2 -draw 'roundrectangle 5,30 59,56 6,6' \
    -fill '#2f2925' -stroke none -draw 'rectangle 14,33 50,37' \
    -fill '#f4f1ea' -draw 'rectangle 18,34 46,36' \
    -fill '#6fbf4a' -draw 'circle 50,47 53,47' \
    -fill '#2f2925' -draw 'rectangle 5,56 59,59' \
    "$2"
}

draw 1 icon.png
mkdir -p hicolor
draw 4 hicolor/256.png
for size in 16 32 48 64 128; do
  convert hicolor/256.png -resize "${size}x${size}" -strip -depth 8 hicolor/$size.png
done
convert hicolor/256.png -strip -depth 8 hicolor/256.png
