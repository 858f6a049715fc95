#!/usr/bin/env python3
"""Writes the program's artwork: the icon group and the three About bitmaps.

    python3 resources/make_artwork.py [output folder]

The output is committed, so the build needs no image tools; run this again
only after changing the drawings below. Python's standard library only: the
BMP and ICO bytes are written here by hand.

Every bitmap has the grey 192,192,192 as its background palette entry, so
that LoadImage with LR_LOADMAP3DCOLORS turns it into the dialog's face
colour. The drawings avoid the other two greys that flag maps
(128,128,128 and 223,223,223), so nothing else changes colour.
"""

import os
import struct
import sys

BACKGROUND = (192, 192, 192)

# A 5 x 7 capital font; '#' marks an inked cell.
FONT = {
    "A": [".###.", "#...#", "#...#", "#####", "#...#", "#...#", "#...#"],
    "C": [".###.", "#...#", "#....", "#....", "#....", "#...#", ".###."],
    "D": ["####.", "#...#", "#...#", "#...#", "#...#", "#...#", "####."],
    "E": ["#####", "#....", "#....", "####.", "#....", "#....", "#####"],
    "F": ["#####", "#....", "#....", "####.", "#....", "#....", "#...."],
    "G": [".###.", "#...#", "#....", "#.###", "#...#", "#...#", ".###."],
    "I": [".###.", "..#..", "..#..", "..#..", "..#..", "..#..", ".###."],
    "K": ["#...#", "#..#.", "#.#..", "##...", "#.#..", "#..#.", "#...#"],
    "L": ["#....", "#....", "#....", "#....", "#....", "#....", "#####"],
    "N": ["#...#", "##..#", "#.#.#", "#..##", "#...#", "#...#", "#...#"],
    "O": [".###.", "#...#", "#...#", "#...#", "#...#", "#...#", ".###."],
    "Q": [".###.", "#...#", "#...#", "#...#", "#.#.#", "#..#.", ".##.#"],
    "R": ["####.", "#...#", "#...#", "####.", "#.#..", "#..#.", "#...#"],
    "S": [".####", "#....", "#....", ".###.", "....#", "....#", "####."],
    "T": ["#####", "..#..", "..#..", "..#..", "..#..", "..#..", "..#.."],
    "U": ["#...#", "#...#", "#...#", "#...#", "#...#", "#...#", ".###."],
    "V": ["#...#", "#...#", "#...#", "#...#", "#...#", ".#.#.", "..#.."],
    "W": ["#...#", "#...#", "#...#", "#.#.#", "#.#.#", "#.#.#", ".#.#."],
    "X": ["#...#", "#...#", ".#.#.", "..#..", ".#.#.", "#...#", "#...#"],
    " ": [".....", ".....", ".....", ".....", ".....", ".....", "....."],
}
GLYPH_W, GLYPH_H = 5, 7


class Canvas:
    """A picture of palette indices, row 0 at the top."""

    def __init__(self, width, height, fill=0):
        self.width, self.height = width, height
        self.pixels = [[fill] * width for _ in range(height)]

    def put(self, x, y, index):
        if 0 <= x < self.width and 0 <= y < self.height:
            self.pixels[y][x] = index

    def get(self, x, y):
        return self.pixels[y][x]

    def rect(self, x0, y0, x1, y1, index):
        """Fills x0 <= x < x1, y0 <= y < y1."""
        for y in range(y0, y1):
            for x in range(x0, x1):
                self.put(x, y, index)

    def shape(self, inside, index):
        """Fills every pixel whose centre `inside(x, y)` accepts."""
        for y in range(self.height):
            for x in range(self.width):
                if inside(x + 0.5, y + 0.5):
                    self.put(x, y, index)


