#!/usr/bin/python3
"""Draws the program's pictures into resources/.

    /usr/bin/python3 scripts/make_pictures.py [output-dir]

The build compiles the committed files; this script only exists so that they can
be made again, byte for byte, from the drawing below. It needs Pillow (Debian
python3-pil) and the Liberation fonts (Debian fonts-liberation). Nothing here is
random and no timestamps are written, so two runs give identical files.

Outputs:
  BMI-Trevala.ico      the window and executable icon: one 32x32 image in 16 colours,
                       written by hand so that the file is exactly 766 bytes
  calculator.gif       the 16x18 picture on the feet-and-inches button
  advert.bmp           the 297x114 banner that links to the maker's site
  bmi-trevala-48.png   the icon at 48x48, smoothed, for desktops that want a PNG
  bmi-trevala.svg      the icon as a drawing, for desktops that scale it
  calculator@2x.png    the calculator drawn again at 32x36, for screens of two device
                       pixels to the point; its edges one device pixel wide, its corners
                       and keys rounded, where doubling the 16x18 would only give blocks
  advert@2x.png        the banner drawn again at 594x228, the same drawing at twice
                       the size, its text set at twice the size rather than enlarged
"""

import math
import os
import struct
import sys

from PIL import Image, ImageDraw, ImageFont

MAKER_HOST = "www.trevala.example"
FONT_DIR = "/usr/share/fonts/truetype/liberation"

# ---------------------------------------------------------------------------
# The icon: a runner beside a plus sign, drawn once as shapes on a 32x32 grid
# and rendered three ways (16-colour pixels, smoothed PNG, SVG).
# ---------------------------------------------------------------------------

# The standard 16-colour palette; icons in this format are expected to use it.
VGA16 = [
    (0x00, 0x00, 0x00), (0x80, 0x00, 0x00), (0x00, 0x80, 0x00), (0x80, 0x80, 0x00),
    (0x00, 0x00, 0x80), (0x80, 0x00, 0x80), (0x00, 0x80, 0x80), (0xC0, 0xC0, 0xC0),
    (0x80, 0x80, 0x80), (0xFF, 0x00, 0x00), (0x00, 0xFF, 0x00), (0xFF, 0xFF, 0x00),
    (0x00, 0x00, 0xFF), (0xFF, 0x00, 0xFF), (0x00, 0xFF, 0xFF), (0xFF, 0xFF, 0xFF),
]
BLACK, MAROON, NAVY, RED, BLUE = 0, 1, 4, 9, 12

RUNNER_LIMBS = [
    # torso, neck to hip, leaning into the run
    [(15.0, 10.5), (11.5, 18.5)],
    # front arm swung forward, back arm swung back
    [(14.6, 11.6), (18.4, 14.6), (21.0, 12.4)],
    [(14.6, 11.6), (10.0, 13.0), (7.4, 10.0)],
    # front leg reaching, back leg pushing off
    [(11.5, 18.5), (17.5, 21.0), (16.4, 27.6), (19.6, 28.2)],
    [(11.5, 18.5), (9.0, 25.0), (3.4, 24.0)],
]
RUNNER_HEAD = (17.2, 4.6, 3.0)  # centre x, centre y, radius
LIMB_WIDTH = 2.0
OUTLINE = 1.0

PLUS_CENTRE = (26.0, 6.0)
PLUS_ARM = 5.0  # centre to tip, outline included
PLUS_HALF_THICKNESS = 2.0


def icon_shapes():
    """The icon as an ordered list of shapes, back to front, in 32x32 units."""
    shapes = []
    # The runner is outlined so that it holds up on dark title bars as well as light.
    for limb in RUNNER_LIMBS:
        shapes.append(("line", limb, LIMB_WIDTH + 2 * OUTLINE, NAVY))
    hx, hy, hr = RUNNER_HEAD
    shapes.append(("circle", (hx, hy), hr + OUTLINE, NAVY))
    for limb in RUNNER_LIMBS:
        shapes.append(("line", limb, LIMB_WIDTH, BLUE))
    shapes.append(("circle", (hx, hy), hr, BLUE))

    cx, cy = PLUS_CENTRE
    for inset, colour in ((0.0, MAROON), (OUTLINE, RED)):
        arm, half = PLUS_ARM - inset, PLUS_HALF_THICKNESS - inset
        shapes.append(("rect", (cx - arm, cy - half, cx + arm, cy + half), colour))
        shapes.append(("rect", (cx - half, cy - arm, cx + half, cy + arm), colour))
    return shapes


