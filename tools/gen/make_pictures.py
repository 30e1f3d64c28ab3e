#!/usr/bin/python3
"""Generates the table's pictures, its layout file and the window icon.

    tools/gen/make_pictures.py [--preview screen.png] [--regions]

Writes into the repository's data/:
  Tisch.roulette, RK.roulette, Chip 25/50/100.roulette  (24-bit BMP)
  Button.txt                                             (87 hit regions)
into packaging/linux/:
  rotandor.png, rotandor-64/128/256.png                  (icons for menus, each drawn for its size)
into src/platform/web/:
  rotandor-192/512.png                                   (the page's app icons, 256 colours)
src/game/my_icon.inc (the icon the program embeds) and, through
make_icon.py, packaging/windows/rotandor.ico (the same icon for Windows).

The output depends only on these two scripts, the project's BMP writer
(tools/gen/write_bmp24.cpp, built with the C++ compiler on the way), Pillow (with its libimagequant,
which reduces the page's icons to 256 colours) and the DejaVu fonts; run it
again after any change and commit what it writes. Every rule the game relies
on (regions disjoint and visible, the grey ball track, plain felt under the
chip rings) is checked here, so a broken change fails before anything is
written.

--preview renders the whole 930 x 647 table screen as the game shows it
(pictures, panels, chip rings, a ball) so the result can be judged by eye;
--regions outlines the hit regions on that preview.
"""
import math
import os
import subprocess
import sys
import tempfile

from PIL import Image, ImageDraw, ImageFont

import make_icon

HERE = os.path.dirname(os.path.abspath(__file__))
ROOT = os.path.dirname(os.path.dirname(HERE))
DATA = os.path.join(ROOT, "data")
LINUX = os.path.join(ROOT, "packaging", "linux")
WEB = os.path.join(ROOT, "src", "platform", "web")
FONTS = "/usr/share/fonts/truetype/dejavu/"

SS = 4  # supersampling factor: drawn at SS x, box-filtered down

# Colours ---------------------------------------------------------------------
FELT = (12, 102, 52)
FELT_DARK = (8, 80, 40)
LINE = (255, 255, 255)
RED = (196, 18, 32)
BLACK = (22, 22, 24)
ZERO = (20, 150, 70)
GOLD = (232, 190, 72)
GOLD_DARK = (150, 110, 30)
TRACK = (0xAA, 0xAA, 0xAA)  # the ball's track; the game erases the ball with it

REDS = {1, 3, 5, 7, 9, 12, 14, 16, 18, 19, 21, 23, 25, 27, 30, 32, 34, 36}
WHEEL_ORDER = [0, 26, 3, 35, 12, 28, 7, 29, 18, 22, 9, 31, 14, 20, 1, 33, 16, 24, 5,
               10, 23, 8, 30, 11, 36, 13, 27, 6, 34, 17, 25, 2, 21, 4, 19, 15, 32]


def number_colour(n):
    if n == 0:
        return ZERO
    return RED if n in REDS else BLACK


def font(name, size):
    return ImageFont.truetype(FONTS + name, size)


# Screen facts the pictures must fit --------------------------------------------
SCREEN_W, SCREEN_H = 930, 647
TABLE_AT, TABLE_SIZE = (1, 1), (612, 520)
WHEEL_AT, WHEEL_SIZE = (335, 1), (593, 645)
CHIP_SIZE = 32
CHIPS = [(25, (10, 480)), (50, (50, 480)), (100, (90, 480))]
CHIP_RING = 18
PANELS = [(27, 420, 296, 439), (27, 450, 296, 469), (27, 580, 138, 630),
          (27, 545, 296, 564), (139, 483, 296, 502)]
ORBIT_CENTRE = (641, 319)  # screen
ORBIT_RADIUS = 184
BALL_RADIUS = 5
TRACK_HALF = 8  # every wheel pixel this close to the orbit is TRACK


def chip_centre(at):
    return (at[0] + 16, at[1] + 16)


# Table layout, in table-picture pixels. A line at coordinate g covers pixels
# g - 1 and g, so lines between fields are two pixels wide.
EVEN_X = 16          # left edge of the even-money strip
EVEN_W = 66
DOZEN_W = 40
CELL_W = 64
CELL_H = 27
GX = [EVEN_X + EVEN_W + DOZEN_W + CELL_W * c for c in range(4)]  # grid columns
ZERO_TOP = 8
GY0 = 54                                                         # grid top
GY = [GY0 + CELL_H * r for r in range(13)]
COLUMN_BOTTOM = GY[12] + 32
SPOT_HALF = 5  # a spot's region is the 10 x 10 pixels around its crossing


# Hit regions (screen pixels, inclusive) ---------------------------------------
def pic_to_screen(x0, x1, y0, y1):
    return (x0 + TABLE_AT[0], x1 + TABLE_AT[0], y0 + TABLE_AT[1], y1 + TABLE_AT[1])


def cell_region(x0, x1, y0, y1, inset):
    """Region inside the field bounded by the lines x0, x1, y0, y1."""
    return pic_to_screen(x0 + inset, x1 - 1 - inset, y0 + inset, y1 - 1 - inset)


def spot_region(gx, gy):
    return pic_to_screen(gx - SPOT_HALF, gx + SPOT_HALF - 1,
                         gy - SPOT_HALF, gy + SPOT_HALF - 1)


NUMBER_INSET = 6  # keeps number regions clear of the spots on their corners
OUTSIDE_INSET = 4


