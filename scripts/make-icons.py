#!/usr/bin/env python3
"""Draws the program's two icons (res/tavrin.ico, res/tray.ico): a framed
landscape picture, the sign of a wallpaper.  Run once; the .ico files are kept
in the repository."""
import struct, os

def picture(size):
    px = []
    for y in range(size):
        row = []
        for x in range(size):
            edge = max(1, size // 16)
            if x < edge or y < edge or x >= size - edge or y >= size - edge:
                row.append((40, 40, 60, 255))           # frame
            elif (x - size * 0.7) ** 2 + (y - size * 0.3) ** 2 < (size * 0.12) ** 2:
                row.append((250, 210, 60, 255))         # sun
            elif y > size * 0.55 + (abs(x - size * 0.4) - size * 0.25) * 0.8:
                row.append((60, 150, 70, 255))          # hill
            else:
                row.append((120, 180, 240, 255))        # sky
        px.append(row)
    return px

def icon_image(size):
    px = picture(size)
    header = struct.pack('<IiiHHIIiiII', 40, size, size * 2, 1, 32, 0, 0, 0, 0, 0, 0)
    xor = b''.join(bytes((b, g, r, a)) for row in reversed(px) for (r, g, b, a) in row)
    mask_row = ((size + 31) // 32) * 4
    return header + xor + bytes(mask_row * size)

def write_ico(path, sizes):
    images = [icon_image(s) for s in sizes]
    out = struct.pack('<HHH', 0, 1, len(images))
    offset = 6 + 16 * len(images)
    for s, img in zip(sizes, images):
        out += struct.pack('<BBBBHHII', s % 256, s % 256, 0, 0, 1, 32, len(img), offset)
        offset += len(img)
    open(path, 'wb').write(out + b''.join(images))

root = os.path.join(os.path.dirname(__file__), '..', 'res')
write_ico(os.path.join(root, 'tavrin.ico'), [32, 16, 48])
write_ico(os.path.join(root, 'tray.ico'), [16, 32])
