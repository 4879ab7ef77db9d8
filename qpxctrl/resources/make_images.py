#!/usr/bin/env python3
"""Draws the control's two pictures: the 16 x 15 toolbox image (24-bit, a small round badge on light
grey) and the 32 x 32 design-time face (16 colours, a round badge with the letters QPX)."""
import struct

GREY, NAVY, WHITE, DARK = (192, 192, 192), (128, 0, 0), (255, 255, 255), (64, 0, 0)  # BGR

# 3 x 5 letters, one string per row.
LETTERS = {
    "Q": ["###", "#.#", "#.#", "##.", ".##"],
    "P": ["###", "#.#", "###", "#..", "#.."],
    "X": ["#.#", "#.#", ".#.", "#.#", "#.#"],
}


def badge(width, height, radius, letters="", scale=1):
    cx, cy = (width - 1) / 2, (height - 1) / 2
    rows = []
    for y in range(height):
        row = []
        for x in range(width):
            d = ((x - cx) ** 2 + (y - cy) ** 2) ** 0.5
            row.append(GREY if d > radius else DARK if d > radius - 1.2 else NAVY)
        rows.append(row)
    if letters:
        text_w = len(letters) * 3 * scale + (len(letters) - 1) * scale
        x0, y0 = (width - text_w) // 2, (height - 5 * scale) // 2
        for i, ch in enumerate(letters):
            for ly, line in enumerate(LETTERS[ch]):
                for lx, bit in enumerate(line):
                    if bit == "#":
                        for sy in range(scale):
                            for sx in range(scale):
                                rows[y0 + ly * scale + sy][x0 + i * 4 * scale + lx * scale + sx] = WHITE
    return rows  # top row first


def bmp(rows, bits):
    height, width = len(rows), len(rows[0])
    palette = [GREY, NAVY, WHITE, DARK] + [(0, 0, 0)] * 12 if bits == 4 else []
    stride = ((width * bits + 31) // 32) * 4
    data = b""
    for row in reversed(rows):  # bottom-up
        if bits == 24:
            line = b"".join(bytes(p) for p in row)
        else:
            idx = [palette.index(p) for p in row]
            line = bytes((idx[i] << 4) | (idx[i + 1] if i + 1 < width else 0) for i in range(0, width, 2))
        data += line + b"\0" * (stride - len(line))
    pal = b"".join(bytes(p) + b"\0" for p in palette)
    offset = 54 + len(pal)
    header = b"BM" + struct.pack("<IHHI", offset + len(data), 0, 0, offset)
    info = struct.pack("<IiiHHIIiiII", 40, width, height, 1, bits, 0, len(data), 3780, 3780,
                       16 if bits == 4 else 0, 0)
    return header + info + pal + data


with open("toolbox.bmp", "wb") as f:
    f.write(bmp(badge(16, 15, 6.5), 24))
with open("face.bmp", "wb") as f:
    f.write(bmp(badge(32, 32, 15.5, "QPX", 2), 4))
