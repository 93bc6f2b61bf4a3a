#!/usr/bin/env python3
"""Writes sample-page.bin, a hand-made stream for trying brindle-printer:

    brindle-printer --replay tools/printer/samples/sample-page.bin --out out

It defines two NV images with FS q (a word drawn in a 5 x 7 dot font and a
ruler), prints them in three size modes with FS p, feeds with LF and cuts
with GS V 66 1. The raster bytes run down each column, columns left to
right, most significant bit the top dot, as FS q requires."""
import sys

FONT = {
    'B': ["####.", "#...#", "#...#", "####.", "#...#", "#...#", "####."],
    'R': ["####.", "#...#", "#...#", "####.", "#.#..", "#..#.", "#...#"],
    'I': ["#####", "..#..", "..#..", "..#..", "..#..", "..#..", "#####"],
    'N': ["#...#", "##..#", "#.#.#", "#..##", "#...#", "#...#", "#...#"],
    'D': ["####.", "#...#", "#...#", "#...#", "#...#", "#...#", "####."],
    'L': ["#....", "#....", "#....", "#....", "#....", "#....", "#####"],
    'E': ["#####", "#....", "#....", "####.", "#....", "#....", "#####"],
}


def word(text, scale):
    rows = ["" for _ in range(7)]
    for ch in text:
        for y in range(7):
            rows[y] += FONT[ch][y] + "."
    return [''.join(c * scale for c in row) for row in rows for _ in range(scale)]


def pad(rows, width, height, top=0, left=0):
    out = ["." * width for _ in range(height)]
    for y, row in enumerate(rows):
        line = list(out[top + y])
        line[left:left + len(row)] = row
        out[top + y] = ''.join(line)
    return out


def image_block(rows):
    """x, y in 8-dot units, then the raster in column order."""
    width, height = len(rows[0]), len(rows)
    assert width % 8 == 0 and height % 8 == 0
    data = bytearray()
    for x in range(width):
        for band in range(height // 8):
            byte = 0
            for bit in range(8):
                if rows[band * 8 + bit][x] == '#':
                    byte |= 0x80 >> bit
            data.append(byte)
    x, y = width // 8, height // 8
    return bytes([x & 0xFF, x >> 8, y & 0xFF, y >> 8]) + bytes(data)


logo = pad(word("BRINDLE", 3), 128, 32, top=5, left=2)
ruler = pad(["#" * 128] + [("#" + "." * 7) * 16] * 3 + [("#" + "." * 15) * 8] * 2, 128, 8)

stream = bytes([0x1B, 0x40, 0x1C, 0x71, 0x02]) + image_block(logo) + image_block(ruler)
stream += bytes([0x1C, 0x70, 0x01, 0x30, 0x0A])        # logo, normal size
stream += bytes([0x1C, 0x70, 0x02, 0x31, 0x0A])        # ruler, double width
stream += bytes([0x1C, 0x70, 0x01, 0x33])              # logo, double width and height
stream += bytes([0x1C, 0x70, 0x02, 0x31])              # ruler, double width
stream += bytes([0x1D, 0x56, 0x42, 0x01])              # cut

out = sys.argv[1] if len(sys.argv) > 1 else "sample-page.bin"
with open(out, "wb") as f:
    f.write(stream)
