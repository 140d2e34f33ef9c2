"""A whole update as a player and an operator see it: what is fetched and in
which order, what lands on disk, what the settings file and the desktop get,
which program is started, what the window and the boxes say, and exit codes."""
import hashlib
import re
import shutil
import subprocess
import time

import pytest

from conftest import build_dir

GAME = 'Zav3DLauncher.exe'
MARKERS = 'Brimvale_Data\\StreamingAssets'


def md5(data):
    return hashlib.md5(data).hexdigest()


class Site:
    """The resource server's side of a test: the manifest, the version page and the files."""

    def __init__(self, server):
        self.server = server
        self.entries = []   # (name, data, kind)
        server.add('/update.html', '1.0.0.0,' + server.url + 'Zav3DLoader.exe')

    def file(self, name, data, kind=1, **route):
        self.entries.append((name, data, kind))
        self.server.add('/' + name.replace('\\', '/'), data, **route)
        return self

    def game(self, kind=1):
        return self.file(GAME, (build_dir() / 'tools' / 'fake_game.exe').read_bytes(), kind)

    def publish(self):
        lines = [f'{n},{md5(d)},{len(d)},{k}' for n, d, k in self.entries]
        self.server.add('/Resources.txt', '\r\n'.join(lines) + '\r\n')

    def file_requests(self):
        names = {'/' + n.replace('\\', '/') for n, _, _ in self.entries}
        return [p for p in self.server.paths() if p in names]


def make_7z(tmp_path, files, name='pack.7z'):
    staging = tmp_path / ('staging-' + name)
    for rel, data in files.items():
        target = staging / rel
        target.parent.mkdir(parents=True, exist_ok=True)
        target.write_bytes(data)
    archive = tmp_path / name
    subprocess.run(['7z', 'a', '-t7z', str(archive), '.'], cwd=staging, check=True, stdout=subprocess.DEVNULL)
    return archive.read_bytes()


@pytest.fixture
def game_root(tmp_path):
    root = tmp_path / 'game root'   # lower case: an explicit FolderPath is used in lower case
    root.mkdir()
    return root


@pytest.fixture
def desktop_link(wine):
    def find():
        desktop = wine.desktop.resolve()
        return desktop / 'QeloOrvane3D.lnk'
    link = find()
    if link.exists():
        link.unlink()
    yield find
    if find().exists():
        find().unlink()


def settings_for(loader, server, game_root, **extra):
    keys = dict(BaseUrl2=server.url, FolderPath=loader.win(game_root))
    keys.update(extra)
    loader.write_settings(**keys)


def started_game(game_root, timeout=15):
    """The fake client's record of its start; the client starts after the loader has ended."""
    record = game_root / 'game-started.txt'
    deadline = time.time() + timeout
    while time.time() < deadline:
        if record.exists():
            lines = record.read_text(encoding='utf-8').splitlines()
            if len(lines) >= 2:
                return lines
        time.sleep(0.2)
    return None


