#!/usr/bin/python3
"""Draws the pictures of the default template package into
resources/default-template/files/. Run once by hand when they change (needs the
Debian package python3-pil); the build uses the committed pictures."""
import os
import random

from PIL import Image, ImageDraw

OUT = os.path.join(os.path.dirname(__file__), "..", "resources", "default-template", "files")

# A 5x7 pixel font for the few letters the button needs.
FONT = {
    "R": ["11110", "10001", "10001", "11110", "10100", "10010", "10001"],
    "S": ["01111", "10000", "10000", "01110", "00001", "00001", "11110"],
}


def clear_gif():
    img = Image.new("P", (1, 1), 0)
    img.putpalette([255, 255, 255] + [0, 0, 0] * 255)
    img.save(os.path.join(OUT, "clear.gif"), transparency=0)


def xml_gif():
    w, h = 36, 14
    img = Image.new("RGB", (w, h), (242, 101, 34))
    d = ImageDraw.Draw(img)
    d.rectangle([0, 0, w - 1, h - 1], outline=(190, 70, 20))
    d.line([1, 1, w - 2, 1], fill=(250, 150, 90))
    x = 6
    for ch in "RSS":
        rows = FONT[ch]
        for yy, bits in enumerate(rows):
            for xx, b in enumerate(bits):
                if b == "1":
                    img.putpixel((x + xx, 3 + yy), (255, 255, 255))
        x += 9
    img = img.convert("P", palette=Image.ADAPTIVE, colors=16)
    img.save(os.path.join(OUT, "xml.gif"))


def tag_gif():
    w = 15
    img = Image.new("P", (w, w), 0)
    img.putpalette([255, 255, 255, 43, 58, 74, 200, 161, 90] + [0, 0, 0] * 253)
    d = ImageDraw.Draw(img)
    # A luggage tag: a square body with a pointed left end and a hole.
    d.polygon([(1, 7), (5, 2), (13, 2), (13, 12), (5, 12)], fill=2, outline=1)
    d.ellipse([4, 6, 6, 8], fill=0)
    img.save(os.path.join(OUT, "tag.gif"), transparency=0)


def leftside_jpg():
    w, h = 192, 800
    random.seed(7)
    img = Image.new("RGB", (w, h))
    px = img.load()
    for y in range(h):
        for x in range(w):
            # A soft paper texture in the column's colour (#e9e6de), so that it
            # blends where the column is wider than the picture.
            n = random.randint(-4, 4)
            px[x, y] = (233 + n, 230 + n, 222 + n)
    img.save(os.path.join(OUT, "leftside.jpg"), quality=50, optimize=True)


if __name__ == "__main__":
    clear_gif()
    xml_gif()
    tag_gif()
    leftside_jpg()
    for name in ("clear.gif", "xml.gif", "tag.gif", "leftside.jpg"):
        print(name, os.path.getsize(os.path.join(OUT, name)))
