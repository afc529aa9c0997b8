#!/usr/bin/env python3
# SPDX-License-Identifier: MIT
"""Draws the toolbar icons, the application icon and Error.jpg, and writes icons.qrc.

Run from anywhere: python3 resources/tools/make_resources.py
Needs only the Python standard library, plus ImageMagick's `convert` and the IPA
Gothic font for Error.jpg (its Japanese caption and the JPEG encoding).
"""
import math
import os
import shutil
import subprocess
import sys
import tempfile

sys.dont_write_bytecode = True  # keep the source tree clean
sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from raster import (Canvas, arc_band, circle, mirror_x, polygon, polyline, rect, rgb, rrect,  # noqa: E402
                    segment, transform, union, with_holes, write_svg)

HERE = os.path.dirname(os.path.abspath(__file__))
RES = os.path.dirname(HERE)
ICONS = os.path.join(RES, "icons")
APP_ID = "io.github.pirapo_lumo.PirapoLumo"

W, H = 24, 22  # toolbar image size

BLUE, BLUE_EDGE = rgb("#2f72d8"), rgb("#174394")
GREEN, GREEN_EDGE = rgb("#2ea44f"), rgb("#17692f")
ORANGE, ORANGE_EDGE = rgb("#ec8a17"), rgb("#9c5305")
RED, RED_EDGE = rgb("#dc3b3b"), rgb("#8f1c1c")
GREY, GREY_EDGE = rgb("#707b8b"), rgb("#3a424d")
FOLDER, FOLDER_BACK, FOLDER_EDGE = rgb("#f7c544"), rgb("#e0a52a"), rgb("#9a6a0c")
WHITE = rgb("#ffffff")


# ---------------------------------------------------------------- toolbar icons

def first(c):
    bar = rect(3.5, 4.5, 6, 17.5)
    t1 = polygon((6.5, 11), (13.5, 4.5), (13.5, 17.5))
    t2 = polygon((13, 11), (20.5, 4.5), (20.5, 17.5))
    c.fill_outlined(union(bar, t1, t2), BLUE, BLUE_EDGE)


def prev(c):
    c.fill_outlined(polygon((5.5, 11), (16.5, 3.5), (16.5, 18.5)), BLUE, BLUE_EDGE)


def next_(c):
    c.fill_outlined(mirror_x(polygon((5.5, 11), (16.5, 3.5), (16.5, 18.5)), W), BLUE, BLUE_EDGE)


def last(c):
    bar = rect(3.5, 4.5, 6, 17.5)
    t1 = polygon((6.5, 11), (13.5, 4.5), (13.5, 17.5))
    t2 = polygon((13, 11), (20.5, 4.5), (20.5, 17.5))
    c.fill_outlined(mirror_x(union(bar, t1, t2), W), BLUE, BLUE_EDGE)


def slideshow(c):
    c.fill_outlined(circle(12, 11, 9), GREEN, GREEN_EDGE)
    c.fill(polygon((9.5, 6.5), (9.5, 15.5), (16.5, 11)), WHITE)


def slideshow_running(c):
    c.fill_outlined(circle(12, 11, 9), ORANGE, ORANGE_EDGE)
    c.fill(union(rect(8.5, 6.5, 10.75, 15.5), rect(13.25, 6.5, 15.5, 15.5)), WHITE)


def close(c):
    c.fill_outlined(circle(12, 11, 9), RED, RED_EDGE)
    cross = union(segment(8.5, 7.5, 15.5, 14.5, 2.4), segment(15.5, 7.5, 8.5, 14.5, 2.4))
    c.fill(cross, WHITE)


def gear_shape(cx, cy, r_body, r_tip, teeth, hole):
    pts = []
    step = 360.0 / teeth
    for k in range(teeth):
        a = k * step
        for ang, r in ((a - step * 0.30, r_body), (a - step * 0.17, r_tip),
                       (a + step * 0.17, r_tip), (a + step * 0.30, r_body)):
            t = math.radians(ang)
            pts.append((cx + r * math.cos(t), cy + r * math.sin(t)))
    return with_holes([pts], circle(cx, cy, hole))


def options(c):
    c.fill_outlined(gear_shape(12, 11, 6.6, 9.2, 8, 2.7), GREY, GREY_EDGE)


def undo(c):
    # A hook: arrowhead on the left, the shaft running right and bending back down.
    band = arc_band(13.5, 11.5, 3.6, 6.4, -90, 90)
    top = rect(8.5, 5.1, 13.6, 7.9)
    bottom = rect(8.0, 15.1, 13.6, 17.9)
    head = polygon((2.5, 6.5), (9.5, 1.5), (9.5, 11.5))
    c.fill_outlined(union(band, top, bottom, head), BLUE, BLUE_EDGE)


