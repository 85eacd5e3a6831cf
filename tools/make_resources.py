#!/usr/bin/env python3
"""Draws the setup's icons and bitmaps into resources/.

Plain artwork made from a few shapes, rendered with 4 x 4 supersampling:
  setup.ico    icon 1: 48 x 48 (24 bits), 32 x 32 and 16 x 16 (32 bits)
  product.ico  icon 199: 128, 96, 48, 32 and 16 pixels (32 bits)
  exit.bmp, install.bmp, addons.bmp, back.bmp
               bitmaps 203 to 206: 32 x 32, 32 bits, white background
  group_*.bmp  bitmaps 194 to 198 and 207: the add-on group header images

Run from anywhere: python3 tools/make_resources.py
"""

import math
import os
import struct

OUT = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "resources")
SAMPLES = 4

BLUE = (33, 99, 186)
DARK_BLUE = (18, 52, 110)
LIGHT_BLUE = (200, 223, 250)
WHITE = (255, 255, 255)
PAGE_EDGE = (120, 150, 190)
GREEN = (46, 150, 70)
RED = (200, 50, 45)
GREY = (128, 128, 128)
LIGHT_GREY = (200, 200, 200)
YELLOW = (230, 190, 60)
SKY = (150, 200, 240)
GRASS = (90, 170, 80)


# --- Shapes: functions of (x, y) in [0, 1] x [0, 1], y downwards -------------

def rect(x0, y0, x1, y1):
    return lambda x, y: x0 <= x <= x1 and y0 <= y <= y1


def circle(cx, cy, r):
    return lambda x, y: (x - cx) ** 2 + (y - cy) ** 2 <= r * r


def ring(cx, cy, r_out, r_in):
    return lambda x, y: r_in * r_in <= (x - cx) ** 2 + (y - cy) ** 2 <= r_out * r_out


def polygon(points):
    def inside(x, y):
        result = False
        n = len(points)
        for i in range(n):
            (xa, ya), (xb, yb) = points[i], points[(i + 1) % n]
            if (ya > y) != (yb > y) and x < (xb - xa) * (y - ya) / (yb - ya) + xa:
                result = not result
        return result
    return inside


def both(a, b):
    return lambda x, y: a(x, y) and b(x, y)


def minus(a, b):
    return lambda x, y: a(x, y) and not b(x, y)


def either(*shapes):
    return lambda x, y: any(s(x, y) for s in shapes)


def thick_line(xa, ya, xb, yb, width):
    dx, dy = xb - xa, yb - ya
    length = math.hypot(dx, dy)
    nx, ny = -dy / length * width / 2, dx / length * width / 2
    return polygon([(xa + nx, ya + ny), (xb + nx, yb + ny), (xb - nx, yb - ny), (xa - nx, ya - ny)])


def almond(cx, cy, half_width, half_height):
    # The eye: where two large circles overlap.
    r = (half_width ** 2 + half_height ** 2) / (2 * half_height)
    top = circle(cx, cy + r - half_height, r)
    bottom = circle(cx, cy - r + half_height, r)
    return both(top, bottom)


# --- Drawings: lists of (shape, colour) painted in order --------------------

def document_with_eye():
    page = polygon([(0.18, 0.06), (0.66, 0.06), (0.84, 0.24), (0.84, 0.94), (0.18, 0.94)])
    page_inner = polygon([(0.22, 0.10), (0.64, 0.10), (0.80, 0.26), (0.80, 0.90), (0.22, 0.90)])
    fold = polygon([(0.64, 0.06), (0.84, 0.26), (0.64, 0.26)])
    eye_outer = almond(0.51, 0.55, 0.27, 0.17)
    eye_inner = almond(0.51, 0.55, 0.23, 0.13)
    return [
        (page, PAGE_EDGE),
        (page_inner, WHITE),
        (fold, LIGHT_BLUE),
        (eye_outer, DARK_BLUE),
        (eye_inner, WHITE),
        (both(circle(0.51, 0.55, 0.12), eye_inner), BLUE),
        (circle(0.51, 0.55, 0.05), DARK_BLUE),
        (circle(0.545, 0.515, 0.022), WHITE),
    ]


