#!/usr/bin/python3
"""Draws Tarnlook's bitmaps and icons into res/.

    /usr/bin/python3 tools/make_assets.py [output-dir]     (default: res/ beside this folder)

Needs Pillow (Debian: python3-pil) and a CJK font for the skin's column titles
(fonts-wqy-microhei). The output is deterministic; the results are committed, so a normal build
does not run this.

Shapes are drawn at four times their size and scaled down, which anti-aliases their edges.
Bitmaps are 24-bit BMP files; icons are 32 x 32 ICO files with an AND mask.
"""
import math
import os
import struct
import sys

from PIL import Image, ImageDraw, ImageFont

FONT_PATH = "/usr/share/fonts/truetype/wqy/wqy-microhei.ttc"
SS = 4  # supersampling factor

# The skin's window-shape key colour; the skin must not contain it.
KEY = (128, 0, 0)

FRAME = (10, 99, 131)
TITLE_TOP = (74, 160, 222)
TITLE_BOTTOM = (22, 104, 170)
BOTTOM_TOP = (46, 132, 200)
BOTTOM_BOTTOM = (22, 96, 160)
HEADER_TOP = (246, 248, 250)
HEADER_BOTTOM = (222, 227, 233)
HEADER_TEXT = (52, 64, 80)
SEPARATOR = (184, 192, 202)
WHITE = (255, 255, 255)
TITLE_HIGHLIGHT = (134, 192, 233)  # the title band's top row, a light line

SKIN_W, SKIN_H = 568, 373
TITLE_Y0, TITLE_Y1 = 1, 31  # title band rows, inclusive
HEADER_Y0, HEADER_Y1 = 91, 116
BOTTOM_Y0, BOTTOM_Y1 = 365, 371
COLUMN_EDGES = [1, 208, 412, 566]


def lerp(a, b, t):
    return tuple(int(round(x + (y - x) * t)) for x, y in zip(a, b))


def vertical_gradient(draw, x0, y0, x1, y1, top, bottom):
    """Fills rows y0..y1 (inclusive) from top colour to bottom colour."""
    span = max(1, y1 - y0)
    for y in range(y0, y1 + 1):
        draw.line([(x0, y), (x1, y)], fill=lerp(top, bottom, (y - y0) / span))


def title_row_colour(y):
    """Colour of skin row y in the title band (row 0 is the frame)."""
    if y <= 0:
        return FRAME
    if y == TITLE_Y0:
        return TITLE_HIGHLIGHT
    return lerp(TITLE_TOP, TITLE_BOTTOM, (min(y, TITLE_Y1) - TITLE_Y0) / (TITLE_Y1 - TITLE_Y0))


def font(size):
    return ImageFont.truetype(FONT_PATH, size)


def big(size, colour=(0, 0, 0, 0)):
    return Image.new("RGBA", (size[0] * SS, size[1] * SS), colour)


def shrink(img, size):
    return img.resize(size, Image.LANCZOS)


# --- Skin ---------------------------------------------------------------------------------------


def draw_globe(size):
    """A blue globe with meridians and parallels and a soft highlight, RGBA, size x size."""
    n = size * SS
    img = big((size, size))
    d = ImageDraw.Draw(img)
    r = n / 2 - 2 * SS
    cx = cy = n / 2
    # Sphere: radial shading from a light upper-left to a deep lower-right.
    for i in range(int(r), 0, -1):
        t = i / r
        colour = lerp((120, 200, 250), (18, 96, 180), t)
        ox = cx - (1 - t) * r * 0.35
        oy = cy - (1 - t) * r * 0.35
        d.ellipse([ox - i, oy - i, ox + i, oy + i], fill=colour + (255,))
    # Clip everything else to the sphere.
    mask = Image.new("L", img.size, 0)
    ImageDraw.Draw(mask).ellipse([cx - r, cy - r, cx + r, cy + r], fill=255)
    grid = big((size, size))
    g = ImageDraw.Draw(grid)
    line = (235, 247, 255, 170)
    w = max(1, int(1.1 * SS))
    for k in (-2, -1, 0, 1, 2):  # parallels
        y = cy + k * r / 3
        half = math.sqrt(max(0.0, r * r - (y - cy) ** 2))
        g.ellipse([cx - half, y - half * 0.18, cx + half, y + half * 0.18], outline=line, width=w)
    for k in (0.0, 0.38, 0.72, 0.93):  # meridians
        g.ellipse([cx - r * k, cy - r, cx + r * k, cy + r], outline=line, width=w)
    # Land masses, loosely drawn.
    land = (96, 190, 110, 235)
    g.polygon([(cx - r * 0.55, cy - r * 0.45), (cx - r * 0.15, cy - r * 0.62), (cx + r * 0.05, cy - r * 0.3),
               (cx - r * 0.12, cy + r * 0.05), (cx - r * 0.42, cy + r * 0.1), (cx - r * 0.68, cy - r * 0.12)],
              fill=land)
    g.polygon([(cx + r * 0.2, cy + r * 0.05), (cx + r * 0.62, cy - r * 0.05), (cx + r * 0.7, cy + r * 0.35),
               (cx + r * 0.38, cy + r * 0.68), (cx + r * 0.18, cy + r * 0.4)], fill=land)
    img.paste(grid, (0, 0), Image.composite(grid, Image.new("RGBA", img.size), mask).split()[3])
    # Highlight.
    hl = big((size, size))
    ImageDraw.Draw(hl).ellipse([cx - r * 0.7, cy - r * 0.85, cx + r * 0.1, cy - r * 0.2], fill=(255, 255, 255, 70))
    img = Image.alpha_composite(img, Image.composite(hl, Image.new("RGBA", img.size), mask))
    # Rim.
    ImageDraw.Draw(img).ellipse([cx - r, cy - r, cx + r, cy + r], outline=(12, 78, 150, 255), width=int(1.2 * SS))
    return shrink(img, (size, size))


