#!/usr/bin/python3
"""Draws the game's pictures and writes them into data/ as SGI images, and the
desktop icon into dist/icons/ as PNGs.

    /usr/bin/python3 tools/make_art.py [--preview DIR]

Needs the Debian packages python3-pil, python3-numpy and fonts-dejavu-core.
The output is the same on every run (fixed random seeds), so the committed
images can always be regenerated from this file.  --preview also writes a PNG
of each picture into DIR for a quick look.

What the game reads:
  sprites.sgi  16 faces across x 6 roster slots down; slot 0 is the top row.
               The game maps each cell onto a square, so the cells here are
               taller than wide (64 x 85.3) and the faces are drawn squashed
               to match.
  tethrix.sgi  the 4:3 title picture; the six buttons sit where the title
               screen redraws them and where its mouse targets are.
  node.sgi     a white glowing orb, tinted by the node colour in the game.
  wall.sgi     a bevelled metal bar that reads the same in either direction.
  Font.sgi     16 x 16 cells, ' ' in the top-left cell, then printable ASCII
               left to right, top to bottom; white, shape in the alpha.
"""

import argparse
import math
import os
import random
import struct
import sys

try:
    import numpy as np
    from PIL import Image, ImageChops, ImageDraw, ImageFilter, ImageFont
except ImportError as exc:  # pragma: no cover - only a hint for a bare machine
    sys.exit(f"{exc}: apt-get install python3-pil python3-numpy fonts-dejavu-core")

FONT_DIR = "/usr/share/fonts/truetype/dejavu"
SANS_BOLD = os.path.join(FONT_DIR, "DejaVuSans-Bold.ttf")
MONO_BOLD = os.path.join(FONT_DIR, "DejaVuSansMono-Bold.ttf")

DATA_DIR = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "data")
ICON_DIR = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "dist", "icons")
ICON_SIZES = (48, 64, 128, 256)


# ---------------------------------------------------------------------------
# SGI writer

SGI_MAGIC = 474


def _rle_row(row):
    """Packs one channel row: repeat packets for runs of 3 or more, literal
    packets otherwise, each at most 127 bytes, and a 0 byte to end the row."""
    out = bytearray()
    n = len(row)
    i = 0
    while i < n:
        j = i + 1
        while j < n and j - i < 127 and row[j] == row[i]:
            j += 1
        if j - i >= 3:
            out += bytes((j - i, row[i]))
            i = j
            continue
        start = i
        while i < n and i - start < 127:
            if i + 2 < n and row[i] == row[i + 1] == row[i + 2]:
                break
            i += 1
        out.append(0x80 | (i - start))
        out += row[start:i]
    out.append(0)
    return bytes(out)


def sgi_bytes(img, rle, name=""):
    """Encodes a PIL image (L, RGB or RGBA) as an SGI file, 1 byte a channel."""
    arr = np.asarray(img)
    if arr.ndim == 2:
        arr = arr[:, :, None]
    ysize, xsize, zsize = arr.shape
    if zsize not in (1, 3, 4) or xsize > 65535 or ysize > 65535:
        raise ValueError(f"cannot store a {xsize}x{ysize}x{zsize} image")
    # SGI rows run bottom to top; channels are stored as separate planes.
    planes = np.ascontiguousarray(arr[::-1].transpose(2, 0, 1))
    header = struct.pack(">hBBHHHHii4s80si404s", SGI_MAGIC, 1 if rle else 0, 1,
                         3 if zsize > 1 else 2, xsize, ysize, zsize, 0, 255,
                         b"", name.encode("ascii")[:79], 0, b"")
    assert len(header) == 512
    if not rle:
        return header + planes.tobytes()
    rows = [_rle_row(planes[z, y].tobytes()) for z in range(zsize) for y in range(ysize)]
    offsets, lengths = [], []
    pos = 512 + 8 * ysize * zsize
    for r in rows:  # tables are indexed by y + z * ysize, the order of `rows`
        offsets.append(pos)
        lengths.append(len(r))
        pos += len(r)
    tables = struct.pack(f">{len(rows)}I", *offsets) + struct.pack(f">{len(rows)}I", *lengths)
    return header + tables + b"".join(rows)


def write_sgi(img, filename, rle, preview_dir=None):
    data = sgi_bytes(img, rle, os.path.splitext(filename)[0])
    path = os.path.join(DATA_DIR, filename)
    with open(path, "wb") as f:
        f.write(data)
    # Read it back with an independent decoder: a writer bug shows up here,
    # not as a garbled texture in the game.
    with Image.open(path) as back:
        back.load()
        same = back.mode == img.mode and np.array_equal(np.asarray(back), np.asarray(img))
    if not same:
        sys.exit(f"{path}: read back differs from what was written")
    print(f"{filename}: {img.size[0]}x{img.size[1]} {img.mode} "
          f"{'RLE' if rle else 'verbatim'} {len(data)} bytes")
    if preview_dir:
        img.save(os.path.join(preview_dir, os.path.splitext(filename)[0] + ".png"))


# ---------------------------------------------------------------------------
# Shared drawing helpers (numpy float images, 0..1)

def to_image(rgb, alpha=None):
    rgb = np.clip(rgb, 0.0, 1.0)
    if alpha is None:
        return Image.fromarray((rgb * 255 + 0.5).astype(np.uint8), "RGB")
    a = np.clip(alpha, 0.0, 1.0)[..., None]
    return Image.fromarray((np.concatenate([rgb, a], axis=2) * 255 + 0.5).astype(np.uint8), "RGBA")


def shrink_rgba(img, size):
    """Downsamples with premultiplied alpha so edges don't pick up the colour
    of fully transparent pixels."""
    return img.convert("RGBa").resize(size, Image.LANCZOS).convert("RGBA")


def periodic_noise(size, scale, seed):
    """Smooth noise that wraps at the edges, so a texture built on it tiles."""
    rng = np.random.default_rng(seed)
    white = rng.standard_normal((size, size))
    fy = np.fft.fftfreq(size)[:, None]
    fx = np.fft.fftfreq(size)[None, :]
    f = np.sqrt(fx * fx + fy * fy) * size
    spectrum = np.fft.fft2(white) * np.exp(-(f / scale) ** 2)
    n = np.real(np.fft.ifft2(spectrum))
    return (n - n.mean()) / (n.std() + 1e-9)


def colour_layer(colour, alpha):
    """A flat colour (0..255 ints) over an alpha array (0..1)."""
    h, w = alpha.shape
    rgb = np.broadcast_to(np.array(colour, np.uint8), (h, w, 3))
    a = (np.clip(alpha, 0, 1) * 255 + 0.5).astype(np.uint8)[..., None]
    return Image.fromarray(np.concatenate([rgb, a], axis=2), "RGBA")