def draw_shapes(draw, shapes, scale, colour_of):
    for kind, geometry, *rest in shapes:
        if kind == "line":
            width, colour = rest
            fill = colour_of(colour)
            pts = [(x * scale, y * scale) for x, y in geometry]
            draw.line(pts, fill=fill, width=round(width * scale), joint="curve")
            r = width * scale / 2
            for x, y in (pts[0], pts[-1]):  # round caps
                draw.ellipse((x - r, y - r, x + r, y + r), fill=fill)
        elif kind == "circle":
            (x, y), r = geometry, rest[0]
            draw.ellipse(((x - r) * scale, (y - r) * scale, (x + r) * scale, (y + r) * scale),
                         fill=colour_of(rest[1]))
        elif kind == "rect":
            x0, y0, x1, y1 = (v * scale for v in geometry)
            # Pillow's rectangles include their far edge; keep the area exact.
            draw.rectangle((x0, y0, x1 - 1, y1 - 1), fill=colour_of(rest[0]))
        else:
            raise ValueError(kind)


def icon_indices(size=32, oversample=16):
    """Palette index per pixel (None = transparent), by majority of subsamples.

    Each pixel takes the colour that covers most of it, so edges stay hard and every
    pixel is an exact palette colour."""
    transparent = 255
    big = Image.new("P", (size * oversample,) * 2, transparent)
    draw_shapes(ImageDraw.Draw(big), icon_shapes(), oversample * size / 32, lambda c: c)
    data = big.load()
    rows = []
    for py in range(size):
        row = []
        for px in range(size):
            counts = {}
            for sy in range(oversample):
                for sx in range(oversample):
                    v = data[px * oversample + sx, py * oversample + sy]
                    counts[v] = counts.get(v, 0) + 1
            # Ties go to the lower index so the result never depends on dict order.
            best = max(sorted(counts), key=lambda k: counts[k])
            row.append(None if best == transparent else best)
        rows.append(row)
    return rows


def write_ico(path):
    size = 32
    pixels = icon_indices(size)
    xor_stride = size // 2          # 4 bits per pixel, 16 bytes: already a multiple of 4
    and_stride = 4                  # 1 bit per pixel, 4 bytes
    xor = bytearray()
    and_mask = bytearray()
    for row in reversed(pixels):    # bitmaps are stored bottom-up
        for x in range(0, size, 2):
            hi = row[x] if row[x] is not None else BLACK
            lo = row[x + 1] if row[x + 1] is not None else BLACK
            xor.append(hi << 4 | lo)
        bits = 0
        for x in range(size):
            bits = bits << 1 | (1 if row[x] is None else 0)
        and_mask += bits.to_bytes(and_stride, "big")
    assert len(xor) == xor_stride * size and len(and_mask) == and_stride * size

    palette = b"".join(struct.pack("<BBBB", b, g, r, 0) for r, g, b in VGA16)
    info = struct.pack("<IiiHHIIiiII",
                       40,                 # biSize
                       size, size * 2,     # width; height counts XOR and AND halves
                       1, 4,               # planes, bits per pixel
                       0,                  # BI_RGB
                       len(xor) + len(and_mask),
                       0, 0,               # resolution: unused in icons
                       16, 0)              # colours used, important
    image = info + palette + bytes(xor) + bytes(and_mask)
    header = struct.pack("<HHH", 0, 1, 1)  # reserved, type icon, one image
    entry = struct.pack("<BBBBHHII", size, size, 16, 0, 1, 4, len(image), 6 + 16)
    data = header + entry + image
    assert len(data) == 766, len(data)
    with open(path, "wb") as f:
        f.write(data)


def write_icon_png(path, size=48, oversample=8):
    big = Image.new("RGBA", (size * oversample,) * 2, (0, 0, 0, 0))
    draw_shapes(ImageDraw.Draw(big), icon_shapes(), oversample * size / 32,
                lambda c: VGA16[c] + (255,))
    small = big.resize((size, size), Image.BOX)
    small.save(path, format="PNG", optimize=False)


def write_icon_svg(path):
    def hexcolour(c):
        return "#%02x%02x%02x" % VGA16[c]

    def num(v):
        return ("%.2f" % v).rstrip("0").rstrip(".")

    out = ['<?xml version="1.0" encoding="UTF-8"?>',
           '<svg xmlns="http://www.w3.org/2000/svg" width="32" height="32" '
           'viewBox="0 0 32 32">',
           '  <title>BMI-Trevala</title>']
    for kind, geometry, *rest in icon_shapes():
        if kind == "line":
            width, colour = rest
            pts = " ".join("%s,%s" % (num(x), num(y)) for x, y in geometry)
            out.append('  <polyline points="%s" fill="none" stroke="%s" stroke-width="%s" '
                       'stroke-linecap="round" stroke-linejoin="round"/>'
                       % (pts, hexcolour(colour), num(width)))
        elif kind == "circle":
            (x, y), r = geometry, rest[0]
            out.append('  <circle cx="%s" cy="%s" r="%s" fill="%s"/>'
                       % (num(x), num(y), num(r), hexcolour(rest[1])))
        elif kind == "rect":
            x0, y0, x1, y1 = geometry
            out.append('  <rect x="%s" y="%s" width="%s" height="%s" fill="%s"/>'
                       % (num(x0), num(y0), num(x1 - x0), num(y1 - y0), hexcolour(rest[0])))
    out.append("</svg>")
    with open(path, "w", encoding="utf-8", newline="\n") as f:
        f.write("\n".join(out) + "\n")


