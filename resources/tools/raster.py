# SPDX-License-Identifier: MIT
"""A small anti-aliased polygon rasteriser and PNG writer, standard library only.

Shapes are lists of closed contours (lists of (x, y) points) in pixel units of the
design grid; a Canvas draws them at any scale, so one drawing gives every size.
"""
import math
import struct
import zlib

SUBROWS = 5  # vertical samples per pixel; horizontal coverage is computed exactly


# ---------------------------------------------------------------- geometry

def signed_area(contour):
    a = 0.0
    for (x0, y0), (x1, y1) in zip(contour, contour[1:] + contour[:1]):
        a += x0 * y1 - x1 * y0
    return a / 2.0


def oriented(contour, positive=True):
    """The contour turned so that its signed area has the requested sign."""
    if (signed_area(contour) >= 0) == positive:
        return list(contour)
    return list(reversed(contour))


def union(*shapes):
    """Contours that fill as the union of the given shapes under the non-zero rule."""
    out = []
    for shape in shapes:
        out.extend(oriented(c) for c in shape)
    return out


def with_holes(outer, *holes):
    """An outer shape with holes cut out of it (non-zero rule)."""
    out = [oriented(c, True) for c in outer]
    for hole in holes:
        out.extend(oriented(c, False) for c in hole)
    return out


def polygon(*points):
    return [list(points)]


def rect(x0, y0, x1, y1):
    return [[(x0, y0), (x1, y0), (x1, y1), (x0, y1)]]


def arc_points(cx, cy, r, a0, a1, steps=None):
    """Points on a circle from angle a0 to a1 (degrees, y axis pointing down)."""
    if steps is None:
        steps = max(4, int(abs(a1 - a0) / 4))
    pts = []
    for i in range(steps + 1):
        a = math.radians(a0 + (a1 - a0) * i / steps)
        pts.append((cx + r * math.cos(a), cy + r * math.sin(a)))
    return pts


def circle(cx, cy, r):
    return [arc_points(cx, cy, r, 0, 360, 96)[:-1]]


def rrect(x0, y0, x1, y1, r):
    pts = []
    pts += arc_points(x1 - r, y0 + r, r, -90, 0, 12)
    pts += arc_points(x1 - r, y1 - r, r, 0, 90, 12)
    pts += arc_points(x0 + r, y1 - r, r, 90, 180, 12)
    pts += arc_points(x0 + r, y0 + r, r, 180, 270, 12)
    return [pts]


def arc_band(cx, cy, r_in, r_out, a0, a1):
    """A ring sector between two radii, from angle a0 to a1 (degrees)."""
    outer = arc_points(cx, cy, r_out, a0, a1)
    inner = arc_points(cx, cy, r_in, a1, a0)
    return [outer + inner]


def segment(x0, y0, x1, y1, width, cap="round"):
    """A straight stroke; round caps are drawn as half discs."""
    dx, dy = x1 - x0, y1 - y0
    length = math.hypot(dx, dy)
    nx, ny = -dy / length * width / 2, dx / length * width / 2
    if cap != "round":
        return [[(x0 + nx, y0 + ny), (x1 + nx, y1 + ny), (x1 - nx, y1 - ny), (x0 - nx, y0 - ny)]]
    a = math.degrees(math.atan2(ny, nx))
    pts = arc_points(x1, y1, width / 2, a, a - 180, 16)
    pts += arc_points(x0, y0, width / 2, a - 180, a - 360, 16)
    return [pts]


def polyline(points, width):
    """A stroke along several points with round joins and caps."""
    shapes = [segment(*p, *q, width) for p, q in zip(points, points[1:])]
    return union(*shapes)


def transform(shape, dx=0.0, dy=0.0, angle=0.0, cx=0.0, cy=0.0, scale=1.0):
    """Rotate by angle degrees about (cx, cy), scale about it, then move by (dx, dy)."""
    c, s = math.cos(math.radians(angle)), math.sin(math.radians(angle))
    out = []
    for contour in shape:
        pts = []
        for x, y in contour:
            x, y = (x - cx) * scale, (y - cy) * scale
            pts.append((cx + x * c - y * s + dx, cy + x * s + y * c + dy))
        out.append(pts)
    return out


def mirror_x(shape, width):
    return [[(width - x, y) for x, y in reversed(contour)] for contour in shape]


# ---------------------------------------------------------------- colour

def rgb(text, alpha=1.0):
    text = text.lstrip("#")
    return (int(text[0:2], 16) / 255.0, int(text[2:4], 16) / 255.0, int(text[4:6], 16) / 255.0, alpha)


# ---------------------------------------------------------------- canvas