def glow(mask, radius):
    """Blurred copy of an L-mode mask, as a float array."""
    return np.asarray(mask.filter(ImageFilter.GaussianBlur(radius)), dtype=np.float32) / 255.0


# ---------------------------------------------------------------------------
# Sprites: 16 faces x 6 roster slots

# Face colour of each roster slot, top row first: the first-run colours of the six
# players (data/prefs.def), taken from the Okabe-Ito palette so colour-blind players
# can tell them apart (docs/colours.md). Each keeps the hue its name and the
# announcer call it by: vermillion, yellow, orange, reddish purple, bluish green, blue.
SLOT_COLOURS = [
    (213 / 255, 94 / 255, 0 / 255),
    (240 / 255, 228 / 255, 66 / 255),
    (230 / 255, 159 / 255, 0 / 255),
    (204 / 255, 121 / 255, 167 / 255),
    (0 / 255, 158 / 255, 115 / 255),
    (0 / 255, 114 / 255, 178 / 255),
]

# What each column shows. The drawing code picks 0, 1, 2, 4, 5, 6, 8, 11, 14
# and 15 for states; otherwise a ball shows column sprite - 1, so the default
# sprites 8, 11, 4, 10, 2 and 1 show columns 7, 10, 3, 9, 1 and 0. Columns 0
# and 1 therefore double as everyday faces and must not look odd at rest.
FACE_COLUMNS = [
    "shielded", "grown", "losing", "smile", "turbo", "drunk", "stunned", "grin",
    "shrunk", "shades", "wink", "slowed", "laugh", "moustache", "it", "supernova",
]

CELL = 256                 # working size of one face cell (drawn square)
SHEET_SIZE = (1024, 512)   # stored size; each cell becomes 64 x 85.3

INK = (22, 14, 30)
WHITE = (250, 250, 250)
TONGUE = (235, 90, 110)


class Face:
    """Draws features on one cell; positions are in face radii from the
    centre, y growing downward."""

    def __init__(self, colour):
        self.colour = colour
        self.R = CELL * 0.455
        self.img = Image.new("RGBA", (CELL, CELL), (0, 0, 0, 0))
        self.draw = ImageDraw.Draw(self.img)
        self.lw = max(2, int(CELL * 0.03))

    def p(self, x, y):
        return (CELL / 2 + x * self.R, CELL / 2 + y * self.R)

    def box(self, x, y, rx, ry):
        (x0, y0), (x1, y1) = self.p(x - rx, y - ry), self.p(x + rx, y + ry)
        return [x0, y0, x1, y1]

    def w(self, k=1.0):
        return max(1, int(self.lw * k))

    def ball(self):
        c = np.array(self.colour)
        yy, xx = np.mgrid[0:CELL, 0:CELL].astype(np.float32)
        cx = cy = CELL / 2
        r = np.hypot(xx - cx, yy - cy) / self.R
        # light from the upper left, darker towards the rim
        d = np.hypot(xx - (cx - 0.35 * self.R), yy - (cy - 0.4 * self.R)) / self.R
        shade = np.clip(1.18 - 0.42 * d, 0.45, 1.2)[..., None]
        rgb = c * shade
        rgb = rgb + (1 - rgb) * 0.12 * np.clip(1 - d, 0, 1)[..., None]
        rim = np.clip((r - 0.86) / 0.14, 0, 1)[..., None]
        rgb = rgb * (1 - 0.35 * rim)
        edge = 0.06
        alpha = np.clip((1.0 - r) * self.R / 1.5 + 0.5, 0, 1)
        outline = np.clip((r - (1 - edge)) / 0.015, 0, 1)[..., None]
        ink = np.array(INK) / 255.0
        rgb = rgb * (1 - outline) + ink * outline
        # transparent pixels carry the outline colour so filtering stays dark
        rgb = np.where((alpha > 0)[..., None], rgb, ink)
        self.img = to_image(rgb, alpha)
        self.draw = ImageDraw.Draw(self.img)

    def shine(self):
        hl = Image.new("L", (CELL, CELL), 0)
        ImageDraw.Draw(hl).ellipse(self.box(-0.42, -0.55, 0.2, 0.12), fill=200)
        hl = hl.filter(ImageFilter.GaussianBlur(CELL * 0.02))
        white = Image.new("RGBA", (CELL, CELL), (255, 255, 255, 255))
        white.putalpha(ImageChops.multiply(hl, self.img.getchannel("A")))
        self.img = Image.alpha_composite(self.img, white)
        self.draw = ImageDraw.Draw(self.img)

    # -- features --------------------------------------------------------
    def eye(self, x, y, rx=0.17, ry=0.21, look=(0.0, 0.1), pupil=0.55, lid=0.0):
        d = self.draw
        d.ellipse(self.box(x, y, rx, ry), fill=WHITE)
        px, py = x + look[0] * rx, y + look[1] * ry
        d.ellipse(self.box(px, py, rx * pupil, ry * pupil), fill=INK)
        d.ellipse(self.box(px - rx * pupil * 0.35, py - ry * pupil * 0.4,
                           rx * pupil * 0.28, ry * pupil * 0.28), fill=WHITE)
        if lid > 0:
            # heavy eyelid in the face colour, clipped to the eye
            edge = y - ry + 2 * ry * lid
            shade = tuple(int(v * 255 * 0.88) for v in self.colour) + (255,)
            layer = Image.new("RGBA", (CELL, CELL), (0, 0, 0, 0))
            ImageDraw.Draw(layer).rectangle([*self.p(x - rx, y - ry), *self.p(x + rx, edge)], fill=shade)
            mask = Image.new("L", (CELL, CELL), 0)
            ImageDraw.Draw(mask).ellipse(self.box(x, y, rx, ry), fill=255)
            layer.putalpha(ImageChops.multiply(layer.getchannel("A"), mask))
            self.img.alpha_composite(layer)
            d = self.draw = ImageDraw.Draw(self.img)
            half = rx * math.sqrt(max(0.0, 1 - ((edge - y) / ry) ** 2))
            d.line([self.p(x - half, edge), self.p(x + half, edge)], fill=INK, width=self.w(1.2))
        d.ellipse(self.box(x, y, rx, ry), outline=INK, width=self.w())

    def closed_eye(self, x, y, rx=0.16, up=True):
        start, end = (200, 340) if up else (20, 160)
        cy = y + (0.08 if up else -0.08)
        self.draw.arc(self.box(x, cy, rx, rx * 0.8), start, end, fill=INK, width=self.w(1.6))

    def brow(self, x, y, tilt, length=0.2, k=1.6):
        # tilt > 0 lowers the inner end: an angry or determined look
        s = 1 if x > 0 else -1
        inner = (x - s * length / 2, y + tilt / 2)
        outer = (x + s * length / 2, y - tilt / 2)
        self.draw.line([self.p(*inner), self.p(*outer)], fill=INK, width=self.w(k))

    def smile(self, y=0.25, rx=0.42, ry=0.3, start=20, end=160, k=1.6):
        self.draw.arc(self.box(0, y, rx, ry), start, end, fill=INK, width=self.w(k))

    def open_mouth(self, y=0.28, rx=0.42, ry=0.33, teeth=True, tongue=True):
        d = self.draw
        box = self.box(0, y - ry * 0.55, rx, ry)
        d.chord(box, 0, 180, fill=INK)
        if tongue:
            # tongue clipped to the open mouth
            mask = Image.new("L", (CELL, CELL), 0)
            ImageDraw.Draw(mask).chord(box, 0, 180, fill=255)
            layer = Image.new("RGBA", (CELL, CELL), (0, 0, 0, 0))
            ImageDraw.Draw(layer).ellipse(self.box(0.06, y + ry * 0.32, rx * 0.5, ry * 0.4), fill=TONGUE)
            layer.putalpha(ImageChops.multiply(layer.getchannel("A"), mask))
            self.img.alpha_composite(layer)
            d = self.draw = ImageDraw.Draw(self.img)
        if teeth:
            top = y - ry * 0.55
            d.rectangle([*self.p(-rx * 0.8, top), *self.p(rx * 0.8, top + ry * 0.22)], fill=WHITE)
            d.chord(box, 0, 180, outline=INK, width=self.w(1.2))
            d.line([self.p(-rx, top), self.p(rx, top)], fill=INK, width=self.w(1.2))

    def blush(self, alpha=110, colour=(255, 90, 110)):
        layer = Image.new("RGBA", (CELL, CELL), (0, 0, 0, 0))
        dl = ImageDraw.Draw(layer)
        for x in (-0.55, 0.55):
            dl.ellipse(self.box(x, 0.2, 0.16, 0.1), fill=colour + (alpha,))
        layer = layer.filter(ImageFilter.GaussianBlur(CELL * 0.012))
        self.img.alpha_composite(layer)
        self.draw = ImageDraw.Draw(self.img)

    def sweat(self, x, y, s=0.12):
        d = self.draw
        pts = [self.p(x, y - s * 1.9), self.p(x + s * 0.9, y), self.p(x - s * 0.9, y)]
        d.polygon(pts, fill=(150, 210, 255))
        d.ellipse(self.box(x, y + s * 0.1, s * 0.95, s * 0.95), fill=(150, 210, 255))
        d.line([pts[0], pts[1]], fill=INK, width=self.w(0.8))
        d.line([pts[0], pts[2]], fill=INK, width=self.w(0.8))
        d.arc(self.box(x, y + s * 0.1, s * 0.95, s * 0.95), -10, 190, fill=INK, width=self.w(0.8))
        d.ellipse(self.box(x - s * 0.35, y - s * 0.1, s * 0.22, s * 0.3), fill=WHITE)

    def star(self, x, y, s, colour=(255, 236, 90)):
        pts = []
        for i in range(10):
            a = -math.pi / 2 + i * math.pi / 5
            rr = s if i % 2 == 0 else s * 0.45
            pts.append(self.p(x + rr * math.cos(a), y + rr * math.sin(a)))
        self.draw.polygon(pts, fill=colour, outline=INK)

    def spiral_eye(self, x, y, r=0.2, turns=2.3):
        pts = []
        n = 80
        for i in range(n + 1):
            t = i / n
            a = t * turns * 2 * math.pi
            rr = r * t
            pts.append(self.p(x + rr * math.cos(a), y + rr * math.sin(a)))
        self.draw.ellipse(self.box(x, y, r * 1.15, r * 1.15), fill=WHITE, outline=INK, width=self.w())
        self.draw.line(pts, fill=INK, width=self.w(1.1), joint="curve")

    def zee(self, x, y, s):
        pts = [self.p(x - s, y - s), self.p(x + s, y - s), self.p(x - s, y + s), self.p(x + s, y + s)]
        self.draw.line(pts, fill=WHITE, width=self.w(1.8))
        self.draw.line(pts, fill=INK, width=self.w(0.7))