def text_mask(text, sx, sy, gap):
    """Returns (width, height, inked(x, y)) for `text` with each font cell
    scaled to sx by sy pixels and `gap` pixels between letters.

    Free-standing outer corners of inked cells are cut, and empty cells
    between two inked neighbours get their inner corner filled, so scaled
    letters have rounded bends and diagonal strokes instead of steps."""
    cells = []  # one column list per cell column of the whole text
    for i, ch in enumerate(text):
        glyph = FONT[ch]
        for cx in range(GLYPH_W):
            cells.append([glyph[cy][cx] == "#" for cy in range(GLYPH_H)])
        if i + 1 < len(text):
            cells.append(None)  # letter gap marker
    columns = []  # (pixel x of the column, column cells)
    x = 0
    for column in cells:
        if column is None:
            x += gap
            continue
        columns.append((x, column))
        x += sx
    width, height = x, GLYPH_H * sy

    def cell(ci, cy):
        if 0 <= ci < len(columns) and 0 <= cy < GLYPH_H:
            # Cells of neighbouring letters never join across a gap.
            return columns[ci][1][cy]
        return False

    def same_letter(ci, cj):
        return 0 <= cj < len(columns) and abs(columns[cj][0] - columns[ci][0]) == sx

    lookup = {}
    for ci, (px, _) in enumerate(columns):
        for dx in range(sx):
            lookup[px + dx] = (ci, dx)

    def inked(x, y):
        if x not in lookup or not 0 <= y < height:
            return False
        ci, dx = lookup[x]
        cy, dy = divmod(y, sy)
        u, v = (dx + 0.5) / sx, (dy + 0.5) / sy

        def n(ddx, ddy):
            cj = ci + ddx
            if ddx and not same_letter(ci, cj):
                return False
            return cell(cj, cy + ddy)

        corners = [  # (neighbour x, neighbour y, distance into this corner)
            (-1, -1, u + v),
            (1, -1, (1 - u) + v),
            (-1, 1, u + (1 - v)),
            (1, 1, (1 - u) + (1 - v)),
        ]
        if cell(ci, cy):
            for ddx, ddy, dist in corners:
                if not n(ddx, 0) and not n(0, ddy) and not n(ddx, ddy) and dist < 0.5:
                    return False
            return True
        for ddx, ddy, dist in corners:
            if n(ddx, 0) and n(0, ddy) and dist < 0.5:
                return True
        return False

    return width, height, inked


def draw_text(canvas, text, x0, y0, sx, sy, gap, colour_at, shadow=None):
    """Draws `text` with its top-left corner at (x0, y0); `colour_at(row)`
    gives the palette index for a pixel row of the lettering, so lettering
    can be shaded from top to bottom. `shadow` is (dx, dy, index)."""
    width, height, inked = text_mask(text, sx, sy, gap)
    if shadow:
        dx, dy, index = shadow
        for y in range(height):
            for x in range(width):
                if inked(x, y):
                    canvas.put(x0 + x + dx, y0 + y + dy, index)
    for y in range(height):
        for x in range(width):
            if inked(x, y):
                canvas.put(x0 + x, y0 + y, colour_at(y))
    return width, height


