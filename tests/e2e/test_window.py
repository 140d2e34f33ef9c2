"""The skinned window as the player sees it, checked by pixels on screenshots
of the Xvfb screen: placement and size, see-through parts, the looks of the
close and start buttons under the real pointer, the progress bar and the
texts, dragging, and the keys that close the window.

Under Xvfb there is no compositor: wine shows a pixel of a per-pixel-alpha
window as its premultiplied colour (as if over black) wherever its alpha is
not 0, and the desktop wherever it is 0. The desktop is painted one flat
colour first so that both cases can be told apart.
"""
import hashlib
import subprocess
import time
from pathlib import Path

import pytest

from conftest import REPO

RES = REPO / 'res'
DESKTOP = (51, 102, 204)
SCREEN = (1280, 800)
LABEL_COLOUR = (0xBC, 0x72, 0x2F)

# Control rectangles in window coordinates (dialog template under the dialog font).
CLOSE = (612, 12, 38, 38)
START = (263, 244, 160, 56)
STATUS = (65, 138, 378, 20)
DETAIL = (65, 168, 378, 24)
PROGRESS = (50, 190, 548, 38)


class Picture:
    """8-bit RGB or RGBA pixels read through ImageMagick (no imaging module needed)."""

    def __init__(self, path, alpha=False):
        fmt = 'rgba' if alpha else 'rgb'
        size = subprocess.run(['identify', '-format', '%w %h', str(path)], check=True,
                              stdout=subprocess.PIPE).stdout.split()
        self.width, self.height = int(size[0]), int(size[1])
        self.channels = 4 if alpha else 3
        self.data = subprocess.run(['convert', str(path), '-depth', '8', f'{fmt}:-'], check=True,
                                   stdout=subprocess.PIPE).stdout
        assert len(self.data) == self.width * self.height * self.channels, path

    def __getitem__(self, xy):
        x, y = xy
        i = (y * self.width + x) * self.channels
        return tuple(self.data[i:i + self.channels])


def art(name):
    return Picture(RES / name, alpha=True)


def premultiplied(rgba):
    r, g, b, a = rgba
    return tuple(round(c * a / 255) for c in (r, g, b))


def close_to(a, b, tolerance=3):
    return all(abs(p - q) <= tolerance for p, q in zip(a, b))


class Screen:
    def __init__(self, loader, tmp_path):
        self.loader = loader
        self.env = loader.wine.env
        self.folder = tmp_path
        self.count = 0

    def shot(self):
        self.count += 1
        path = self.folder / f'screen-{self.count}.png'
        self.loader.screenshot(path)
        return Picture(path)

    def xdotool(self, *args):
        subprocess.run(['xdotool', *map(str, args)], env=self.env, check=True, timeout=10)

    def point(self, x, y):
        """Moves the pointer and lets wine see where it is before anything else happens."""
        self.xdotool('mousemove', x, y)
        time.sleep(0.4)

    def paint_desktop(self):
        """Xvfb forgets the desktop when its last client goes: paint it while the loader runs."""
        for _ in range(20):
            paint_desktop(self.env, self.folder, DESKTOP)
            if self.shot()[0, 0] == DESKTOP:
                return
            time.sleep(0.2)
        pytest.fail('the desktop colour could not be set')

    def until(self, predicate, timeout=10):
        """The first screenshot for which predicate holds, or the last one taken."""
        deadline = time.time() + timeout
        while True:
            picture = self.shot()
            if predicate(picture) or time.time() > deadline:
                return picture
            time.sleep(0.3)


def paint_desktop(env, folder, colour):
    tile = Path(folder) / 'desktop-tile.png'
    subprocess.run(['convert', '-size', '16x16', 'xc:rgb(%d,%d,%d)' % colour, str(tile)], check=True)
    # display reports failure once it has set the root window's background; screenshots tell.
    subprocess.run(['display', '-window', 'root', str(tile)], env=env, timeout=30,
                   stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)


@pytest.fixture(scope='module')
def desktop_restored(wine, tmp_path_factory):
    yield
    paint_desktop(wine.env, tmp_path_factory.mktemp('desktop'), (0, 0, 0))


@pytest.fixture
def screen(loader, tmp_path, desktop_restored):
    s = Screen(loader, tmp_path)
    s.point(5, 5)  # the pointer starts in the middle of the screen, over the window
    return s


