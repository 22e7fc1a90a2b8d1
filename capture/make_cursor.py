#!/usr/bin/env python3
"""Draws the capture crosshair (cursor 1015) as a .cur file: a black cross with a small square
centre and a white outline, 32 x 32, hot spot 16,14."""
import struct
import sys

SIZE, HOT_X, HOT_Y = 32, 16, 14


def pixels():
    """'b' black, 'w' white, None transparent, indexed [y][x]."""
    img = [[None] * SIZE for _ in range(SIZE)]
    black = set()
    for d in range(-11, 12):
        if abs(d) > 3:  # the arms stop short of the square centre
            black.add((HOT_X + d, HOT_Y))
            black.add((HOT_X, HOT_Y + d))
    for x in range(HOT_X - 2, HOT_X + 3):  # hollow 5 x 5 centre square
        for y in range(HOT_Y - 2, HOT_Y + 3):
            if abs(x - HOT_X) == 2 or abs(y - HOT_Y) == 2:
                black.add((x, y))
    for (x, y) in black:
        for dx in (-1, 0, 1):
            for dy in (-1, 0, 1):
                if 0 <= x + dx < SIZE and 0 <= y + dy < SIZE:
                    img[y + dy][x + dx] = "w"
    for (x, y) in black:
        img[y][x] = "b"
    return img


def cursor_bytes():
    img = pixels()
    # 1-bit XOR (colour) and AND (transparency) masks, bottom-up, rows padded to 4 bytes.
    xor_rows, and_rows = [], []
    for y in reversed(range(SIZE)):
        xb, ab = 0, 0
        for x in range(SIZE):
            p = img[y][x]
            xb = (xb << 1) | (1 if p == "w" else 0)
            ab = (ab << 1) | (1 if p is None else 0)
        xor_rows.append(struct.pack(">I", xb))
        and_rows.append(struct.pack(">I", ab))
    header = struct.pack("<IiiHHIIiiII", 40, SIZE, SIZE * 2, 1, 1, 0, 0, 0, 0, 2, 0)
    palette = struct.pack("<II", 0x000000, 0xFFFFFF)
    image = header + palette + b"".join(xor_rows) + b"".join(and_rows)
    directory = struct.pack("<HHH", 0, 2, 1)
    entry = struct.pack("<BBBBHHII", SIZE, SIZE, 2, 0, HOT_X, HOT_Y, len(image), 6 + 16)
    return directory + entry + image


if __name__ == "__main__":
    with open(sys.argv[1], "wb") as f:
        f.write(cursor_bytes())
