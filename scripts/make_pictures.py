#!/usr/bin/env python3
"""Draws the sample tests' diagrams as PNG files (plain Python: zlib and struct only).

Usage: python3 scripts/make_pictures.py WEBROOT
"""
import math
import struct
import sys
import zlib
from pathlib import Path

FONT = {  # 5 x 7 capitals for the labels
    'A': ["01110", "10001", "10001", "11111", "10001", "10001", "10001"],
    'B': ["11110", "10001", "10001", "11110", "10001", "10001", "11110"],
    'C': ["01111", "10000", "10000", "10000", "10000", "10000", "01111"],
    'D': ["11110", "10001", "10001", "10001", "10001", "10001", "11110"],
    'E': ["11111", "10000", "10000", "11110", "10000", "10000", "11111"],
    'F': ["11111", "10000", "10000", "11110", "10000", "10000", "10000"],
    'L': ["10000", "10000", "10000", "10000", "10000", "10000", "11111"],
    'P': ["11110", "10001", "10001", "11110", "10000", "10000", "10000"],
    'Q': ["01110", "10001", "10001", "10001", "10101", "10010", "01101"],
    'V': ["10001", "10001", "10001", "10001", "10001", "01010", "00100"],
}
BLACK, BLUE, RED, GREY, WATER = (0, 0, 0), (20, 60, 200), (200, 30, 30), (120, 120, 120), (150, 190, 240)


class Canvas:
    def __init__(self, w, h):
        self.w, self.h = w, h
        self.px = [[(255, 255, 255)] * w for _ in range(h)]

    def dot(self, x, y, c, r=1):
        for dy in range(-r + 1, r):
            for dx in range(-r + 1, r):
                xx, yy = int(x) + dx, int(y) + dy
                if 0 <= xx < self.w and 0 <= yy < self.h:
                    self.px[yy][xx] = c

    def line(self, x0, y0, x1, y1, c=BLACK, r=2):
        n = int(max(abs(x1 - x0), abs(y1 - y0))) + 1
        for i in range(n + 1):
            self.dot(x0 + (x1 - x0) * i / n, y0 + (y1 - y0) * i / n, c, r)

    def poly(self, pts, c=BLACK, r=2, closed=True):
        for a, b in zip(pts, pts[1:] + (pts[:1] if closed else [])):
            self.line(*a, *b, c, r)

    def circle(self, cx, cy, rad, c=BLACK, r=2):
        pts = [(cx + rad * math.cos(t / 40 * 2 * math.pi), cy + rad * math.sin(t / 40 * 2 * math.pi))
               for t in range(40)]
        self.poly(pts, c, r)

    def fill(self, x0, y0, x1, y1, c):
        for y in range(int(y0), int(y1)):
            for x in range(int(x0), int(x1)):
                self.dot(x, y, c)

    def text(self, x, y, s, c=BLUE, scale=3):
        for ch in s:
            for row, bits in enumerate(FONT[ch]):
                for col, bit in enumerate(bits):
                    if bit == '1':
                        self.fill(x + col * scale, y + row * scale, x + (col + 1) * scale, y + (row + 1) * scale, c)
            x += 6 * scale

    def hatch(self, x, y0, y1, left=True):
        self.line(x, y0, x, y1, BLACK, 3)
        for y in range(int(y0), int(y1), 12):
            self.line(x, y, x - 12 if left else x + 12, y + 12, BLACK, 1)

    def arrow(self, x, y0, y1, c=RED):
        self.line(x, y0, x, y1, c, 2)
        self.poly([(x - 8, y1 - 14), (x + 8, y1 - 14), (x, y1)], c, 2)

    def save(self, path):
        raw = b''.join(b'\x00' + bytes(v for p in row for v in p) for row in self.px)
        chunk = lambda t, d: struct.pack('>I', len(d)) + t + d + struct.pack('>I', zlib.crc32(t + d))
        data = b'\x89PNG\r\n\x1a\n' + chunk(b'IHDR', struct.pack('>IIBBBBB', self.w, self.h, 8, 2, 0, 0, 0))
        data += chunk(b'IDAT', zlib.compress(raw, 9)) + chunk(b'IEND', b'')
        path.parent.mkdir(parents=True, exist_ok=True)
        path.write_bytes(data)


def pin(c, x, y):
    c.poly([(x, y), (x - 18, y + 30), (x + 18, y + 30)])
    c.line(x - 28, y + 32, x + 28, y + 32, BLACK, 2)