def bmp_bytes(canvas, palette, bits):
    """A bottom-up BMP file of `bits` (4 or 8) per pixel with `palette`."""
    colours = 1 << bits
    assert len(palette) <= colours
    palette = palette + [(0, 0, 0)] * (colours - len(palette))
    row_bytes = ((canvas.width * bits + 31) // 32) * 4
    rows = []
    for y in reversed(range(canvas.height)):
        line = canvas.pixels[y]
        if bits == 8:
            data = bytes(line)
        else:
            data = bytes((line[x] << 4) | (line[x + 1] if x + 1 < canvas.width else 0)
                         for x in range(0, canvas.width, 2))
        rows.append(data + b"\0" * (row_bytes - len(data)))
    image = b"".join(rows)
    table = b"".join(struct.pack("<BBBB", b, g, r, 0) for (r, g, b) in palette)
    offset = 14 + 40 + len(table)
    info = struct.pack("<IiiHHIIiiII", 40, canvas.width, canvas.height, 1, bits, 0,
                       len(image), 2835, 2835, colours, 0)
    header = struct.pack("<2sIHHI", b"BM", offset + len(image), 0, 0, offset)
    return header + info + table + image


def ico_bytes(images):
    """An icon file holding 32-bit images; `images` maps a size to rows of
    (r, g, b, a) tuples, row 0 at the top."""
    sizes = sorted(images)
    blobs = []
    for size in sizes:
        rows = images[size]
        xor = b"".join(
            b"".join(struct.pack("<BBBB", b, g, r, a) for (r, g, b, a) in rows[y])
            for y in reversed(range(size)))
        mask_row = ((size + 31) // 32) * 4
        mask = bytearray()
        for y in reversed(range(size)):
            bits = bytearray(mask_row)
            for x in range(size):
                if rows[y][x][3] == 0:  # fully transparent: set in the AND mask
                    bits[x // 8] |= 0x80 >> (x % 8)
            mask += bits
        info = struct.pack("<IiiHHIIiiII", 40, size, size * 2, 1, 32, 0,
                           len(xor) + len(mask), 0, 0, 0, 0)
        blobs.append(info + xor + bytes(mask))
    out = struct.pack("<HHH", 0, 1, len(sizes))
    offset = 6 + 16 * len(sizes)
    for size, blob in zip(sizes, blobs):
        out += struct.pack("<BBBBHHII", size % 256, size % 256, 0, 0, 1, 32, len(blob), offset)
        offset += len(blob)
    return out + b"".join(blobs)


# ---------------------------------------------------------------- QVTEXT
def make_qvtext():
    """184 x 57, 256 colours: the family name in tall blue capitals with a
    shadow, over a short stretch of road with a dashed centre line."""
    palette = [BACKGROUND, (40, 40, 40), (70, 72, 76), (255, 255, 255), (250, 200, 0)]
    shade_base = len(palette)
    letter_h = GLYPH_H * 5
    for i in range(letter_h):  # blue that darkens towards the foot of the letters
        t = i / (letter_h - 1)
        palette.append((int(20 + 10 * (1 - t)), int(110 - 70 * t), int(215 - 75 * t)))
    canvas = Canvas(184, 57)
    width, _ = text_mask("QUORVANE", 4, 5, 2)[:2]
    x0 = (184 - 2 - width) // 2
    draw_text(canvas, "QUORVANE", x0, 3, 4, 5, 2, lambda row: shade_base + row,
              shadow=(2, 2, 1))
    # The road: asphalt with yellow edge lines and a dashed white centre line.
    road_top = 45
    canvas.rect(0, road_top, 184, road_top + 10, 2)
    canvas.rect(0, road_top + 1, 184, road_top + 2, 4)
    canvas.rect(0, road_top + 8, 184, road_top + 9, 4)
    for x in range(2, 184, 16):
        canvas.rect(x, road_top + 4, min(x + 9, 184), road_top + 6, 3)
    return bmp_bytes(canvas, palette, 8), canvas, palette


# ---------------------------------------------------------------- LBULB
def make_lbulb():
    """53 x 56, 16 colours: a lit light bulb with a screw base and rays."""
    palette = [
        BACKGROUND,        # 0 background
        (0, 0, 0),         # 1 outline
        (255, 240, 120),   # 2 glass
        (255, 255, 210),   # 3 glow
        (255, 255, 255),   # 4 highlight
        (225, 170, 0),     # 5 glass shade
        (96, 96, 100),     # 6 dark metal
        (170, 170, 176),   # 7 light metal
        (255, 200, 0),     # 8 rays
        (150, 110, 40),    # 9 filament
        (60, 60, 64),      # 10 contact
    ]
    canvas = Canvas(53, 56)
    cx, cy, r = 26.5, 21.0, 14.5

    def in_globe(x, y, grow=0.0):
        rr = r + grow
        if (x - cx) ** 2 + (y - cy) ** 2 <= rr * rr:
            return True
        # The neck narrows from the globe down to the base.
        if cy <= y <= 41 + grow:
            half = 8.5 + grow + max(0.0, (36 - y)) * 0.55
            return abs(x - cx) <= half
        return False

    # Rays around the glass.
    import math
    for k in range(9):
        angle = math.radians(-180 + k * 22.5)
        for step in range(0, 5):
            dist = r + 3.5 + step
            x = cx + math.cos(angle) * dist
            y = cy + math.sin(angle) * dist
            for ox in (-0.5, 0.5):
                for oy in (-0.5, 0.5):
                    canvas.put(int(x + ox), int(y + oy), 8)
    canvas.shape(lambda x, y: in_globe(x, y, 1.2), 1)
    canvas.shape(lambda x, y: in_globe(x, y), 2)
    # Shade on the lower right, glow in the middle, highlight top left.
    canvas.shape(lambda x, y: in_globe(x, y) and (x - cx) * 0.6 + (y - cy) > 9, 5)
    canvas.shape(lambda x, y: (x - cx) ** 2 + (y - cy + 1) ** 2 <= 36, 3)
    canvas.shape(lambda x, y: (x - (cx - 7)) ** 2 + (y - (cy - 7)) ** 2 <= 7, 4)
    # Filament: two posts and a zig-zag.
    for y in range(23, 36):
        canvas.put(22, y, 9)
        canvas.put(30, y, 9)
    zig = [(22, 22), (23, 20), (24, 22), (25, 20), (26, 22), (27, 20), (28, 22), (29, 20), (30, 22)]
    for (x0, y0), (x1, y1) in zip(zig, zig[1:]):
        for t in range(5):
            canvas.put(round(x0 + (x1 - x0) * t / 4), round(y0 + (y1 - y0) * t / 4), 9)
    # Screw base: alternating metal bands, then the contact.
    for i, y in enumerate(range(41, 51)):
        index = 7 if (i // 2) % 2 == 0 else 6
        canvas.rect(18, y, 35, y + 1, index)
        canvas.put(17, y, 1)
        canvas.put(35, y, 1)
    canvas.rect(21, 51, 32, 53, 10)
    canvas.rect(23, 53, 30, 55, 10)
    return bmp_bytes(canvas, palette, 4), canvas, palette


# ---------------------------------------------------------------- KXLOGO
def make_kxlogo():
    """172 x 43, 256 colours: a "KX" mark on a red diamond-cut tile, the
    maker's name beside it and "SOFTWARE" underneath."""
    palette = [BACKGROUND, (180, 20, 30), (255, 255, 255), (20, 30, 70),
               (90, 100, 130), (120, 10, 20)]
    canvas = Canvas(172, 43)
    # The tile: a square with cut corners and a darker edge.
    def tile(x, y, inset=0.0):
        x0, y0, x1, y1 = 1 + inset, 1 + inset, 42 - inset, 42 - inset
        if not (x0 <= x <= x1 and y0 <= y <= y1):
            return False
        cut = 8 - inset * 0.6
        return (x - x0) + (y - y0) >= cut and (x1 - x) + (y - y0) >= cut and \
            (x - x0) + (y1 - y) >= cut and (x1 - x) + (y1 - y) >= cut
    canvas.shape(tile, 5)
    canvas.shape(lambda x, y: tile(x, y, 1.5), 1)
    w, h, _ = text_mask("KX", 3, 4, 3)
    draw_text(canvas, "KX", 1 + (41 - w) // 2 + 1, 1 + (41 - h) // 2 + 1, 3, 4, 3, lambda row: 2)
    # The name and the line beneath it.
    draw_text(canvas, "KESTRIX", 48, 3, 3, 4, 3, lambda row: 3, shadow=(1, 1, 4))
    draw_text(canvas, "SOFTWARE", 49, 34, 1, 1, 2, lambda row: 4)
    canvas.rect(48, 34 - 3, 171, 34 - 2, 1)
    return bmp_bytes(canvas, palette, 8), canvas, palette


# ---------------------------------------------------------------- AMAIN
def icon_image(size):
    """A blue information-sign tile holding a lit yellow bulb, drawn at
    `size` pixels with 4 x 4 samples per pixel for smooth edges."""
    samples = 4
    s = size / 32.0  # drawn on a 32-unit grid

    def colour_at(x, y):
        # x, y in 32-unit coordinates; returns (r, g, b) or None.
        margin, radius = 1.0, 5.0
        inner = (margin, margin, 32 - margin, 32 - margin)
        dx = max(inner[0] + radius - x, 0, x - (inner[2] - radius))
        dy = max(inner[1] + radius - y, 0, y - (inner[3] - radius))
        if dx * dx + dy * dy > radius * radius:
            return None
        if dx * dx + dy * dy > (radius - 1.6) ** 2 and (dx > 0 or dy > 0) or \
                min(x - inner[0], inner[2] - x, y - inner[1], inner[3] - y) < 1.6:
            return (255, 255, 255)  # white border of the sign
        # Bulb: globe, neck and base.
        gx, gy, gr = 16.0, 13.0, 7.5
        in_globe = (x - gx) ** 2 + (y - gy) ** 2 <= gr * gr or \
            (gy <= y <= 21.5 and abs(x - gx) <= 4.2 + max(0.0, 19 - y) * 0.9)
        if in_globe:
            if (x - 13.5) ** 2 + (y - 10.5) ** 2 <= 4.0:
                return (255, 255, 235)
            return (255, 214, 0)
        if 21.5 < y <= 26.0 and abs(x - gx) <= 4.2:
            band = int((y - 21.5) / 1.5) % 2
            return (210, 210, 215) if band == 0 else (120, 120, 130)
        if 26.0 < y <= 27.5 and abs(x - gx) <= 2.2:
            return (60, 60, 64)
        return (0, 82, 164)  # sign blue

    rows = []
    for py in range(size):
        row = []
        for px in range(size):
            acc = [0, 0, 0]
            hits = 0
            for sy in range(samples):
                for sx in range(samples):
                    x = (px + (sx + 0.5) / samples) / s
                    y = (py + (sy + 0.5) / samples) / s
                    c = colour_at(x, y)
                    if c:
                        hits += 1
                        for k in range(3):
                            acc[k] += c[k]
            if hits == 0:
                row.append((0, 0, 0, 0))
            else:
                row.append(tuple(round(a / hits) for a in acc) + (round(255 * hits / samples ** 2),))
        rows.append(row)
    return rows


def main():
    out = sys.argv[1] if len(sys.argv) > 1 else os.path.dirname(os.path.abspath(__file__))
    files = {
        "qvtext.bmp": make_qvtext()[0],
        "lbulb.bmp": make_lbulb()[0],
        "kxlogo.bmp": make_kxlogo()[0],
        "amain.ico": ico_bytes({size: icon_image(size) for size in (16, 32, 48)}),
    }
    for name, data in files.items():
        with open(os.path.join(out, name), "wb") as f:
            f.write(data)
        print(f"{name}: {len(data)} bytes")


if __name__ == "__main__":
    main()
