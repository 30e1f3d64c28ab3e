#!/usr/bin/env python3
"""Writes the seed corpus of small BMP files for the bitmap fuzz target:
every depth, each header form, both row orders, bit fields, run-length
headers and a few files cut short.

    tools/make_bitmap_corpus.py [DIR]   (default fuzz/corpus/bitmap)
"""
import os
import struct
import sys


def bitmap(width, height, bits, header=40, top_down=False, compression=0,
           masks=None, masks_after=False, palette=None):
    old = header == 12
    entry = 3 if old else 4
    if palette is None:
        palette = [(i * 37 & 0xFF, i * 91 & 0xFF, i * 13 & 0xFF) for i in range(1 << bits)] if bits <= 8 else []
    table = b"".join(bytes([b, g, r]) + (b"" if old else b"\0") for r, g, b in palette)
    extra = struct.pack("<3I", *masks[:3]) if masks_after else b""
    stride = (width * bits + 31) // 32 * 4
    rows = []
    for stored in range(height):
        row = bytearray(stride)
        for x in range(width):
            v = (x * 5 + stored * 11) & ((1 << bits) - 1 if bits < 32 else 0xFFFFFFFF)
            if bits <= 8:
                per = 8 // bits
                row[x // per] |= v << (8 - bits * (x % per + 1))
            else:
                row[x * bits // 8:(x + 1) * bits // 8] = v.to_bytes(bits // 8, "little")
        rows.append(bytes(row))
    if old:
        info = struct.pack("<IHHHH", 12, width, height, 1, bits)
    else:
        info = struct.pack("<IiiHHII", header, width, -height if top_down else height, 1, bits,
                           compression, stride * height)
        info += bytes(40 - len(info))
        if header >= 108:
            info += struct.pack("<4I", *(masks or (0, 0, 0, 0)))
        info = (info + bytes(max(0, header - len(info))))[:header]
    offset = 14 + len(info) + len(extra) + len(table)
    data = info + extra + table + b"".join(rows)
    return b"BM" + struct.pack("<IHHI", 14 + len(data), 0, 0, offset) + data


def main():
    out = sys.argv[1] if len(sys.argv) > 1 else os.path.join(os.path.dirname(__file__), "..", "fuzz", "corpus", "bitmap")
    os.makedirs(out, exist_ok=True)
    files = {
        "rgb24_3x2.bmp": bitmap(3, 2, 24),
        "rgb24_5x3_topdown.bmp": bitmap(5, 3, 24, top_down=True),
        "rgb24_old_4x2.bmp": bitmap(4, 2, 24, header=12),
        "pal1_13x2.bmp": bitmap(13, 2, 1),
        "pal4_5x3.bmp": bitmap(5, 3, 4),
        "pal8_3x3.bmp": bitmap(3, 3, 8),
        "pal8_old_2x2.bmp": bitmap(2, 2, 8, header=12),
        "pal4_old_3x2.bmp": bitmap(3, 2, 4, header=12),
        "pal8_short_table.bmp": bitmap(4, 1, 8, palette=[(1, 2, 3), (4, 5, 6)]),
        "rgb16_555_3x2.bmp": bitmap(3, 2, 16),
        "rgb16_565_fields.bmp": bitmap(3, 2, 16, compression=3, masks=(0xF800, 0x7E0, 0x1F), masks_after=True),
        "rgb32_2x2.bmp": bitmap(2, 2, 32),
        "rgb32_v4_fields.bmp": bitmap(2, 2, 32, header=108, compression=3,
                                      masks=(0xFF, 0xFF00, 0xFF0000, 0xFF000000)),
        "rgb32_v5_topdown.bmp": bitmap(2, 3, 32, header=124, top_down=True, compression=3,
                                       masks=(0x3FF00000, 0xFFC00, 0x3FF, 0xC0000000)),
        "rle8_4x2.bmp": bitmap(4, 2, 8, compression=1),
        "rle4_4x2.bmp": bitmap(4, 2, 4, compression=2),
        "rgb24_cut.bmp": bitmap(4, 4, 24)[:-17],
        "header16_24.bmp": bitmap(2, 2, 24, header=16),
        "header20_24.bmp": bitmap(2, 2, 24, header=20),
    }
    for name, data in files.items():
        with open(os.path.join(out, name), "wb") as f:
            f.write(data)


if __name__ == "__main__":
    main()