def test_first_installation_end_to_end(loader, server, game_root, tmp_path, desktop_link):
    pack = make_7z(tmp_path, {'Textures/terrain.bin': b't' * 5000, 'Textures/ui/icons.bin': b'i' * 300,
                              'Sounds/theme.bin': b's' * 7000})
    site = Site(server).game()
    site.file('Data\\level0.bin', b'L' * 20000)
    site.file(MARKERS + '\\config.json', b'{}')
    site.file('Data\\pack.7z', pack)
    site.file('Patches\\patch.bin', b'P' * 100, kind=2)
    site.publish()
    settings_for(loader, server, game_root)

    loader.start()
    assert loader.wait(timeout=90) == 0

    paths = server.paths()
    assert paths[:2] == ['/update.html', '/Resources.txt']
    assert site.file_requests() == ['/' + GAME, '/Data/level0.bin', '/' + MARKERS.replace('\\', '/') + '/config.json',
                                    '/Data/pack.7z'], 'kind-1 entries, in manifest order'
    assert (game_root / 'Data' / 'level0.bin').read_bytes() == b'L' * 20000
    assert (game_root / 'Data' / 'Textures' / 'ui' / 'icons.bin').read_bytes() == b'i' * 300
    assert (game_root / 'Data' / 'Sounds' / 'theme.bin').exists()
    assert not (game_root / 'Data' / 'pack.7z').exists(), 'an unpacked archive is deleted'
    assert not (game_root / 'Patches' / 'patch.bin').exists(), 'kind 2 is not part of a first installation'

    assert (game_root / 'Zav3DLoader.exe').read_bytes() == loader.exe.read_bytes(), 'loader copy'
    assert desktop_link().exists(), 'desktop shortcut'
    text = (loader.folder / 'setting.ini').read_bytes().decode('utf-16')
    assert re.search(r'BaseUrl2=.*\n(.*\n)*Install=True', text.replace('\r', '')), text
    settings = loader.read_settings()
    assert settings['BaseUrl2'] == server.url and settings['Install'] == 'True'

    for marker in ('HotFixList.txt', 'ResourceList.txt'):
        assert (game_root / 'Brimvale_Data' / 'StreamingAssets' / marker).stat().st_size == 0
    record = started_game(game_root)
    assert record, 'the game client was not started'
    # Wine's process creation puts quotes around a program path with blanks in
    # the child's command line; the loader itself passes it bare.
    assert record[0].strip('"').lower() == (loader.win(game_root) + '\\' + GAME).lower(), 'nothing added'
    assert record[1].lower() == loader.win(loader.folder).lower(), "the loader's working folder"

    # Second run: the client is installed, only kind-2 entries are fetched.
    before = (loader.folder / 'setting.ini').read_bytes()
    desktop_link().unlink()
    (game_root / 'Zav3DLoader.exe').unlink()
    (game_root / 'game-started.txt').unlink()
    server.requests.clear()
    loader.start()
    assert loader.wait(timeout=90) == 0
    assert site.file_requests() == ['/Patches/patch.bin']
    assert (game_root / 'Patches' / 'patch.bin').read_bytes() == b'P' * 100
    assert not (game_root / 'Zav3DLoader.exe').exists(), 'no copy on a second run'
    assert not desktop_link().exists(), 'no shortcut on a second run'
    assert (loader.folder / 'setting.ini').read_bytes() == before, 'no write-back on a second run'
    assert started_game(game_root)


def test_everything_up_to_date_finishes_at_once(loader, server, game_root):
    site = Site(server).game()
    site.file('Data\\a.bin', b'A' * 1000)
    site.publish()
    (game_root / 'Data').mkdir()
    (game_root / 'Data' / 'a.bin').write_bytes(b'A' * 1000)
    shutil.copyfile(build_dir() / 'tools' / 'fake_game.exe', game_root / GAME)
    settings_for(loader, server, game_root, Install='True')
    loader.start()
    assert loader.wait(timeout=60) == 0
    assert site.file_requests() == []
    assert started_game(game_root)


def test_no_entry_of_the_runs_kind_jumps_to_the_end(loader, server, game_root):
    site = Site(server)
    site.file('Data\\later.bin', b'x' * 10, kind=2)
    site.publish()
    shutil.copyfile(build_dir() / 'tools' / 'fake_game.exe', game_root / GAME)
    settings_for(loader, server, game_root, AutoLauncher='False')
    loader.start()
    assert loader.wait_window()
    deadline = time.time() + 30
    while time.time() < deadline and loader.control_text(1005) != '更新完成......':
        time.sleep(0.3)
    assert loader.control_text(1005) == '更新完成......'
    assert loader.control_text(1004) == ''
    assert site.file_requests() == []
    assert started_game(game_root, timeout=2) is None, 'AutoLauncher off: nothing starts by itself'
    # The start button now has its enabled look: a click launches the game.
    assert loader.click(1001)
    assert loader.wait(timeout=30) == 0
    assert started_game(game_root)


