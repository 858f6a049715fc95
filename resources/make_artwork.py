#!/usr/bin/env python3
"""Writes the program's artwork: the icon group and the three About bitmaps,
and the web app's icons drawn from the same icon.

    python3 resources/make_artwork.py [output folder]
    python3 resources/make_artwork.py --check

The output is committed, so the build needs no image tools; run this again
only after changing the drawings below. --check writes nothing: it fails
when a committed file is not what the drawings make, or when a compressed
file or image does not read back as its drawing (a unit test runs it).
Python's standard library only: the BMP, ICO and PNG bytes are written here
by hand, the PNG pixels packed with zlib.

Each bitmap is drawn at 100 % and again at 150 % and 200 % for screens of
higher dpi (qvtext150.bmp, qvtext200.bmp, ...): the drawings are geometry in
the coordinates of the 100 % picture, sampled at the centre of every pixel
of the larger canvas, so the larger pictures have their own, finer pixels
rather than enlarged ones. The 100 % bitmaps are stored uncompressed, the
larger ones run-length encoded (BI_RLE8, or BI_RLE4 for the 16-colour
bulb), which LoadImage expands to the same pixels at a fifth of the size.
The icon holds every size that the title bar, the task switcher and the
taskbar ask for between 100 % and 200 %; the large icons of 125 % to 200 %
(PNG_ICON_SIZES) as PNG images, the others as bitmaps.

Every bitmap has the grey 192,192,192 as its background palette entry, so
that LoadImage with LR_LOADMAP3DCOLORS turns it into the dialog's face
colour. The drawings avoid the other two greys that flag maps
(128,128,128 and 223,223,223), so nothing else changes colour.
"""

import bisect
import math
import os
import struct
import sys
import zlib

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


def scaled_size(size, scale):
    """A length of the 100 % picture at `scale`, rounded to the nearest
    pixel, halves up: the size the program asks for at that scale."""
    return int(size * scale + 0.5)


class Canvas:
    """A picture of palette indices, row 0 at the top, `scale` times the
    size of the 100 % picture. Drawing takes coordinates of the 100 %
    picture; a pixel is painted when its centre, in those coordinates,
    falls inside the shape."""

    def __init__(self, width, height, fill=0, scale=1):
        self.scale = scale
        self.width, self.height = scaled_size(width, scale), scaled_size(height, scale)
        self.pixels = [[fill] * self.width for _ in range(self.height)]

    def set_pixel(self, x, y, index):
        """Paints one pixel of this canvas (not of the 100 % picture)."""
        if 0 <= x < self.width and 0 <= y < self.height:
            self.pixels[y][x] = index

    def centres(self):
        """Every pixel (x, y) of the canvas with its centre in the
        coordinates of the 100 % picture."""
        for y in range(self.height):
            fy = (y + 0.5) / self.scale
            for x in range(self.width):
                yield x, y, (x + 0.5) / self.scale, fy

    def rect(self, x0, y0, x1, y1, index):
        """Fills x0 <= x < x1, y0 <= y < y1."""
        s = self.scale
        rows = range(max(0, int(y0 * s) - 1), min(self.height, int(y1 * s) + 1))
        columns = range(max(0, int(x0 * s) - 1), min(self.width, int(x1 * s) + 1))
        for y in rows:
            if y0 <= (y + 0.5) / s < y1:
                for x in columns:
                    if x0 <= (x + 0.5) / s < x1:
                        self.set_pixel(x, y, index)

    def put(self, x, y, index):
        """Fills the pixel (x, y) of the 100 % picture."""
        self.rect(x, y, x + 1, y + 1, index)

    def shape(self, inside, index):
        """Fills every pixel whose centre `inside(x, y)` accepts."""
        for x, y, fx, fy in self.centres():
            if inside(fx, fy):
                self.set_pixel(x, y, index)