def draw_signal_arcs(size):
    """Three arcs that suggest a network sweep, to the globe's upper right."""
    n = size * SS
    img = big((size, size))
    d = ImageDraw.Draw(img)
    for i, alpha in enumerate((230, 170, 110)):
        rr = (0.35 + 0.22 * i) * n
        d.arc([-rr + n * 0.1, n - rr - n * 0.1, rr + n * 0.1, n + rr - n * 0.1], 285, 345,
              fill=(38, 140, 220, alpha), width=int(2.2 * SS))
    return shrink(img, (size, size))


def make_skin():
    img = Image.new("RGB", (SKIN_W, SKIN_H), WHITE)
    d = ImageDraw.Draw(img)
    # Title band, with a thin light line under its top edge for depth.
    vertical_gradient(d, 1, TITLE_Y0, SKIN_W - 2, TITLE_Y1, TITLE_TOP, TITLE_BOTTOM)
    d.line([(1, TITLE_Y0), (SKIN_W - 2, TITLE_Y0)], fill=TITLE_HIGHLIGHT)
    d.line([(1, TITLE_Y1 + 1), (SKIN_W - 2, TITLE_Y1 + 1)], fill=(196, 216, 232))
    # Upper white area: a faint blue wash towards the bottom, where the header begins.
    vertical_gradient(d, 1, 33, SKIN_W - 2, HEADER_Y0 - 1, WHITE, (244, 249, 253))
    # Globe logo with sweep arcs at the left of the upper area.
    globe = draw_globe(50)
    img.paste(globe, (22, 37), globe)
    arcs = draw_signal_arcs(30)
    img.paste(arcs, (62, 33), arcs)
    # Header band with the column titles and separators.
    vertical_gradient(d, 1, HEADER_Y0, SKIN_W - 2, HEADER_Y1, HEADER_TOP, HEADER_BOTTOM)
    d.line([(1, HEADER_Y0), (SKIN_W - 2, HEADER_Y0)], fill=(206, 214, 222))
    d.line([(1, HEADER_Y1), (SKIN_W - 2, HEADER_Y1)], fill=(190, 198, 208))
    f = font(13)
    for (x0, x1), title in zip(zip(COLUMN_EDGES, COLUMN_EDGES[1:]), ("设备名称", "网络信息", "标记状态")):
        w = d.textlength(title, font=f)
        d.text(((x0 + x1 - w) / 2, (HEADER_Y0 + HEADER_Y1) / 2), title, font=f, fill=HEADER_TEXT, anchor="lm")
    for x in COLUMN_EDGES[1:-1]:
        d.line([(x, HEADER_Y0 + 5), (x, HEADER_Y1 - 5)], fill=SEPARATOR)
        d.line([(x + 1, HEADER_Y0 + 5), (x + 1, HEADER_Y1 - 5)], fill=WHITE)
    # Bottom band.
    vertical_gradient(d, 1, BOTTOM_Y0, SKIN_W - 2, BOTTOM_Y1, BOTTOM_TOP, BOTTOM_BOTTOM)
    # Frame last, so nothing covers it.
    d.rectangle([0, 0, SKIN_W - 1, SKIN_H - 1], outline=FRAME)
    return avoid_key(img)