# ---------------------------------------------------------------------------
# The calculator on the feet-and-inches button, 16x18, drawn pixel by pixel.
# ---------------------------------------------------------------------------

CALCULATOR_ROWS = [
    # 15 columns of body and one of shadow; "." is transparent.
    "kkkkkkkkkkkkkkk.",
    "kbbbbbbbbbbbbbks",
    "kbdddddddddddbks",
    "kbdWWWWWWWWWdbks",
    "kbdWWWWWWWWWdbks",
    "kbdddddddddddbks",
    "kbbbbbbbbbbbbbks",
    "kbLLbLLbLLbMMbks",
    "kbDDbDDbDDbNNbks",
    "kbbbbbbbbbbbbbks",
    "kbLLbLLbLLbLLbks",
    "kbDDbDDbDDbDDbks",
    "kbbbbbbbbbbbbbks",
    "kbLLbLLbLLbLLbks",
    "kbDDbDDbDDbDDbks",
    "kbbbbbbbbbbbbbks",
    "kkkkkkkkkkkkkkks",
    ".sssssssssssssss",
]
CALCULATOR_COLOURS = {
    ".": (0xFF, 0xFF, 0xFF),  # transparent; white if a viewer ignores that
    "k": (0x30, 0x30, 0x38),  # case edge
    "b": (0xB8, 0xBC, 0xC4),  # case
    "s": (0x80, 0x80, 0x88),  # shadow
    "d": (0x70, 0x74, 0x7C),  # display bezel
    "W": (0xFF, 0xFF, 0xFF),  # display
    "L": (0x40, 0x70, 0xF0),  # key, lit top
    "D": (0x10, 0x30, 0xA8),  # key, lower half
    "M": (0xFF, 0x40, 0xFF),  # the one magenta key, lit top
    "N": (0xB0, 0x00, 0xB0),  # the one magenta key, lower half
}


def calculator_rows(scale):
    """The calculator at scale x its size, as rows of CALCULATOR_COLOURS keys.

    The same shapes at either scale: a case with its shadow one point down and right, a
    display in its bezel and three rows of four keys, each key lit above and dark below.
    Outlines are one device pixel wide and corners (the case's and the keys') round off
    by scale - 1 pixels, so at scale 1 this is the designed pixel drawing
    (write_calculator_gif checks that) and at scale 2 it is finer than that drawing
    doubled."""
    s = scale
    grid = [["."] * (16 * s) for _ in range(18 * s)]
    edge = 1

    def fill(x0, y0, x1, y1, key, corner=0):
        """Device pixels [x0, x1) x [y0, y1), less `corner` pixels cut off each corner."""
        for y in range(y0, y1):
            for x in range(x0, x1):
                dx = min(x - x0, x1 - 1 - x)
                dy = min(y - y0, y1 - 1 - y)
                if dx + dy >= corner:
                    grid[y][x] = key

    corner = s - 1
    # The shadow, then the case: its edge, then its face inside the edge.
    fill(s, s, 16 * s, 18 * s, "s", corner)
    fill(0, 0, 15 * s, 17 * s, "k", corner)
    fill(edge, edge, 15 * s - edge, 17 * s - edge, "b", corner)
    # The display: its bezel two points in, the glass one device pixel inside that.
    fill(2 * s, 2 * s, 13 * s, 6 * s, "d")
    fill(2 * s + edge, 2 * s + edge, 13 * s - edge, 6 * s - edge, "W")
    for row in range(3):
        for col in range(4):
            x, y = (2 + 3 * col) * s, (7 + 3 * row) * s
            top, bottom = ("M", "N") if (row, col) == (0, 3) else ("L", "D")
            fill(x, y, x + 2 * s, y + 2 * s, bottom, corner)
            # The lit part is the key's upper half, rounded where the key is.
            for yy in range(y, y + s):
                for xx in range(x, x + 2 * s):
                    if grid[yy][xx] == bottom:
                        grid[yy][xx] = top
    return ["".join(row) for row in grid]