def text_mask(text, sx, sy, gap):
    """Returns (width, height, inked(x, y)) for `text` with each font cell
    scaled to sx by sy pixels and `gap` pixels between letters; inked tells
    whether the point (x, y) of the lettering, measured from its top-left
    corner, is ink.

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

    starts = [px for px, _ in columns]

    def inked(x, y):
        if not (0 <= x < width and 0 <= y < height):
            return False
        ci = bisect.bisect_right(starts, x) - 1
        if ci < 0 or x >= starts[ci] + sx:
            return False  # in a gap between letters
        cy = int(y // sy)
        u, v = (x - starts[ci]) / sx, (y - cy * sy) / sy

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
    gives the palette index for a pixel row of the 100 % lettering, so
    lettering can be shaded from top to bottom. `shadow` is (dx, dy, index)."""
    width, height, inked = text_mask(text, sx, sy, gap)
    if shadow:
        dx, dy, index = shadow
        for x, y, fx, fy in canvas.centres():
            if inked(fx - x0 - dx, fy - y0 - dy):
                canvas.set_pixel(x, y, index)
    for x, y, fx, fy in canvas.centres():
        if inked(fx - x0, fy - y0):
            canvas.set_pixel(x, y, colour_at(int(fy - y0)))
    return width, height


def distance_to_segment(x, y, a, b):
    """The distance of the point (x, y) from the line segment a-b."""
    (ax, ay), (bx, by) = a, b
    dx, dy = bx - ax, by - ay
    t = max(0.0, min(1.0, ((x - ax) * dx + (y - ay) * dy) / (dx * dx + dy * dy)))
    return math.hypot(x - (ax + t * dx), y - (ay + t * dy))


def bmp_bytes(canvas, palette, bits, compressed=False):
    """A bottom-up BMP file of `bits` (4 or 8) per pixel with `palette`.

    Uncompressed, the colour table has every entry that `bits` allows.
    Compressed (BI_RLE8 for 8 bits, BI_RLE4 for 4), the table holds only
    the palette's own colours, and the pixels are run-length encoded by
    rle_bytes."""
    colours = 1 << bits
    assert len(palette) <= colours
    assert all(0 <= index < len(palette) for line in canvas.pixels for index in line)
    if compressed:
        image = rle_bytes(canvas, bits)
        compression, used = (BI_RLE8 if bits == 8 else BI_RLE4), len(palette)
    else:
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
        compression, used = BI_RGB, colours
    table = b"".join(struct.pack("<BBBB", b, g, r, 0) for (r, g, b) in palette)
    offset = 14 + 40 + len(table)
    info = struct.pack("<IiiHHIIiiII", 40, canvas.width, canvas.height, 1, bits, compression,
                       len(image), 2835, 2835, used, 0)
    header = struct.pack("<2sIHHI", b"BM", offset + len(image), 0, 0, offset)
    return header + info + table + image


# biCompression of a BMP's information header.
BI_RGB, BI_RLE8, BI_RLE4 = 0, 1, 2

# The shortest run of one colour that rle_bytes writes as a run of its own
# when it lies among pixels of other colours, by bits per pixel: a shorter
# one costs less inside a stretch of pixels written one by one (in BI_RLE4
# two such pixels share a byte).
RLE_SHORTEST_RUN = {8: 2, 4: 3}


def rle_bytes(canvas, bits):
    """The pixels of `canvas` as BI_RLE8 (bits 8) or BI_RLE4 (bits 4) data.

    Each line, from the bottom one up, is written whole, from its first
    pixel to its last, and ends with an end-of-line code (0, 0); the data
    ends with an end-of-bitmap code (0, 1). No delta codes: a pixel that
    the data skipped would keep whatever the bitmap held before (black in a
    new bitmap of the screen's kind). Runs of one colour of at least
    RLE_SHORTEST_RUN[bits] pixels are written as (count, colour); the
    stretches between them in absolute mode (0, count, the pixels, padded
    to a whole 16-bit word) when they hold three pixels or more, as runs of
    one or two pixels otherwise, since absolute mode needs at least three."""
    def packed(pixels):
        if bits == 8:
            return bytes(pixels)
        return bytes((pixels[i] << 4) | (pixels[i + 1] if i + 1 < len(pixels) else 0)
                     for i in range(0, len(pixels), 2))

    def run(count, index):
        # In BI_RLE4 the colour byte holds the two pixels that alternate.
        return bytes((count, index if bits == 8 else index << 4 | index))

    def stretch(pixels):
        out = bytearray()
        for start in range(0, len(pixels), 255):
            part = pixels[start:start + 255]
            if len(part) >= 3:
                data = packed(part)
                out += bytes((0, len(part))) + data + b"\0" * (len(data) % 2)
            elif bits == 8:
                out += b"".join(bytes((1, index)) for index in part)
            else:
                out += bytes((len(part), packed(part)[0]))
        return out

    out = bytearray()
    for y in reversed(range(canvas.height)):
        line = canvas.pixels[y]
        runs = []  # [colour, length] of each stretch of one colour
        for index in line:
            if runs and runs[-1][0] == index:
                runs[-1][1] += 1
            else:
                runs.append([index, 1])
        pending = []  # pixels waiting to be written one by one
        for index, length in runs:
            if length >= RLE_SHORTEST_RUN[bits]:
                out += stretch(pending)
                pending = []
                for start in range(0, length, 255):
                    out += run(min(255, length - start), index)
            else:
                pending += [index] * length
        out += stretch(pending)
        out += b"\0\0"
    return bytes(out + b"\0\1")