def avoid_key(img):
    """Moves any pixel of the key colour off it by one step of red."""
    px = img.load()
    for y in range(img.height):
        for x in range(img.width):
            if px[x, y] == KEY:
                px[x, y] = (KEY[0] + 1, KEY[1], KEY[2])
    return img


# --- Buttons ------------------------------------------------------------------------------------


def title_strip_background(frame_w, h, frames):
    """The title band's rows, so a title-bar button blends into the skin wherever it sits."""
    img = Image.new("RGB", (frame_w * frames, h))
    d = ImageDraw.Draw(img)
    for y in range(h):
        d.line([(0, y), (img.width - 1, y)], fill=title_row_colour(y))
    return img


def button_plate(w, h, top, bottom, radius):
    """An RGBA rounded plate with a vertical gradient, drawn large and scaled down."""
    grad = Image.new("RGBA", (w * SS, h * SS))
    gd = ImageDraw.Draw(grad)
    for y in range(h * SS):
        gd.line([(0, y), (w * SS, y)], fill=lerp(top, bottom, y / (h * SS - 1)) + (255,))
    mask = Image.new("L", grad.size, 0)
    ImageDraw.Draw(mask).rounded_rectangle([0, 0, w * SS - 1, h * SS - 1], radius=radius * SS, fill=255)
    grad.putalpha(mask)
    return shrink(grad, (w, h))


def glyph_minimize(w, h):
    img = big((w, h))
    d = ImageDraw.Draw(img)
    cx, cy = w * SS / 2, h * SS / 2 + 3 * SS
    d.rounded_rectangle([cx - 5 * SS, cy - 1 * SS, cx + 5 * SS, cy + 1 * SS], radius=SS, fill=(255, 255, 255, 255))
    return shrink(img, (w, h))


def glyph_close(w, h):
    img = big((w, h))
    d = ImageDraw.Draw(img)
    cx, cy, a = w * SS / 2, h * SS / 2 + SS / 2, 4.5 * SS
    for dx in (-1, 1):
        d.line([(cx - a, cy - a * dx), (cx + a, cy + a * dx)], fill=(255, 255, 255, 255), width=int(2.2 * SS))
    return shrink(img, (w, h))


def make_minimize_strip():
    fw, h = 33, 20
    img = title_strip_background(fw, h, 4)
    glyph = glyph_minimize(fw, h)
    for i in range(4):
        img.paste(glyph, (i * fw, 0), glyph)
    return img


def make_close_strip():
    fw, h = 42, 20
    img = title_strip_background(fw, h, 4)
    plates = [
        None,  # normal: the white cross on the title band's blue
        ((18, 78, 134), (12, 62, 112)),  # pressed: darker blue
        ((232, 80, 64), (196, 40, 30)),  # focused: red
        ((240, 98, 80), (208, 52, 40)),  # hovered: red, a little lighter
    ]
    glyph = glyph_close(fw, h)
    for i, colours in enumerate(plates):
        if colours:
            plate = button_plate(fw, h - 1, colours[0], colours[1], 0)
            img.paste(plate, (i * fw, 1), plate)
        img.paste(glyph, (i * fw, 0), glyph)
    return img