class Canvas:
    """Premultiplied RGBA floats; shapes are given in design units and drawn at `scale`."""

    def __init__(self, width, height, scale=1.0, background=None):
        self.w, self.h, self.scale = width, height, scale
        bg = background or (0.0, 0.0, 0.0, 0.0)
        a = bg[3]
        self.px = [[bg[0] * a, bg[1] * a, bg[2] * a, a] for _ in range(width * height)]
        self.svg = []  # (path data, colour) in design units, for the vector copy

    def mask(self, shape):
        """Coverage 0..1 per pixel of a shape under the non-zero rule."""
        s = self.scale
        edges = []
        for contour in shape:
            n = len(contour)
            for i in range(n):
                (x0, y0), (x1, y1) = contour[i], contour[(i + 1) % n]
                x0, y0, x1, y1 = x0 * s, y0 * s, x1 * s, y1 * s
                if y0 == y1:
                    continue
                wind = 1 if y1 > y0 else -1
                if y0 > y1:
                    x0, y0, x1, y1 = x1, y1, x0, y0
                edges.append((y0, y1, x0, (x1 - x0) / (y1 - y0), wind))
        cov = [0.0] * (self.w * self.h)
        if not edges:
            return cov
        ymin = max(0, int(math.floor(min(e[0] for e in edges))))
        ymax = min(self.h, int(math.ceil(max(e[1] for e in edges))))
        weight = 1.0 / SUBROWS
        for py in range(ymin, ymax):
            row = [0.0] * (self.w + 1)
            for sub in range(SUBROWS):
                yy = py + (sub + 0.5) / SUBROWS
                xs = [(x0 + (yy - y0) * k, wind) for (y0, y1, x0, k, wind) in edges if y0 <= yy < y1]
                if not xs:
                    continue
                xs.sort()
                count = 0
                start = 0.0
                for x, wind in xs:
                    before = count
                    count += wind
                    if before == 0 and count != 0:
                        start = x
                    elif before != 0 and count == 0:
                        self._span(row, start, x, weight)
            base = py * self.w
            for px in range(self.w):
                if row[px]:
                    cov[base + px] = min(1.0, row[px])
        return cov

    def _span(self, row, xa, xb, weight):
        xa, xb = max(0.0, xa), min(float(self.w), xb)
        if xb <= xa:
            return
        ia, ib = int(xa), int(xb)
        if ia == ib:
            row[ia] += (xb - xa) * weight
            return
        row[ia] += (ia + 1 - xa) * weight
        for i in range(ia + 1, ib):
            row[i] += weight
        if ib < self.w:
            row[ib] += (xb - ib) * weight

    def paint(self, cov, color):
        r, g, b, a = color
        for i, c in enumerate(cov):
            if c <= 0.0:
                continue
            k = c * a
            p = self.px[i]
            p[0] = r * k + p[0] * (1 - k)
            p[1] = g * k + p[1] * (1 - k)
            p[2] = b * k + p[2] * (1 - k)
            p[3] = k + p[3] * (1 - k)

    def fill(self, shape, color):
        self.paint(self.mask(shape), color)
        self.svg.append((shape, color))

    def fill_outlined(self, shape, color, edge, width=1.0):
        """Fill with a soft border of `width` design pixels drawn outside the shape."""
        cov = self.mask(shape)
        self.paint(dilate(cov, self.w, self.h, width * self.scale), edge)
        self.paint(cov, color)

    def png(self, path):
        rows = []
        for y in range(self.h):
            line = bytearray([0])
            for x in range(self.w):
                r, g, b, a = self.px[y * self.w + x]
                if a > 0:
                    r, g, b = r / a, g / a, b / a
                line += bytes(int(round(max(0.0, min(1.0, v)) * 255)) for v in (r, g, b, a))
            rows.append(bytes(line))
        write_png(path, self.w, self.h, b"".join(rows))


def dilate(cov, w, h, radius):
    """Grow a coverage mask by `radius` pixels (disc-shaped, soft at its edge)."""
    reach = int(math.ceil(radius))
    offsets = []
    for dy in range(-reach, reach + 1):
        for dx in range(-reach, reach + 1):
            d = math.hypot(dx, dy)
            weight = max(0.0, min(1.0, radius + 0.75 - d))
            if weight > 0:
                offsets.append((dx, dy, weight))
    out = [0.0] * (w * h)
    for y in range(h):
        for x in range(w):
            best = 0.0
            for dx, dy, weight in offsets:
                xx, yy = x + dx, y + dy
                if 0 <= xx < w and 0 <= yy < h:
                    v = cov[yy * w + xx] * weight
                    if v > best:
                        best = v
            out[y * w + x] = best
    return out


# ---------------------------------------------------------------- files

def write_png(path, width, height, raw_rgba_rows):
    def chunk(kind, data):
        body = kind + data
        return struct.pack(">I", len(data)) + body + struct.pack(">I", zlib.crc32(body) & 0xFFFFFFFF)

    header = struct.pack(">IIBBBBB", width, height, 8, 6, 0, 0, 0)
    data = b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", header)
    data += chunk(b"IDAT", zlib.compress(raw_rgba_rows, 9)) + chunk(b"IEND", b"")
    with open(path, "wb") as f:
        f.write(data)


def write_svg(path, width, height, layers):
    """A vector copy of the shapes filled on a canvas, in design units."""
    out = [
        '<?xml version="1.0" encoding="UTF-8"?>',
        f'<svg xmlns="http://www.w3.org/2000/svg" width="{width}" height="{height}" '
        f'viewBox="0 0 {width} {height}">',
    ]
    for shape, (r, g, b, a) in layers:
        d = " ".join(
            "M " + " L ".join(f"{x:.2f} {y:.2f}" for x, y in contour) + " Z" for contour in shape
        )
        colour = f"#{int(round(r * 255)):02x}{int(round(g * 255)):02x}{int(round(b * 255)):02x}"
        opacity = f' fill-opacity="{a:.3f}"' if a < 1.0 else ""
        out.append(f'  <path fill="{colour}"{opacity} stroke="none" fill-rule="nonzero" d="{d}"/>')
    out.append("</svg>")
    with open(path, "w", encoding="utf-8", newline="\n") as f:
        f.write("\n".join(out) + "\n")
