#!/usr/bin/env python3
"""Draws Brindle's start-up picture (bitmap 134) and writes it as a 24-bit BMP.

The picture is a receipt printer with a receipt coming out of its slot, and
beside it a torn-off tractor-feed ticket that carries the name "Brindle" in
round printer dots. Everything outside the printer and the paper, and the
sprocket holes of the ticket, is the key colour magenta (255, 0, 255), which
the splash window cuts out of its outline.

Shapes are drawn three times oversized and reduced with a coverage rule: an
output pixel is key-coloured when fewer than half of its nine samples are
covered, otherwise it is the mean of its covered samples only. So the inside
is smoothed while the outline never blends with magenta (no pink fringe).

Usage: make_splash.py [output.bmp]   (default: splash134.bmp beside this file)
Needs only the Python standard library.
"""
import math
import os
import struct
import sys

WIDTH, HEIGHT = 644, 213
SS = 3  # samples per pixel along each axis
KEY = None  # an uncovered sample

PAPER = (251, 250, 244)
PAPER_SHADE = (229, 227, 218)
INK = (30, 32, 38)
INK_SOFT = (128, 131, 140)
BODY = (47, 52, 64)
BODY_TOP = (66, 73, 88)
SLOT = (18, 20, 26)
LED = (61, 220, 132)
BUTTON = (150, 156, 168)
ACCENT = (214, 64, 52)


class Canvas:
    def __init__(self):
        self.w, self.h = WIDTH * SS, HEIGHT * SS
        self.px = [KEY] * (self.w * self.h)

    def fill(self, box, inside, colour):
        """Paints every sample in box (pixel units) whose centre passes inside(x, y)."""
        x0, y0, x1, y1 = box
        sx0, sy0 = max(0, int(x0 * SS)), max(0, int(y0 * SS))
        sx1, sy1 = min(self.w, int(math.ceil(x1 * SS))), min(self.h, int(math.ceil(y1 * SS)))
        for sy in range(sy0, sy1):
            y = (sy + 0.5) / SS
            row = sy * self.w
            for sx in range(sx0, sx1):
                x = (sx + 0.5) / SS
                if inside(x, y):
                    self.px[row + sx] = colour

    def rect(self, x0, y0, x1, y1, colour):
        self.fill((x0, y0, x1, y1), lambda x, y: True, colour)

    def round_rect(self, x0, y0, x1, y1, r, colour):
        def inside(x, y):
            cx = min(max(x, x0 + r), x1 - r)
            cy = min(max(y, y0 + r), y1 - r)
            return (x - cx) ** 2 + (y - cy) ** 2 <= r * r
        self.fill((x0, y0, x1, y1), inside, colour)

    def circle(self, cx, cy, r, colour):
        self.fill((cx - r, cy - r, cx + r, cy + r),
                  lambda x, y: (x - cx) ** 2 + (y - cy) ** 2 <= r * r, colour)

    def reduce(self):
        """Returns WIDTH x HEIGHT rows of (r, g, b), top row first."""
        rows = []
        half = SS * SS / 2
        for y in range(HEIGHT):
            row = []
            for x in range(WIDTH):
                covered = []
                for sy in range(y * SS, y * SS + SS):
                    base = sy * self.w + x * SS
                    covered.extend(c for c in self.px[base:base + SS] if c is not KEY)
                if len(covered) < half:
                    row.append((255, 0, 255))
                else:
                    n = len(covered)
                    row.append(tuple(round(sum(c[i] for c in covered) / n) for i in range(3)))
            rows.append(row)
        return rows


def zigzag_paper(x0, y0, x1, y1, tooth, depth, edges):
    """inside() of a sheet whose listed edges ("top", "right") are torn into teeth."""
    def inside(x, y):
        if not (x0 <= x < x1 and y0 <= y < y1):
            return False
        if "top" in edges:
            phase = ((x - x0) % tooth) / tooth
            if y - y0 < depth * abs(1 - 2 * phase):
                return False
        if "right" in edges:
            phase = ((y - y0) % tooth) / tooth
            if x1 - x < depth * abs(1 - 2 * phase):
                return False
        return True
    return inside


