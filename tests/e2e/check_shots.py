#!/usr/bin/python3
"""Checks the game's screenshots, each named SCREEN-N.png.

    check_shots.py SHOT...             no shot is blank; shots of different SCREENs differ
    check_shots.py --arena SHOT        the first level of arena.def is drawn where it belongs (800 x 600)
    check_shots.py --leaderboard SHOT  exit 0 when the shot is the leaderboard, at any window size
    check_shots.py --chosen SHOT X Y   exit 0 when the level select's row at pixel (X, Y) is the chosen one
    check_shots.py --buttons SHOT      the title without its picture still shows its six buttons (800 x 600)
    check_shots.py --inside SHOT       the leaderboard's panel, edge and text, lies inside the window
    check_shots.py --rows SHOT         the level select's chosen row lies inside the window, right of centre
    check_shots.py --texts LOG...      the text a screen drew (the game's TETHRIX_TEXT_LOG, kept beside
                                       its shot as SCREEN-N.txt) lies inside the window, and says what
                                       that screen must say
"""
import itertools
import os
import sys
from PIL import Image, ImageChops, ImageStat

MIN_DETAIL = 5.0      # grey-level spread of a screen that shows something
MIN_DIFFERENCE = 1.0  # mean grey-level change between two different screens
UNIT = 300 / 4.6      # pixels per arena unit at zoom 1 in a 600-pixel-high window
LIFT = 0.08 * 300     # the arena is raised clear of the score bar, the bottom 8% of the window
PANEL = (17, 21, 53)  # the leaderboard's night-blue panel under the title band
PANEL_TOLERANCE = 12  # per channel
BAND = (0, 0, 800, 190)      # the title band: the picture's detail
PANEL_AREA = (60, 240, 740, 570)  # mostly panel: its text is thin


def load(path, whole=False):
    img = Image.open(path).convert("RGB")
    return img if whole else img.crop((0, 0, 800, 600))


def chosen(path, x, y):
    """The chosen row lies on a green band; the others on the night or a blue hover band."""
    r, g, b = (sum(c) / 25 for c in zip(*load(path, True).crop((x - 2, y - 2, x + 3, y + 3)).getdata()))
    return g > r + 20 and g > b + 12


def buttons(path):
    img = load(path).convert("L")
    faults = []
    for h, v in [(130, 240), (310, 240), (490, 240), (130, 385), (310, 385), (460, 400)]:
        x, y = h * 5 // 4, v * 5 // 4
        if max(img.crop((x - 60, y - 15, x + 60, y + 15)).getdata()) < 150:
            faults.append(f"no button label at menu point ({h}, {v})")
    return faults


def screens(paths):
    shots = {os.path.basename(p): load(p).convert("L") for p in paths}
    faults = [f"{name} is blank" for name, img in shots.items()
              if ImageStat.Stat(img).stddev[0] < MIN_DETAIL]
    for (a, ia), (b, ib) in itertools.combinations(shots.items(), 2):
        diff = ImageStat.Stat(ImageChops.difference(ia, ib)).mean[0]
        if a.rsplit("-", 1)[0] != b.rsplit("-", 1)[0] and diff < MIN_DIFFERENCE:
            faults.append(f"{a} and {b} look the same ({diff:.2f})")
    return faults


def arena(path):
    img = load(path)

    def brightness(h, v, r):  # the brightest pixel within r of the arena point (h, v)
        x, y = round(400 + h * UNIT), round(300 - LIFT - v * UNIT)
        return max(img.crop((x - r, y - r, x + r + 1, y + r + 1)).convert("L").getdata())
    faults = [f"no node drawn at {n}" for n in [(-4, 2), (4, 2), (0, -2), (0, 2.5)]
              if brightness(*n, 3) < 60]
    faults += [f"something bright at empty arena point {g}" for g in [(-2, 0), (2, 0), (0, 0.5)]
               if brightness(*g, 1) > 40]
    return faults


def menu_area(path):
    """The centred 4:3 area the menus are drawn in, as 800 x 600."""
    img = load(path, True)
    w, h = img.size
    s = min(w / 800, h / 600)
    left, top = (w - 800 * s) / 2, (h - 600 * s) / 2
    return img.crop((round(left), round(top), round(left + 800 * s), round(top + 600 * s))).resize((800, 600))


def leaderboard(path):
    """The title band over a panel of the leaderboard's own blue: no game or other menu has both."""
    img = menu_area(path)
    band = ImageStat.Stat(img.crop(BAND).convert("L")).stddev[0]
    panel = ImageStat.Stat(img.crop(PANEL_AREA)).median
    return band > MIN_DETAIL and all(abs(c - w) <= PANEL_TOLERANCE for c, w in zip(panel, PANEL))


