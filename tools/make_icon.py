#!/usr/bin/env python3
"""Writes the window icon: a black line drawing of an S88 module on a yellow ground, 32 x 32 XPM."""
import sys
from pathlib import Path

N = 32
img = [[" "] * N for _ in range(N)]


def put(x, y):
    if 0 <= x < N and 0 <= y < N:
        img[y][x] = "#"


def rect(x0, y0, x1, y1):
    for x in range(x0, x1 + 1):
        put(x, y0)
        put(x, y1)
    for y in range(y0, y1 + 1):
        put(x0, y)
        put(x1, y)


def ring(cx, cy):
    for dx, dy in [(-1, -1), (0, -1), (1, -1), (-1, 0), (1, 0), (-1, 1), (0, 1), (1, 1)]:
        put(cx + dx, cy + dy)


rect(2, 6, 29, 25)               # the circuit board
for i in range(8):               # eight input terminals along the top edge
    ring(5 + i * 3, 10)
rect(6, 15, 15, 21)              # the shift-register chip
for x in range(7, 15, 2):        # its pins
    put(x, 14)
    put(x, 22)
rect(19, 16, 26, 20)             # the bus connector
for x in range(20, 26, 2):
    put(x, 18)
for y in range(26, 30):          # the cable to the next module
    put(22, y)
    put(24, y)

xpm = ['/* XPM */', 'static const char* icon[] = {', f'"{N} {N} 2 1",',
       '"  c #FFFF00",', '"# c #000000",']
xpm += [f'"{"".join(row)}",' for row in img]
xpm[-1] = xpm[-1].rstrip(',')
xpm.append('};')
Path(sys.argv[1] if len(sys.argv) > 1 else "src/app/resources/icon.xpm").write_text("\n".join(xpm) + "\n")