def make_redetect_strip():
    fw, h = 92, 29
    img = Image.new("RGB", (fw * 4, h), WHITE)
    looks = [  # (top, bottom, border, text)
        ((214, 232, 222), (176, 206, 190), (112, 156, 132), (28, 70, 48)),  # normal
        ((166, 198, 180), (190, 216, 202), (96, 140, 116), (22, 60, 40)),  # pressed: shading reversed
        ((232, 245, 238), (200, 226, 212), (96, 164, 128), (28, 70, 48)),  # focused: lighter
        ((240, 250, 244), (210, 234, 220), (88, 170, 126), (20, 84, 52)),  # hovered: lightest
    ]
    f = font(14)
    for i, (top, bottom, border, text) in enumerate(looks):
        plate = button_plate(fw - 2, h - 2, top, bottom, 5)
        rim = button_plate(fw, h, border, border, 6)
        img.paste(rim, (i * fw, 0), rim)
        img.paste(plate, (i * fw + 1, 1), plate)
        d = ImageDraw.Draw(img)
        # A sheen across the upper half.
        sheen = button_plate(fw - 6, (h - 4) // 2, (255, 255, 255), (255, 255, 255), 4)
        sheen.putalpha(sheen.split()[3].point(lambda a: a * 60 // 255))
        img.paste(sheen, (i * fw + 3, 2), sheen)
        dy = 1 if i == 1 else 0  # the pressed caption sinks by a pixel
        d.text((i * fw + fw / 2, h / 2 + dy), "重新检测", font=f, fill=text, anchor="mm")
    return img


# --- Icons --------------------------------------------------------------------------------------


def draw_monitor(img):
    """A flat-panel monitor with a blue screen, drawn on a 32*SS canvas."""
    d = ImageDraw.Draw(img)
    s = SS
    # Stand and foot.
    d.polygon([(13 * s, 22 * s), (19 * s, 22 * s), (20 * s, 27 * s), (12 * s, 27 * s)], fill=(120, 128, 140, 255))
    d.rounded_rectangle([8 * s, 26.5 * s, 24 * s, 29 * s], radius=1.2 * s, fill=(92, 100, 112, 255))
    # Bezel.
    d.rounded_rectangle([2 * s, 3 * s, 30 * s, 23 * s], radius=2 * s, fill=(58, 66, 78, 255))
    # Screen: a diagonal blue gradient.
    screen = Image.new("RGBA", (25 * s, 16 * s))
    sd = ImageDraw.Draw(screen)
    for y in range(16 * s):
        sd.line([(0, y), (25 * s, y)], fill=lerp((110, 190, 245), (30, 110, 200), y / (16 * s)) + (255,))
    img.paste(screen, (int(3.5 * s), int(4.5 * s)))
    # Reflection across the upper-left of the screen.
    glare = Image.new("RGBA", img.size)
    ImageDraw.Draw(glare).polygon([(3.5 * s, 4.5 * s), (18 * s, 4.5 * s), (8 * s, 20.5 * s), (3.5 * s, 20.5 * s)],
                                  fill=(255, 255, 255, 50))
    img.alpha_composite(glare)
    # Power light.
    d.ellipse([15.2 * s, 21.2 * s, 16.8 * s, 22.4 * s], fill=(120, 220, 140, 255))


def draw_badge(img, cx, cy, r, fill_top, fill_bottom, mark):
    """A round badge with a white rim and a white tick, cross or question mark."""
    s = SS
    d = ImageDraw.Draw(img)
    d.ellipse([(cx - r - 1.2) * s, (cy - r - 1.2) * s, (cx + r + 1.2) * s, (cy + r + 1.2) * s], fill=(255, 255, 255, 255))
    disc = Image.new("RGBA", img.size)
    dd = ImageDraw.Draw(disc)
    for i in range(int(r * s), 0, -1):
        t = i / (r * s)
        c = lerp(fill_top, fill_bottom, t)
        oy = cy * s - (1 - t) * r * s * 0.3
        dd.ellipse([cx * s - i, oy - i, cx * s + i, oy + i], fill=c + (255,))
    mask = Image.new("L", img.size, 0)
    ImageDraw.Draw(mask).ellipse([(cx - r) * s, (cy - r) * s, (cx + r) * s, (cy + r) * s], fill=255)
    img.paste(disc, (0, 0), mask)
    w = max(1, int(r * 0.32 * s))
    white = (255, 255, 255, 255)
    if mark == "tick":
        pts = [((cx - r * 0.5) * s, (cy + r * 0.02) * s), ((cx - r * 0.12) * s, (cy + r * 0.42) * s),
               ((cx + r * 0.55) * s, (cy - r * 0.42) * s)]
        d.line(pts, fill=white, width=w, joint="curve")
        for p in (pts[0], pts[2]):
            d.ellipse([p[0] - w / 2, p[1] - w / 2, p[0] + w / 2, p[1] + w / 2], fill=white)
    elif mark == "cross":
        a = r * 0.42
        for k in (-1, 1):
            p0, p1 = ((cx - a) * s, (cy - a * k) * s), ((cx + a) * s, (cy + a * k) * s)
            d.line([p0, p1], fill=white, width=w)
            for p in (p0, p1):
                d.ellipse([p[0] - w / 2, p[1] - w / 2, p[0] + w / 2, p[1] + w / 2], fill=white)
    elif mark == "question":
        f = ImageFont.truetype(FONT_PATH, int(r * 1.75 * s))
        d.text((cx * s, (cy + r * 0.08) * s), "?", font=f, fill=white, anchor="mm", stroke_width=int(0.25 * s),
               stroke_fill=white)


GREEN = ((110, 214, 100), (34, 150, 52))
ORANGE = ((255, 190, 80), (236, 118, 20))
BLUE = ((96, 170, 250), (26, 100, 210))


def icon_host(badge):
    img = big((32, 32))
    draw_monitor(img)
    if badge == "known":
        draw_badge(img, 24, 23, 6.6, GREEN[0], GREEN[1], "tick")
    elif badge == "unknown":
        draw_badge(img, 24, 23, 6.6, ORANGE[0], ORANGE[1], "question")
    return shrink(img, (32, 32))


def icon_mark(colours, mark):
    img = big((32, 32))
    draw_badge(img, 16, 16, 10.5, colours[0], colours[1], mark)
    return shrink(img, (32, 32))


def icon_app():
    """Coloured cubes: three isometric cubes, red and green below, blue on top."""
    img = big((32, 32))
    s = SS

    def cube(cx, top_y, a, colour):
        d = ImageDraw.Draw(img)
        h = a * 0.58
        top = [(cx, top_y), (cx + a, top_y + h), (cx, top_y + 2 * h), (cx - a, top_y + h)]
        left = [(cx - a, top_y + h), (cx, top_y + 2 * h), (cx, top_y + 2 * h + a), (cx - a, top_y + h + a)]
        right = [(cx + a, top_y + h), (cx, top_y + 2 * h), (cx, top_y + 2 * h + a), (cx + a, top_y + h + a)]
        pts = lambda poly: [(x * s, y * s) for x, y in poly]
        d.polygon(pts(top), fill=lerp(colour, (255, 255, 255), 0.35) + (255,))
        d.polygon(pts(left), fill=colour + (255,))
        d.polygon(pts(right), fill=lerp(colour, (0, 0, 0), 0.3) + (255,))
        edge = lerp(colour, (0, 0, 0), 0.55) + (255,)
        outline = [top[0], top[1], right[3], right[2], left[3], left[0], top[0]]
        d.line(pts(outline), fill=edge, width=int(0.6 * s))

    cube(9.2, 13.5, 7.2, (224, 62, 52))  # red, left
    cube(22.8, 13.5, 7.2, (52, 170, 76))  # green, right
    cube(16, 2.0, 7.2, (40, 120, 222))  # blue, on top
    return shrink(img, (32, 32))


def write_ico(path, rgba, bits):
    """A one-image ICO: 24-bit colour pre-blended on white, or 32-bit with alpha; plus the mask."""
    w, h = rgba.size
    px = rgba.load()
    xor = bytearray()
    mask = bytearray()
    row_mask_bytes = ((w + 31) // 32) * 4
    for y in range(h - 1, -1, -1):  # bottom-up
        bits_row = 0
        mrow = bytearray(row_mask_bytes)
        for x in range(w):
            r, g, b, a = px[x, y]
            transparent = a < (128 if bits == 32 else 90)
            if transparent:
                mrow[x // 8] |= 0x80 >> (x % 8)
            if bits == 32:
                xor += bytes((b, g, r, 0 if transparent else a))
            elif transparent:
                xor += bytes((0, 0, 0))
            else:
                t = a / 255.0
                blend = lambda c: int(round(c * t + 255 * (1 - t)))
                xor += bytes((blend(b), blend(g), blend(r)))
        mask += mrow
        del bits_row
    header = struct.pack("<IiiHHIIiiII", 40, w, h * 2, 1, bits, 0, len(xor) + len(mask), 0, 0, 0, 0)
    image = header + bytes(xor) + bytes(mask)
    with open(path, "wb") as f:
        f.write(struct.pack("<HHH", 0, 1, 1))
        f.write(struct.pack("<BBBBHHII", w, h, 0, 0, 1, bits, len(image), 22))
        f.write(image)


def main():
    here = os.path.dirname(os.path.abspath(__file__))
    out = sys.argv[1] if len(sys.argv) > 1 else os.path.join(here, "..", "res")
    os.makedirs(out, exist_ok=True)

    skin = make_skin()
    assert skin.size == (SKIN_W, SKIN_H)
    assert KEY not in {c for _, c in skin.getcolors(SKIN_W * SKIN_H)}
    skin.save(os.path.join(out, "skin.bmp"))
    for name, strip, size in (("button_minimize.bmp", make_minimize_strip(), (132, 20)),
                              ("button_close.bmp", make_close_strip(), (168, 20)),
                              ("button_redetect.bmp", make_redetect_strip(), (368, 29))):
        assert strip.size == size, name
        strip.convert("RGB").save(os.path.join(out, name))

    write_ico(os.path.join(out, "app.ico"), icon_app(), 32)
    write_ico(os.path.join(out, "host_local.ico"), icon_host(None), 24)
    write_ico(os.path.join(out, "host_known.ico"), icon_host("known"), 24)
    write_ico(os.path.join(out, "host_unknown.ico"), icon_host("unknown"), 24)
    write_ico(os.path.join(out, "mark_unknown.ico"), icon_mark(ORANGE, "cross"), 24)
    write_ico(os.path.join(out, "mark_known.ico"), icon_mark(BLUE, "tick"), 24)


if __name__ == "__main__":
    main()