KEYS_INK = (128, 255, 153)  # its line of keys, the lowest text on it
MARGIN = 2


def box_of(img, colour, tolerance=40):
    """The bounding box of the pixels near a colour, or None."""
    px = img.load()
    w, h = img.size
    xs, ys = [], []
    for y in range(0, h, 1):
        for x in range(0, w, 2):
            p = px[x, y]
            if all(abs(c - k) <= tolerance for c, k in zip(p, colour)):
                xs.append(x)
                ys.append(y)
    return (min(xs), min(ys), max(xs), max(ys)) if xs else None


def inside(path):
    """The panel lies inside the window, and the keys' line, its lowest text, inside the panel."""
    img = Image.open(path).convert("RGB")
    w, h = img.size
    edge = box_of(img, PANEL, PANEL_TOLERANCE)
    keys = box_of(img, KEYS_INK, 40)
    faults = []
    if edge is None or keys is None:
        return [f"{os.path.basename(path)}: no panel or no keys' line"]
    if edge[0] < MARGIN or edge[1] < MARGIN or edge[2] > w - 1 - MARGIN or edge[3] > h - 1 - MARGIN:
        faults.append(f"{os.path.basename(path)}: the panel {edge} touches the window's edge")
    if not (edge[0] < keys[0] and keys[2] < edge[2] and edge[1] < keys[1] and keys[3] < edge[3]):
        faults.append(f"{os.path.basename(path)}: the keys' line {keys} leaves the panel {edge}")
    return faults


def rows(path):
    """The chosen row's green band: inside the window, on the list's side of it."""
    img = Image.open(path).convert("RGB")
    w, h = img.size
    px = img.load()
    step = max(1, w // 800)
    xs, ys = [], []
    for y in range(0, h, step):
        for x in range(0, w, step):
            r, g, b = px[x, y]
            if g > r + 20 and g > b + 12 and g > 60:
                xs.append(x)
                ys.append(y)
    name = os.path.basename(path)
    if not xs:
        return [f"{name}: no chosen row"]
    box = (min(xs), min(ys), max(xs), max(ys))
    if box[0] < w / 2 or box[2] > w - 1 - MARGIN or box[1] < MARGIN or box[3] > h - 1 - MARGIN:
        return [f"{name}: the chosen row {box} is not inside the window's right half"]
    return []


# What each screen must show, as the start of a line of its text.
SCREEN_TEXT = {
    "title": ["Arcade", "Play", "Credits", "Options", "Help", "Quit"],
    "levelselect": ["Game type", "Team Deathmatch", "Go!"],
    "game": ["Red: ", "Blue: ", "Team Deathmatch to:3", "Press ESC"],
    "leaderboard": [" Wins!", "Space: "],
}


def texts(path):
    """Every line's box inside the window; the screen's own words among them."""
    name = os.path.basename(path)
    with open(path) as f:
        head, *lines = f.read().splitlines()
    w, h = (int(n) for n in head.split()[1:3])
    faults, seen = [], []
    for line in lines:
        *box, text = line.split(" ", 4)
        x0, y0, x1, y1 = (float(n) for n in box)
        seen.append(text)
        if x0 < -0.5 or y0 < -0.5 or x1 > w + 0.5 or y1 > h + 0.5:
            faults.append(f"{name}: \"{text}\" at ({x0}, {y0})-({x1}, {y1}) leaves the {w} x {h} window")
    for want in SCREEN_TEXT.get(name.split("-")[0].split(".")[0], []):
        if not any(t.startswith(want) or (want.startswith(" ") and want in t) for t in seen):
            faults.append(f"{name}: no \"{want.strip()}\" among {seen}")
    return faults


def main(args):
    if args[0] == "--leaderboard":
        return 0 if leaderboard(args[1]) else 1
    if args[0] == "--chosen":
        return 0 if chosen(args[1], int(args[2]), int(args[3])) else 1
    if args[0] == "--texts":
        faults = [f for path in args[1:] for f in texts(path)]
        print("".join(f"FAIL: {f}\n" for f in faults), end="")
        return 1 if faults else 0
    faults = (arena(args[1]) if args[0] == "--arena" else buttons(args[1]) if args[0] == "--buttons"
              else inside(args[1]) if args[0] == "--inside" else rows(args[1]) if args[0] == "--rows"
              else screens(args))
    print("".join(f"FAIL: {f}\n" for f in faults), end="")
    return 1 if faults else 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