@pytest.mark.parametrize('locale', ['zh_CN.UTF-8', 'en_US.UTF-8'])
def test_a_failing_third_download_stops_the_run(loader, server, game_root, locale):
    site = Site(server)
    for i in range(1, 6):
        site.file(f'Data\\f{i}.bin', bytes([i]) * 100)
    site.publish()
    server.add('/Data/f3.bin', 'gone', status=404)
    settings_for(loader, server, game_root)
    loader.start(locale=locale)
    # The Chinese text shows whole on a system whose ANSI code page is 1252 too.
    assert loader.msgbox() == '下载文件异常，请稍后再试！'
    assert loader.wait(timeout=30) == 1
    assert site.file_requests() == ['/Data/f1.bin', '/Data/f2.bin', '/Data/f3.bin']
    if locale.startswith('zh_CN'):
        log = (game_root / 'Log' / 'loader-error.log').read_bytes().decode('gbk')
        assert 'web 文件缺失：' + server.url + 'Data\\f3.bin' in log


def test_an_unreachable_manifest_ends_with_its_box(loader, server, game_root):
    server.add('/update.html', '1.0.0.0,' + server.url + 'x.exe')
    server.add('/Resources.txt', 'missing', status=404)
    settings_for(loader, server, game_root)
    loader.start()
    assert loader.msgbox() == '下载资源列表异常，请稍后再试！'
    assert loader.wait(timeout=30) == 0


def test_only_kind_one_lower_case_7z_is_unpacked_and_failures_keep_the_archive(loader, server, game_root, tmp_path):
    good = make_7z(tmp_path, {'inside.txt': b'in'}, 'good.7z')
    site = Site(server).game()
    site.file('Upper.7Z', make_7z(tmp_path, {'upper.txt': b'u'}, 'upper.7z'))
    site.file('Broken.7z', b'this is not an archive')
    site.file('Good.7z', good)
    site.publish()
    settings_for(loader, server, game_root)
    loader.start()
    assert loader.wait(timeout=60) == 0
    assert (game_root / 'Upper.7Z').exists() and not (game_root / 'upper.txt').exists()
    assert (game_root / 'Broken.7z').exists(), 'a failed unpacking keeps the archive'
    assert (game_root / 'inside.txt').read_bytes() == b'in' and not (game_root / 'Good.7z').exists()
    assert started_game(game_root), 'a failed unpacking does not stop the run'


def test_kind_two_archive_is_not_unpacked(loader, server, game_root, tmp_path):
    site = Site(server)
    site.file('Two.7z', make_7z(tmp_path, {'two.txt': b'2'}, 'two.7z'), kind=2)
    site.publish()
    shutil.copyfile(build_dir() / 'tools' / 'fake_game.exe', game_root / GAME)
    settings_for(loader, server, game_root, Install='True')
    loader.start()
    assert loader.wait(timeout=60) == 0
    assert (game_root / 'Two.7z').exists() and not (game_root / 'two.txt').exists()


def test_detail_line_during_a_slow_download(loader, server, game_root):
    site = Site(server).game()
    site.file('Data\\slow.bin', b'S' * 600_000, mode='slow', chunk=20_000, delay=0.1)
    site.publish()
    settings_for(loader, server, game_root, AutoLauncher='False')
    loader.start()
    assert loader.wait_window()
    pattern = re.compile(r'^下载大小：\d+\.\d\d[KM]?B/\d+\.\d\d[KM]?B 下载速度：\d+\.\d\d[KM]?B$')
    seen = []
    deadline = time.time() + 40
    while time.time() < deadline:
        detail = loader.control_text(1005)
        if detail and detail.startswith('下载大小'):
            seen.append(detail)
            if len(seen) >= 2:
                break
        time.sleep(0.4)
    assert seen, 'no progress shown during the download'
    for detail in seen:
        assert pattern.match(detail), detail
    assert loader.control_text(1004) == '正在下载文件......'
    loader.click(1000)
    assert loader.wait(timeout=20) == 0, 'closing during a download ends the process at once'
