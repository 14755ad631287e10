#!/usr/bin/python3
"""Checks the screenshots of a walk through the game's screens (800 x 600).

    check_screens.py SHOT...        each shot is a picture, and the shots of
                                    different screens differ from each other
    check_screens.py --bright SHOT  exit 0 when the shot is the light leaderboard

A shot is named SCREEN-N.png; shots of one screen (title-1, title-2) may look alike.
"""
import itertools
import os
import sys
from PIL import Image, ImageChops, ImageStat

MIN_DETAIL = 5.0      # grey-level spread of a screen that shows something
MIN_DIFFERENCE = 1.0  # mean grey-level change between two different screens
BRIGHT = 150          # the leaderboard is cleared to a light tint


def load(path):
    img = Image.open(path).convert("L")
    return img.crop((0, 0, 800, 600)) if img.size != (800, 600) else img


def screen_of(path):
    return os.path.basename(path).rsplit("-", 1)[0]


def main(args):
    if args and args[0] == "--bright":
        return 0 if ImageStat.Stat(load(args[1])).mean[0] > BRIGHT else 1
    shots = {path: load(path) for path in args}
    faults = []
    for path, img in shots.items():
        spread = ImageStat.Stat(img).stddev[0]
        if spread < MIN_DETAIL:
            faults.append(f"{os.path.basename(path)} is blank (spread {spread:.1f})")
    for (a, ia), (b, ib) in itertools.combinations(shots.items(), 2):
        if screen_of(a) == screen_of(b):
            continue
        diff = ImageStat.Stat(ImageChops.difference(ia, ib)).mean[0]
        if diff < MIN_DIFFERENCE:
            faults.append(f"{os.path.basename(a)} and {os.path.basename(b)} look the same ({diff:.2f})")
    for f in faults:
        print("FAIL:", f)
    return 1 if faults else 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