def setup_icon():
    badge = circle(0.76, 0.76, 0.22)
    arrow = polygon([(0.70, 0.62), (0.82, 0.62), (0.82, 0.74), (0.88, 0.74), (0.76, 0.88),
                     (0.64, 0.74), (0.70, 0.74)])
    return document_with_eye() + [(badge, GREEN), (arrow, WHITE)]


def exit_bitmap():
    return [
        (circle(0.5, 0.5, 0.42), RED),
        (thick_line(0.33, 0.33, 0.67, 0.67, 0.12), WHITE),
        (thick_line(0.67, 0.33, 0.33, 0.67, 0.12), WHITE),
    ]


def install_bitmap():
    arrow = polygon([(0.40, 0.08), (0.60, 0.08), (0.60, 0.42), (0.78, 0.42), (0.50, 0.72),
                     (0.22, 0.42), (0.40, 0.42)])
    tray = minus(rect(0.12, 0.60, 0.88, 0.92), rect(0.22, 0.60, 0.78, 0.82))
    return [(arrow, BLUE), (tray, DARK_BLUE)]


def addons_bitmap():
    return [
        (circle(0.5, 0.5, 0.42), GREEN),
        (rect(0.42, 0.24, 0.58, 0.76), WHITE),
        (rect(0.24, 0.42, 0.76, 0.58), WHITE),
    ]


def back_bitmap():
    arrow = polygon([(0.10, 0.50), (0.46, 0.18), (0.46, 0.38), (0.88, 0.38), (0.88, 0.62),
                     (0.46, 0.62), (0.46, 0.82)])
    return [(arrow, BLUE)]


def landscape_bitmap():
    return [
        (rect(0.05, 0.15, 0.95, 0.85), DARK_BLUE),
        (rect(0.12, 0.22, 0.88, 0.78), SKY),
        (circle(0.70, 0.38, 0.10), YELLOW),
        (both(polygon([(0.12, 0.78), (0.40, 0.40), (0.62, 0.78)]), rect(0.12, 0.22, 0.88, 0.78)),
         GRASS),
        (both(polygon([(0.45, 0.78), (0.68, 0.55), (0.88, 0.78)]), rect(0.12, 0.22, 0.88, 0.78)),
         GREEN),
    ]


def note_bitmap():
    return [
        (circle(0.32, 0.76, 0.14), DARK_BLUE),
        (circle(0.74, 0.66, 0.14), DARK_BLUE),
        (rect(0.38, 0.16, 0.48, 0.76), DARK_BLUE),
        (rect(0.80, 0.08, 0.88, 0.66), DARK_BLUE),
        (polygon([(0.38, 0.16), (0.88, 0.06), (0.88, 0.20), (0.38, 0.30)]), DARK_BLUE),
    ]


def letter_a_bitmap():
    bowl = ring(0.46, 0.62, 0.26, 0.14)
    stem = rect(0.66, 0.30, 0.80, 0.90)
    arch = both(ring(0.48, 0.40, 0.30, 0.17), rect(0.0, 0.0, 1.0, 0.40))
    return [(bowl, BLUE), (stem, BLUE), (arch, BLUE)]


def zipped_folder_bitmap():
    folder = either(rect(0.06, 0.28, 0.94, 0.88), rect(0.06, 0.18, 0.42, 0.30))
    zipper = [(rect(0.46, 0.30 + i * 0.10, 0.54, 0.35 + i * 0.10), DARK_BLUE) for i in range(5)]
    return [(folder, YELLOW)] + zipper


def box_bitmap():
    front = polygon([(0.10, 0.35), (0.62, 0.35), (0.62, 0.90), (0.10, 0.90)])
    top = polygon([(0.10, 0.35), (0.35, 0.10), (0.88, 0.10), (0.62, 0.35)])
    side = polygon([(0.62, 0.35), (0.88, 0.10), (0.88, 0.65), (0.62, 0.90)])
    return [(front, GREY), (top, LIGHT_GREY), (side, (96, 96, 96))]


def globe_bitmap():
    globe = circle(0.5, 0.5, 0.42)
    lines = either(
        ring(0.5, 0.5, 0.42, 0.36),
        both(globe, rect(0.47, 0.0, 0.53, 1.0)),
        both(globe, rect(0.0, 0.47, 1.0, 0.53)),
        both(globe, minus(almond(0.5, 0.5, 0.42, 0.22), almond(0.5, 0.5, 0.36, 0.16))),
    )
    return [(globe, SKY), (lines, BLUE)]