def rle_pixels(data, width, height, bits):
    """Reads BI_RLE8 or BI_RLE4 data back into rows of palette indices, row
    0 at the top, as a decoder following the format would. Returns None
    unless the data paints every pixel exactly once, line by line within
    the width, and then ends."""
    rows = [[None] * width for _ in range(height)]
    x, y, i = 0, 0, 0  # y counts lines from the bottom

    def paint(index):
        nonlocal x
        if y >= height or x >= width or rows[height - 1 - y][x] is not None:
            return False
        rows[height - 1 - y][x] = index
        x += 1
        return True

    while i + 2 <= len(data):
        first, second = data[i], data[i + 1]
        i += 2
        if first:  # a run: `first` pixels of the colour(s) in `second`
            pair = (second, second) if bits == 8 else (second >> 4, second & 15)
            if not all(paint(pair[k % 2]) for k in range(first)):
                return None
        elif second == 0:  # end of line
            if x != width:
                return None
            x, y = 0, y + 1
        elif second == 1:  # end of bitmap
            return rows if (y, i) == (height, len(data)) else None
        elif second == 2:  # delta: never written
            return None
        else:  # absolute mode: `second` pixels one by one
            size = second if bits == 8 else (second + 1) // 2
            chunk = data[i:i + size]
            i += size + size % 2
            if len(chunk) != size:
                return None
            pixels = list(chunk) if bits == 8 else \
                [chunk[j // 2] >> 4 if j % 2 == 0 else chunk[j // 2] & 15 for j in range(second)]
            if not all(paint(p) for p in pixels):
                return None
    return None


def ico_bytes(images, png_sizes=()):
    """An icon file holding 32-bit images; `images` maps a size to rows of
    (r, g, b, a) tuples, row 0 at the top. The sizes in `png_sizes` are
    stored as PNG files, the others as bitmaps with an AND mask."""
    sizes = sorted(images)
    blobs = []
    for size in sizes:
        rows = images[size]
        if size in png_sizes:
            blobs.append(png_bytes(rows))
            continue
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


def icon_entries(data):
    """The images of an icon file: for each, its directory entry's width,
    height, colour count, planes and bits per pixel, and its bytes."""
    _, kind, count = struct.unpack_from("<HHH", data)
    entries = []
    for i in range(count if kind == 1 else 0):
        w, h, colours, _, planes, bits, size, offset = struct.unpack_from("<BBBBHHII", data, 6 + 16 * i)
        entries.append(((w, h, colours, planes, bits), data[offset:offset + size]))
    return entries


PNG_SIGNATURE = b"\x89PNG\r\n\x1a\n"


def png_bytes(rows):
    """A PNG file of `rows` of (r, g, b, a) tuples, row 0 at the top: 8 bits
    per channel with alpha, not interlaced, every row unfiltered (of the
    five filters, none packs these drawings smallest). The same zlib makes
    the same bytes of the same pixels."""
    width, height = len(rows[0]), len(rows)
    raw = b"".join(b"\0" + bytes(c for pixel in row for c in pixel) for row in rows)

    def chunk(kind, data):
        return struct.pack(">I", len(data)) + kind + data + struct.pack(">I", zlib.crc32(kind + data))

    return PNG_SIGNATURE + chunk(b"IHDR", struct.pack(">IIBBBBB", width, height, 8, 6, 0, 0, 0)) + \
        chunk(b"IDAT", zlib.compress(raw, 9)) + chunk(b"IEND", b"")


def png_rows(data):
    """The rows of (r, g, b, a) tuples of a PNG file of the kind that
    png_bytes writes; None for anything else: another signature, a chunk
    whose CRC is wrong, another kind of image, a filtered row, or pixel
    data of another length."""
    if not data.startswith(PNG_SIGNATURE):
        return None
    chunks, at = [], len(PNG_SIGNATURE)
    while at + 12 <= len(data):
        length, = struct.unpack_from(">I", data, at)
        kind, body = data[at + 4:at + 8], data[at + 8:at + 8 + length]
        crc = data[at + 8 + length:at + 12 + length]
        if len(body) != length or crc != struct.pack(">I", zlib.crc32(kind + body)):
            return None
        chunks.append((kind, body))
        at += 12 + length
    kinds = [kind for kind, _ in chunks]
    if at != len(data) or len(chunks) < 3 or kinds[0] != b"IHDR" or kinds[-1] != b"IEND" or \
            set(kinds[1:-1]) != {b"IDAT"} or len(chunks[0][1]) != 13:
        return None
    width, height, depth, colour, method, filtering, interlace = struct.unpack(">IIBBBBB", chunks[0][1])
    if (depth, colour, method, filtering, interlace) != (8, 6, 0, 0, 0):
        return None
    try:
        raw = zlib.decompress(b"".join(body for _, body in chunks[1:-1]))
    except zlib.error:
        return None
    stride = 1 + 4 * width
    if len(raw) != stride * height or any(raw[y * stride] for y in range(height)):
        return None
    return [[tuple(raw[y * stride + 1 + 4 * x:y * stride + 5 + 4 * x]) for x in range(width)]
            for y in range(height)]


# ---------------------------------------------------------------- QVTEXT
def make_qvtext(scale=1):
    """184 x 57 at 100 %, 256 colours: the family name in tall blue capitals
    with a shadow, over a short stretch of road with a dashed centre line."""
    palette = [BACKGROUND, (40, 40, 40), (70, 72, 76), (255, 255, 255), (250, 200, 0)]
    shade_base = len(palette)
    letter_h = GLYPH_H * 5
    for i in range(letter_h):  # blue that darkens towards the foot of the letters
        t = i / (letter_h - 1)
        palette.append((int(20 + 10 * (1 - t)), int(110 - 70 * t), int(215 - 75 * t)))
    canvas = Canvas(184, 57, scale=scale)
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
    return canvas, palette, 8


# ---------------------------------------------------------------- LBULB
def make_lbulb(scale=1):
    """53 x 56 at 100 %, 16 colours: a lit light bulb with a screw base and
    rays."""
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
    canvas = Canvas(53, 56, scale=scale)
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

    # Rays around the glass: dotted lines. At 100 % each dot is the 2 x 2
    # block of pixels around its centre; at larger scales it is drawn as the
    # round dot of the same area that the block stands for.
    for k in range(9):
        angle = math.radians(-180 + k * 22.5)
        for step in range(0, 5):
            dist = r + 3.5 + step
            x = cx + math.cos(angle) * dist
            y = cy + math.sin(angle) * dist
            if scale == 1:
                for ox in (-0.5, 0.5):
                    for oy in (-0.5, 0.5):
                        canvas.put(int(x + ox), int(y + oy), 8)
            else:
                canvas.shape(lambda px, py, x=x, y=y: (px - x) ** 2 + (py - y) ** 2 <= 4 / math.pi, 8)
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
    # The zig-zag joins the centres of these pixels: at 100 % with the
    # pixels along each stroke, at larger scales as a stroke one 100 % pixel
    # wide.
    zig = [(22, 22), (23, 20), (24, 22), (25, 20), (26, 22), (27, 20), (28, 22), (29, 20), (30, 22)]
    for (x0, y0), (x1, y1) in zip(zig, zig[1:]):
        if scale == 1:
            for t in range(5):
                canvas.put(round(x0 + (x1 - x0) * t / 4), round(y0 + (y1 - y0) * t / 4), 9)
        else:
            canvas.shape(lambda x, y, a=(x0 + 0.5, y0 + 0.5), b=(x1 + 0.5, y1 + 0.5):
                         distance_to_segment(x, y, a, b) <= 0.5, 9)
    # Screw base: alternating metal bands, then the contact.
    for i, y in enumerate(range(41, 51)):
        index = 7 if (i // 2) % 2 == 0 else 6
        canvas.rect(18, y, 35, y + 1, index)
        canvas.put(17, y, 1)
        canvas.put(35, y, 1)
    canvas.rect(21, 51, 32, 53, 10)
    canvas.rect(23, 53, 30, 55, 10)
    return canvas, palette, 4


# ---------------------------------------------------------------- KXLOGO
def make_kxlogo(scale=1):
    """172 x 43 at 100 %, 256 colours: a "KX" mark on a red diamond-cut
    tile, the maker's name beside it and "SOFTWARE" underneath."""
    palette = [BACKGROUND, (180, 20, 30), (255, 255, 255), (20, 30, 70),
               (90, 100, 130), (120, 10, 20)]
    canvas = Canvas(172, 43, scale=scale)
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
    return canvas, palette, 8


# ---------------------------------------------------------------- AMAIN
SIGN_BLUE = (0, 82, 164)


def icon_image(size, full_bleed=False):
    """A blue information-sign tile holding a lit yellow bulb, drawn at
    `size` pixels with 4 x 4 samples per pixel for smooth edges. With
    `full_bleed` the sign blue fills the whole square, without the rounded
    corners and the white border: the maskable icon of the web app, which
    the system crops to a shape of its own (the bulb lies well inside the
    central circle of 80 % of the size that every crop keeps)."""
    samples = 4
    s = size / 32.0  # drawn on a 32-unit grid

    def colour_at(x, y):
        # x, y in 32-unit coordinates; returns (r, g, b) or None.
        if full_bleed:
            return bulb_at(x, y) or SIGN_BLUE
        margin, radius = 1.0, 5.0
        inner = (margin, margin, 32 - margin, 32 - margin)
        dx = max(inner[0] + radius - x, 0, x - (inner[2] - radius))
        dy = max(inner[1] + radius - y, 0, y - (inner[3] - radius))
        if dx * dx + dy * dy > radius * radius:
            return None
        if dx * dx + dy * dy > (radius - 1.6) ** 2 and (dx > 0 or dy > 0) or \
                min(x - inner[0], inner[2] - x, y - inner[1], inner[3] - y) < 1.6:
            return (255, 255, 255)  # white border of the sign
        return bulb_at(x, y) or SIGN_BLUE

    def bulb_at(x, y):
        # Bulb: globe, neck and base; None outside it.
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
        return None

    # From 128 pixels up, the narrowest shape is several pixels wide, so a
    # pixel whose corners and centre fall in one colour lies inside it and
    # takes it without the 16 samples: the web app's large icons then take
    # seconds, not minutes. The program's icon sizes sample every pixel.
    agreeing = size >= 128
    rows = []
    for py in range(size):
        row = []
        for px in range(size):
            if agreeing:
                probes = {colour_at((px + dx) / s, (py + dy) / s)
                          for dx, dy in ((0, 0), (1, 0), (0, 1), (1, 1), (0.5, 0.5))}
                if len(probes) == 1:
                    c = probes.pop()
                    row.append((0, 0, 0, 0) if c is None else c + (255,))
                    continue
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


# The scales besides 100 % that each bitmap is drawn at, in per cent; the
# program picks among them by the screen's dpi. The icon sizes: 16 and 32 at
# 100 %, and what the small and large icons come to at 125 %, 150 % and 200 %.
BITMAP_SCALES = (150, 200)
ICON_SIZES = (16, 20, 24, 32, 40, 48, 64)
# The icon sizes stored as PNG images, which LoadImage reads since Windows
# Vista: the large icons at 125 %, 150 % and 200 %, each a tenth to a
# twenty-fifth of its bitmap. The sizes of 100 % screens, and the small
# icons at the other scales, stay bitmaps.
PNG_ICON_SIZES = (40, 48, 64)
# The web app's icons, for the page's manifest: the icon at the sizes that
# browsers and systems ask for, and the full-bleed one for maskable use.
WEB_ICONS = (("brantle-192.png", 192, False), ("brantle-512.png", 512, False),
             ("brantle-maskable.png", 512, True))


def drawings():
    """Every bitmap file's name with its canvas, palette, bits per pixel and
    whether it is stored run-length encoded: the 100 % drawings as plain
    bitmaps, the larger ones compressed."""
    for stem, make in (("qvtext", make_qvtext), ("lbulb", make_lbulb), ("kxlogo", make_kxlogo)):
        yield (stem + ".bmp", *make(), False)
        for percent in BITMAP_SCALES:
            yield (f"{stem}{percent}.bmp", *make(percent / 100), True)


def undecodable(name, data, canvas, bits):
    """Why the run-length encoded BMP file `data` does not read back as
    `canvas`, or None when it does, header and pixels."""
    _, size, _, _, offset = struct.unpack_from("<2sIHHI", data)
    _, width, height, _, got_bits, compression, image_size = struct.unpack_from("<IiiHHII", data, 14)
    if (width, height, got_bits) != (canvas.width, canvas.height, bits) or \
            compression != (BI_RLE8 if bits == 8 else BI_RLE4) or \
            size != len(data) or offset + image_size != len(data):
        return f"{name}: the header does not describe the run-length encoded drawing"
    if rle_pixels(data[offset:], width, height, bits) != canvas.pixels:
        return f"{name}: the run-length encoded pixels do not read back as the drawing"
    return None


def unreadable_icon(data, images):
    """Why the icon file `data` does not hold `images` (size: rows) as
    PNG_ICON_SIZES says, or None when it does: each size once, in the
    directory and in its image, the PNG ones reading back as their
    drawings."""
    entries = icon_entries(data)
    if [fields[:2] for fields, _ in entries] != [(size % 256, size % 256) for size in sorted(images)]:
        return "amain.ico: the directory does not list the icon's sizes"
    for (fields, blob), size in zip(entries, sorted(images)):
        if size in PNG_ICON_SIZES:
            if png_rows(blob) != images[size]:
                return f"amain.ico: the {size} pixel PNG image does not read back as its drawing"
        elif blob.startswith(PNG_SIGNATURE) or struct.unpack_from("<Iii", blob) != (40, size, size * 2):
            return f"amain.ico: the {size} pixel image is not a bitmap of that size"
    return None


def same_artwork(name, committed, made):
    """Whether the committed file is what the drawings make: byte for byte,
    but for PNG files and the PNG images of the icon, which must hold the
    same pixels (another build of zlib may pack the same pixels into other
    bytes)."""
    if committed == made:
        return True
    if name.endswith(".png"):
        return png_rows(committed) is not None and png_rows(committed) == png_rows(made)
    if name != "amain.ico":
        return False

    def content(data):
        return [(fields, png_rows(blob) if blob.startswith(PNG_SIGNATURE) else blob)
                for fields, blob in icon_entries(data)]
    try:
        return content(committed) == content(made)
    except struct.error:
        return False


def outside_safe_zone(rows):
    """Whether any pixel other than the background blue lies outside the
    circle of 80 % of the size around the centre, which a maskable icon's
    crop always keeps."""
    size = len(rows)
    limit = (0.4 * size) ** 2
    return any(pixel[:3] != SIGN_BLUE and (x + 0.5 - size / 2) ** 2 + (y + 0.5 - size / 2) ** 2 > limit
               for y, row in enumerate(rows) for x, pixel in enumerate(row))


def artwork():
    """Every file name with the bytes the drawings make for it, and the
    problems found reading the compressed ones back."""
    files, problems = {}, []
    for name, canvas, palette, bits, compressed in drawings():
        files[name] = bmp_bytes(canvas, palette, bits, compressed)
        if compressed:
            problems.append(undecodable(name, files[name], canvas, bits))
    images = {size: icon_image(size) for size in ICON_SIZES}
    files["amain.ico"] = ico_bytes(images, PNG_ICON_SIZES)
    problems.append(unreadable_icon(files["amain.ico"], images))
    for name, size, full_bleed in WEB_ICONS:
        rows = icon_image(size, full_bleed)
        files[name] = png_bytes(rows)
        if png_rows(files[name]) != rows:
            problems.append(f"{name}: does not read back as its drawing")
        if full_bleed and any(pixel[3] != 255 for row in rows for pixel in row):
            problems.append(f"{name}: a maskable icon must be opaque to its edges")
        if full_bleed and outside_safe_zone(rows):
            problems.append(f"{name}: the drawing reaches outside the central circle that every crop keeps")
    return files, [p for p in problems if p]


def main():
    args = sys.argv[1:]
    here = os.path.dirname(os.path.abspath(__file__))
    files, problems = artwork()
    for problem in problems:
        print(problem)
    if args == ["--check"]:
        stale = []
        for name, data in files.items():
            path = os.path.join(here, name)
            if not os.path.exists(path) or not same_artwork(name, open(path, "rb").read(), data):
                stale.append(name)
        for name in stale:
            print(f"{name}: not what make_artwork.py draws; run it and commit the result")
        if not stale and not problems:
            print("every artwork file is what make_artwork.py draws")
        return 1 if stale or problems else 0
    if problems:
        return 1
    out = args[0] if args else here
    for name, data in files.items():
        with open(os.path.join(out, name), "wb") as f:
            f.write(data)
        print(f"{name}: {len(data)} bytes")
    return 0


if __name__ == "__main__":
    sys.exit(main())
