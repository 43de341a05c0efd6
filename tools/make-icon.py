#!/usr/bin/env python3
"""Draws the program's 32x32, 16-colour icon (src/win32/ui/quarvel.ico): a chequered floor
running to the horizon under a night sky, with a red target hovering over it."""
import struct
import sys

# The 16 standard colours of a 4-bit icon.
PALETTE = [(0, 0, 0), (128, 0, 0), (0, 128, 0), (128, 128, 0), (0, 0, 128), (128, 0, 128),
           (0, 128, 128), (192, 192, 192), (128, 128, 128), (255, 0, 0), (0, 255, 0),
           (255, 255, 0), (0, 0, 255), (255, 0, 255), (0, 255, 255), (255, 255, 255)]
BLACK, DARKBLUE, BLUE, GREEN, DARKGREEN, YELLOW, RED, WHITE, GREY = 0, 4, 12, 10, 2, 11, 9, 15, 8


def pixel(x, y):
    horizon = 13
    if y < horizon:
        if (x * 7 + y * 13) % 37 == 0:
            return WHITE
        return DARKBLUE if y < 7 else BLUE
    # Floor: project the row back to a depth and chequer it in world units.
    depth = 64.0 / (y - horizon + 1)
    u = (x - 15.5) * depth / 16.0
    v = depth
    checker = (int(u + 100) + int(v * 2)) % 2
    return GREEN if checker else DARKGREEN


def icon():
    rows = [[pixel(x, y) for x in range(32)] for y in range(32)]
    for y in range(32):
        for x in range(32):
            if (x - 21) ** 2 + (y - 9) ** 2 <= 12:
                rows[y][x] = RED
            elif (x - 21) ** 2 + (y - 9) ** 2 <= 20:
                rows[y][x] = YELLOW
    xor = bytearray()
    for y in reversed(range(32)):  # bottom-up rows
        for x in range(0, 32, 2):
            xor.append(rows[y][x] << 4 | rows[y][x + 1])
    mask = bytes(32 * 4)  # fully opaque
    header = struct.pack('<IiiHHIIiiII', 40, 32, 64, 1, 4, 0, len(xor) + len(mask), 0, 0, 16, 0)
    pal = b''.join(struct.pack('BBBB', b, g, r, 0) for r, g, b in PALETTE)
    image = header + pal + bytes(xor) + mask
    return struct.pack('<HHH', 0, 1, 1) + struct.pack('<BBBBHHII', 32, 32, 16, 0, 1, 4, len(image), 22) + image


if __name__ == '__main__':
    with open(sys.argv[1], 'wb') as f:
        f.write(icon())