def face_picture(kind, colour):
    f = Face(colour)
    f.ball()
    if kind == "supernova":
        # white-hot from the middle out; the rim keeps the slot's colour
        hot = np.asarray(f.img, dtype=np.float32) / 255.0
        yy, xx = np.mgrid[0:CELL, 0:CELL].astype(np.float32)
        r = np.hypot(xx - CELL / 2, yy - CELL / 2) / f.R
        heat = np.clip(1.1 * (0.85 - r), 0, 1)[..., None] ** 0.9
        rgb = hot[..., :3] * (1 - heat) + np.array([1.0, 0.93, 0.6]) * heat
        f.img = to_image(rgb, hot[..., 3])
        f.draw = ImageDraw.Draw(f.img)
    f.shine()
    d = f.draw

    if kind == "shielded":
        # steel helmet over the brow: an armoured face, fine as an everyday look
        steel = Image.new("RGBA", (CELL, CELL), (0, 0, 0, 0))
        ds = ImageDraw.Draw(steel)
        ds.chord(f.box(0, 0.0, 1.0, 1.0), 180, 360, fill=(170, 180, 195, 255))
        mask = Image.new("L", (CELL, CELL), 0)
        ImageDraw.Draw(mask).rectangle([0, 0, CELL, f.p(0, -0.42)[1]], fill=255)
        mask = ImageChops.multiply(mask, f.img.getchannel("A"))
        yy, xx = np.mgrid[0:CELL, 0:CELL].astype(np.float32)
        sheen = 0.75 + 0.35 * np.clip(1 - np.abs(xx - CELL * 0.4) / (CELL * 0.3), 0, 1)
        arr = np.asarray(steel, dtype=np.float32) / 255.0
        rgb = arr[..., :3] * sheen[..., None]
        steel = to_image(rgb, np.asarray(mask, dtype=np.float32) / 255.0)
        f.img.alpha_composite(steel)
        d = f.draw = ImageDraw.Draw(f.img)
        y = -0.42
        d.line([f.p(-0.91, y), f.p(0.91, y)], fill=INK, width=f.w(1.4))
        d.line([f.p(0, -0.98), f.p(0, y)], fill=(235, 240, 250), width=f.w(2.2))
        d.line([f.p(0.06, -0.98), f.p(0.06, y)], fill=(90, 95, 110), width=f.w(0.8))
        for x in (-0.62, -0.3, 0.3, 0.62):
            d.ellipse(f.box(x, y - 0.09, 0.045, 0.045), fill=(230, 235, 245), outline=INK)
        f.eye(-0.32, -0.1, ry=0.2, look=(0.05, 0.1), lid=0.18)
        f.eye(0.32, -0.1, ry=0.2, look=(0.05, 0.1), lid=0.18)
        d = f.draw
        d.arc(f.box(0.05, 0.28, 0.32, 0.2), 15, 150, fill=INK, width=f.w(1.6))
        d.line([f.p(0.33, 0.3), f.p(0.42, 0.24)], fill=INK, width=f.w(1.4))
    elif kind == "grown":
        f.eye(-0.33, -0.28, rx=0.2, ry=0.25, look=(0, 0.05))
        f.eye(0.33, -0.28, rx=0.2, ry=0.25, look=(0, 0.05))
        f.brow(-0.35, -0.62, -0.06, 0.26)
        f.brow(0.35, -0.62, -0.06, 0.26)
        f.open_mouth(y=0.32, rx=0.58, ry=0.42, tongue=True)
        f.blush(90)
    elif kind == "losing":
        f.eye(-0.32, -0.15, look=(0, 0.45), ry=0.2)
        f.eye(0.32, -0.15, look=(0, 0.45), ry=0.2)
        f.brow(-0.34, -0.48, -0.14, 0.26)
        f.brow(0.34, -0.48, -0.14, 0.26)
        f.smile(y=0.62, rx=0.3, ry=0.2, start=200, end=340)
        f.sweat(-0.4, 0.25, 0.09)
    elif kind == "smile":
        f.eye(-0.3, -0.2)
        f.eye(0.3, -0.2)
        f.smile(y=0.18, rx=0.42, ry=0.33)
        f.blush(100)
    elif kind == "turbo":
        # racing goggles and gritted teeth
        for x in (-0.33, 0.33):
            d.ellipse(f.box(x, -0.22, 0.29, 0.25), fill=(60, 70, 80), outline=INK, width=f.w(1.2))
            d.ellipse(f.box(x, -0.22, 0.22, 0.18), fill=(120, 220, 255))
            d.ellipse(f.box(x - 0.08, -0.29, 0.07, 0.05), fill=WHITE)
        d.line([f.p(-0.95, -0.3), f.p(-0.62, -0.24)], fill=(60, 70, 80), width=f.w(3))
        d.line([f.p(0.95, -0.3), f.p(0.62, -0.24)], fill=(60, 70, 80), width=f.w(3))
        d.line([f.p(-0.05, -0.22), f.p(0.05, -0.22)], fill=(60, 70, 80), width=f.w(3))
        d.rounded_rectangle([*f.p(-0.4, 0.25), *f.p(0.4, 0.52)], radius=f.R * 0.1,
                            fill=WHITE, outline=INK, width=f.w(1.3))
        d.line([f.p(-0.4, 0.385), f.p(0.4, 0.385)], fill=INK, width=f.w(0.9))
        for x in (-0.2, 0.0, 0.2):
            d.line([f.p(x, 0.25), f.p(x, 0.52)], fill=INK, width=f.w(0.9))
    elif kind == "drunk":
        f.blush(170, (255, 60, 80))
        f.eye(-0.3, -0.18, look=(-0.35, 0.35), lid=0.55)
        f.eye(0.3, -0.18, look=(0.3, -0.1), lid=0.45)
        d = f.draw
        pts = [f.p(-0.38 + 0.76 * i / 20, 0.38 + 0.06 * math.sin(i / 20 * 3 * math.pi)) for i in range(21)]
        d.line(pts, fill=INK, width=f.w(1.5), joint="curve")
        d.chord(f.box(0.14, 0.42, 0.1, 0.12), 0, 180, fill=TONGUE, outline=INK)
        d.ellipse(f.box(0.62, -0.62, 0.1, 0.1), outline=WHITE, width=f.w(0.8))
        d.ellipse(f.box(0.74, -0.82, 0.06, 0.06), outline=WHITE, width=f.w(0.7))
    elif kind == "stunned":
        f.spiral_eye(-0.32, -0.15)
        f.spiral_eye(0.32, -0.15, turns=-2.3)
        d.ellipse(f.box(0.0, 0.4, 0.13, 0.17), fill=INK)
        # yellow stars vanish on the yellow face
        star = (255, 255, 255) if colour[1] > 0.7 and colour[0] > 0.7 else (255, 236, 90)
        f.star(-0.58, -0.66, 0.2, star)
        f.star(0.0, -0.8, 0.16, star)
        f.star(0.58, -0.66, 0.2, star)
    elif kind == "grin":
        f.eye(-0.3, -0.22, ry=0.23)
        f.eye(0.3, -0.22, ry=0.23)
        f.open_mouth(y=0.3, rx=0.45, ry=0.34, teeth=False)
    elif kind == "shrunk":
        f.eye(-0.3, -0.15, rx=0.2, ry=0.25, pupil=0.25, look=(0, 0))
        f.eye(0.3, -0.15, rx=0.2, ry=0.25, pupil=0.25, look=(0, 0))
        f.brow(-0.33, -0.6, -0.12, 0.24)
        f.brow(0.33, -0.6, -0.12, 0.24)
        d = f.draw
        d.ellipse(f.box(0, 0.42, 0.1, 0.12), fill=INK)
        f.sweat(0.62, -0.35, 0.11)
    elif kind == "shades":
        for x in (-0.3, 0.3):
            d.rounded_rectangle([*f.p(x - 0.28, -0.36), *f.p(x + 0.28, -0.06)],
                                radius=f.R * 0.12, fill=(20, 20, 28), outline=INK)
            d.line([f.p(x - 0.17, -0.3), f.p(x - 0.05, -0.3)], fill=(200, 210, 230), width=f.w(1))
        d.line([f.p(-0.05, -0.28), f.p(0.05, -0.28)], fill=INK, width=f.w(2))
        d.line([f.p(-0.58, -0.3), f.p(-0.85, -0.36)], fill=INK, width=f.w(1.5))
        d.line([f.p(0.58, -0.3), f.p(0.85, -0.36)], fill=INK, width=f.w(1.5))
        d.arc(f.box(0.1, 0.22, 0.36, 0.22), 15, 120, fill=INK, width=f.w(1.6))
    elif kind == "wink":
        f.eye(-0.3, -0.2)
        f.closed_eye(0.3, -0.2, rx=0.17, up=False)
        f.brow(0.34, -0.48, 0.0, 0.22)
        f.open_mouth(y=0.28, rx=0.38, ry=0.26, teeth=False)
        f.blush(90)
    elif kind == "slowed":
        f.closed_eye(-0.3, -0.1, up=False)
        f.closed_eye(0.3, -0.1, up=False)
        d = f.draw
        d.ellipse(f.box(0, 0.4, 0.12, 0.09), fill=INK)
        f.zee(0.42, -0.55, 0.13)
        f.zee(0.7, -0.8, 0.09)
    elif kind == "laugh":
        f.closed_eye(-0.3, -0.2, rx=0.17, up=True)
        f.closed_eye(0.3, -0.2, rx=0.17, up=True)
        f.open_mouth(y=0.3, rx=0.48, ry=0.38)
        f.blush(110)
    elif kind == "moustache":
        f.eye(-0.3, -0.25, ry=0.18)
        f.eye(0.3, -0.25, ry=0.18)
        f.brow(-0.32, -0.52, 0.05, 0.28, k=2.2)
        f.brow(0.32, -0.52, 0.05, 0.28, k=2.2)
        d = f.draw
        for s in (-1, 1):
            pts = [f.p(0, 0.16), f.p(s * 0.22, 0.08), f.p(s * 0.48, 0.14), f.p(s * 0.62, 0.02),
                   f.p(s * 0.56, 0.26), f.p(s * 0.3, 0.3), f.p(0, 0.24)]
            d.polygon(pts, fill=(70, 40, 25), outline=INK)
        d.arc(f.box(0, 0.38, 0.16, 0.1), 20, 160, fill=INK, width=f.w(1.3))
    elif kind == "it":
        # the chaser in Tag: horns, a wicked grin and angry brows
        for s in (-1, 1):
            pts = [f.p(s * 0.28, -0.78), f.p(s * 0.62, -1.06), f.p(s * 0.56, -0.64)]
            d.polygon(pts, fill=(250, 245, 235), outline=INK)
        f.eye(-0.3, -0.2, look=(0.3, 0.2), lid=0.35)
        f.eye(0.3, -0.2, look=(-0.3, 0.2), lid=0.35)
        d = f.draw
        f.brow(-0.32, -0.42, 0.22, 0.32, k=2.2)
        f.brow(0.32, -0.42, 0.22, 0.32, k=2.2)
        d.chord(f.box(0, 0.14, 0.5, 0.3), 10, 170, fill=INK)
        for x in (-0.28, 0.28):
            d.polygon([f.p(x - 0.08, 0.3), f.p(x + 0.08, 0.3), f.p(x, 0.44)], fill=WHITE)
    elif kind == "supernova":
        for x in (-0.3, 0.3):
            d.ellipse(f.box(x, -0.2, 0.17, 0.2), fill=(255, 255, 255), outline=(255, 140, 30), width=f.w(1.2))
        f.brow(-0.32, -0.46, 0.18, 0.3, k=2.0)
        f.brow(0.32, -0.46, 0.18, 0.3, k=2.0)
        d.ellipse(f.box(0, 0.38, 0.24, 0.2), fill=(255, 255, 230), outline=(255, 120, 20), width=f.w(1.4))
        for i in range(8):
            a = i * math.pi / 4 + math.pi / 8
            d.line([f.p(0.78 * math.cos(a), 0.78 * math.sin(a)), f.p(0.98 * math.cos(a), 0.98 * math.sin(a))],
                   fill=(255, 250, 200), width=f.w(1.4))
    else:
        raise ValueError(kind)
    return f.img