# 5 x 7 dot-matrix glyphs, as a printer's character generator would hold them.
GLYPHS = {
    "B": ["1111.", "1...1", "1...1", "1111.", "1...1", "1...1", "1111."],
    "r": [".....", ".....", "1.11.", "11..1", "1....", "1....", "1...."],
    "i": ["..1..", ".....", ".11..", "..1..", "..1..", "..1..", ".111."],
    "n": [".....", ".....", "1.11.", "11..1", "1...1", "1...1", "1...1"],
    "d": ["....1", "....1", ".11.1", "1..11", "1...1", "1...1", ".1111"],
    "l": [".11..", "..1..", "..1..", "..1..", "..1..", "..1..", ".111."],
    "e": [".....", ".....", ".111.", "1...1", "11111", "1....", ".111."],
    "A": [".111.", "1...1", "1...1", "11111", "1...1", "1...1", "1...1"],
    "C": [".111.", "1...1", "1....", "1....", "1....", "1...1", ".111."],
    "E": ["11111", "1....", "1....", "1111.", "1....", "1....", "11111"],
    "G": [".111.", "1...1", "1....", "1.111", "1...1", "1...1", ".1111"],
    "I": [".111.", "..1..", "..1..", "..1..", "..1..", "..1..", ".111."],
    "L": ["1....", "1....", "1....", "1....", "1....", "1....", "11111"],
    "M": ["1...1", "11.11", "1.1.1", "1.1.1", "1...1", "1...1", "1...1"],
    "N": ["1...1", "1...1", "11..1", "1.1.1", "1..11", "1...1", "1...1"],
    "O": [".111.", "1...1", "1...1", "1...1", "1...1", "1...1", ".111."],
    "P": ["1111.", "1...1", "1...1", "1111.", "1....", "1....", "1...."],
    "R": ["1111.", "1...1", "1...1", "1111.", "1.1..", "1..1.", "1...1"],
    "T": ["11111", "..1..", "..1..", "..1..", "..1..", "..1..", "..1.."],
    "V": ["1...1", "1...1", "1...1", "1...1", "1...1", ".1.1.", "..1.."],
    "Y": ["1...1", "1...1", ".1.1.", "..1..", "..1..", "..1..", "..1.."],
    "0": [".111.", "1...1", "1..11", "1.1.1", "11..1", "1...1", ".111."],
    "1": ["..1..", ".11..", "..1..", "..1..", "..1..", "..1..", ".111."],
    "3": ["11111", "...1.", "..1..", "...1.", "....1", "1...1", ".111."],
    ".": [".....", ".....", ".....", ".....", ".....", ".11..", ".11.."],
    "*": [".....", "..1..", "1.1.1", ".111.", "1.1.1", "..1..", "....."],
    " ": ["....."] * 7,
}


def dot_text(canvas, text, x, y, pitch, radius, colour, square=False):
    """Prints text in 5 x 7 dots of the given pitch; returns the width used."""
    for i, ch in enumerate(text):
        glyph = GLYPHS[ch]
        gx = x + i * 6 * pitch
        for row, bits in enumerate(glyph):
            for col, bit in enumerate(bits):
                if bit != "1":
                    continue
                cx, cy = gx + col * pitch + pitch / 2, y + row * pitch + pitch / 2
                if square:
                    canvas.rect(cx - radius, cy - radius, cx + radius, cy + radius, colour)
                else:
                    canvas.circle(cx, cy, radius, colour)
    return len(text) * 6 * pitch - pitch