# --- Rendering and file formats ---------------------------------------------

def render(drawing, size, background=None):
    """Returns rows (top first) of (r, g, b, a) pixels."""
    rows = []
    step = 1.0 / (size * SAMPLES)
    for py in range(size):
        row = []
        for px in range(size):
            acc = [0.0, 0.0, 0.0, 0.0]
            for sy in range(SAMPLES):
                for sx in range(SAMPLES):
                    x = (px * SAMPLES + sx + 0.5) * step
                    y = (py * SAMPLES + sy + 0.5) * step
                    colour = background
                    for shape, fill in drawing:
                        if shape(x, y):
                            colour = fill
                    if colour is not None:
                        acc[0] += colour[0]
                        acc[1] += colour[1]
                        acc[2] += colour[2]
                        acc[3] += 1
            n = SAMPLES * SAMPLES
            covered = acc[3]
            if covered == 0:
                row.append((0, 0, 0, 0))
            else:
                row.append((round(acc[0] / covered), round(acc[1] / covered),
                            round(acc[2] / covered), round(255 * covered / n)))
        rows.append(row)
    return rows


def dib(rows, bits, with_mask):
    """A bottom-up device-independent bitmap body: header, pixels, mask."""
    size = len(rows)
    header = struct.pack("<IiiHHIIiiII", 40, size, size * (2 if with_mask else 1), 1, bits, 0,
                         0, 0, 0, 0, 0)
    pixels = bytearray()
    for row in reversed(rows):
        line = bytearray()
        for r, g, b, a in row:
            if bits == 32:
                line += bytes((b, g, r, a))
            else:
                # No alpha: blend soft edges onto white, the window's colour.
                line += bytes(round(c * a / 255 + 255 * (255 - a) / 255) for c in (b, g, r))
        line += b"\0" * (-len(line) % 4)
        pixels += line
    mask = bytearray()
    if with_mask:
        for row in reversed(rows):
            line = bytearray((size + 7) // 8)
            for x, (_, _, _, a) in enumerate(row):
                if a < 128:
                    line[x // 8] |= 0x80 >> (x % 8)
            line += b"\0" * (-len(line) % 4)
            mask += line
    return header + bytes(pixels) + bytes(mask)


def write_ico(name, images):
    """images: list of (rows, bits)."""
    bodies = [dib(rows, bits, True) for rows, bits in images]
    offset = 6 + 16 * len(images)
    directory = b""
    for (rows, bits), body in zip(images, bodies):
        size = len(rows)
        directory += struct.pack("<BBBBHHII", size % 256, size % 256, 0, 0, 1, bits, len(body),
                                 offset)
        offset += len(body)
    with open(os.path.join(OUT, name), "wb") as f:
        f.write(struct.pack("<HHH", 0, 1, len(images)) + directory + b"".join(bodies))


def write_bmp(name, rows):
    body = dib(rows, 32, False)
    with open(os.path.join(OUT, name), "wb") as f:
        f.write(struct.pack("<2sIHHI", b"BM", 14 + len(body), 0, 0, 14 + 40) + body)


def main():
    os.makedirs(OUT, exist_ok=True)
    write_ico("setup.ico", [(render(setup_icon(), 48), 24), (render(setup_icon(), 32), 32),
                            (render(setup_icon(), 16), 32)])
    write_ico("product.ico", [(render(document_with_eye(), s), 32) for s in (128, 96, 48, 32, 16)])
    for name, drawing in (("exit.bmp", exit_bitmap()), ("install.bmp", install_bitmap()),
                          ("addons.bmp", addons_bitmap()), ("back.bmp", back_bitmap())):
        write_bmp(name, render(drawing, 32, WHITE))
    for name, drawing, size in (("group_images.bmp", landscape_bitmap(), 16),
                                ("group_audio.bmp", note_bitmap(), 16),
                                ("group_texts.bmp", letter_a_bitmap(), 16),
                                ("group_archives.bmp", zipped_folder_bitmap(), 16),
                                ("group_3d.bmp", box_bitmap(), 24),
                                ("group_web.bmp", globe_bitmap(), 16)):
        write_bmp(name, render(drawing, size, WHITE))


if __name__ == "__main__":
    main()
