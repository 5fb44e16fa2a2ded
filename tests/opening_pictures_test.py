#!/usr/bin/env python3
"""Checks the committed opening-screen pictures against the layout the game relies on.

Standard library only, so it runs wherever the game's tests run; the PNGs are
decoded here rather than with an imaging package.
"""

import os
import struct
import sys
import zlib

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
# A folder given on the command line is checked instead, e.g. a fresh output of the generator.
PICTURES = sys.argv[1] if len(sys.argv) > 1 else os.path.join(ROOT, "assets", "pictures")

FOOTPRINT_BOXES = [
    (28, 88, 50, 97), (58, 100, 77, 117), (87, 111, 106, 128), (116, 123, 138, 132),
    (146, 133, 165, 150), (175, 143, 197, 152), (206, 148, 228, 157), (237, 152, 259, 161),
    (268, 158, 290, 167), (299, 165, 321, 174), (330, 171, 352, 180), (360, 179, 382, 188),
]
FOOTPRINT_MASKS = [
    (24, 80, 35, 27), (56, 96, 27, 27), (80, 104, 35, 35), (112, 120, 35, 27),
    (144, 128, 27, 27), (168, 136, 35, 27), (200, 136, 35, 27), (232, 144, 35, 27),
    (264, 152, 35, 27), (296, 152, 35, 27), (328, 160, 27, 27), (360, 168, 27, 27),
]
SLOGAN_AREA = (42, 7, 382, 45)
SLOGAN_MASK = (24, 0, 392, 48)
FOOTER_ROWS = (199, 219)
FOOTER_GREEN = (0x00, 0xC6, 0x00)
BALL_COLOURS = [
    "C6003D", "C60062", "C6008C", "C600B1", "B100C6", "8C00C6",
    "6200C6", "3D00C6", "1300C6", "0013C6", "003DC6",
]