def exit_(c):
    ring = arc_band(12, 12, 5.0, 7.6, -50, 230)
    bar = segment(12, 3, 12, 11, 2.7)
    c.fill_outlined(union(ring, bar), RED, RED_EDGE)


def folder(c, dx=0.0, dy=0.0):
    back = union(rrect(1.5, 3, 10, 8, 1.2), rrect(1.5, 5, 19.5, 17.5, 1.2))
    c.fill_outlined(transform(back, dx, dy), FOLDER_BACK, FOLDER_EDGE)
    front = polygon((3.5, 8.5), (21.5, 8.5), (19.5, 17.5), (1.5, 17.5))
    c.fill_outlined(transform(front, dx, dy), FOLDER, FOLDER_EDGE, 0.8)


def cancel(c):
    folder(c, -0.5, 2.5)
    # A return arrow laid over the folder: back to the folder screen.
    shaft = polyline([(21.5, 1.5), (21.5, 6.0), (12.0, 6.0)], 2.6)
    head = polygon((6.5, 6.0), (12.5, 1.0), (12.5, 11.0))
    c.fill_outlined(union(shaft, head), BLUE, WHITE, 1.2)


TOOLBAR = {
    "main_cancel": cancel,
    "main_undo": undo,
    "main_exit": exit_,
    "viewer_1_options": options,
    "viewer_2_close": close,
    "viewer_3_first": first,
    "viewer_4_prev": prev,
    "viewer_5_slideshow": slideshow,
    "viewer_6_next": next_,
    "viewer_7_last": last,
    "viewer_8_slideshow_running": slideshow_running,
}


# ---------------------------------------------------------------- application icon (design grid 256)

def photo_card(c, cx, cy, angle, w, h, scene=True):
    def t(shape):
        return transform(shape, angle=angle, cx=cx, cy=cy)

    x0, y0, x1, y1 = cx - w / 2, cy - h / 2, cx + w / 2, cy + h / 2
    c.fill(t(rrect(x0 + 3, y0 + 6, x1 + 3, y1 + 6, 8)), rgb("#000000", 0.22))
    c.fill(t(rrect(x0, y0, x1, y1, 8)), rgb("#fbfbf8"))
    if not scene:
        c.fill(t(rect(x0 + 10, y0 + 10, x1 - 10, y1 - 10)), rgb("#c9d3de"))
        return
    ix0, iy0, ix1, iy1 = x0 + 10, y0 + 10, x1 - 10, y1 - 10
    c.fill(t(rect(ix0, iy0, ix1, iy1)), rgb("#8fd0f5"))
    c.fill(t(circle(ix1 - 24, iy0 + 22, 11)), rgb("#ffd23f"))
    far = polygon((ix0, iy1 - 26), (ix0 + 34, iy0 + 30), (ix0 + 62, iy1 - 34), (ix0 + 80, iy0 + 40),
                  (ix1, iy1 - 30), (ix1, iy1), (ix0, iy1))
    c.fill(t(far), rgb("#4c9a5a"))
    near = polygon((ix0, iy1 - 14), (ix0 + 40, iy1 - 24), (ix0 + 90, iy1 - 12), (ix1, iy1 - 20),
                   (ix1, iy1), (ix0, iy1))
    c.fill(t(near), rgb("#2f7440"))


def app_icon(c):
    c.fill(rrect(12, 12, 244, 244, 46), rgb("#27518a"))
    c.fill(union(rrect(12, 12, 244, 128, 46), rect(12, 80, 244, 128)), rgb("#2c5c9c"))
    # Sorting trays: a row of folder tabs, one of them lit like a target under the mouse.
    for i, colour in enumerate(("#f3b73a", "#f3b73a", "#55b3e8", "#f3b73a")):
        x = 30 + i * 52
        c.fill(rrect(x, 196, x + 44, 226, 6), rgb(colour))
    photo_card(c, 112, 104, 9, 150, 112, scene=False)
    photo_card(c, 118, 100, -7, 156, 116)
    # The motion: a pointer from the picture down into the lit tray.
    c.fill(polygon((138, 174), (174, 174), (156, 191)), rgb("#ffffff"))


# ---------------------------------------------------------------- Error.jpg

