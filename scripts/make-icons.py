#!/usr/bin/env python3
"""Draws the program's two icons, res/tavrin.ico (icon 128, the program's own)
and res/tray.ico (icon 138, the notification area): a framed landscape picture,
the sign of a wallpaper.  Every size is drawn on its own pixel grid, so the
icon stays sharp at 100 % to 200 % scale; 256 is stored as PNG, the others as
32-bit bitmaps.  The output is the same byte for byte on every run; the .ico
files are kept in the repository.

    scripts/make-icons.py [OUTPUT_DIR]     (default: res/)
"""
import os
import struct
import sys
import zlib

SIZES = [16, 20, 24, 32, 40, 48, 64, 256]

FRAME = (40, 40, 60, 255)
SUN = (250, 210, 60, 255)
HILL = (60, 150, 70, 255)
SKY = (120, 180, 240, 255)
MAT = (245, 245, 240, 255)


def picture(size, tray):
    """Rows of (r, g, b, a).  The tray icon has no white mat: at 16 pixels
    every pixel is needed for the picture itself."""
    edge = max(1, round(size / 16))
    mat = 0 if tray else max(1, round(size / 24))
    px = []
    for y in range(size):
        row = []
        for x in range(size):
            if x < edge or y < edge or x >= size - edge or y >= size - edge:
                row.append(FRAME)
            elif x < edge + mat or y < edge + mat or x >= size - edge - mat or y >= size - edge - mat:
                row.append(MAT)
            elif (x + 0.5 - size * 0.7) ** 2 + (y + 0.5 - size * 0.3) ** 2 < (size * 0.13) ** 2:
                row.append(SUN)
            elif y + 0.5 > size * 0.58 + (abs(x + 0.5 - size * 0.38) - size * 0.25) * 0.8:
                row.append(HILL)
            else:
                row.append(SKY)
        px.append(row)
    return px


def bitmap_image(px):
    size = len(px)
    header = struct.pack('<IiiHHIIiiII', 40, size, size * 2, 1, 32, 0, 0, 0, 0, 0, 0)
    xor = b''.join(bytes((b, g, r, a)) for row in reversed(px) for (r, g, b, a) in row)
    mask_row = ((size + 31) // 32) * 4
    return header + xor + bytes(mask_row * size)


def png_image(px):
    size = len(px)

    def chunk(kind, data):
        return struct.pack('>I', len(data)) + kind + data + struct.pack('>I', zlib.crc32(kind + data) & 0xffffffff)

    raw = b''.join(b'\x00' + b''.join(bytes(p) for p in row) for row in px)
    return (b'\x89PNG\r\n\x1a\n' + chunk(b'IHDR', struct.pack('>IIBBBBB', size, size, 8, 6, 0, 0, 0))
            + chunk(b'IDAT', zlib.compress(raw, 9)) + chunk(b'IEND', b''))


def write_ico(path, tray):
    images = []
    for s in SIZES:
        px = picture(s, tray)
        images.append(png_image(px) if s >= 256 else bitmap_image(px))
    out = struct.pack('<HHH', 0, 1, len(images))
    offset = 6 + 16 * len(images)
    for s, img in zip(SIZES, images):
        out += struct.pack('<BBBBHHII', s % 256, s % 256, 0, 0, 1, 32, len(img), offset)
        offset += len(img)
    with open(path, 'wb') as f:
        f.write(out + b''.join(images))


def main():
    root = sys.argv[1] if len(sys.argv) > 1 else os.path.join(os.path.dirname(os.path.abspath(__file__)), '..', 'res')
    write_ico(os.path.join(root, 'tavrin.ico'), tray=False)
    write_ico(os.path.join(root, 'tray.ico'), tray=True)


if __name__ == '__main__':
    main()
