#!/usr/bin/env python3
"""Writes the program's icon (res/pindora.ico) and drawing cursor (res/pen.cur).

Both are drawn here in code so that the binary files can be made again:
the icon is a pen nib over a sheet of paper, the cursor a small cross-hair
with a dot, its hot spot in the middle.
"""
import struct
from pathlib import Path


def bmp_entry(pixels, size, and_mask):
    """32-bit BGRA DIB as stored in ICO/CUR files (height doubled for the mask)."""
    header = struct.pack('<IiiHHIIiiII', 40, size, size * 2, 1, 32, 0, 0, 0, 0, 0, 0)
    rows = []
    for y in reversed(range(size)):
        rows.append(b''.join(struct.pack('<BBBB', *pixels[y][x]) for x in range(size)))
    mask_stride = ((size + 31) // 32) * 4
    mask_rows = []
    for y in reversed(range(size)):
        bits = bytearray(mask_stride)
        for x in range(size):
            if and_mask[y][x]:
                bits[x // 8] |= 0x80 >> (x % 8)
        mask_rows.append(bytes(bits))
    return header + b''.join(rows) + b''.join(mask_rows)


def container(kind, images):
    """ICO (kind 1) or CUR (kind 2) with (size, data, hotspot) entries."""
    out = struct.pack('<HHH', 0, kind, len(images))
    offset = 6 + 16 * len(images)
    body = b''
    for size, data, hotspot in images:
        a, b = (1, 32) if kind == 1 else hotspot
        out += struct.pack('<BBBBHHII', size % 256, size % 256, 0, 0, a, b, len(data), offset)
        offset += len(data)
        body += data
    return out + body


def icon(size):
    px = [[(0, 0, 0, 0)] * size for _ in range(size)]
    mask = [[1] * size for _ in range(size)]
    s = size / 32.0
    def put(x, y, bgra):
        if 0 <= x < size and 0 <= y < size:
            px[y][x] = bgra
            mask[y][x] = 0
    # paper
    for y in range(int(3 * s), int(29 * s)):
        for x in range(int(5 * s), int(25 * s)):
            put(x, y, (250, 250, 250, 255))
    # a stroke across the paper
    for i in range(int(18 * s)):
        x = int(8 * s) + i
        y = int(22 * s - 6 * s * (i / (18 * s)) ** 2)
        for w in range(max(1, int(2 * s))):
            put(x, y + w, (30, 30, 30, 255))
    # the pen, a thick segment from the nib (bottom left) to the top right
    ax, ay, bx, by = 9 * s, 26 * s, 29 * s, 5 * s
    length2 = (bx - ax) ** 2 + (by - ay) ** 2
    for y in range(size):
        for x in range(size):
            t = ((x + 0.5 - ax) * (bx - ax) + (y + 0.5 - ay) * (by - ay)) / length2
            if not 0.0 <= t <= 1.0:
                continue
            qx, qy = ax + t * (bx - ax), ay + t * (by - ay)
            radius = 2.6 * s * min(1.0, t * 4 + 0.15)
            if (x + 0.5 - qx) ** 2 + (y + 0.5 - qy) ** 2 <= radius * radius:
                put(x, y, (200, 90, 40, 255) if t > 0.22 else (50, 50, 50, 255))
    return bmp_entry(px, size, mask)


def cursor(size=32):
    px = [[(0, 0, 0, 0)] * size for _ in range(size)]
    mask = [[1] * size for _ in range(size)]
    c = size // 2
    def put(x, y, bgra):
        px[y][x] = bgra
        mask[y][x] = 0
    for d in list(range(-7, -2)) + list(range(3, 8)):
        for w in (-1, 0, 1):
            colour = (0, 0, 0, 255) if w == 0 else (255, 255, 255, 255)
            put(c + d, c + w, colour)
            put(c + w, c + d, colour)
    put(c, c, (0, 0, 0, 255))
    return bmp_entry(px, size, mask), (c, c)


root = Path(__file__).resolve().parent.parent
(root / 'res').mkdir(exist_ok=True)
(root / 'res' / 'pindora.ico').write_bytes(
    container(1, [(16, icon(16), None), (32, icon(32), None), (48, icon(48), None)]))
data, hot = cursor()
(root / 'res' / 'pen.cur').write_bytes(container(2, [(32, data, hot)]))
print('wrote res/pindora.ico and res/pen.cur')