def number_cell(n):
    r, c = (n - 1) // 3, (n - 1) % 3
    return GX[c], GX[c + 1], GY[r], GY[r + 1]


def even_cell(k):  # k = 0..5: 1-18, even, red, black, odd, 19-36
    return EVEN_X, EVEN_X + EVEN_W, GY[2 * k], GY[2 * k + 2]


def dozen_cell(d):
    return GX[0] - DOZEN_W, GX[0], GY[4 * d], GY[4 * d + 4]


def column_cell(c):
    return GX[c], GX[c + 1], GY[12], COLUMN_BOTTOM


def zero_cell():
    return GX[0], GX[3], ZERO_TOP, GY0


EVEN_ORDER = [37, 38, 39, 40, 41, 42]  # field index of each strip cell, top down


def regions():
    reg = [None] * 87
    reg[0] = cell_region(*zero_cell(), NUMBER_INSET)
    # the zero's top is arched: keep the region below the arch
    x0, x1, y0, y1 = reg[0]
    reg[0] = (x0 + 10, x1 - 10, y0 + 8, y1)
    for n in range(1, 37):
        # the spots lie on the vertical lines, so the full height stays free
        x0, x1, y0, y1 = number_cell(n)
        reg[n] = pic_to_screen(x0 + NUMBER_INSET, x1 - 1 - NUMBER_INSET, y0 + 2, y1 - 3)
    for k, index in enumerate(EVEN_ORDER):
        reg[index] = cell_region(*even_cell(k), OUTSIDE_INSET)
    for d in range(3):
        x0, x1, y0, y1 = dozen_cell(d)
        r = cell_region(x0, x1, y0, y1, OUTSIDE_INSET)
        # the six-line spots sit on the dozen strip's right-hand line
        reg[43 + d] = (r[0], x1 - SPOT_HALF - 2 + TABLE_AT[0], r[2], r[3])
    for c in range(3):
        reg[46 + c] = cell_region(*column_cell(c), OUTSIDE_INSET)
    for index, (gx, gy) in spot_centres_by_field().items():
        reg[index] = spot_region(gx, gy)
    for i, (_, at) in enumerate(CHIPS):
        reg[84 + i] = (at[0], at[0] + CHIP_SIZE - 1, at[1], at[1] + CHIP_SIZE - 1)
    return reg


def spot_centres():
    """Crossings marked on the table, in table-picture pixels (line centres)."""
    return list(spot_centres_by_field().values())


SPOT_OUTER = 7.3  # outer radius of a spot's drawn ring


def field_of(index):
    """The drawn field of a betting region: ("cell", x0, x1, y0, y1) between
    lines, or ("spot", cx, cy) for a ring on a crossing (table pixels)."""
    if index == 0:
        return ("cell",) + zero_cell()
    if index <= 36:
        return ("cell",) + number_cell(index)
    if index <= 42:
        return ("cell",) + even_cell(EVEN_ORDER.index(index))
    if index <= 45:
        return ("cell",) + dozen_cell(index - 43)
    if index <= 48:
        return ("cell",) + column_cell(index - 46)
    return ("spot",) + spot_centres_by_field()[index]