def start_idle(loader, screen):
    """The loader with AutoUpdate off: empty texts, the bar at 0, the start button disabled."""
    loader.write_settings(AutoUpdate='False', FolderPath='.')
    loader.start()
    rect = loader.wait_window()
    assert rect, 'the window did not appear'
    screen.paint_desktop()
    return rect


def window_matches(picture, origin, image, points):
    left, top = origin
    return all(close_to(picture[left + x, top + y], premultiplied(image[x, y])) for x, y in points)


def opaque_points(image, box, step=3):
    """Points of box (x, y, w, h) where the image is fully opaque."""
    x0, y0, w, h = box
    return [(x, y) for y in range(y0, y0 + h, step) for x in range(x0, x0 + w, step) if image[x, y][3] == 255]


def distinct_points(images, limit=12):
    """Points where every image is opaque and no two of them agree: they tell the looks apart."""
    w, h = images[0].width, images[0].height
    found = []
    for y in range(h):
        for x in range(w):
            px = [im[x, y] for im in images]
            if all(p[3] == 255 for p in px) and all(
                    not close_to(a, b, 40) for i, a in enumerate(px) for b in px[i + 1:]):
                found.append((x, y))
    assert len(found) >= 4, 'the looks are too much alike to be told apart'
    return found[::max(1, len(found) // limit)]


def look_of(picture, origin, box, looks, points):
    """Which of the named looks the control at box shows (None: none of them)."""
    left, top = origin[0] + box[0], origin[1] + box[1]
    for name, image in looks.items():
        if window_matches(picture, (left, top), image, points):
            return name
    return None


def test_window_is_centred_sized_and_see_through(loader, screen):
    rect = start_idle(loader, screen)
    background = art('background.png')
    # Centred with the caption's frame (6 x 25 pixels with wine's metrics) it then loses:
    # left of and above the true centre by half of that, and exactly the background's size.
    assert rect == ((SCREEN[0] - (757 + 6)) // 2, (SCREEN[1] - (321 + 25)) // 2,
                    (SCREEN[0] - (757 + 6)) // 2 + 757, (SCREEN[1] - (321 + 25)) // 2 + 321)
    origin = rect[:2]

    # Opaque parts of the plate away from the controls, and see-through parts of the picture.
    plate = [(x, y) for x, y in opaque_points(background, (30, 20, 560, 100), 7)]
    clear = [(x, y) for y in range(0, 321, 16) for x in range(700, 757, 8)] + [(0, 0), (756, 0), (0, 320), (756, 320)]
    assert all(background[p][3] == 0 for p in clear), 'the artwork no longer has see-through corners'
    picture = screen.until(lambda p: window_matches(p, origin, background, plate))
    assert window_matches(picture, origin, background, plate), 'the background is not shown as drawn'
    for x, y in clear:
        assert picture[origin[0] + x, origin[1] + y] == DESKTOP, f'({x}, {y}) of the window is not see-through'

    # Empty texts and a bar at 0 draw nothing: those rectangles show the background alone.
    for box in (STATUS, DETAIL, PROGRESS):
        points = [(x, y) for y in range(box[1], box[1] + box[3], 3) for x in range(box[0], box[0] + box[2], 5)]
        assert window_matches(picture, origin, background, points), f'something is drawn in {box}'

    # The companion over the window shows no pixel: nothing of its key colour anywhere.
    left, top = origin
    assert not any(picture[x, y] == (0, 255, 0) for y in range(top, top + 321, 2) for x in range(left, left + 757, 2))


def test_disabled_start_button_is_stretched_and_ignores_clicks(loader, screen):
    rect = start_idle(loader, screen)
    origin = rect[:2]
    background = art('background.png')
    disabled = art('button_disabled.png')   # 156 x 53, shown at 160 x 56
    sx, sy = origin[0] + START[0], origin[1] + START[1]
    picture = screen.until(lambda p: p[sx + 80, sy + 14] != premultiplied(background[START[0] + 80, START[1] + 14]))

    def greyish(rgb):
        return max(rgb) - min(rgb) <= 12 and max(rgb) > 40

    # The grey rim reaches the button's own right and bottom edges (160 x 56), beyond the image's 156 x 53.
    assert greyish(picture[sx + 158, sy + 28]), picture[sx + 158, sy + 28]
    assert greyish(picture[sx + 80, sy + 53]), picture[sx + 80, sy + 53]
    assert greyish(picture[sx + 10, sy + 28]) and greyish(picture[sx + 150, sy + 20])
    assert disabled.width == 156 and disabled.height == 53

    # Hovering and clicking it change nothing: the look stays, the loader stays.
    before = [picture[sx + x, sy + y] for x, y in ((20, 20), (80, 28), (140, 40))]
    screen.point(sx + 80, sy + 28)
    screen.xdotool('click', 1)
    time.sleep(1.0)
    picture = screen.shot()
    assert [picture[sx + x, sy + y] for x, y in ((20, 20), (80, 28), (140, 40))] == before
    assert loader.click(1001)  # the command a click sends, once more
    time.sleep(1.0)
    assert loader.running(), 'a click on the disabled start button must do nothing'


def test_close_button_normal_hover_pressed_and_click(loader, screen):
    rect = start_idle(loader, screen)
    origin = rect[:2]
    looks = {'normal': art('close_normal.png'), 'hover': art('close_hover.png'), 'pressed': art('close_pressed.png')}
    points = distinct_points(list(looks.values()))
    cx, cy = origin[0] + CLOSE[0] + 19, origin[1] + CLOSE[1] + 19

    def showing(name):
        return lambda p: look_of(p, origin, CLOSE, looks, points) == name

    assert look_of(screen.until(showing('normal')), origin, CLOSE, looks, points) == 'normal'
    screen.point(cx, cy)   # the pointer rests on it
    assert look_of(screen.until(showing('hover')), origin, CLOSE, looks, points) == 'hover'
    screen.xdotool('mousedown', 1)
    assert look_of(screen.until(showing('pressed')), origin, CLOSE, looks, points) == 'pressed'
    # Dragged off and released outside: no click, the normal look again.
    screen.point(origin[0] + 300, origin[1] + 60)
    screen.xdotool('mouseup', 1)
    assert look_of(screen.until(showing('normal')), origin, CLOSE, looks, points) == 'normal'
    time.sleep(0.5)
    assert loader.running(), 'a press released outside the button is no click'

    # A real click on it (through the companion above the window) ends the loader.
    screen.point(cx, cy)
    screen.xdotool('click', 1)
    assert loader.wait(timeout=20) == 0


def test_drag_moves_window_and_companion_then_escape_closes(loader, screen):
    rect = start_idle(loader, screen)
    background = art('background.png')
    # A point of the plate that is no control.
    gx, gy = 120, 280
    assert background[gx, gy][3] > 200
    screen.until(lambda p: close_to(p[rect[0] + gx, rect[1] + gy], premultiplied(background[gx, gy])))
    screen.point(rect[0] + gx, rect[1] + gy)
    screen.xdotool('mousedown', 1)
    for step in range(1, 6):
        screen.xdotool('mousemove', rect[0] + gx + 12 * step, rect[1] + gy - 8 * step)
        time.sleep(0.15)
    screen.xdotool('mouseup', 1)
    time.sleep(0.5)

    moved = loader.wait_window()
    assert moved == (rect[0] + 60, rect[1] - 40, rect[2] + 60, rect[3] - 40)
    code, text = loader.tool('state', '')   # the companion: the dialog without a title
    assert code == 0
    assert tuple(int(v) for v in text.splitlines()[0].split()[1:]) == moved, 'the companion did not follow'
    picture = screen.shot()
    assert close_to(picture[moved[0] + gx, moved[1] + gy], premultiplied(background[gx, gy]))
    assert picture[rect[0] + 5, rect[1] + 5] == DESKTOP, 'the old place is not cleared'

    # Escape from the keyboard, with the pointer over the window, closes it.
    screen.point(moved[0] + 400, moved[1] + 100)
    screen.xdotool('key', 'Escape')
    assert loader.wait(timeout=20) == 0


def test_escape_sent_to_the_window_closes_it(loader, screen):
    start_idle(loader, screen)
    time.sleep(0.5)
    code, _ = loader.tool('key', 'Zav3DLoader', 27)
    assert code == 0
    assert loader.wait(timeout=20) == 0


# -- With the update running: the bar and the texts ---------------------------

def publish(server, files):
    """A manifest of (name, bytes, kind) and the version page of the running loader."""
    server.add('/update.html', '1.0.0.0,' + server.url + 'Zav3DLoader.exe')
    lines = []
    for name, data, kind in files:
        lines.append(f'{name},{hashlib.md5(data).hexdigest()},{len(data)},{kind}')
    server.add('/Resources.txt', '\r\n'.join(lines) + '\r\n')


def fill_points(columns):
    return [(c, r) for c in columns for r in (12, 19, 26)]


def test_bar_half_way_and_the_status_text(loader, server, screen, tmp_path):
    # Two files of the same size: the first arrives, the second never does, so the
    # bar stays at 50 % while the window waits.
    a, b = b'A' * 200_000, b'B' * 200_000
    publish(server, [('Data\\a.bin', a, 1), ('Data\\b.bin', b, 1)])
    server.add('/Data/a.bin', a)
    server.add('/Data/b.bin', b, mode='stall', delay=60)
    loader.write_settings(BaseUrl2=server.url, FolderPath=loader.win(tmp_path / 'game'))
    loader.start()
    rect = loader.wait_window()
    assert rect
    origin = (rect[0] + PROGRESS[0], rect[1] + PROGRESS[1])
    fill = art('progress_fill.png')
    background = art('background.png')
    half = PROGRESS[2] // 2   # 274: half the control's width, in the fill image's own pixels
    shown = fill_points(range(8, half - 2, 37))
    picture = screen.until(lambda p: window_matches(p, origin, fill, shown), timeout=30)
    assert window_matches(picture, origin, fill, shown), 'the fill is not revealed at its own scale up to half'
    beyond = [(c, r) for c in range(half + 3, PROGRESS[2], 23) for r in (12, 19, 26)]
    assert all(picture[origin[0] + c, origin[1] + r] == premultiplied(background[PROGRESS[0] + c, PROGRESS[1] + r])
               for c, r in beyond), 'fill drawn beyond half the bar'
    assert loader.control_text(1004) == '正在下载文件......'

    # The status text is drawn in the labels' colour, inside the label's rectangle only.
    sx, sy, sw, sh = STATUS
    inside = [(x, y) for y in range(sy, sy + sh) for x in range(sx, sx + sw)
              if close_to(picture[rect[0] + x, rect[1] + y], LABEL_COLOUR, 2)]
    assert len(inside) > 20, 'no text in the labels\' colour'
    assert max(x for x, _ in inside) < sx + 200, 'the status line is left aligned'
    above = [(x, y) for y in range(sy - 8, sy) for x in range(sx, sx + sw, 2)]
    assert window_matches(picture, rect[:2], background, above), 'text drawn above its rectangle'


def test_bar_full_and_start_button_enabled_at_the_end(loader, server, screen, tmp_path):
    # Nothing of the run's kind to fetch: the bar jumps to the end and, with
    # AutoLauncher off, the start button takes its enabled looks.
    publish(server, [('Data\\later.bin', b'x' * 10, 2)])
    game = tmp_path / 'game'
    game.mkdir()
    loader.write_settings(BaseUrl2=server.url, FolderPath=loader.win(game), AutoLauncher='False')
    loader.start()
    rect = loader.wait_window()
    assert rect
    origin = (rect[0] + PROGRESS[0], rect[1] + PROGRESS[1])
    fill = art('progress_fill.png')
    full = fill_points(range(8, PROGRESS[2], 45)) + fill_points([PROGRESS[2] - 1])
    picture = screen.until(lambda p: window_matches(p, origin, fill, full), timeout=30)
    assert window_matches(picture, origin, fill, full), 'the bar is not full'

    looks = {'normal': art('start_normal.png'), 'hover': art('start_hover.png'), 'pressed': art('start_pressed.png')}
    points = distinct_points(list(looks.values()))
    # Finalisation gives the start button its enabled look right after the bar is filled.
    picture = screen.until(lambda p: look_of(p, rect[:2], START, looks, points) == 'normal')
    assert look_of(picture, rect[:2], START, looks, points) == 'normal'
    screen.point(rect[0] + START[0] + 80, rect[1] + START[1] + 28)
    picture = screen.until(lambda p: look_of(p, rect[:2], START, looks, points) == 'hover')
    assert look_of(picture, rect[:2], START, looks, points) == 'hover'
    screen.xdotool('mousedown', 1)
    picture = screen.until(lambda p: look_of(p, rect[:2], START, looks, points) == 'pressed')
    assert look_of(picture, rect[:2], START, looks, points) == 'pressed'
    screen.point(rect[0] + 300, rect[1] + 60)
    screen.xdotool('mouseup', 1)
