#!/usr/bin/python3
"""Writes packaging/windows/rotandor.ico from the icon the program embeds
(src/game/my_icon.inc): 16, 32, 48 and 256 pixels for the Windows build.

The 32 x 32 image is the icon itself; 16 averages each 2 x 2 block, 48 and
256 repeat pixels (1.5 and 8 times), so the larger ones stay sharp.
Usage: /usr/bin/python3 tools/make_icon.py
"""
import io
import os
import re
import struct

from PIL import Image

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))


def read_icon():
    text = open(os.path.join(ROOT, "src", "game", "my_icon.inc")).read()
    palette = [int(v, 16) for v in re.findall(r"0x([0-9A-Fa-f]{6})", text.split("myIconRows")[0])]
    rows = re.findall(r'"([0-9A-Fa-f]{32})"', text)
    assert len(palette) == 16 and len(rows) == 32
    img = Image.new("RGB", (32, 32))
    for y, row in enumerate(rows):
        for x, c in enumerate(row):
            v = palette[int(c, 16)]
            img.putpixel((x, y), (v >> 16, (v >> 8) & 255, v & 255))
    return img


def bmp_entry(img):
    """An icon image as a bottom-up 32-bit DIB with its AND mask."""
    w, h = img.size
    header = struct.pack("<IiiHHIIiiII", 40, w, h * 2, 1, 32, 0, 0, 0, 0, 0, 0)
    pixels = bytearray()
    for y in range(h - 1, -1, -1):
        for x in range(w):
            r, g, b = img.getpixel((x, y))
            pixels += bytes((b, g, r, 255))
    mask_row = ((w + 31) // 32) * 4
    return header + bytes(pixels) + bytes(mask_row * h)


def png_entry(img):
    out = io.BytesIO()
    img.save(out, format="PNG", optimize=True)
    return out.getvalue()


def main():
    icon = read_icon()
    images = [
        icon.resize((16, 16), Image.BOX),
        icon,
        icon.resize((48, 48), Image.NEAREST),
        icon.resize((256, 256), Image.NEAREST),
    ]
    blobs = [png_entry(i) if i.size[0] == 256 else bmp_entry(i) for i in images]
    out = struct.pack("<HHH", 0, 1, len(images))
    offset = 6 + 16 * len(images)
    for img, blob in zip(images, blobs):
        size = img.size[0] % 256  # 0 means 256
        out += struct.pack("<BBBBHHII", size, size, 0, 0, 1, 32, len(blob), offset)
        offset += len(blob)
    with open(os.path.join(ROOT, "packaging", "windows", "rotandor.ico"), "wb") as f:
        f.write(out + b"".join(blobs))


if __name__ == "__main__":
    main()
