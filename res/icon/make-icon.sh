#!/usr/bin/env bash
# Draws the window icon: a receipt printer with a receipt coming out of it.
# Needs ImageMagick; the result (icon.png) is committed, so the build does not.
set -euo pipefail
cd "$(dirname "$0")"
convert -size 64x64 xc:none \
  -fill '#f4f1ea' -stroke '#5b4a3a' -strokewidth 2 -draw 'path "M18,6 L46,6 L46,34 L18,34 Z"' \
  -stroke '#8a7a6a' -strokewidth 2 -draw 'line 23,13 41,13' -draw 'line 23,19 37,19' \
  -draw 'line 23,25 39,25' \
  -fill '#c46a2b' -stroke '#5b4a3a' -strokewidth 2 -draw 'roundrectangle 5,30 59,56 6,6' \
  -fill '#2f2925' -stroke none -draw 'rectangle 14,33 50,37' \
  -fill '#f4f1ea' -draw 'rectangle 18,34 46,36' \
  -fill '#6fbf4a' -draw 'circle 50,47 53,47' \
  -fill '#2f2925' -draw 'rectangle 5,56 59,59' \
  icon.png
