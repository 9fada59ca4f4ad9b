#!/usr/bin/env python3
# Draws the six 16x16 node images of the EMCY word trees as one 96x16 24-bit BMP strip
# (LARGEIMAGES.bmp). Olive (128, 128, 0) pixels are transparent.
# Images: 0 word node, 1 selected word node, 2 bit node, 3 selected bit node, 4 and 5 spare.
import struct

W, H = 96, 16
OLIVE = (128, 128, 0)
px = [[OLIVE] * W for _ in range(H)]


def rect(img, x0, y0, x1, y1, c):
    for y in range(y0, y1 + 1):
        for x in range(x0, x1 + 1):
            px[y][img * 16 + x] = c


def frame(img, x0, y0, x1, y1, c):
    for x in range(x0, x1 + 1):
        px[y0][img * 16 + x] = c
        px[y1][img * 16 + x] = c
    for y in range(y0, y1 + 1):
        px[y][img * 16 + x0] = c
        px[y][img * 16 + x1] = c


def disc(img, cx, cy, r, c):
    for y in range(16):
        for x in range(16):
            if (x - cx) ** 2 + (y - cy) ** 2 <= r * r:
                px[y][img * 16 + x] = c


for img, fill in ((0, (40, 90, 200)), (1, (230, 140, 20))):
    rect(img, 1, 3, 14, 12, fill)
    frame(img, 1, 3, 14, 12, (0, 0, 0))
    for i in range(4):
        rect(img, 3 + i * 3, 6, 4 + i * 3, 9, (255, 255, 255))
for img, fill in ((2, (150, 150, 150)), (3, (30, 170, 60))):
    rect(img, 4, 4, 11, 11, fill)
    frame(img, 4, 4, 11, 11, (0, 0, 0))
disc(4, 7.5, 7.5, 4, (200, 40, 40))
disc(5, 7.5, 7.5, 5, (0, 0, 0))
disc(5, 7.5, 7.5, 3, OLIVE)

row = W * 3
pad = (4 - row % 4) % 4
data = b''
for y in range(H - 1, -1, -1):
    for (r, g, b) in px[y]:
        data += bytes((b, g, r))
    data += b'\0' * pad
header = struct.pack('<2sIHHI', b'BM', 14 + 40 + len(data), 0, 0, 54)
dib = struct.pack('<IiiHHIIiiII', 40, W, H, 1, 24, 0, len(data), 2835, 2835, 0, 0)
with open('LARGEIMAGES.bmp', 'wb') as f:
    f.write(header + dib + data)