def write_calculator_gif(path):
    assert len(CALCULATOR_ROWS) == 18 and all(len(r) == 16 for r in CALCULATOR_ROWS)
    assert calculator_rows(1) == CALCULATOR_ROWS
    keys = list(CALCULATOR_COLOURS)
    index = {k: i for i, k in enumerate(keys)}
    palette = []
    for k in keys:
        palette += CALCULATOR_COLOURS[k]
    # A full 256-entry table, as the picture has always carried; the unused entries
    # are a grey ramp rather than black so the table reads sensibly in an editor.
    for i in range(len(keys), 256):
        palette += (i, i, i)
    img = Image.new("P", (16, 18))
    img.putpalette(palette)
    img.putdata([index[c] for row in CALCULATOR_ROWS for c in row])
    # Transparency makes Pillow write GIF89a with a graphic control extension.
    img.save(path, format="GIF", transparency=index["."], optimize=False)
    with open(path, "rb") as f:
        head = f.read(11)
    assert head[:6] == b"GIF89a" and head[10] & 0x87 == 0x87, head  # 256-entry table


def write_calculator_2x_png(path):
    rows = calculator_rows(2)
    img = Image.new("RGBA", (32, 36))
    img.putdata([CALCULATOR_COLOURS[c] + ((0,) if c == "." else (255,))
                 for row in rows for c in row])
    img.save(path, format="PNG", optimize=False)


# ---------------------------------------------------------------------------
# The advert banner, 297x114, 24 bits.
# ---------------------------------------------------------------------------

BANNER_SIZE = (297, 114)
BANNER_BACKGROUND = (0xF7, 0xFA, 0xFD)
BANNER_BORDER = (0xB4, 0xC6, 0xDC)
BANNER_HEADLINE = (0x10, 0x2A, 0x5C)
BANNER_TEXT = (0x20, 0x24, 0x2C)
BANNER_ACCENT = (0xC0, 0x1C, 0x28)
BANNER_NOTE = [
    "Keep your family's health records",
    "in one place. Try Trevala Health",
    "Records, our full health-record program.",
]


def draw_banner(scale):
    """The banner at scale x its size: every length, the fonts' among them, scaled."""
    s = scale
    w, h = BANNER_SIZE[0] * s, BANNER_SIZE[1] * s
    img = Image.new("RGB", (w, h), BANNER_BACKGROUND)
    d = ImageDraw.Draw(img)
    d.rectangle((0, 0, w - 1, h - 1), outline=BANNER_BORDER, width=s)

    head_font = ImageFont.truetype(os.path.join(FONT_DIR, "LiberationSans-Bold.ttf"), 22 * s)
    note_font = ImageFont.truetype(os.path.join(FONT_DIR, "LiberationSans-Regular.ttf"), 13 * s)

    def centred(y, text, font, fill):
        left, _, right, _ = d.textbbox((0, 0), text, font=font)
        x = (w - (right - left)) // 2 - left
        d.text((x, y), text, font=font, fill=fill)
        return right - left

    def block(x0, y0, x1, y1, fill):
        """The pixels x0..x1, y0..y1 of the banner at its own size, inclusive."""
        d.rectangle((x0 * s, y0 * s, (x1 + 1) * s - 1, (y1 + 1) * s - 1), fill=fill)

    width = centred(10 * s, MAKER_HOST, head_font, BANNER_HEADLINE)
    assert width <= w - 16 * s, width
    # A small plus on each side of the rule echoes the icon.
    w1 = BANNER_SIZE[0]
    rule_y = 43
    block(40, rule_y, w1 - 41, rule_y, BANNER_BORDER)
    for x in (30, w1 - 31):
        block(x - 4, rule_y - 1, x + 4, rule_y + 1, BANNER_ACCENT)
        block(x - 1, rule_y - 4, x + 1, rule_y + 4, BANNER_ACCENT)

    y = 53
    for line in BANNER_NOTE:
        width = centred(y * s, line, note_font, BANNER_TEXT)
        assert width <= w - 12 * s, (line, width)
        y += 17
    return img


def write_banner_bmp(path):
    draw_banner(1).save(path, format="BMP")
    assert os.path.getsize(path) == 101742, os.path.getsize(path)


def write_banner_2x_png(path):
    draw_banner(2).save(path, format="PNG", optimize=False)


def main(argv):
    here = os.path.dirname(os.path.abspath(__file__))
    out = argv[1] if len(argv) > 1 else os.path.join(here, os.pardir, "resources")
    os.makedirs(out, exist_ok=True)
    write_ico(os.path.join(out, "BMI-Trevala.ico"))
    write_calculator_gif(os.path.join(out, "calculator.gif"))
    write_banner_bmp(os.path.join(out, "advert.bmp"))
    write_icon_png(os.path.join(out, "bmi-trevala-48.png"))
    write_icon_svg(os.path.join(out, "bmi-trevala.svg"))
    write_calculator_2x_png(os.path.join(out, "calculator@2x.png"))
    write_banner_2x_png(os.path.join(out, "advert@2x.png"))
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