class Picture:
    """An 8-bit PNG decoded to rows of RGBA tuples."""

    def __init__(self, path):
        self.path = path
        with open(path, "rb") as handle:
            data = handle.read()
        if data[:8] != b"\x89PNG\r\n\x1a\n":
            raise ValueError("%s is not a PNG file" % path)
        pos, chunks, header = 8, [], None
        while pos < len(data):
            length, kind = struct.unpack(">I4s", data[pos:pos + 8])
            body = data[pos + 8:pos + 8 + length]
            if kind == b"IHDR":
                header = struct.unpack(">IIBBBBB", body)
            elif kind == b"IDAT":
                chunks.append(body)
            pos += 12 + length
        width, height, depth, colour_type, _, _, interlace = header
        channels = {0: 1, 2: 3, 4: 2, 6: 4}.get(colour_type)
        if depth != 8 or channels is None or interlace:
            raise ValueError("%s: only 8-bit, non-interlaced grey/RGB(A) PNGs are read here" % path)
        self.width, self.height = width, height
        self.has_alpha = colour_type in (4, 6)
        raw = zlib.decompress(b"".join(chunks))
        stride = width * channels
        previous = bytearray(stride)
        self.rows = []
        for y in range(height):
            start = y * (stride + 1)
            kind, line = raw[start], bytearray(raw[start + 1:start + 1 + stride])
            for i in range(stride):
                left = line[i - channels] if i >= channels else 0
                up = previous[i]
                corner = previous[i - channels] if i >= channels else 0
                if kind == 1:
                    line[i] = (line[i] + left) & 255
                elif kind == 2:
                    line[i] = (line[i] + up) & 255
                elif kind == 3:
                    line[i] = (line[i] + (left + up) // 2) & 255
                elif kind == 4:
                    p = left + up - corner
                    pa, pb, pc = abs(p - left), abs(p - up), abs(p - corner)
                    pred = left if pa <= pb and pa <= pc else (up if pb <= pc else corner)
                    line[i] = (line[i] + pred) & 255
            previous = line
            row = []
            for x in range(width):
                px = line[x * channels:(x + 1) * channels]
                if channels == 1:
                    row.append((px[0], px[0], px[0], 255))
                elif channels == 2:
                    row.append((px[0], px[0], px[0], px[1]))
                elif channels == 3:
                    row.append((px[0], px[1], px[2], 255))
                else:
                    row.append(tuple(px))
            self.rows.append(row)

    def at(self, x, y):
        return self.rows[y][x]

    def pixels(self):
        for y, row in enumerate(self.rows):
            for x, px in enumerate(row):
                yield x, y, px


def in_box(x, y, box):
    return box[0] <= x <= box[2] and box[1] <= y <= box[3]


def mask_box(rect):
    x, y, w, h = rect
    return (x, y, x + w - 1, y + h - 1)


FAILURES = []
PASSED = []


def check(name, problems):
    """Record one group of checks; problems is a list of messages (empty when fine)."""
    if problems:
        FAILURES.append(name)
        for problem in problems[:8]:
            print("FAIL %s: %s" % (name, problem))
    else:
        PASSED.append(name)
        print("ok   %s" % name)


def load(name):
    path = os.path.join(PICTURES, name)
    if not os.path.isfile(path):
        return None, ["%s is missing (run tools/make-pictures-opening)" % path]
    try:
        return Picture(path), []
    except (ValueError, zlib.error, struct.error) as error:
        return None, [str(error)]


def size_problems(picture, size, opaque):
    problems = []
    if (picture.width, picture.height) != size:
        problems.append("%s is %dx%d, want %dx%d" % (picture.path, picture.width, picture.height, *size))
    if opaque and any(px[3] != 255 for _, _, px in picture.pixels()):
        problems.append("%s has transparent pixels" % picture.path)
    return problems


def test_backdrop():
    backdrop, problems = load("cright-backdrop.png")
    if backdrop is None:
        return check("backdrop", problems)
    check("backdrop size", size_problems(backdrop, (425, 225), opaque=True))
    if (backdrop.width, backdrop.height) != (425, 225):
        return

    dark = [(x, y) for x, y, px in backdrop.pixels() if max(px[:3]) < 160]
    marked = [(x, y, px) for x, y, px in backdrop.pixels() if min(px[:3]) < 250]

    problems = []
    for x, y in dark:
        if not any(in_box(x, y, box) for box in FOOTPRINT_BOXES):
            problems.append("dark pixel at (%d, %d) outside every footprint box" % (x, y))
    # Even the faint anti-aliased edge keeps a pixel clear of each box's border.
    inner = [(b[0] + 1, b[1] + 1, b[2] - 1, b[3] - 1) for b in FOOTPRINT_BOXES]
    for x, y, _ in marked:
        if SLOGAN_AREA[3] < y < FOOTER_ROWS[0] and not any(in_box(x, y, box) for box in inner):
            problems.append("footprint ink at (%d, %d) touches or leaves its box" % (x, y))
    for index, box in enumerate(FOOTPRINT_BOXES):
        ink = sum(1 for x, y in dark if in_box(x, y, box))
        if ink < 40:
            problems.append("footprint %d has only %d dark pixels" % (index, ink))
        if not all(in_box(c, r, mask_box(FOOTPRINT_MASKS[index]))
                   for c, r in ((box[0], box[1]), (box[2], box[3]))):
            problems.append("footprint box %d is not under mask %d" % (index, index))
    check("footprints inside their boxes", problems)

    # A left print mirrored across the walking line should match the right print beside it
    # better than the left print itself does. Only the prints in wide boxes walk straight along x.
    problems = []
    for index in range(len(FOOTPRINT_BOXES) - 1):
        a, b = FOOTPRINT_BOXES[index], FOOTPRINT_BOXES[index + 1]
        height = a[3] - a[1]
        if (a[2] - a[0], height) != (b[2] - b[0], b[3] - b[1]) or a[2] - a[0] < 2 * height:
            continue
        shape_a = {(x - a[0], y - a[1]) for x, y in dark if in_box(x, y, a)}
        shape_b = {(x - b[0], y - b[1]) for x, y in dark if in_box(x, y, b)}
        mirrored = {(x, height - y) for x, y in shape_a}
        if len(mirrored & shape_b) <= len(shape_a & shape_b):
            problems.append("footprints %d and %d are not a left and a right foot" % (index, index + 1))
    check("footprints alternate left and right", problems)

    problems = []
    yellow = [(x, y) for x, y, px in marked if px[0] > 200 and 150 < px[1] < 215 and px[2] < 110]
    if len(yellow) < 1500:
        problems.append("only %d yellow slogan pixels" % len(yellow))
    for x, y, px in marked:
        if y < FOOTPRINT_BOXES[0][1] and not in_box(x, y, SLOGAN_AREA):
            problems.append("slogan ink at (%d, %d) outside its area" % (x, y))
            break
    if not all(in_box(x, y, SLOGAN_MASK) for x, y in yellow):
        problems.append("slogan not covered by its mask")
    check("slogan placement", problems)

    problems = []
    footer = [(x, y, px) for x, y, px in marked if y > FOOTPRINT_BOXES[-1][3]]
    left = [p for p in footer if p[0] < 212]
    right = [p for p in footer if p[0] >= 212]
    if len(left) < 150 or len(right) < 150:
        problems.append("tagline (%d px) or credit (%d px) missing" % (len(left), len(right)))
    for x, y, px in footer:
        if not FOOTER_ROWS[0] <= y <= FOOTER_ROWS[1]:
            problems.append("footer ink at (%d, %d) outside rows %d-%d" % (x, y, *FOOTER_ROWS))
        elif px[:3] != FOOTER_GREEN:
            problems.append("footer pixel (%d, %d) is %s, not the footer green" % (x, y, px[:3]))
        if any(in_box(x, y, mask_box(rect)) for rect in FOOTPRINT_MASKS):
            problems.append("footer ink at (%d, %d) is under a footprint mask" % (x, y))
    check("tagline and credit", problems)

    # With every mask laid on, only the tagline and credit may still show.
    covers = [mask_box(rect) for rect in FOOTPRINT_MASKS] + [SLOGAN_MASK]
    left_over = [(x, y) for x, y, _ in marked
                 if not any(in_box(x, y, box) for box in covers) and y < FOOTER_ROWS[0]]
    check("masks hide slogan and footprints",
          ["pixel (%d, %d) still shows under the masks" % p for p in left_over])


def test_balls():
    shape = None
    for index, colour in enumerate(BALL_COLOURS):
        name = "ball%02d.png" % index
        ball, problems = load(name)
        if ball is not None:
            problems += size_problems(ball, (64, 63), opaque=False)
        if ball is None or problems:
            check(name, problems)
            continue
        want = tuple(int(colour[i:i + 2], 16) for i in (0, 2, 4))
        got = ball.at(40, 40)
        if got[3] != 255 or any(abs(g - w) > 6 for g, w in zip(got, want)):
            problems.append("pixel (40, 40) is %s, want #%s" % (got, colour))
        corners = [ball.at(x, y)[3] for x, y in ((0, 0), (63, 0), (0, 62), (63, 62))]
        if any(corners) or ball.at(32, 31)[3] != 255:
            problems.append("not an opaque sphere on a transparent surround")
        if not any(0 < px[3] < 255 for _, _, px in ball.pixels()):
            problems.append("edge is not anti-aliased")
        brightest = max(ball.pixels(), key=lambda p: sum(p[2][:3]) if p[2][3] == 255 else -1)
        if not (brightest[0] < 32 and brightest[1] < 31 and min(brightest[2][:3]) > 220):
            problems.append("no white highlight at the upper left (brightest %s)" % (brightest[:2],))
        lower_right = ball.at(50, 50)
        if sum(lower_right[:3]) >= sum(want):
            problems.append("not darker towards the lower right")
        outline = [[px[3] for px in row] for row in ball.rows]
        if shape is None:
            shape = outline
        elif outline != shape:
            problems.append("sphere outline differs from ball00")
        check(name, problems)


def test_earth():
    earth, problems = load("earth.png")
    if earth is not None:
        problems += size_problems(earth, (64, 64), opaque=True)
    if earth is None or problems:
        return check("earth", problems)
    corners = [earth.at(x, y) for x, y in ((0, 0), (63, 0), (0, 63), (63, 63))]
    if any(min(px[:3]) < 245 for px in corners):
        problems.append("corners are not white")
    globe = [px for x, y, px in earth.pixels() if (x - 31.5) ** 2 + (y - 31.5) ** 2 < 29 ** 2]
    sea = sum(1 for px in globe if px[2] > px[0] + 30 and px[2] > px[1] + 15)
    land = sum(1 for px in globe if px[1] >= px[2] and px[0] + px[1] > 120)
    if sea < len(globe) // 5 or land < len(globe) // 10:
        problems.append("globe shows %d sea and %d land pixels of %d" % (sea, land, len(globe)))
    # East Asia in view: land fills the west and north-west, the Pacific the east.
    west = [px for x, y, px in earth.pixels() if 10 <= x < 28 and 14 <= y < 32]
    east = [px for x, y, px in earth.pixels() if 42 <= x < 58 and 30 <= y < 50]
    if sum(px[1] >= px[2] for px in west) < len(west) // 2:
        problems.append("no Asian mainland west of the centre")
    if sum(px[2] > px[0] + 20 for px in east) < len(east) * 3 // 4:
        problems.append("no Pacific east of the centre")
    check("earth", problems)


def test_icon():
    icon, problems = load("cright-icon.png")
    if icon is not None:
        problems += size_problems(icon, (30, 30), opaque=False)
    if icon is None or problems:
        return check("icon", problems)
    if any(icon.at(x, y)[3] for x, y in ((0, 0), (29, 0), (0, 29), (29, 29))):
        problems.append("corners are not transparent")
    solid = [(x, y, px) for x, y, px in icon.pixels() if px[3] == 255]
    if len(solid) < 200:
        problems.append("letter covers only %d pixels" % len(solid))
    # Red-to-yellow: the green share rises from the top of the letter to the bottom.
    top = [px for x, y, px in solid if y < 10 and px[0] > 150]
    bottom = [px for x, y, px in solid if y >= 20 and px[0] > 150]
    if not top or not bottom:
        problems.append("letter does not span the icon's height in flame colours")
    else:
        top_g = sum(px[1] for px in top) / len(top)
        bottom_g = sum(px[1] for px in bottom) / len(bottom)
        if not (top_g < 110 and bottom_g > 150):
            problems.append("gradient is not red above and yellow below (%.0f, %.0f)" % (top_g, bottom_g))
    ys = [y for _, y, _ in solid]
    if ys and max(ys) - min(ys) < 24:
        problems.append("letter is not large")
    check("icon", problems)


def main():
    test_backdrop()
    test_balls()
    test_earth()
    test_icon()
    print("%d passed, %d failed" % (len(PASSED), len(FAILURES)))
    return 1 if FAILURES else 0


if __name__ == "__main__":
    sys.exit(main())