def draw_ticket(c):
    """The tractor-feed ticket with the name, torn off on its right-hand end."""
    x0, y0, x1, y1 = 222, 24, 630, 190
    c.fill((x0, y0, x1, y1), zigzag_paper(x0, y0, x1, y1, 10, 7, ("right",)), PAPER)
    c.rect(x0, y0, x0 + 3, y1, PAPER_SHADE)
    # Sprocket holes along both margins are cut out with the key colour.
    for hx in range(int(x0) + 14, int(x1) - 12, 20):
        c.circle(hx, y0 + 11, 4, KEY)
        c.circle(hx, y1 - 11, 4, KEY)
    for ly in (y0 + 22, y1 - 22):
        for dx in range(int(x0) + 10, int(x1) - 14, 8):
            c.rect(dx, ly, dx + 4, ly + 1, PAPER_SHADE)

    pitch, width = 9, (7 * 6 - 1) * 9
    tx = x0 + (x1 - 10 - x0 - width) / 2
    dot_text(c, "Brindle", tx, 54, pitch, 3.7, INK)
    # A thin red rule and the subtitle, like the footer of a receipt.
    c.rect(tx, 128, tx + width, 130, ACCENT)
    sub = "RECEIPT PRINTER LOGO TOOL"
    sw = len(sub) * 6 * 2 - 2
    dot_text(c, sub, tx + (width - sw) / 2, 140, 2, 0.85, INK_SOFT, square=True)
    ver = "V3.10"
    vw = len(ver) * 6 * 2 - 2
    dot_text(c, ver, tx + width - vw, 30 + 130, 2, 0.85, INK_SOFT, square=True)
    dot_text(c, "*", tx, 160, 2, 0.85, ACCENT, square=True)


def draw_printer(c):
    """A compact thermal receipt printer with a receipt leaving its slot."""
    # Receipt first, so that the printer's lid covers its lower end.
    px0, py0, px1, py1 = 56, 12, 170, 120
    c.fill((px0, py0, px1, py1), zigzag_paper(px0, py0, px1, py1, 9.5, 6, ("top",)), PAPER)
    c.rect(px1 - 3, py0 + 6, px1, py1, PAPER_SHADE)
    c.circle(px0 + 22, 32, 9, INK)          # a small round logo on the receipt
    c.circle(px0 + 22, 32, 5, PAPER)
    c.rect(px0 + 38, 26, px0 + 96, 29, INK)
    c.rect(px0 + 38, 34, px0 + 80, 37, INK_SOFT)
    for i, length in enumerate((88, 60, 74, 52)):
        c.rect(px0 + 12, 48 + i * 8, px0 + 12 + length, 50 + i * 8, INK_SOFT)
    x = px0 + 14
    for w in (2, 1, 1, 3, 1, 2, 1, 1, 3, 2, 1, 1, 2, 3, 1, 2, 1, 3, 1, 1, 2, 1, 3, 2, 1, 2):
        c.rect(x, 84, x + w, 102, INK)
        x += w + 2

    c.round_rect(16, 104, 210, 204, 16, BODY)
    c.round_rect(16, 104, 210, 136, 16, BODY_TOP)
    c.rect(16, 124, 210, 136, BODY_TOP)
    c.round_rect(44, 112, 182, 120, 3, SLOT)
    c.rect(16, 136, 210, 138, SLOT)
    c.round_rect(146, 172, 176, 184, 5, BUTTON)
    c.circle(190, 178, 5, LED)


def write_bmp(path, rows):
    """Writes a bottom-up 24-bit BI_RGB BMP (rows padded to 4 bytes)."""
    stride = (WIDTH * 3 + 3) & ~3
    image = bytearray()
    for row in reversed(rows):
        line = bytearray()
        for r, g, b in row:
            line += bytes((b, g, r))
        line += b"\0" * (stride - len(line))
        image += line
    header = struct.pack("<2sIHHI", b"BM", 54 + len(image), 0, 0, 54)
    info = struct.pack("<IiiHHIIiiII", 40, WIDTH, HEIGHT, 1, 24, 0, len(image), 2835, 2835, 0, 0)
    with open(path, "wb") as f:
        f.write(header + info + image)


def main():
    out = sys.argv[1] if len(sys.argv) > 1 else os.path.join(
        os.path.dirname(os.path.abspath(__file__)), "splash134.bmp")
    c = Canvas()
    draw_ticket(c)
    draw_printer(c)
    write_bmp(out, c.reduce())


if __name__ == "__main__":
    main()
