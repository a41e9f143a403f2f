#!/usr/bin/env python3
"""Draws the program icon (resource 128) in the sizes the window uses: a blue adapter box with a
measured waveform and a network port. Pure Python, no image library: run
`python3 res/icons/draw_icon.py` from the repository root to write res/icons/icon_128_<size>.png."""
import math
import struct
import zlib
from pathlib import Path

SIZES = (16, 32, 48, 256)
SAMPLES = 4  # supersampling per axis


def rounded_box(x, y, cx, cy, hw, hh, r):
    """Signed distance to a rounded rectangle centred at (cx, cy)."""
    qx = abs(x - cx) - hw + r
    qy = abs(y - cy) - hh + r
    outside = math.hypot(max(qx, 0.0), max(qy, 0.0))
    return outside + min(max(qx, qy), 0.0) - r


def wave_distance(x, y):
    """Distance to the damped waveform drawn across the screen, x from 0.18 to 0.82."""
    best = 1e9
    steps = 64
    for i in range(steps + 1):
        px = 0.18 + 0.64 * i / steps
        py = 0.40 - 0.14 * math.sin((px - 0.18) / 0.64 * 2.0 * math.pi * 1.5) * math.exp(-(px - 0.18) * 1.2)
        best = min(best, math.hypot(x - px, y - py))
    return best


def shade(x, y, size):
    """Colour (r, g, b, a) of the point (x, y) in unit coordinates."""
    stroke = max(0.045, 1.6 / size)
    # Body: a rounded blue box with a lighter top edge.
    body = rounded_box(x, y, 0.5, 0.5, 0.46, 0.46, 0.14)
    if body > 0:
        return (0, 0, 0, 0)
    top = 1.0 - y
    colour = (int(24 + 40 * top), int(78 + 60 * top), int(160 + 70 * top), 255)
    # Screen: a dark panel holding the waveform.
    screen = rounded_box(x, y, 0.5, 0.40, 0.36, 0.25, 0.06)
    if screen <= 0:
        colour = (12, 30, 52, 255)
        if wave_distance(x, y) <= stroke:
            colour = (120, 230, 140, 255)
    # Network port: a light socket at the bottom with its contacts.
    port = rounded_box(x, y, 0.5, 0.80, 0.16, 0.085, 0.02)
    if port <= 0:
        colour = (235, 240, 245, 255)
        if size >= 32 and 0.755 <= y <= 0.80 and int((x - 0.36) / 0.04) % 2 == 0 and 0.36 <= x <= 0.64:
            colour = (200, 160, 40, 255)
    return colour


def render(size):
    rows = []
    for py in range(size):
        row = bytearray([0])  # filter type 0
        for px in range(size):
            acc = [0, 0, 0, 0]
            for sy in range(SAMPLES):
                for sx in range(SAMPLES):
                    x = (px + (sx + 0.5) / SAMPLES) / size
                    y = (py + (sy + 0.5) / SAMPLES) / size
                    r, g, b, a = shade(x, y, size)
                    acc[0] += r * a
                    acc[1] += g * a
                    acc[2] += b * a
                    acc[3] += a
            n = SAMPLES * SAMPLES
            alpha = acc[3] / n
            if acc[3]:
                row += bytes((round(acc[0] / acc[3]), round(acc[1] / acc[3]), round(acc[2] / acc[3]),
                              round(alpha)))
            else:
                row += bytes(4)
        rows.append(bytes(row))
    return rows


def png(size, rows):
    def chunk(kind, data):
        body = kind + data
        return struct.pack(">I", len(data)) + body + struct.pack(">I", zlib.crc32(body) & 0xFFFFFFFF)

    header = struct.pack(">IIBBBBB", size, size, 8, 6, 0, 0, 0)
    return (b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", header) +
            chunk(b"IDAT", zlib.compress(b"".join(rows), 9)) + chunk(b"IEND", b""))


def main():
    folder = Path(__file__).resolve().parent
    for size in SIZES:
        (folder / f"icon_128_{size}.png").write_bytes(png(size, render(size)))


if __name__ == "__main__":
    main()
