#!/usr/bin/python3
"""Checks a screenshot of a match on the first level of tests/e2e/arena.def (800 x 600)."""
import sys
from PIL import Image, ImageStat

UNIT = 300 / 4.6  # pixels per arena unit at zoom 1 in a 600-pixel-high window


def pixel_of(h, v, w, hgt):
    return int(round(w / 2 + h * UNIT)), int(round(hgt / 2 - v * UNIT))


def brightness(img, x, y, r=3):
    box = img.crop((x - r, y - r, x + r + 1, y + r + 1)).convert("L")
    return max(box.getdata())


def main(path):
    img = Image.open(path).convert("RGB")
    w, h = img.size
    if (w, h) != (800, 600):
        img = img.crop((0, 0, 800, 600))
        w, h = 800, 600
    faults = []
    if ImageStat.Stat(img.convert("L")).stddev[0] < 5:
        faults.append("the frame is blank")
    for node in [(-4, 2), (4, 2), (0, -2), (0, 2.5)]:
        x, y = pixel_of(node[0], node[1], w, h)
        if brightness(img, x, y) < 60:
            faults.append(f"no node drawn at {node} (pixel {x},{y})")
    for gap in [(-2, 0), (2, 0), (0, 0.5)]:
        x, y = pixel_of(gap[0], gap[1], w, h)
        if brightness(img, x, y, 1) > 40:
            faults.append(f"something bright at empty arena point {gap} (pixel {x},{y})")
    # Beyond the left and right edges the outside area shows in the border grey.
    for x in (2, w - 3):
        r, g, b = img.getpixel((x, h // 2))
        if not (60 < r < 200 and abs(r - g) < 20 and abs(g - b) < 20):
            faults.append(f"outside area at x={x} is {r, g, b}, not grey")
    for f in faults:
        print("FAIL:", f)
    return 1 if faults else 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1]))
