#!/usr/bin/env bash
# Draws the three sample logos (a 1-bit, an 8-bit gray and a 24-bit colour
# picture) used by the quick start and the tests. Needs ImageMagick; the
# BMP files are committed, so the build does not.
set -euo pipefail
cd "$(dirname "$0")"
font=DejaVu-Sans-Bold

# 1-bit: a shop name in a box, black on white.
convert -size 256x64 xc:white -fill black -stroke black -strokewidth 3 \
  -draw 'fill none rectangle 3,3 252,60' -stroke none -font "$font" -pointsize 30 \
  -gravity center -annotate +0+0 'CORNER SHOP' \
  -monochrome -type bilevel BMP3:mono-shop.bmp

# 8-bit gray: a coffee cup with a gray-scale gradient behind it, with the
# identity gray palette (index i is gray i).
convert -size 200x120 gradient:gray95-gray55 \
  -fill gray15 -draw 'roundrectangle 60,40 120,100 10,10' \
  -fill none -stroke gray15 -strokewidth 7 -draw 'ellipse 125,68 14,14 -90,90' \
  -stroke gray40 -strokewidth 3 -draw 'bezier 75,32 82,20 70,12 78,2' \
  -draw 'bezier 95,32 102,20 90,12 98,2' \
  -stroke none -fill gray10 -font "$font" -pointsize 16 -annotate +140+112 'CAFE' \
  -colorspace Gray -depth 8 gray:- | python3 -c '
import struct, sys
w, h = 200, 120
pixels = sys.stdin.buffer.read()
rows = b"".join(pixels[(h - 1 - y) * w:(h - y) * w] for y in range(h))  # bottom-up, w % 4 == 0
palette = b"".join(bytes((i, i, i, 0)) for i in range(256))
offset = 14 + 40 + len(palette)
header = struct.pack("<2sIHHI", b"BM", offset + len(rows), 0, 0, offset)
info = struct.pack("<IiiHHIIiiII", 40, w, h, 1, 8, 0, len(rows), 2835, 2835, 256, 0)
sys.stdout.buffer.write(header + info + palette + rows)
' > gray-cafe.bmp

# 24-bit colour: a fruit stand sign with coloured fruit.
convert -size 240x96 xc:'#fff8e8' \
  -fill '#d8342c' -draw 'circle 40,36 40,12' \
  -fill '#f2a01e' -draw 'circle 100,38 100,14' \
  -fill '#5aa63c' -draw 'circle 160,36 160,12' \
  -fill '#3b2a1a' -font "$font" -pointsize 18 -gravity south -annotate +0+4 'FRESH FRUIT' \
  -type TrueColor BMP3:colour-fruit.bmp
