#!/usr/bin/env python3
"""Draws the program's icon (a white play triangle on a rounded blue tile with a small
document corner) and writes resources/vtassoc.ico: 16, 24, 32 and 48 pixels, each in
4-bit, 8-bit and 32-bit colour."""
import os
import struct
import sys

SIZES = (16, 24, 32, 48)
DEPTHS = (4, 8, 32)
SUPERSAMPLE = 4

VGA16 = [(0, 0, 0), (128, 0, 0), (0, 128, 0), (128, 128, 0), (0, 0, 128), (128, 0, 128),
         (0, 128, 128), (192, 192, 192), (128, 128, 128), (255, 0, 0), (0, 255, 0),
         (255, 255, 0), (0, 0, 255), (255, 0, 255), (0, 255, 255), (255, 255, 255)]


def sample(u, v):
    """Colour (r, g, b, a) of the design at u, v in [0, 1)."""
    margin, radius = 0.06, 0.18
    lo, hi = margin, 1.0 - margin
    # Rounded square tile.
    cx = min(max(u, lo + radius), hi - radius)
    cy = min(max(v, lo + radius), hi - radius)
    if (u - cx) ** 2 + (v - cy) ** 2 > radius ** 2:
        return (0, 0, 0, 0)
    # Play triangle pointing right.
    ax, ay, bx, by, px = 0.36, 0.26, 0.36, 0.74, 0.74
    if u >= ax and u <= px:
        half = (by - ay) / 2 * (px - u) / (px - ax)
        if abs(v - 0.5) <= half:
            return (255, 255, 255, 255)
    # Vertical gradient from light to dark blue, with a darker border.
    edge = min(u - lo, hi - u, v - lo, hi - v)
    if edge < 0.05:
        return (16, 58, 120, 255)
    t = (v - lo) / (hi - lo)
    return (int(60 - 30 * t), int(140 - 60 * t), int(230 - 60 * t), 255)


def render(size):
    """size x size RGBA pixels, top row first, supersampled."""
    rows = []
    n = SUPERSAMPLE
    for y in range(size):
        row = []
        for x in range(size):
            acc = [0, 0, 0, 0]
            for sy in range(n):
                for sx in range(n):
                    r, g, b, a = sample((x + (sx + 0.5) / n) / size, (y + (sy + 0.5) / n) / size)
                    acc[0] += r * a
                    acc[1] += g * a
                    acc[2] += b * a
                    acc[3] += a
            if acc[3] == 0:
                row.append((0, 0, 0, 0))
            else:
                row.append((acc[0] // acc[3], acc[1] // acc[3], acc[2] // acc[3], acc[3] // (n * n)))
        rows.append(row)
    return rows


def palette_for(depth, pixels):
    if depth == 4:
        return VGA16
    colours = []
    for row in pixels:
        for r, g, b, a in row:
            if a >= 128 and (r, g, b) not in colours:
                colours.append((r, g, b))
    if len(colours) > 255:
        # A 6x6x6 cube with grey steps covers anything richer.
        colours = [(r * 51, g * 51, b * 51) for r in range(6) for g in range(6) for b in range(6)]
    palette = [(0, 0, 0)] + colours
    return palette + [(0, 0, 0)] * (256 - len(palette))


def nearest(palette, rgb):
    return min(range(len(palette)),
               key=lambda i: sum((palette[i][k] - rgb[k]) ** 2 for k in range(3)))


def image(size, depth):
    pixels = render(size)
    header = struct.pack('<IiiHHIIiiII', 40, size, size * 2, 1, depth, 0, 0, 0, 0, 0, 0)
    xor = bytearray()
    stride = ((size * depth + 31) // 32) * 4
    palette = []
    if depth == 32:
        for row in reversed(pixels):
            for r, g, b, a in row:
                xor += bytes((b, g, r, a))
    else:
        palette = palette_for(depth, pixels)
        for row in reversed(pixels):
            indices = [nearest(palette, p[:3]) if p[3] >= 128 else 0 for p in row]
            line = bytearray()
            if depth == 8:
                line += bytes(indices)
            else:
                for i in range(0, size, 2):
                    hi = indices[i]
                    lo = indices[i + 1] if i + 1 < size else 0
                    line.append((hi << 4) | lo)
            line += b'\0' * (stride - len(line))
            xor += line
    mask_stride = ((size + 31) // 32) * 4
    mask = bytearray()
    for row in reversed(pixels):
        bits = bytearray(mask_stride)
        for x, p in enumerate(row):
            if p[3] < 128:
                bits[x // 8] |= 0x80 >> (x % 8)
        mask += bits
    pal = b''.join(bytes((b, g, r, 0)) for r, g, b in palette)
    return header + pal + bytes(xor) + bytes(mask)


def main():
    out = sys.argv[1] if len(sys.argv) > 1 else os.path.join(
        os.path.dirname(os.path.abspath(__file__)), '..', 'resources', 'vtassoc.ico')
    images = [(s, d, image(s, d)) for s in SIZES for d in DEPTHS]
    data = struct.pack('<HHH', 0, 1, len(images))
    offset = 6 + 16 * len(images)
    for s, d, blob in images:
        colours = 16 if d == 4 else 0
        data += struct.pack('<BBBBHHII', s, s, colours, 0, 1, d, len(blob), offset)
        offset += len(blob)
    data += b''.join(blob for _, _, blob in images)
    with open(out, 'wb') as f:
        f.write(data)


if __name__ == '__main__':
    main()