def spot_centres_by_field():
    centres = {49: (GX[1], GY[0]), 50: (GX[2], GY[0])}
    for k in range(22):
        a = 3 * (k // 2) + (k % 2) + 1
        r, c = (a - 1) // 3, (a - 1) % 3
        centres[51 + k] = (GX[c + 1], GY[r + 1])
    for k in range(11):
        centres[73 + k] = (GX[0], GY[k + 1])
    return centres


def check_regions(reg):
    assert len(reg) == 87
    for i in range(84):
        xl, xr, yt, yb = (v - 1 for v in reg[i])  # table pixels
        field = field_of(i)
        if field[0] == "cell":
            _, x0, x1, y0, y1 = field  # clear of the two-pixel lines at x0, x1, y0, y1
            assert x0 + 1 <= xl and xr <= x1 - 2 and y0 + 1 <= yt and yb <= y1 - 2, \
                ("region outside its field", i)
        else:
            _, cx, cy = field
            for x, y in ((xl, yt), (xr + 1, yt), (xl, yb + 1), (xr + 1, yb + 1)):
                assert math.hypot(x - cx, y - cy) <= SPOT_OUTER, ("region outside its spot", i)
    for i, (xl, xr, yt, yb) in enumerate(reg):
        assert xr - xl + 1 >= 8 and yb - yt + 1 >= 8, ("too small", i, reg[i])
        # visible part of the table picture
        assert xl >= TABLE_AT[0] and xr < WHEEL_AT[0], ("under the wheel", i)
        assert yt >= TABLE_AT[1] and yb < TABLE_AT[1] + TABLE_SIZE[1], ("off the table", i)
        for (px0, py0, px1, py1) in PANELS:
            assert xr < px0 or xl > px1 or yb < py0 or yt > py1, ("under a panel", i)
        for c, (_, at) in enumerate(CHIPS):
            if 84 + c == i:
                continue
            assert (xr < at[0] or xl > at[0] + CHIP_SIZE - 1 or
                    yb < at[1] or yt > at[1] + CHIP_SIZE - 1), ("under a chip", i)
    for i in range(87):
        for j in range(i + 1, 87):
            a, b = reg[i], reg[j]
            assert a[1] < b[0] or b[1] < a[0] or a[3] < b[2] or b[3] < a[2], \
                ("regions overlap", i, j)


def button_txt(reg):
    return "".join("%d,%d,%d,%d,0\r\n" % r for r in reg).encode("ascii")


# Drawing helpers (all on SS-times images) ------------------------------------------
def s(v):
    return v * SS


def rect(d, x0, y0, x1, y1, fill):
    """Fills table pixels x0..x1-1, y0..y1-1."""
    d.rectangle([s(x0), s(y0), s(x1) - 1, s(y1) - 1], fill=fill)


def hline(d, x0, x1, g, colour=LINE):
    rect(d, x0 - 1, g - 1, x1 + 1, g + 1, colour)


def vline(d, g, y0, y1, colour=LINE):
    rect(d, g - 1, y0 - 1, g + 1, y1 + 1, colour)


def text_centered(img, cx, cy, text, fnt, fill, angle=0, shadow=None):
    """Draws text centred on (cx, cy) (1x pixels, may be fractional)."""
    l, t, r, b = fnt.getbbox(text)
    w, h = r - l, b - t
    pad = s(2)
    tile = Image.new("L", (w + 2 * pad, h + 2 * pad), 0)
    ImageDraw.Draw(tile).text((pad - l, pad - t), text, font=fnt, fill=255)
    if angle:
        tile = tile.rotate(angle, resample=Image.BICUBIC, expand=True)
    ox = round(s(cx) - tile.width / 2)
    oy = round(s(cy) - tile.height / 2)
    if shadow is not None:
        img.paste(shadow, (ox + SS, oy + SS), tile)
    img.paste(fill, (ox, oy), tile)


def downsample(big):
    return big.resize((big.width // SS, big.height // SS), Image.BOX)


def centre_of(x0, x1, y0, y1):
    """Centre of the field between lines x0, x1, y0, y1 (pixel space)."""
    return (x0 + x1 - 1) / 2 + 0.5, (y0 + y1 - 1) / 2 + 0.5


# The table ------------------------------------------------------------------------
def draw_diamond(d, cx, cy, w, h, fill):
    pts = [(s(cx), s(cy - h / 2)), (s(cx + w / 2), s(cy)),
           (s(cx), s(cy + h / 2)), (s(cx - w / 2), s(cy))]
    d.polygon(pts, fill=LINE)
    k = 2.2 * SS
    inner = [(s(cx), s(cy - h / 2) + k), (s(cx + w / 2) - k, s(cy)),
             (s(cx), s(cy + h / 2) - k), (s(cx - w / 2) + k, s(cy))]
    d.polygon(inner, fill=fill)


def make_table():
    W, H = TABLE_SIZE
    img = Image.new("RGB", (s(W), s(H)), FELT)
    d = ImageDraw.Draw(img)

    num_font = font("DejaVuSans-Bold.ttf", s(15))
    label_font = font("DejaVuSansCondensed-Bold.ttf", s(13))
    even_font = font("DejaVuSansCondensed-Bold.ttf", s(12))
    small_font = font("DejaVuSansCondensed-Bold.ttf", s(11))
    zero_font = font("DejaVuSans-Bold.ttf", s(20))

    # Zero: a field with an arched top over the whole width of the grid.
    zx0, zx1, zy0, zy1 = zero_cell()
    arch = 22
    d.rounded_rectangle([s(zx0 - 1), s(zy0 - 1), s(zx1 + 1) - 1, s(zy1 + 1) - 1],
                        radius=s(arch), fill=LINE)
    d.rounded_rectangle([s(zx0 + 1), s(zy0 + 1), s(zx1 - 1) - 1, s(zy1 + 8)],
                        radius=s(arch - 2), fill=ZERO)
    cx, cy = centre_of(zx0, zx1, zy0, zy1)
    text_centered(img, cx, cy + 1, "0", zero_font, LINE)

    # Number boxes.
    for n in range(1, 37):
        x0, x1, y0, y1 = number_cell(n)
        rect(d, x0, y0, x1, y1, number_colour(n))
        cx, cy = centre_of(x0, x1, y0, y1)
        text_centered(img, cx, cy, str(n), num_font, LINE)

    # Column bets under the grid.
    for c in range(3):
        x0, x1, y0, y1 = column_cell(c)
        cx, cy = centre_of(x0, x1, y0, y1)
        text_centered(img, cx, cy, "2 : 1", label_font, LINE)

    # Dozens beside the grid, written along the strip.
    for dz in range(3):
        x0, x1, y0, y1 = dozen_cell(dz)
        cx, cy = centre_of(x0, x1, y0, y1)
        text_centered(img, cx, cy, "%d. Dutzend" % (dz + 1), label_font, LINE, angle=90)

    # Even-money strip.
    labels = {37: "1-18", 38: "Gerade", 41: "Ungerade", 42: "19-36"}
    for k, index in enumerate(EVEN_ORDER):
        x0, x1, y0, y1 = even_cell(k)
        cx, cy = centre_of(x0, x1, y0, y1)
        if index in labels:
            text_centered(img, cx, cy, labels[index], even_font, LINE)
        else:
            colour, word = (RED, "Rot") if index == 39 else (BLACK, "Schwarz")
            draw_diamond(d, cx, cy - 6, 34, 24, colour)
            text_centered(img, cx, cy + 15, word, small_font, LINE)

    # Lines: every field boundary two pixels wide.
    left = EVEN_X
    for g in GX:
        vline(d, g, GY[0], COLUMN_BOTTOM)
    for x in (left, GX[0] - DOZEN_W):
        vline(d, x, GY[0], GY[12])
    for r in range(13):
        hline(d, GX[0], GX[3], GY[r])
    hline(d, GX[0], GX[3], COLUMN_BOTTOM)
    for r in range(0, 13, 2):
        hline(d, left, GX[0], GY[r])
    for r in range(0, 13, 4):
        hline(d, GX[0] - DOZEN_W, GX[0], GY[r])

    # Spots: small gold rings on the crossings that take a trio, a corner or a
    # six-line bet.
    for cx, cy in spot_centres():  # a two-pixel line at g is centred on g
        ro, ri = 6.5, 4.6
        d.ellipse([s(cx - SPOT_OUTER), s(cy - SPOT_OUTER), s(cx + SPOT_OUTER), s(cy + SPOT_OUTER)],
                  fill=GOLD_DARK)
        d.ellipse([s(cx - ro), s(cy - ro), s(cx + ro), s(cy + ro)], fill=GOLD)
        d.ellipse([s(cx - ri), s(cy - ri), s(cx + ri), s(cy + ri)], fill=FELT_DARK)

    return downsample(img)


def check_table(table, reg):
    px = table.load()
    # Number regions show their own colour, apart from the white numeral.
    for n in range(37):
        want = number_colour(n)
        xl, xr, yt, yb = reg[n]
        count = same = 0
        for y in range(yt - TABLE_AT[1], yb - TABLE_AT[1] + 1):
            for x in range(xl - TABLE_AT[0], xr - TABLE_AT[0] + 1):
                count += 1
                same += px[x, y] == want
        assert same * 2 > count, ("number region not in its colour", n)
    # Plain felt wherever a chip ring can be drawn (and a little beyond).
    for _, at in CHIPS:
        cx, cy = chip_centre(at)
        for y in range(cy - CHIP_RING - 3, cy + CHIP_RING + 4):
            for x in range(cx - CHIP_RING - 3, cx + CHIP_RING + 4):
                assert px[x - TABLE_AT[0], y - TABLE_AT[1]] == FELT, ("felt near chip", x, y)


# The wheel ------------------------------------------------------------------------
WC = (ORBIT_CENTRE[0] - WHEEL_AT[0], ORBIT_CENTRE[1] - WHEEL_AT[1])  # (306, 318)
POCKET = 2 * math.pi / 37


def polar(r, theta, centre=WC):
    """Point at radius r and angle theta, counter-clockwise from the top."""
    return centre[0] - r * math.sin(theta), centre[1] - r * math.cos(theta)


def ring_segment(r0, r1, t0, t1, steps=12):
    pts = [polar(r1, t0 + (t1 - t0) * i / steps) for i in range(steps + 1)]
    pts += [polar(r0, t1 - (t1 - t0) * i / steps) for i in range(steps + 1)]
    return [(s(x), s(y)) for x, y in pts]


def disc(d, r, fill, centre=WC):
    cx, cy = centre
    d.ellipse([s(cx - r), s(cy - r), s(cx + r), s(cy + r)], fill=fill)


def radial_disc(img, r0, r1, inner, outer, centre=WC, steps=48):
    """Concentric shading from colour `outer` at r1 to `inner` at r0."""
    d = ImageDraw.Draw(img)
    for i in range(steps + 1):
        f = i / steps
        r = r1 - (r1 - r0) * f
        c = tuple(round(outer[k] + (inner[k] - outer[k]) * f) for k in range(3))
        disc(d, r, c, centre)


def shade(c, f):
    return tuple(max(0, min(255, round(v * f))) for v in c)


R_RIM_OUT = 252     # outer edge of the wooden bowl
R_RIM_IN = 204      # where the bowl meets the ball track's wall
R_TRACK_OUT = 194
R_TRACK_IN = 174
R_NUM_OUT = 175     # numbered ring
R_NUM_IN = 146
R_POCKET_IN = 116   # pockets the ball drops into
R_CONE = 112


def make_wheel():
    W, H = WHEEL_SIZE
    img = Image.new("RGB", (s(W), s(H)), FELT)
    d = ImageDraw.Draw(img)

    # Shadow of the wheel on the felt, then the wooden bowl.
    disc(d, R_RIM_OUT + 6, FELT_DARK, (WC[0] + 4, WC[1] + 6))
    radial_disc(img, R_RIM_IN, R_RIM_OUT, (120, 58, 22), (70, 30, 10))
    disc(d, R_RIM_OUT, None)
    d.ellipse([s(WC[0] - R_RIM_OUT), s(WC[1] - R_RIM_OUT),
               s(WC[0] + R_RIM_OUT), s(WC[1] + R_RIM_OUT)], outline=GOLD_DARK, width=s(2))
    # polished wood: a few darker grain rings
    for r in (214, 226, 240):
        d.ellipse([s(WC[0] - r), s(WC[1] - r), s(WC[0] + r), s(WC[1] + r)],
                  outline=(86, 40, 14), width=SS)
    # brass trim at the inner edge of the bowl, then the track's wall
    disc(d, R_RIM_IN, GOLD)
    disc(d, R_RIM_IN - 2, GOLD_DARK)
    radial_disc(img, R_TRACK_OUT, R_RIM_IN - 3, (150, 150, 150), (92, 92, 92), steps=12)
    # ball track (made exact below)
    disc(d, R_TRACK_OUT, TRACK)

    # Numbered ring: one coloured segment per pocket with its number.
    num_font = font("DejaVuSans-Bold.ttf", s(14))
    for p, n in enumerate(WHEEL_ORDER):
        t0, t1 = (p - 0.5) * POCKET, (p + 0.5) * POCKET
        d.polygon(ring_segment(R_NUM_IN, R_NUM_OUT, t0, t1), fill=number_colour(n))
    for p in range(37):
        t = (p + 0.5) * POCKET
        d.line([(s(x), s(y)) for x, y in (polar(R_NUM_IN, t), polar(R_NUM_OUT, t))],
               fill=GOLD, width=SS)
    for p, n in enumerate(WHEEL_ORDER):
        cx, cy = polar((R_NUM_IN + R_NUM_OUT) / 2 + 1, p * POCKET)
        text_centered(img, cx, cy, str(n), num_font, LINE)
    d.ellipse([s(WC[0] - R_NUM_OUT), s(WC[1] - R_NUM_OUT),
               s(WC[0] + R_NUM_OUT), s(WC[1] + R_NUM_OUT)], outline=GOLD, width=SS)

    # Pockets: darker segments with brass frets.
    for p, n in enumerate(WHEEL_ORDER):
        t0, t1 = (p - 0.5) * POCKET, (p + 0.5) * POCKET
        d.polygon(ring_segment(R_POCKET_IN, R_NUM_IN, t0, t1),
                  fill=shade(number_colour(n), 0.62))
    for p in range(37):
        t = (p + 0.5) * POCKET
        d.line([(s(x), s(y)) for x, y in (polar(R_POCKET_IN - 2, t), polar(R_NUM_IN, t))],
               fill=(220, 220, 215), width=s(2))
    d.ellipse([s(WC[0] - R_NUM_IN), s(WC[1] - R_NUM_IN),
               s(WC[0] + R_NUM_IN), s(WC[1] + R_NUM_IN)], outline=GOLD, width=SS)

    # Cone and turret.
    disc(d, R_POCKET_IN, GOLD_DARK)
    radial_disc(img, 30, R_CONE, (150, 78, 30), (92, 44, 16))
    # four brass spokes of the turret
    for k in range(4):
        t = k * math.pi / 2 + math.pi / 4
        x1, y1 = polar(70, t)
        x2, y2 = polar(70, t + math.pi)
        d.line([(s(x1), s(y1)), (s(x2), s(y2))], fill=GOLD_DARK, width=s(7))
        d.line([(s(x1), s(y1)), (s(x2), s(y2))], fill=GOLD, width=s(4))
        for x, y in ((x1, y1), (x2, y2)):
            d.ellipse([s(x - 6), s(y - 6), s(x + 6), s(y + 6)], fill=GOLD_DARK)
            d.ellipse([s(x - 4.5), s(y - 4.5), s(x + 4.5), s(y + 4.5)], fill=(245, 215, 120))
    radial_disc(img, 4, 30, (250, 230, 160), (170, 125, 40), steps=26)

    # Name plate on the felt under the wheel.
    title_font = font("DejaVuSerif-Bold.ttf", s(26))
    text_centered(img, WC[0], 604, "R O T A N D O R", title_font, GOLD, shadow=FELT_DARK)

    wheel = downsample(img)
    light_wood(wheel)
    enforce_track(wheel)
    return wheel


def light_wood(wheel):
    """Light from the upper left on the bowl and the cone."""
    px = wheel.load()
    cx, cy = WC
    for y in range(cy - R_RIM_OUT, cy + R_RIM_OUT + 1):
        for x in range(cx - R_RIM_OUT, cx + R_RIM_OUT + 1):
            r = math.hypot(x + 0.5 - cx, y + 0.5 - cy)
            if R_RIM_IN + 1 < r < R_RIM_OUT - 1.5:
                k = 0.22
            elif 32 < r < R_CONE - 1:
                k = -0.15  # the cone is hollow: lit on the far side
            else:
                continue
            a = math.atan2(y + 0.5 - cy, x + 0.5 - cx)
            f = 1 + k * math.cos(a + 3 * math.pi / 4)
            px[x, y] = shade(px[x, y], f)


def track_pixels():
    cx, cy = WC
    for y in range(cy - ORBIT_RADIUS - TRACK_HALF - 1, cy + ORBIT_RADIUS + TRACK_HALF + 2):
        for x in range(cx - ORBIT_RADIUS - TRACK_HALF - 1, cx + ORBIT_RADIUS + TRACK_HALF + 2):
            if abs(math.hypot(x - cx, y - cy) - ORBIT_RADIUS) <= TRACK_HALF:
                yield x, y


def enforce_track(wheel):
    px = wheel.load()
    for x, y in track_pixels():
        px[x, y] = TRACK


def check_wheel(wheel):
    px = wheel.load()
    for x, y in track_pixels():
        assert px[x, y] == TRACK, ("ball track not grey", x, y)
    # Each pocket's colour lies right inside the ball's resting place.
    for p, n in enumerate(WHEEL_ORDER):
        count = same = 0
        for r in range(R_NUM_IN + 2, R_NUM_OUT - 1):
            for k in range(-4, 5):
                x, y = polar(r, (p + k / 10) * POCKET)
                count += 1
                same += px[round(x), round(y)] == number_colour(n)
        assert same * 2 > count, ("pocket colour", p)
    # and the ball, drawn at each pocket, stays on the track
    for p in range(37):
        bx, by = ball_centre(p)
        for dy in range(-BALL_RADIUS, BALL_RADIUS + 1):
            for dx in range(-BALL_RADIUS, BALL_RADIUS + 1):
                if dx * dx + dy * dy <= (BALL_RADIUS + 0.5) ** 2:
                    x, y = bx + dx - WHEEL_AT[0], by + dy - WHEEL_AT[1]
                    assert px[x, y] == TRACK, ("ball off the track", p)


def ball_centre(p):
    a = p * POCKET
    return (round(ORBIT_CENTRE[0] - ORBIT_RADIUS * math.sin(a)),
            round(ORBIT_CENTRE[1] - ORBIT_RADIUS * math.cos(a)))


# Chips ----------------------------------------------------------------------------
CHIP_COLOURS = {25: ((28, 84, 196), (250, 250, 250)),
                50: ((214, 108, 18), (250, 250, 250)),
                100: ((30, 30, 34), (232, 190, 72))}
CHIP_R = 15  # the disc; the ring of radius 18 keeps clear of it


def make_chip(value):
    body, inlay = CHIP_COLOURS[value]
    n = CHIP_SIZE
    img = Image.new("RGB", (s(n), s(n)), FELT)
    d = ImageDraw.Draw(img)
    c = (16, 16)  # the pixel the game's ring is centred on
    cx, cy = c[0] + 0.5, c[1] + 0.5
    R = CHIP_R
    d.ellipse([s(cx - R - 0.3) + 2, s(cy - R - 0.3) + 2, s(cx + R + 0.3) + 2,
               s(cy + R + 0.3) + 2], fill=FELT_DARK)
    d.ellipse([s(cx - R), s(cy - R), s(cx + R), s(cy + R)], fill=shade(body, 0.7))
    d.ellipse([s(cx - R + 1), s(cy - R + 1), s(cx + R - 1), s(cy + R - 1)], fill=body)
    # six edge inserts
    for k in range(6):
        t0 = k * math.pi / 3 - 0.2
        pts = ring_segment(R - 5.5, R - 1, t0, t0 + 0.4, steps=4)
        pts = [(x - s(WC[0] - cx), y - s(WC[1] - cy)) for x, y in pts]
        d.polygon(pts, fill=inlay)
    ri = R - 6
    d.ellipse([s(cx - ri), s(cy - ri), s(cx + ri), s(cy + ri)], fill=shade(body, 0.8))
    d.ellipse([s(cx - ri + 0.8), s(cy - ri + 0.8), s(cx + ri - 0.8), s(cy + ri - 0.8)],
              fill=body)
    size = 12 if value < 100 else 10
    fnt = font("DejaVuSansCondensed-Bold.ttf", s(size))
    text_centered(img, cx, cy, str(value), fnt, inlay)
    chip = downsample(img)
    # the corners show the felt the chip lies on
    px = chip.load()
    for y in range(n):
        for x in range(n):
            if math.hypot(x + 0.5 - cx, y + 0.5 - cy) > R + 0.8:
                px[x, y] = FELT
    return chip


def check_chip(chip):
    px = chip.load()
    for y in range(CHIP_SIZE):
        for x in range(CHIP_SIZE):
            if math.hypot(x - 16, y - 16) >= CHIP_RING - 2:  # the ring needs felt
                assert px[x, y] == FELT, ("chip corner not felt", x, y)


# Icon -----------------------------------------------------------------------------
ICON_PALETTE = [
    (0x0C, 0x66, 0x34),  # 0 felt behind the wheel
    (0x00, 0x00, 0x00),
    (0x4A, 0x22, 0x0A),  # dark wood
    (0x8A, 0x46, 0x18),  # wood
    (0xC4, 0x12, 0x20),  # red
    (0x7A, 0x0A, 0x12),  # dark red
    (0x16, 0x16, 0x18),  # black pocket
    (0x14, 0x96, 0x46),  # zero
    (0xE8, 0xBE, 0x48),  # gold
    (0x96, 0x6E, 0x1E),  # dark gold
    (0xFF, 0xFF, 0xFF),  # ball
    (0xAA, 0xAA, 0xAA),  # track
    (0x6A, 0x6A, 0x6A),
    (0xF5, 0xD7, 0x78),  # light gold
    (0x2E, 0x2E, 0x32),
    (0xD8, 0xD8, 0xD8),
]


def make_icon_art():
    """The icon as palette indexes: a wheel seen from above with the ball.

    Drawn pixel by pixel from the pixel centres, so every edge is crisp at
    32 x 32; twelve bold pockets read better at this size than 37."""
    ball = polar(7.9, 10 * math.pi / 6, (16, 16))  # resting in a black pocket
    rows = []
    for y in range(32):
        row = []
        for x in range(32):
            px, py = x + 0.5, y + 0.5
            r = math.hypot(px - 16, py - 16)
            theta = math.atan2(16 - px, 16 - py) % (2 * math.pi)  # ccw from top
            seg = int((theta + math.pi / 12) // (math.pi / 6)) % 12
            d = math.hypot(px - ball[0], py - ball[1])
            if d <= 1.6:
                v = 10                          # ball
            elif d <= 2.3:
                v = 15
            elif r > 16:
                v = 0
            elif r > 15:
                v = 2
            elif r > 13:
                v = 3
            elif r > 10.4:
                v = 11                          # track
            elif r > 9.6:
                v = 8
            elif r > 5.6:
                v = 7 if seg == 0 else (4 if seg % 2 else 6)
            elif r > 4.8:
                v = 8
            elif r > 2.6:
                v = 3
            elif r > 1.2:
                v = 8
            else:
                v = 13
            row.append(v)
        rows.append(row)
    return rows


def icon_inc(rows):
    pal = ", ".join("0x%02X%02X%02X" % c for c in ICON_PALETTE)
    lines = ["// The window icon, 32 x 32 in 16 colours; generated by",
             "// tools/gen/make_pictures.py. Each digit of a row is a palette index;",
             "// index 0 is the background outside the wheel.",
             "constexpr std::uint32_t myIconPalette[16] = {%s};" % pal,
             "constexpr const char* myIconRows[32] = {"]
    for row in rows:
        lines.append('    "%s",' % "".join("%X" % v for v in row))
    lines.append("};")
    return ("\n".join(lines) + "\n").encode("ascii")


def icon_png(rows):
    img = Image.new("RGBA", (32, 32))
    for y in range(32):
        for x in range(32):
            v = rows[y][x]
            img.putpixel((x, y), ICON_PALETTE[v] + ((0,) if v == 0 else (255,)))
    return img


def icon_rgb(rows):
    """The icon as the program shows it: the background in its own colour."""
    img = Image.new("RGB", (32, 32))
    for y in range(32):
        for x in range(32):
            img.putpixel((x, y), ICON_PALETTE[rows[y][x]])
    return img


MENU_ICON_SIZES = (64, 128, 256)
# The page's app icons, downloaded with the site: a palette keeps them a third
# of their size, with no visible banding in the wheel's wood.
WEB_ICON_SIZES = (192, 512)


def make_menu_icon(size):
    """The same wheel for menus and software centres, drawn for its size.

    At 64 pixels twelve bold pockets still read; from 128 on the wheel has all
    37 in their wheel order, gold frets and the turret's cross. Drawn at four
    times the size and box-filtered down, on a transparent ground."""
    k = 4
    n = size * k
    c = n / 2
    R = n / 2 - k * 0.5
    img = Image.new("RGBA", (n, n), (0, 0, 0, 0))
    d = ImageDraw.Draw(img)
    col = lambda i: ICON_PALETTE[i] + (255,)

    def ring(r, fill):
        d.ellipse([c - r, c - r, c + r, c + r], fill=fill)

    def at(r, theta):  # counter-clockwise from the top, as the 32 icon
        return c - r * math.sin(theta), c - r * math.cos(theta)

    detailed = size >= 128
    ring(R, col(2))                                  # dark wood edge
    for i in range(24):                              # the bowl, lit from the top left
        f = i / 23
        ring(R * (0.955 - 0.13 * f), tuple(round(a + (b - a) * f) for a, b in
                                            zip((0x4A, 0x22, 0x0A), (0xA8, 0x5A, 0x22))) + (255,))
    ring(R * 0.81, col(12))                          # the track's inner shadow
    ring(R * 0.80, col(11))                          # the ball track
    ring(R * 0.64, col(8))                           # gold edge of the pockets
    pockets = WHEEL_ORDER if detailed else list(range(12))
    step = 2 * math.pi / len(pockets)
    r0, r1 = R * 0.34, R * 0.61
    for i, number in enumerate(pockets):
        if detailed:
            colour = col(7) if number == 0 else (col(4) if number in REDS else col(6))
        else:
            colour = col(7) if i == 0 else (col(4) if i % 2 else col(6))
        t0, t1 = i * step - step / 2, i * step + step / 2
        pts = [at(r1, t0 + (t1 - t0) * j / 8) for j in range(9)]
        pts += [at(r0, t1 - (t1 - t0) * j / 8) for j in range(9)]
        d.polygon(pts, fill=colour)
    if detailed:
        for i in range(len(pockets)):                # frets between the pockets
            t = i * step + step / 2
            d.line([at(r0, t), at(r1, t)], fill=col(8), width=max(k, round(n / 160)))
    ring(r0, col(8))
    ring(R * 0.31, col(3))                           # the cone
    for i in range(12):
        f = i / 11
        ring(R * (0.30 - 0.12 * f), tuple(round(a + (b - a) * f) for a, b in
                                           zip((0x8A, 0x46, 0x18), (0xB8, 0x6E, 0x2C))) + (255,))
    ring(R * 0.17, col(8))
    if detailed:                                     # the turret's cross
        w = R * 0.035
        for j in range(4):
            t = j * math.pi / 2 + math.pi / 4
            (x1, y1), (x2, y2) = at(R * 0.05, t), at(R * 0.27, t)
            d.line([(x1, y1), (x2, y2)], fill=col(9), width=round(w * 2))
            d.line([(x1, y1), (x2, y2)], fill=col(8), width=round(w * 1.2))
            ex, ey = x2, y2
            d.ellipse([ex - w * 1.6, ey - w * 1.6, ex + w * 1.6, ey + w * 1.6], fill=col(13))
    ring(R * 0.10, col(9))
    ring(R * 0.08, col(13))
    # The ball resting in a black pocket, with a shadow and a highlight.
    bx, by = at(R * 0.50, 10 * math.pi / 6 if not detailed else 11 * step)
    br = R * 0.10
    d.ellipse([bx - br * 1.1 + br * 0.25, by - br * 1.1 + br * 0.3, bx + br * 1.1 + br * 0.25,
               by + br * 1.1 + br * 0.3], fill=(0, 0, 0, 150))
    d.ellipse([bx - br, by - br, bx + br, by + br], fill=col(15))
    d.ellipse([bx - br * 0.85, by - br * 0.85, bx + br * 0.7, by + br * 0.7], fill=col(10))
    return img.resize((size, size), Image.BOX)


# Files ----------------------------------------------------------------------------
def bmp24(img):
    """Uncompressed 24-bit bottom-up BMP with a 40-byte information header,
    written by the project's one BMP writer (tests/bitmap_writer.h), which
    write_bmp24 is built from once per run."""
    global _build
    if _build is None:
        _build = tempfile.TemporaryDirectory(prefix="rotandor-gen-")  # removed when the run ends
    writer = os.path.join(_build.name, "write_bmp24")
    if not os.path.exists(writer):
        subprocess.run([os.environ.get("CXX", "c++"), "-std=c++20", "-O1", "-I", os.path.join(ROOT, "tests"),
                        os.path.join(HERE, "write_bmp24.cpp"), "-o", writer], check=True)
    ppm = b"P6 %d %d 255\n" % img.size + img.convert("RGB").tobytes()
    return subprocess.run([writer], input=ppm, stdout=subprocess.PIPE, check=True).stdout


_build = None


def write(path, data):
    os.makedirs(os.path.dirname(path), exist_ok=True)
    with open(path, "wb") as f:
        f.write(data)


# Preview of the whole table screen ----------------------------------------------------
def circle_points(r):
    """Outline of a circle the way a midpoint algorithm draws it."""
    pts = set()
    x, y, err = r, 0, 1 - r
    while x >= y:
        for a, b in ((x, y), (y, x)):
            for sa in (-1, 1):
                for sb in (-1, 1):
                    pts.add((sa * a, sb * b))
        y += 1
        if err < 0:
            err += 2 * y + 1
        else:
            x -= 1
            err += 2 * (y - x) + 1
    return pts


def preview(table, wheel, chips, reg, path, show_regions, ball_pocket=14):
    screen = Image.new("RGB", (SCREEN_W, SCREEN_H), (0, 0, 0))
    screen.paste(table, TABLE_AT)
    screen.paste(wheel, WHEEL_AT)
    for (value, at), chip in zip(CHIPS, chips):
        screen.paste(chip, at)
    d = ImageDraw.Draw(screen)
    for x1, y1, x2, y2 in PANELS:
        d.rectangle([x1, y1, x2, y2], fill=(0, 0, 0))
        d.line([(x1, y1), (x1, y2)], fill=(255, 255, 255))
        d.line([(x1, y1), (x2, y1)], fill=(255, 255, 255))
        d.line([(x1, y2), (x2, y2)], fill=(0xAA, 0xAA, 0xAA))
        d.line([(x2, y1), (x2, y2)], fill=(0xAA, 0xAA, 0xAA))
    px = screen.load()
    for i, (_, at) in enumerate(CHIPS):
        cx, cy = chip_centre(at)
        colour = (255, 255, 255) if i == 0 else (0, 0, 0)
        for dx, dy in circle_points(CHIP_RING):
            px[cx + dx, cy + dy] = colour
    bx, by = ball_centre(ball_pocket)
    for dy in range(-BALL_RADIUS, BALL_RADIUS + 1):
        for dx in range(-BALL_RADIUS, BALL_RADIUS + 1):
            if dx * dx + dy * dy <= BALL_RADIUS * BALL_RADIUS + BALL_RADIUS:
                px[bx + dx, by + dy] = (255, 255, 255)
    mono = font("DejaVuSansMono-Bold.ttf", 11)
    for text, (x, y) in (("Machen sie bitte ihr Spiel!", (32, 455)),
                         ("Roulettekugel", (32, 591)), ("starten", (56, 607)),
                         ("Einsatz:", (144, 487))):
        d.text((x, y), text, font=mono, fill=(0x55, 0xFF, 0xFF))
    if show_regions:
        for i, (xl, xr, yt, yb) in enumerate(reg):
            d.rectangle([xl, yt, xr, yb], outline=(255, 0, 255))
    screen.save(path)


def main(argv):
    preview_path = None
    show_regions = "--regions" in argv
    if "--preview" in argv:
        preview_path = argv[argv.index("--preview") + 1]

    reg = regions()
    check_regions(reg)
    table = make_table()
    check_table(table, reg)
    wheel = make_wheel()
    check_wheel(wheel)
    chips = [make_chip(v) for v, _ in CHIPS]
    for chip in chips:
        check_chip(chip)
    icon = make_icon_art()

    write(os.path.join(DATA, "Tisch.roulette"), bmp24(table))
    write(os.path.join(DATA, "RK.roulette"), bmp24(wheel))
    for (value, _), chip in zip(CHIPS, chips):
        write(os.path.join(DATA, "Chip %d.roulette" % value), bmp24(chip))
    write(os.path.join(DATA, "Button.txt"), button_txt(reg))
    icon_png(icon).save(os.path.join(LINUX, "rotandor.png"), optimize=False)
    for size in MENU_ICON_SIZES:
        make_menu_icon(size).save(os.path.join(LINUX, "rotandor-%d.png" % size), optimize=False)
    for size in WEB_ICON_SIZES:
        make_menu_icon(size).quantize(256, method=Image.Quantize.LIBIMAGEQUANT).save(
            os.path.join(WEB, "rotandor-%d.png" % size), optimize=True)
    write(os.path.join(ROOT, "src", "game", "my_icon.inc"), icon_inc(icon))
    write(os.path.join(ROOT, "packaging", "windows", "rotandor.ico"), make_icon.ico(icon_rgb(icon)))
    if preview_path:
        preview(table, wheel, chips, reg, preview_path, show_regions)


if __name__ == "__main__":
    main(sys.argv[1:])
