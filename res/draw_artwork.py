#!/usr/bin/python3
"""Draws the loader's skin: the PNG resources listed in images.rc.

    /usr/bin/python3 res/draw_artwork.py      (Debian's python3-pil, fonts-wqy-zenhei)

Every file is RGBA, 8 bits per channel (PNG colour type 6), and the output is
the same on every run. The sizes are fixed by the code that draws the window;
the places below are where the dialog template puts its controls under the
dialog font (measured in client pixels of the running loader):

    close button   612, 12   38 x 38      start button  263, 244  160 x 56
    status line     65, 138  378 x 20     detail line    65, 168  378 x 24
    progress bar    50, 190  548 x 38     (the fill image is revealed from its
                                           top-left corner at its own scale)
"""
import math
import os
import random
import sys

try:
    from PIL import Image, ImageChops, ImageDraw, ImageFilter, ImageFont
except ImportError:
    sys.exit("draw_artwork: Pillow is missing (apt-get install python3-pil)")

HERE = os.path.dirname(os.path.abspath(__file__))
FONT_PATH = "/usr/share/fonts/truetype/wqy/wqy-zenhei.ttc"
SS = 4  # shapes are drawn at four times the size, then reduced: smooth edges

# Where the controls land in the 757 x 321 window.
WINDOW = (757, 321)
PANEL = (18, 6, 676, 314)           # the visible plate; the rest stays see-through
CLOSE = (612, 12, 650, 50)
START = (263, 244, 423, 300)
TEXT_AREA = (50, 130, 602, 190)
PROGRESS = (50, 190, 598, 228)
FILL_BAR_ROWS = (9, 30)             # rows of the fill image that hold the bar
TRACK = (PROGRESS[0], PROGRESS[1] + FILL_BAR_ROWS[0], PROGRESS[2], PROGRESS[1] + FILL_BAR_ROWS[1])

GOLD_LIGHT = (255, 221, 140)
GOLD = (222, 164, 72)
BRONZE = (150, 96, 44)
BRONZE_DARK = (86, 52, 22)
INK = (12, 16, 28)


def font(size):
    if not os.path.exists(FONT_PATH):
        sys.exit(f"draw_artwork: {FONT_PATH} is missing (apt-get install fonts-wqy-zenhei)")
    return ImageFont.truetype(FONT_PATH, size)


def big(w, h):
    return Image.new("RGBA", (w * SS, h * SS), (0, 0, 0, 0))


def s(*values):
    """Scales coordinates to the drawing size."""
    return tuple(v * SS for v in values)