def broken_picture(c, cx, cy):
    """A picture card torn in two, in greys: the fallback for an undecodable file."""
    w, h = 132, 100
    x0, y0, x1, y1 = cx - w / 2, cy - h / 2, cx + w / 2, cy + h / 2
    # A zig-zag tear from the top edge to the bottom edge, monotone in y.
    tear = [(cx + 8, y0), (cx - 6, y0 + 22), (cx + 10, y0 + 44), (cx - 8, y0 + 66), (cx + 6, y0 + 84),
            (cx - 2, y1)]
    left = [(x0, y0)] + tear + [(x0, y1)]
    right = [(x1, y0), (x1, y1)] + list(reversed(tear))
    sx0, sy0, sx1, sy1 = x0 + 9, y0 + 9, x1 - 9, y1 - 9

    def clamp(outline, top):
        # The piece's outline pressed into a band of the scene; exact here because the piece
        # is a rectangle cut by a tear that runs from top to bottom.
        return [[(max(sx0, min(sx1, x)), max(top, min(sy1, y))) for x, y in outline]]

    for outline, dx, dy, angle in ((left, -7, 4, -5), (right, 7, -2, 6)):
        def place(shape):
            return transform(shape, dx, dy, angle, cx, cy)

        c.fill(transform(place([outline]), 3, 5), rgb("#000000", 0.16))
        c.fill(place([outline]), rgb("#f5f5f5"))
        c.fill(place(clamp(outline, sy0)), rgb("#b8bdc3"))
        c.fill(place(clamp(outline, sy0 + 50)), rgb("#878d95"))
        if outline is left:
            c.fill(place(circle(x0 + 34, y0 + 30, 10)), rgb("#e2e4e7"))


def error_jpg(path):
    convert = shutil.which("convert")
    if not convert:
        sys.exit("ImageMagick's convert is needed for Error.jpg")
    font = subprocess.run(["fc-match", "-f", "%{file}", "IPAGothic"], capture_output=True, text=True).stdout
    if "ipag" not in os.path.basename(font).lower() and "japanese-gothic" not in font:
        sys.exit("the IPA Gothic font is needed for Error.jpg (fonts-ipafont-gothic)")
    c = Canvas(400, 300, background=rgb("#d6d6d6"))
    c.fill(rrect(8, 8, 392, 292, 10), rgb("#cbcbcb"))
    c.fill(rrect(10, 10, 390, 290, 9), rgb("#d6d6d6"))
    broken_picture(c, 200, 122)
    with tempfile.TemporaryDirectory() as tmp:
        base = os.path.join(tmp, "base.png")
        c.png(base)
        subprocess.run([convert, base, "-background", "#d6d6d6", "-flatten",
                        "-font", font, "-pointsize", "24", "-fill", "#4a4a4a",
                        "-gravity", "north", "-annotate", "+0+214", "画像を表示できません",
                        "-strip", "-sampling-factor", "1x1", "-quality", "92", path], check=True)


# ---------------------------------------------------------------- main

def main():
    os.makedirs(ICONS, exist_ok=True)
    names = []
    for name, draw in TOOLBAR.items():
        for scale, suffix in ((1, ""), (2, "@2x")):
            c = Canvas(W * scale, H * scale, scale)
            draw(c)
            c.png(os.path.join(ICONS, f"{name}{suffix}.png"))
            names.append(f"{name}{suffix}.png")

    design = 256
    for size, target in ((64, os.path.join(ICONS, "app.png")),
                         (48, os.path.join(RES, "hicolor", "48", f"{APP_ID}.png")),
                         (128, os.path.join(RES, "hicolor", "128", f"{APP_ID}.png")),
                         (256, os.path.join(RES, "hicolor", "256", f"{APP_ID}.png"))):
        os.makedirs(os.path.dirname(target), exist_ok=True)
        c = Canvas(size, size, size / design)
        app_icon(c)
        c.png(target)
        if size == 256:
            os.makedirs(os.path.join(RES, "hicolor", "scalable"), exist_ok=True)
            write_svg(os.path.join(RES, "hicolor", "scalable", f"{APP_ID}.svg"), design, design, c.svg)
    names.append("app.png")

    with open(os.path.join(RES, "icons.qrc"), "w", encoding="utf-8", newline="\n") as f:
        f.write("<!DOCTYPE RCC>\n<!-- Written by tools/make_resources.py -->\n")
        f.write('<RCC version="1.0">\n    <qresource prefix="/">\n')
        for n in sorted(names):
            f.write(f"        <file>icons/{n}</file>\n")
        f.write("    </qresource>\n</RCC>\n")

    error_jpg(os.path.join(RES, "Error.jpg"))


if __name__ == "__main__":
    main()
