#!/usr/bin/env python3
"""Draws the program's icon, a black line drawing of an S88 module on a yellow ground, as the
32 x 32 XPM the window uses, as the SVG the desktop uses, and as PNGs rendered from the SVG
(with rsvg-convert from librsvg2-bin).

Usage: tools/make_icon.py            (writes every file in place)
"""
import subprocess
import sys
from pathlib import Path

APP_ID = "org.s88monitor.S88Monitor"
N = 32
PNG_SIZES = [16, 24, 32, 48, 64, 128, 256]
YELLOW = "#FFFF00"
BLACK = "#000000"

root = Path(__file__).resolve().parent.parent
img = [[" "] * N for _ in range(N)]
# The same strokes as vectors: one unit is one pixel of the XPM, and every line runs through
# pixel centres, so the SVG drawn at 32 x 32 gives back the XPM's pixels exactly.
strokes = []


def dot(x, y):
    """A pixel of its own, a unit square in the SVG."""
    if 0 <= x < N and 0 <= y < N:
        img[y][x] = "#"
        strokes.append(f'<rect x="{x}" y="{y}" width="1" height="1" fill="{BLACK}" stroke="none"/>')


def pixel(x, y):
    """A pixel of the XPM only: the SVG draws it as part of a stroke."""
    if 0 <= x < N and 0 <= y < N:
        img[y][x] = "#"


def rect(x0, y0, x1, y1):
    for x in range(x0, x1 + 1):
        pixel(x, y0)
        pixel(x, y1)
    for y in range(y0, y1 + 1):
        pixel(x0, y)
        pixel(x1, y)
    strokes.append(f'<rect x="{x0 + 0.5}" y="{y0 + 0.5}" width="{x1 - x0}" height="{y1 - y0}"/>')


def ring(cx, cy):
    rect(cx - 1, cy - 1, cx + 1, cy + 1)


def vline(x, y0, y1):
    for y in range(y0, y1 + 1):
        pixel(x, y)
    strokes.append(f'<path d="M{x + 0.5} {y0}V{y1 + 1}"/>')


rect(2, 6, 29, 25)               # the circuit board
for i in range(8):               # eight input terminals along the top edge
    ring(5 + i * 3, 10)
rect(6, 15, 15, 21)              # the shift-register chip
for x in range(7, 15, 2):        # its pins
    dot(x, 14)
    dot(x, 22)
rect(19, 16, 26, 20)             # the bus connector
for x in range(20, 26, 2):
    dot(x, 18)
vline(22, 26, 29)                # the cable to the next module
vline(24, 26, 29)

xpm = ['/* XPM */', 'static const char* icon[] = {', f'"{N} {N} 2 1",',
       f'"  c {YELLOW}",', f'"# c {BLACK}",']
xpm += [f'"{"".join(row)}",' for row in img]
xpm[-1] = xpm[-1].rstrip(',')
xpm.append('};')
(root / "src/app/resources/icon.xpm").write_text("\n".join(xpm) + "\n")

svg = [f'<svg xmlns="http://www.w3.org/2000/svg" width="{N}" height="{N}" viewBox="0 0 {N} {N}">',
       f'  <rect width="{N}" height="{N}" fill="{YELLOW}"/>',
       f'  <g fill="none" stroke="{BLACK}" stroke-width="1" shape-rendering="crispEdges">']
svg += [f'    {s}' for s in strokes]
svg += ['  </g>', '</svg>']
icons = root / "dist/icons/hicolor"
scalable = icons / "scalable/apps" / f"{APP_ID}.svg"
scalable.parent.mkdir(parents=True, exist_ok=True)
scalable.write_text("\n".join(svg) + "\n")

for size in PNG_SIZES:
    png = icons / f"{size}x{size}/apps" / f"{APP_ID}.png"
    png.parent.mkdir(parents=True, exist_ok=True)
    try:
        subprocess.run(["rsvg-convert", "-w", str(size), "-h", str(size), "-o", str(png),
                        str(scalable)], check=True)
    except (OSError, subprocess.CalledProcessError) as e:
        sys.exit(f"rsvg-convert (librsvg2-bin) could not draw {png.name}: {e}")