def reduce(img):
    w, h = img.size
    # Reduce in premultiplied form so that see-through pixels do not bleed black.
    small = img.convert("RGBa").resize((w // SS, h // SS), Image.LANCZOS)
    return small.convert("RGBA")


def vertical_gradient(size, stops):
    """An RGBA image whose colour follows (position 0..1, (r, g, b, a)) stops top to bottom."""
    w, h = size
    column = Image.new("RGBA", (1, h))
    px = column.load()
    for y in range(h):
        t = y / max(h - 1, 1)
        for i in range(len(stops) - 1):
            (t0, c0), (t1, c1) = stops[i], stops[i + 1]
            if t0 <= t <= t1:
                k = (t - t0) / max(t1 - t0, 1e-9)
                px[0, y] = tuple(round(a + (b - a) * k) for a, b in zip(c0, c1))
                break
    return column.resize((w, h))


def horizontal_gradient(size, stops):
    return vertical_gradient((size[1], size[0]), stops).transpose(Image.Transpose.ROTATE_90).transpose(
        Image.Transpose.FLIP_TOP_BOTTOM)


def shape_mask(size, draw_fn):
    mask = Image.new("L", size, 0)
    draw_fn(ImageDraw.Draw(mask))
    return mask


def paste_masked(dst, src, mask, at=(0, 0)):
    """Composites src over dst through mask (alpha multiplied by the mask)."""
    layer = Image.new("RGBA", dst.size, (0, 0, 0, 0))
    src = src.copy()
    src.putalpha(ImageChops.multiply(src.getchannel("A"), mask))
    layer.paste(src, at)
    dst.alpha_composite(layer)


class Over:
    """Draws on a see-through layer that is composited over the image at the
    end: ImageDraw alone replaces RGBA pixels, translucent ones included,
    instead of blending them."""

    def __init__(self, img):
        self.img = img

    def __enter__(self):
        self.layer = Image.new("RGBA", self.img.size, (0, 0, 0, 0))
        return ImageDraw.Draw(self.layer)

    def __exit__(self, *exc):
        self.img.alpha_composite(self.layer)


def rounded(draw, box, radius, **kw):
    draw.rounded_rectangle(box, radius=radius, **kw)


def glow(size, draw_fn, radius, color):
    """A blurred copy of a shape in one colour: halos and shadows."""
    mask = shape_mask(size, draw_fn).filter(ImageFilter.GaussianBlur(radius))
    layer = Image.new("RGBA", size, color[:3] + (0,))
    layer.putalpha(ImageChops.multiply(mask, Image.new("L", size, color[3])))
    return layer


def text_layer(size, xy, text, fnt, fill, anchor="mm", stroke=0, stroke_fill=None):
    layer = Image.new("RGBA", size, (0, 0, 0, 0))
    ImageDraw.Draw(layer).text(xy, text, font=fnt, fill=fill, anchor=anchor,
                               stroke_width=stroke, stroke_fill=stroke_fill)
    return layer


def gradient_text(size, xy, text, fnt, stops, anchor="mm"):
    """Text filled with a vertical gradient over its own height."""
    mask = Image.new("L", size, 0)
    ImageDraw.Draw(mask).text(xy, text, font=fnt, fill=255, anchor=anchor)
    box = mask.getbbox()
    layer = Image.new("RGBA", size, (0, 0, 0, 0))
    if box:
        grad = vertical_gradient((box[2] - box[0], box[3] - box[1]), stops)
        full = Image.new("RGBA", size, (0, 0, 0, 0))
        full.paste(grad, box[:2])
        layer = full
        layer.putalpha(ImageChops.multiply(mask, full.getchannel("A")))
    return layer


# --------------------------------------------------------------------------
# Background (129)

def scenery(w, h, rnd):
    """The banner at the top of the plate: dusk sky, moon, three mountain ranges."""
    img = vertical_gradient((w, h), [(0.0, (18, 30, 64, 255)), (0.55, (64, 44, 92, 255)),
                                     (0.85, (150, 78, 62, 255)), (1.0, (190, 110, 60, 255))])
    with Over(img) as d:
        for _ in range(90):
            x, y = rnd.randrange(w), rnd.randrange(int(h * 0.55))
            r = rnd.choice((1, 1, 1, 2)) * SS // 2
            a = rnd.randrange(90, 230)
            d.ellipse((x - r, y - r, x + r, y + r), fill=(255, 244, 220, a))
    moon = (int(w * 0.74), int(h * 0.34), int(h * 0.16))
    img.alpha_composite(glow((w, h), lambda g: g.ellipse(
        (moon[0] - moon[2] * 2, moon[1] - moon[2] * 2, moon[0] + moon[2] * 2, moon[1] + moon[2] * 2), fill=255),
        moon[2] * 1.2, (255, 210, 150, 120)))
    # A crescent: the disc less an offset disc, so the sky shows through the dark part.
    disc = shape_mask((w, h), lambda g: g.ellipse((moon[0] - moon[2], moon[1] - moon[2],
                                                   moon[0] + moon[2], moon[1] + moon[2]), fill=255))
    bite = shape_mask((w, h), lambda g: g.ellipse((moon[0] - moon[2] // 2, moon[1] - moon[2] - moon[2] // 5,
                                                   moon[0] + moon[2] * 3 // 2, moon[1] + moon[2] - moon[2] // 5),
                                                  fill=255))
    paste_masked(img, Image.new("RGBA", (w, h), (255, 236, 196, 255)), ImageChops.subtract(disc, bite))
    d = ImageDraw.Draw(img)

    ranges = [(0.52, 0.22, (58, 40, 78, 255), 5), (0.66, 0.2, (36, 28, 56, 255), 7),
              (0.8, 0.16, (16, 16, 30, 255), 11)]
    for base, amp, color, peaks in ranges:
        points = [(0, h)]
        for i in range(peaks * 8 + 1):
            x = w * i / (peaks * 8)
            ridge = sum(math.sin(x / w * math.pi * f + p) / f for f, p in
                        ((peaks / 2, base * 9), (peaks * 1.3, base * 3), (peaks * 3.1, base)))
            y = h * (base - amp * 0.5 * ridge)
            points.append((x, y))
        points.append((w, h))
        d.polygon(points, fill=color)
    return img


def ornament_line(img, x0, x1, y, color, width):
    """A thin line that ends in small diamonds."""
    with Over(img) as d:
        d.line((x0, y, x1, y), fill=color, width=width)
        for x in (x0, x1):
            r = width * 3
            d.polygon(((x - r, y), (x, y - r), (x + r, y), (x, y + r)), fill=color)


def draw_background():
    W, H = s(*WINDOW)
    img = big(*WINDOW)
    px0, py0, px1, py1 = s(*PANEL)
    radius = 22 * SS

    def plate(g, inset=0):
        rounded(g, (px0 + inset, py0 + inset, px1 - inset, py1 - inset), radius - inset, fill=255)

    # Soft edges: a dark halo fading out around the plate, so it floats over any desktop.
    img.alpha_composite(glow((W, H), lambda g: plate(g, -2 * SS), 7 * SS, (0, 0, 0, 170)))

    body = vertical_gradient((W, H), [(0.0, (28, 34, 56, 236)), (0.45, (17, 21, 36, 240)),
                                      (1.0, (9, 11, 20, 246))])
    with Over(body) as bd:  # a faint diagonal weave over the plate
        for k in range(-H, W, 14 * SS):
            bd.line((k, H, k + H, 0), fill=(255, 255, 255, 6), width=SS)
    paste_masked(img, body, shape_mask((W, H), plate))

    # The banner: a scene inside the plate's upper part, fading into the plate.
    bx0, by0, bx1, by1 = px0 + 4 * SS, py0 + 4 * SS, px1 - 4 * SS, s(132)[0]
    scene = scenery(bx1 - bx0, by1 - by0, random.Random(3))
    fade = vertical_gradient(scene.size, [(0.0, (0, 0, 0, 255)), (0.62, (0, 0, 0, 255)), (1.0, (0, 0, 0, 0))])
    scene_mask = shape_mask(scene.size, lambda g: rounded(g, (0, 0, scene.size[0], scene.size[1] + radius),
                                                          radius - 4 * SS, fill=255))
    paste_masked(img, scene, ImageChops.multiply(scene_mask, fade.getchannel("A")), (bx0, by0))

    # Title in the banner's upper left, clear of the close button.
    title_font = font(52 * SS)
    tx, ty = s(48, 52)
    img.alpha_composite(glow((W, H), lambda g: g.text((tx, ty), "ZAV3D", font=title_font, fill=255, anchor="lm"),
                             5 * SS, (0, 0, 0, 200)))
    img.alpha_composite(text_layer((W, H), (tx, ty), "ZAV3D", title_font, (0, 0, 0, 0), "lm",
                                   stroke=3 * SS, stroke_fill=BRONZE_DARK + (255,)))
    img.alpha_composite(gradient_text((W, H), (tx, ty), "ZAV3D", title_font,
                                      [(0.0, (255, 246, 210, 255)), (0.5, GOLD_LIGHT + (255,)),
                                       (1.0, (200, 122, 44, 255))], "lm"))
    sub_font = font(15 * SS)
    img.alpha_composite(text_layer((W, H), s(52, 88), "游 戏 启 动 器", sub_font, (235, 214, 170, 230), "lm",
                                   stroke=SS, stroke_fill=(20, 14, 10, 200)))
    ornament_line(img, *s(52, 232, 104), (222, 164, 72, 200), SS)

    # The seat of the two text lines: a darker recessed strip.
    tx0, ty0, tx1, ty1 = s(*TEXT_AREA)
    with Over(img) as d:
        d.rounded_rectangle((tx0, ty0, tx1, ty1 + 2 * SS), radius=6 * SS, fill=(4, 6, 12, 150))
    ornament_line(img, tx0 + 10 * SS, tx1 - 10 * SS, ty0, BRONZE + (200,), SS)

    # The progress track: a bronze frame around the trough that the fill covers exactly.
    gx0, gy0, gx1, gy1 = s(*TRACK)
    frame = 3 * SS
    with Over(img) as d:
        rounded(d, (gx0 - frame - SS, gy0 - frame - SS, gx1 + frame + SS, gy1 + frame + SS), 8 * SS,
                fill=(0, 0, 0, 180))
        rounded(d, (gx0 - frame, gy0 - frame, gx1 + frame, gy1 + frame), 7 * SS, fill=BRONZE + (255,))
        rounded(d, (gx0 - SS, gy0 - SS, gx1 + SS, gy1 + SS), 5 * SS, fill=BRONZE_DARK + (255,))
    trough = vertical_gradient((gx1 - gx0, gy1 - gy0), [(0.0, (2, 3, 6, 255)), (1.0, (22, 26, 40, 255))])
    paste_masked(img, trough, shape_mask(trough.size, lambda g: rounded(
        g, (0, 0, trough.size[0] - 1, trough.size[1] - 1), 4 * SS, fill=255)), (gx0, gy0))
    # Tick marks under the trough every tenth.
    with Over(img) as d:
        for i in range(11):
            x = gx0 + (gx1 - gx0) * i // 10
            d.line((x, gy1 + frame + 3 * SS, x, gy1 + frame + (6 if i % 5 == 0 else 4) * SS),
                   fill=BRONZE + (200,), width=SS)

    # The start button's plinth: a warm glow and ornament lines left and right.
    sx0, sy0, sx1, sy1 = s(*START)
    img.alpha_composite(glow((W, H), lambda g: g.ellipse((sx0 - 40 * SS, sy0 - 4 * SS, sx1 + 40 * SS, sy1 + 8 * SS),
                                                         fill=255), 14 * SS, (200, 120, 40, 70)))
    mid = (sy0 + sy1) // 2
    ornament_line(img, px0 + 60 * SS, sx0 - 24 * SS, mid, BRONZE + (210,), SS)
    ornament_line(img, sx1 + 24 * SS, px1 - 60 * SS, mid, BRONZE + (210,), SS)

    # A seat for the close button: a dark ring it sits in.
    cx0, cy0, cx1, cy1 = s(*CLOSE)
    with Over(img) as d:
        d.ellipse((cx0 - 3 * SS, cy0 - 3 * SS, cx1 + 3 * SS, cy1 + 3 * SS), fill=(0, 0, 0, 120))

    with Over(img) as d:
        # The plate's rim: a gold line with a darker line inside it, and two corner studs.
        rounded(d, (px0, py0, px1, py1), radius, outline=GOLD + (255,), width=2 * SS)
        rounded(d, (px0 + 3 * SS, py0 + 3 * SS, px1 - 3 * SS, py1 - 3 * SS), radius - 3 * SS,
                outline=BRONZE_DARK + (220,), width=SS)
        for cx, cy in ((px0 + 10 * SS, py1 - 10 * SS), (px1 - 10 * SS, py1 - 10 * SS)):
            r = 4 * SS
            d.polygon(((cx - r, cy), (cx, cy - r), (cx + r, cy), (cx, cy + r)), fill=GOLD + (255,))
    return reduce(img)


# --------------------------------------------------------------------------
# Close button (137-139): a round button with a cross.

def draw_close(state):
    size = 38
    img = big(size, size)
    d = ImageDraw.Draw(img)
    S = size * SS
    ring = {"normal": GOLD, "hover": GOLD_LIGHT, "pressed": BRONZE}[state]
    face_top, face_bottom = {
        "normal": ((58, 40, 34, 255), (24, 16, 18, 255)),
        "hover": ((168, 58, 36, 255), (96, 24, 18, 255)),
        "pressed": ((64, 18, 14, 255), (110, 36, 24, 255)),
    }[state]
    d.ellipse((SS, SS, S - SS, S - SS), fill=(0, 0, 0, 190))
    d.ellipse((2 * SS, 2 * SS, S - 2 * SS, S - 2 * SS), fill=ring + (255,))
    face = vertical_gradient((S, S), [(0.0, face_top), (1.0, face_bottom)])
    paste_masked(img, face, shape_mask((S, S), lambda g: g.ellipse((5 * SS, 5 * SS, S - 5 * SS, S - 5 * SS),
                                                                   fill=255)))
    if state != "pressed":  # a highlight on the upper half
        shine = shape_mask((S, S), lambda g: g.ellipse((9 * SS, 6 * SS, S - 9 * SS, S // 2), fill=60))
        paste_masked(img, Image.new("RGBA", (S, S), (255, 255, 255, 255)), shine)
    c = S // 2 + (SS if state == "pressed" else 0)
    arm = 7 * SS
    cross = {"normal": (240, 222, 190, 255), "hover": (255, 255, 255, 255), "pressed": (220, 190, 160, 255)}[state]
    with Over(img) as d:
        for dx in (-1, 1):
            d.line((c - arm, c - arm * dx, c + arm, c + arm * dx), fill=(0, 0, 0, 160), width=5 * SS)
    with Over(img) as d:
        for dx in (-1, 1):
            d.line((c - arm, c - arm * dx, c + arm, c + arm * dx), fill=cross, width=3 * SS)
    return reduce(img)


# --------------------------------------------------------------------------
# Start button (140-142) and the disabled look (145).

def draw_start(state, size=(160, 56)):
    w, h = size
    img = big(w, h)
    W, H = w * SS, h * SS
    r = 14 * SS
    looks = {
        "normal": ([(0.0, (255, 214, 120, 255)), (0.5, (234, 150, 52, 255)), (1.0, (176, 88, 26, 255))],
                   (255, 236, 180), (92, 38, 8, 255), (255, 240, 200, 150)),
        "hover": ([(0.0, (255, 236, 170, 255)), (0.5, (255, 180, 72, 255)), (1.0, (214, 112, 32, 255))],
                  (255, 250, 220), (110, 44, 6, 255), (255, 248, 220, 190)),
        "pressed": ([(0.0, (150, 72, 22, 255)), (0.5, (200, 116, 40, 255)), (1.0, (232, 150, 60, 255))],
                    (200, 140, 80), (70, 28, 4, 255), (255, 220, 160, 60)),
        "disabled": ([(0.0, (128, 128, 132, 255)), (0.5, (96, 96, 100, 255)), (1.0, (66, 66, 70, 255))],
                     (150, 150, 156), (48, 48, 52, 255), (255, 255, 255, 40)),
    }
    stops, rim, ink, shine_color = looks[state]
    d = ImageDraw.Draw(img)
    rounded(d, (0, SS, W - 1, H - 1), r, fill=(0, 0, 0, 150))                 # drop shadow
    rounded(d, (SS, 0, W - SS - 1, H - 2 * SS), r, fill=rim + (255,))          # rim
    face = vertical_gradient((W, H), stops)
    inset = 3 * SS
    paste_masked(img, face, shape_mask((W, H), lambda g: rounded(
        g, (SS + inset, inset, W - SS - inset - 1, H - 2 * SS - inset), r - inset, fill=255)))
    shine = shape_mask((W, H), lambda g: rounded(g, (SS + 2 * inset, inset + SS, W - SS - 2 * inset,
                                                     H // 2 - SS), r - 2 * inset, fill=255))
    paste_masked(img, Image.new("RGBA", (W, H), shine_color[:3] + (255,)),
                 ImageChops.multiply(shine, Image.new("L", (W, H), shine_color[3])))
    if state == "hover":  # a bright edge glow
        img.alpha_composite(glow((W, H), lambda g: rounded(g, (SS, 0, W - SS - 1, H - 2 * SS), r,
                                                           outline=255, width=2 * SS), 3 * SS, (255, 255, 230, 140)))
    label_font = font(int(h * 0.42) * SS)
    cx, cy = W // 2, (H - 2 * SS) // 2 + (SS if state == "pressed" else 0)
    light = (255, 248, 225, 120) if state != "disabled" else (200, 200, 205, 70)
    img.alpha_composite(text_layer((W, H), (cx, cy + SS), "开始游戏", label_font, light))
    img.alpha_composite(text_layer((W, H), (cx, cy), "开始游戏", label_font, ink))
    return reduce(img)


# --------------------------------------------------------------------------
# Progress fill (144): the bar in rows FILL_BAR_ROWS, see-through elsewhere,
# so that the track drawn in the background frames it.

def draw_fill():
    w, h = 640, 44
    img = big(w, h)
    W = w * SS
    y0, y1 = FILL_BAR_ROWS[0] * SS, FILL_BAR_ROWS[1] * SS
    bar = vertical_gradient((W, y1 - y0), [(0.0, (255, 236, 160, 255)), (0.35, (255, 186, 60, 255)),
                                           (0.7, (230, 120, 24, 255)), (1.0, (150, 64, 10, 255))])
    with Over(bar) as bd:
        for k in range(-(y1 - y0), W, 24 * SS):  # slanted energy stripes
            bd.polygon(((k, y1 - y0), (k + 8 * SS, y1 - y0), (k + 8 * SS + (y1 - y0), 0), (k + (y1 - y0), 0)),
                       fill=(255, 255, 255, 40))
    with Over(bar) as bd:
        bd.rectangle((0, SS, W, 3 * SS), fill=(255, 255, 235, 120))  # highlight along the top
    # Rounded only at the left end: the right end is wherever the value cuts it.
    mask = shape_mask(bar.size, lambda g: rounded(g, (0, 0, W + 8 * SS, y1 - y0 - 1), 4 * SS, fill=255))
    paste_masked(img, bar, mask, (0, y0))
    return reduce(img)


def save(img, name, expected):
    assert img.size == expected, (name, img.size, expected)
    assert img.mode == "RGBA"
    img.save(os.path.join(HERE, name), optimize=True)


def main():
    save(draw_background(), "background.png", WINDOW)
    for name, state in (("close_normal.png", "normal"), ("close_hover.png", "hover"),
                        ("close_pressed.png", "pressed")):
        save(draw_close(state), name, (38, 38))
    for name, state in (("start_normal.png", "normal"), ("start_hover.png", "hover"),
                        ("start_pressed.png", "pressed")):
        save(draw_start(state), name, (160, 56))
    save(draw_start("disabled", (156, 53)), "button_disabled.png", (156, 53))
    save(draw_fill(), "progress_fill.png", (640, 44))


if __name__ == "__main__":
    main()