def make_sprites():
    sheet = Image.new("RGBA", (CELL * 16, CELL * 6), (0, 0, 0, 0))
    for row, colour in enumerate(SLOT_COLOURS):
        for col, kind in enumerate(FACE_COLUMNS):
            sheet.paste(face_picture(kind, colour), (col * CELL, row * CELL))
    out = shrink_rgba(sheet, SHEET_SIZE)
    # Keep the dark outline colour under fully transparent pixels.
    arr = np.asarray(out).copy()
    clear = arr[..., 3] == 0
    arr[clear, :3] = INK
    return Image.fromarray(arr, "RGBA")


# ---------------------------------------------------------------------------
# Font: 16 x 16 cells, white glyphs in the alpha channel

FONT_CELL = 64


def make_font():
    size = FONT_CELL * 16
    margin = 2
    chars = [chr(c) for c in range(33, 127)]

    def ink_box(font, ch):
        """Ink extent of a glyph drawn with its origin at (0, 0)."""
        pad = font.size * 2
        probe = Image.new("L", (pad * 2, pad * 2), 0)
        ImageDraw.Draw(probe).text((pad, pad), ch, font=font, fill=255)
        x0, y0, x1, y1 = probe.getbbox()
        return x0 - pad, y0 - pad, x1 - pad, y1 - pad

    # The game draws each glyph in a 1 x 1 square and moves the pen 0.6, so a
    # monospaced face whose advance is 0.6 em fills the step exactly; size it
    # so the tallest ink (brackets down to the underscore) fits the cell.
    ref = ImageFont.truetype(MONO_BOLD, 200)
    boxes = [ink_box(ref, ch) for ch in chars]
    top, bottom = min(b[1] for b in boxes), max(b[3] for b in boxes)
    em = int((FONT_CELL - 2 * margin) * 200 / (bottom - top))
    font = ImageFont.truetype(MONO_BOLD, em)
    boxes = [ink_box(font, ch) for ch in chars]
    top = min(b[1] for b in boxes)
    x_off = round(0.3 * FONT_CELL - font.getlength("M") / 2)   # centre in the 0.6 step
    y_off = margin - top

    alpha = Image.new("L", (size, size), 0)
    draw = ImageDraw.Draw(alpha)
    for ch, (x0, y0, x1, y1) in zip(chars, boxes):
        # ink reaching a neighbouring cell would show up beside other letters
        if x0 + x_off < 0 or x1 + x_off > FONT_CELL or y0 + y_off < 0 or y1 + y_off > FONT_CELL:
            sys.exit(f"glyph {ch!r} does not fit its cell")
        k = ord(ch) - 32
        draw.text(((k % 16) * FONT_CELL + x_off, (k // 16) * FONT_CELL + y_off), ch, font=font, fill=255)
    white = Image.new("RGBA", (size, size), (255, 255, 255, 0))
    white.putalpha(alpha)
    return white


# ---------------------------------------------------------------------------
# Node: a white glowing orb inside the diamond the game samples

def make_node():
    n = 256
    yy, xx = np.mgrid[0:n, 0:n].astype(np.float32)
    c = (n - 1) / 2
    r = np.hypot(xx - c, yy - c) / (n / 2)        # 1 at the edge midpoints
    diamond = (np.abs(xx - c) + np.abs(yy - c)) / (n / 2)
    core_r = 0.5
    body = np.clip((core_r - r) / 0.02, 0, 1)
    # shaded orb, lit from the upper left
    d = np.hypot(xx - (c - 0.18 * n), yy - (c - 0.2 * n)) / (n / 2)
    orb = np.clip(1.1 - 0.6 * d, 0.55, 1.0)
    ring = np.exp(-((r - core_r * 0.78) / 0.035) ** 2) * 0.55
    shine = np.exp(-(d / 0.12) ** 2)
    halo = np.exp(-((r - core_r) / 0.13) ** 2) * (r > core_r) + np.exp(-(r / 0.6) ** 2) * 0.35
    halo *= np.clip((1.0 - diamond) / 0.08, 0, 1)
    lum = orb * body + ring * body + shine * body
    alpha = np.clip(body + halo * (1 - body), 0, 1)
    tint = np.array([0.92, 0.96, 1.0])
    value = np.where(body > 0, np.clip(lum, 0, 1), 1.0)
    # glow pixels carry their colour already darkened by their alpha, so the
    # node also looks right where it is drawn without blending
    rgb = value[..., None] * tint * np.where(body > 0, 1.0, alpha)[..., None]
    return to_image(rgb, alpha)


# ---------------------------------------------------------------------------
# Wall: a bevelled metal bar; the game stretches it along the wall

def make_wall():
    n = 256
    # Brushed steel: fine grain plus long streaks in both directions, so the
    # bar reads the same whichever way round the game stretches it.
    fine = periodic_noise(n, 24, 11)
    streaks = periodic_noise(n, 70, 12)
    streaks = streaks.mean(axis=0, keepdims=True) * 6 + streaks.mean(axis=1, keepdims=True) * 6
    blotch = periodic_noise(n, 5, 13)
    base = 0.56 + 0.035 * fine + 0.03 * streaks + 0.04 * blotch
    # raised plate: a mitred bevel on all four sides, lit from the top left
    yy, xx = np.mgrid[0:n, 0:n].astype(np.float32)
    t = np.minimum.reduce([xx, yy, n - 1 - xx, n - 1 - yy]) / n
    lit = np.where(((yy < xx) & (yy < n - 1 - xx)) | ((xx < yy) & (xx < n - 1 - yy)), 1.0, -1.0)
    bevel = 0.12
    edge = np.clip(1 - t / bevel, 0, 1)
    base = base + lit * 0.3 * edge ** 1.5
    base = base * np.where(t < 0.01, 0.4, 1.0)
    rgb = np.clip(base, 0, 1)[..., None] * np.array([0.85, 0.9, 1.0])
    return to_image(rgb)


# ---------------------------------------------------------------------------
# Title picture

TITLE_W, TITLE_H = 1024, 768

# Button areas the title screen redraws: (name, screen rectangle h0, h1, v0, v1,
# texture area s0, s1, t0, t1, mouse target in 640 x 480 menu pixels).
BUTTONS = [
    ("Arcade", (-6, -1.8, -1.40625, 1.40625), (0, 0.35, 0.35, 0.65), (130, 240)),
    ("Play", (-1.8, 1.8, -1.40625, 1.40625), (0.35, 0.65, 0.35, 0.65), (310, 240)),
    ("Credits", (-6, -1.8, -4.6875, -1.40625), (0, 0.35, 0, 0.35), (130, 385)),
    ("Options", (-1.8, 1.8, -4.6875, -1.40625), (0.35, 0.65, 0, 0.35), (310, 385)),
    ("Help", (1.8, 6, -4.6875, -1.40625), (0.65, 1, 0, 0.35), (460, 400)),
    ("Quit", (1.8, 6, -1.40625, 1.40625), (0.65, 1, 0.35, 0.65), (490, 240)),
]
MENU_UNIT = (4 / 3 * 9.2 / 2) / 320     # world units per menu pixel (Reshape's frustum)

BUTTON_COLOURS = {
    "Arcade": (255, 150, 40), "Play": (80, 255, 120), "Quit": (255, 70, 80),
    "Credits": (190, 120, 255), "Options": (70, 200, 255), "Help": (255, 230, 90),
}


def button_centre(rect, area, target):
    """Where on the picture the mouse target of a button falls, in pixels."""
    h0, h1, v0, v1 = rect
    s0, s1, t0, t1 = area
    h = (target[0] - 320) * MENU_UNIT
    v = (240 - target[1]) * MENU_UNIT
    s = s0 + (h - h0) / (h1 - h0) * (s1 - s0)
    t = t0 + (v - v0) / (v1 - v0) * (t1 - t0)
    return s * TITLE_W, (1 - t) * TITLE_H, 60 * MENU_UNIT / (h1 - h0) * (s1 - s0) * TITLE_W


def make_title(sprites, node):
    k = 2                                   # supersampling
    W, H = TITLE_W * k, TITLE_H * k
    yy, xx = np.mgrid[0:H, 0:W].astype(np.float32)
    u, v = xx / W, yy / H
    # deep blue-violet night, darker to the sides so the frame blends with black
    rgb = np.zeros((H, W, 3), np.float32)
    rgb += np.array([0.02, 0.025, 0.07])
    rgb += np.array([0.10, 0.03, 0.16])[None, None] * np.exp(-((u - 0.5) ** 2 / 0.09 + (v - 0.18) ** 2 / 0.05))[..., None]
    rgb += np.array([0.0, 0.06, 0.12])[None, None] * np.exp(-((u - 0.5) ** 2 / 0.2 + (v - 0.75) ** 2 / 0.08))[..., None]
    vignette = np.clip(1.2 - 1.1 * ((u - 0.5) ** 2 * 2.2 + (v - 0.5) ** 2 * 1.6), 0.25, 1)
    rgb *= vignette[..., None]
    # faint arena grid
    grid = ((np.abs(((xx / k) % 64) - 32) > 31.2) | (np.abs(((yy / k) % 64) - 32) > 31.2)).astype(np.float32)
    rgb += grid[..., None] * np.array([0.03, 0.05, 0.09]) * vignette[..., None]
    # stars
    rng = random.Random(7)
    stars = Image.new("L", (W, H), 0)
    ds = ImageDraw.Draw(stars)
    for _ in range(260):
        x, y = rng.uniform(0, W), rng.uniform(0, H)
        s = rng.choice([1, 1, 1, 2, 2, 3]) * k * 0.6
        ds.ellipse([x - s, y - s, x + s, y + s], fill=rng.randint(90, 230))
    rgb += glow(stars, 0.8 * k)[..., None] * np.array([0.75, 0.8, 1.0])
    img = to_image(rgb).convert("RGBA")

    # --- the rope motif: nodes linked to swinging balls ------------------
    def node_at(layer, x, y, r, colour):
        g = Image.new("L", (W, H), 0)
        ImageDraw.Draw(g).ellipse([x - r * 2.2, y - r * 2.2, x + r * 2.2, y + r * 2.2], fill=255)
        halo = glow(g, r * 1.6)
        layer.alpha_composite(colour_layer(colour, halo * 0.6))
        orb = node.resize((int(r * 4), int(r * 4)), Image.LANCZOS)
        tinted = Image.new("RGBA", orb.size, colour + (255,))
        orb = ImageChops.multiply(orb, tinted)
        layer.alpha_composite(orb, (int(x - r * 2), int(y - r * 2)))

    def rope(layer, a, b, colour, width):
        g = Image.new("L", (W, H), 0)
        ImageDraw.Draw(g).line([a, b], fill=255, width=int(width * 3))
        halo = glow(g, width * 2)
        layer.alpha_composite(colour_layer(colour, halo * 0.47))
        ImageDraw.Draw(layer).line([a, b], fill=(235, 240, 255, 255), width=int(width))

    def ball_at(layer, x, y, r, row, col, angle=0.0):
        cw, chh = SHEET_SIZE[0] / 16, SHEET_SIZE[1] / 6
        cell = sprites.crop((int(col * cw), int(round(row * chh)), int((col + 1) * cw), int(round((row + 1) * chh))))
        cell = cell.resize((int(r * 2), int(r * 2)), Image.LANCZOS).rotate(angle, Image.BICUBIC)
        layer.alpha_composite(cell, (int(x - r), int(y - r)))

    def trail(layer, cx, cy, rad, a0, a1, colour, width):
        # motion streak along the ball's circle, thin and faint at its tail
        g = Image.new("L", (W, H), 0)
        dg = ImageDraw.Draw(g)
        steps = 48
        for i in range(steps):
            f0, f1 = i / steps, (i + 1) / steps
            t0, t1 = a0 + (a1 - a0) * f0, a0 + (a1 - a0) * f1
            p0 = (cx + rad * math.cos(t0), cy + rad * math.sin(t0))
            p1 = (cx + rad * math.cos(t1), cy + rad * math.sin(t1))
            dg.line([p0, p1], fill=int(255 * f1 ** 1.5), width=max(1, int(width * (0.25 + 0.75 * f1))))
        for blur, strength in ((width * 0.9, 1.4), (width * 0.2, 0.9)):
            layer.alpha_composite(colour_layer(colour, glow(g, blur) * strength))

    scene = Image.new("RGBA", (W, H), (0, 0, 0, 0))
    # a dim field of nodes, like an arena behind the menu; nothing may cross
    # y 262..275, where the title screen joins the picture to the button strip
    for x, y in [(70, 300), (352, 476), (648, 500), (948, 300), (58, 706), (344, 716),
                 (612, 736), (470, 236), (560, 40), (300, 30), (760, 22)]:
        node_at(scene, x * k, y * k, 5 * k, (120, 130, 160))
    # balls on ropes: node, ball, sprite row and column, trail colour, swing (deg)
    swings = [
        ((40, 36), (92, 190), 0, 7, (90, 150, 255), 50),
        ((984, 36), (932, 190), 5, 12, (255, 90, 90), -50),
        ((56, 468), (150, 520), 1, 10, (90, 255, 120), 55),
        ((936, 560), (918, 652), 4, 4, (255, 220, 80), -110),
    ]
    for (nx, ny), (bx, by), row, col, colour, sweep in swings:
        nx, ny, bx, by = nx * k, ny * k, bx * k, by * k
        a = math.atan2(by - ny, bx - nx)
        length = math.hypot(bx - nx, by - ny)
        trail(scene, nx, ny, length, a - math.radians(sweep), a, colour, 16 * k)
        rope(scene, (nx, ny), (bx, by), colour, 2.2 * k)
        node_at(scene, nx, ny, 8 * k, (200, 210, 230))
        ball_at(scene, bx, by, 25 * k, row, col, angle=90 - math.degrees(a))
    img.alpha_composite(scene)

    # --- the name --------------------------------------------------------
    name = "TETHRIX"
    font = ImageFont.truetype(SANS_BOLD, 150 * k)
    spacing = 6 * k
    widths = [font.getlength(ch) for ch in name]
    total = sum(widths) + spacing * (len(name) - 1)
    x0 = (W - total) / 2
    cap_top = font.getbbox("T")[1]
    cap_h = font.getbbox("T")[3] - cap_top
    y_text = 128 * k - cap_h / 2 - cap_top
    mask = Image.new("L", (W, H), 0)
    dm = ImageDraw.Draw(mask)
    x = x0
    for ch, wdt in zip(name, widths):
        dm.text((x, y_text), ch, font=font, fill=255)
        x += wdt + spacing
    m = np.asarray(mask, np.float32) / 255.0
    outer = glow(mask, 26 * k)
    inner = glow(mask, 7 * k)
    glow_rgb = (np.array([0.15, 0.55, 1.0]) * np.clip(outer * 1.8, 0, 1)[..., None] +
                np.array([0.9, 0.3, 1.0]) * np.clip(inner * 0.9, 0, 1)[..., None])
    base = np.asarray(img, np.float32)[..., :3] / 255.0
    base = 1 - (1 - base) * (1 - np.clip(glow_rgb, 0, 1))      # screen blend
    # letter fill: white-hot top fading to electric blue, a bright band, dark edges
    top_y, bot_y = (y_text + cap_top) / H, (y_text + cap_top + cap_h) / H
    g = np.clip((v - top_y) / (bot_y - top_y), 0, 1)[..., None]
    fill = np.array([1.0, 1.0, 1.0]) * (1 - g) ** 1.5 + np.array([0.35, 0.75, 1.0]) * (1 - (1 - g) ** 1.5)
    fill = fill * (1 - 0.35 * g) + np.array([0.25, 0.0, 0.35]) * g * 0.5
    band = np.exp(-((v - (top_y + bot_y) / 2) / 0.004) ** 2)[..., None]
    fill = fill + band * 0.6
    edge = np.clip(m - np.asarray(mask.filter(ImageFilter.MinFilter(5)), np.float32) / 255.0, 0, 1)[..., None]
    fill = fill * (1 - edge) + np.array([0.1, 0.05, 0.25]) * edge
    out = base * (1 - m[..., None]) + np.clip(fill, 0, 1) * m[..., None]
    img = to_image(out).convert("RGBA")

    # --- buttons ---------------------------------------------------------
    label_font = ImageFont.truetype(SANS_BOLD, 34 * k)
    for label, rect, area, target in BUTTONS:
        bx, by, reach = button_centre(rect, area, target)
        bx, by, reach = bx * k, by * k, reach * k
        colour = BUTTON_COLOURS[label]
        half_w, half_h = reach * 0.93, 33 * k
        box = [bx - half_w, by - half_h, bx + half_w, by + half_h]
        shape = Image.new("L", (W, H), 0)
        ImageDraw.Draw(shape).rounded_rectangle(box, radius=half_h, fill=255)
        ring = Image.new("L", (W, H), 0)
        ImageDraw.Draw(ring).rounded_rectangle(box, radius=half_h, outline=255, width=int(3 * k))
        halo = glow(ring, 9 * k)
        sh = np.asarray(shape, np.float32) / 255.0
        base = np.asarray(img, np.float32)[..., :3] / 255.0
        col = np.array(colour) / 255.0
        base = 1 - (1 - base) * (1 - np.clip(halo * 1.6, 0, 1)[..., None] * col)
        # glassy body: dark tinted, lighter at the top
        gy = np.clip((yy - box[1]) / (box[3] - box[1]), 0, 1)[..., None]
        body = col * (0.32 - 0.22 * gy) + np.array([0.04, 0.04, 0.08])
        body = body + np.exp(-((gy - 0.18) / 0.12) ** 2) * 0.12
        base = base * (1 - sh[..., None] * 0.9) + body * sh[..., None] * 0.9
        rg = np.asarray(ring, np.float32)[..., None] / 255.0
        base = base * (1 - rg) + (col * 0.6 + 0.4) * rg
        img = to_image(base).convert("RGBA")
        # label with a soft glow in the button colour
        tm = Image.new("L", (W, H), 0)
        dt = ImageDraw.Draw(tm)
        dt.text((bx, by), label, font=label_font, fill=255, anchor="mm")
        tg = glow(tm, 6 * k)
        base = np.asarray(img, np.float32)[..., :3] / 255.0
        base = 1 - (1 - base) * (1 - np.clip(tg * 1.3, 0, 1)[..., None] * col)
        t = np.asarray(tm, np.float32)[..., None] / 255.0
        base = base * (1 - t) + np.array([1.0, 1.0, 1.0]) * t
        img = to_image(base).convert("RGBA")

    return img.convert("RGB").resize((TITLE_W, TITLE_H), Image.LANCZOS)


# ---------------------------------------------------------------------------
# Desktop icon: a ball swinging on its rope from a node, on a night tile

def make_icon(sprites, node):
    n = 512
    yy, xx = np.mgrid[0:n, 0:n].astype(np.float32)
    u, v = xx / n, yy / n
    rgb = np.zeros((n, n, 3), np.float32) + np.array([0.03, 0.04, 0.11])
    rgb += np.array([0.12, 0.04, 0.2]) * np.exp(-((u - 0.3) ** 2 + (v - 0.25) ** 2) / 0.08)[..., None]
    tile = Image.new("L", (n, n), 0)
    ImageDraw.Draw(tile).rounded_rectangle([16, 16, n - 17, n - 17], radius=96, fill=255)
    img = to_image(rgb, np.asarray(tile, np.float32) / 255.0)

    pivot, ball, r = (150, 140), (352, 360), 92
    colour = (255, 110, 90)
    # the swing's trail, brightest just behind the ball
    trail = Image.new("L", (n, n), 0)
    dt = ImageDraw.Draw(trail)
    length = math.hypot(ball[0] - pivot[0], ball[1] - pivot[1])
    a1 = math.atan2(ball[1] - pivot[1], ball[0] - pivot[0])
    steps = 40
    for i in range(steps):
        f0, f1 = i / steps, (i + 1) / steps
        t0, t1 = a1 + 0.9 * (1 - f0), a1 + 0.9 * (1 - f1)
        p0 = (pivot[0] + length * math.cos(t0), pivot[1] + length * math.sin(t0))
        p1 = (pivot[0] + length * math.cos(t1), pivot[1] + length * math.sin(t1))
        dt.line([p0, p1], fill=int(255 * f1 ** 1.5), width=int(20 + 90 * f1))
    img.alpha_composite(colour_layer(colour, glow(trail, 10) * 0.8 * np.asarray(tile) / 255.0))
    # the rope and its glow
    rope = Image.new("L", (n, n), 0)
    ImageDraw.Draw(rope).line([pivot, ball], fill=255, width=18)
    img.alpha_composite(colour_layer((150, 200, 255), glow(rope, 10) * 0.8))
    ImageDraw.Draw(img).line([pivot, ball], fill=(240, 245, 255, 255), width=8)
    # the node it hangs from
    orb = node.resize((200, 200), Image.LANCZOS)
    img.alpha_composite(orb, (pivot[0] - 100, pivot[1] - 100))
    # the ball: the red player's grin from the sprite sheet
    cw, ch = SHEET_SIZE[0] / 16, SHEET_SIZE[1] / 6
    face = sprites.crop((int(7 * cw), 0, int(8 * cw), int(round(ch))))
    face = face.resize((2 * r, 2 * r), Image.LANCZOS).rotate(-20, Image.BICUBIC)
    img.alpha_composite(face, (ball[0] - r, ball[1] - r))
    return img


def write_icons(icon):
    for size in ICON_SIZES:
        folder = os.path.join(ICON_DIR, f"{size}x{size}", "apps")
        os.makedirs(folder, exist_ok=True)
        path = os.path.join(folder, "tethrix.png")
        shrink_rgba(icon, (size, size)).save(path, optimize=True)
        print(f"{os.path.relpath(path, os.path.join(ICON_DIR, '..'))}: {size}x{size}")


def main():
    ap = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    ap.add_argument("--preview", metavar="DIR", help="also write PNG copies here")
    args = ap.parse_args()
    for f in (SANS_BOLD, MONO_BOLD):
        if not os.path.exists(f):
            sys.exit(f"{f} missing: apt-get install fonts-dejavu-core")
    os.makedirs(DATA_DIR, exist_ok=True)
    if args.preview:
        os.makedirs(args.preview, exist_ok=True)

    sprites = make_sprites()
    write_sgi(sprites, "sprites.sgi", rle=True, preview_dir=args.preview)
    write_sgi(make_font(), "Font.sgi", rle=True, preview_dir=args.preview)
    node = make_node()
    write_sgi(node, "node.sgi", rle=False, preview_dir=args.preview)
    write_sgi(make_wall(), "wall.sgi", rle=False, preview_dir=args.preview)
    write_sgi(make_title(sprites, node), "tethrix.sgi", rle=True, preview_dir=args.preview)
    write_icons(make_icon(sprites, node))


if __name__ == "__main__":
    main()