def roller(c, x, y):
    c.poly([(x, y), (x - 18, y + 24), (x + 18, y + 24)])
    c.circle(x - 10, y + 31, 6)
    c.circle(x + 10, y + 31, 6)
    c.line(x - 28, y + 39, x + 28, y + 39, BLACK, 2)


def cantilever():
    c = Canvas(480, 220)
    c.hatch(60, 50, 170)
    c.fill(60, 100, 420, 116, GREY)
    c.arrow(410, 20, 98)
    c.text(425, 30, "P", RED)
    c.line(60, 150, 410, 150, BLUE, 1)
    c.text(225, 160, "L")
    return c


def supports():
    c = Canvas(560, 200)
    c.fill(30, 70, 530, 82, GREY)
    pin(c, 80, 82)
    roller(c, 200, 82)
    c.hatch(330, 40, 120, left=False)
    roller(c, 460, 82)
    for x, label in ((70, "A"), (190, "B"), (345, "C"), (450, "D")):
        c.text(x, 150, label)
    return c


def frame():
    c = Canvas(420, 300)
    c.poly([(100, 250), (100, 60), (320, 60), (320, 250)], BLACK, 3, closed=False)
    c.line(60, 252, 140, 252, BLACK, 3)
    for x in range(60, 140, 12):
        c.line(x, 252, x - 10, 266, BLACK, 1)
    pin(c, 320, 252)
    c.arrow(210, 10, 58)
    return c


def resistor(c, x0, y, x1):
    pts = [(x0, y)] + [(x0 + (x1 - x0) * (i + 0.5) / 6, y + (-12 if i % 2 else 12)) for i in range(6)] + [(x1, y)]
    c.poly(pts, BLACK, 2, closed=False)


def circuit():
    c = Canvas(520, 320)
    c.line(60, 60, 180, 60)
    resistor(c, 180, 60, 300)           # B
    c.line(300, 60, 460, 60)
    c.line(460, 60, 460, 120)
    c.line(440, 120, 480, 120, BLACK, 3)  # C: capacitor plates
    c.line(440, 134, 480, 134, BLACK, 3)
    c.line(460, 134, 460, 260)
    c.line(460, 260, 340, 260)
    resistor(c, 220, 260, 340)           # D
    c.line(220, 260, 200, 260)
    for i in range(4):                   # E: inductor loops
        c.circle(190 - i * 20, 260, 10)
    c.line(110, 260, 60, 260)
    c.line(60, 260, 60, 175)
    c.line(40, 175, 80, 175, BLACK, 3)   # A: cell
    c.line(50, 160, 70, 160, BLACK, 3)
    c.line(60, 160, 60, 60)
    for x, y, label in ((20, 150, "A"), (230, 20, "B"), (490, 110, "C"), (270, 285, "D"), (150, 285, "E")):
        c.text(x, y, label)
    return c


def pipe():
    c = Canvas(560, 320)
    c.poly([(30, 40), (30, 200), (170, 200), (170, 40)], BLACK, 3, closed=False)
    c.fill(33, 80, 168, 198, WATER)
    c.line(30, 80, 170, 80, BLUE, 1)
    c.fill(170, 170, 470, 190, WATER)
    c.line(170, 168, 470, 168)
    c.line(170, 192, 470, 192)
    c.line(470, 168, 470, 192, BLACK, 1)
    for i in range(20):
        c.dot(475 + i * 3, 180 + i * i * 0.25, BLUE, 3)
    for x, y, label in ((90, 50, "A"), (90, 150, "B"), (200, 130, "C"), (300, 130, "D"), (430, 130, "E"), (520, 260, "F")):
        c.text(x, y, label)
    return c


def tank():
    c = Canvas(360, 260)
    c.poly([(80, 30), (280, 30), (280, 220), (80, 220)], BLACK, 4)
    for i in range(8):
        c.circle(120 + i * 17, 190, 8, RED)
    c.text(150, 90, "V")
    return c


def main():
    root = Path(sys.argv[1])
    tests = root / "tests"
    pictures = {
        "10101 Beams/pics/cantilever.png": cantilever,
        "10101 Beams/pics/supports.png": supports,
        "10101 Beams/pics/x_frame.png": frame,
        "10102 Circuits/pics/circuit.png": circuit,
        "10103 Thermodynamics/pics/tank.png": tank,
        "10104 Fluids/pics/pipe.png": pipe,
    }
    for name, draw in pictures.items():
        draw().save(tests / name)


if __name__ == "__main__":
    main()
