"""The Windows icon file (packaging/windows/rotandor.ico) made from the 32 x
32 icon the program embeds: 16, 32, 48 and 256 pixels. make_pictures.py calls
it right after it draws the icon, so one run writes both.

The 32 x 32 image is the icon itself; 16 averages each 2 x 2 block, 48 and
256 repeat pixels (1.5 and 8 times), so the larger ones stay sharp.
"""
import io
import struct

from PIL import Image


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


def ico(icon):
    """The icon file for a 32 x 32 RGB image."""
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
    return out + b"".join(blobs)
