"""The manifest and per-file checks through the real loader: what a hostile
manifest, a byte-order mark and a file whose bytes are not the listed ones do
to a run, and that the boxes read right on any code page."""
import hashlib
import re

import pytest

from conftest import wait_for


def md5(data):
    return hashlib.md5(data).hexdigest()


def publish(server, entries, prefix=b''):
    """entries: (name, data, kind); every file is served under its slash form."""
    server.add('/update.html', '1.0.0.0,' + server.url + 'Zav3DLoader.exe')
    for name, data, _ in entries:
        server.add('/' + name.replace('\\', '/'), data)
    lines = [f'{n},{md5(d)},{len(d)},{k}' for n, d, k in entries]
    server.add('/Resources.txt', prefix + ('\r\n'.join(lines) + '\r\n').encode('utf-8'))


@pytest.fixture
def game_root(tmp_path):
    root = tmp_path / 'game root'
    root.mkdir()
    return root


def start(loader, server, game_root, locale=None):
    loader.write_settings(BaseUrl2=server.url, FolderPath=loader.win(game_root), AutoLauncher='False')
    loader.start(locale=locale)


def error_log(game_root):
    path = game_root / 'Log' / 'loader-error.log'
    return path.read_bytes().decode('gbk') if path.exists() else ''


def file_requests(server):
    return [p for p in server.paths() if p not in ('/update.html', '/Resources.txt')]


def test_a_name_outside_the_game_folder_fails_the_manifest(loader, server, game_root):
    publish(server, [('Data\\a.bin', b'a', 1), ('..\\..\\evil.exe', b'MZ', 1), ('Data\\b.bin', b'b', 1)])
    start(loader, server, game_root)
    assert loader.msgbox() == '下载资源列表异常，请稍后再试！'
    assert loader.wait(timeout=30) == 0
    assert file_requests(server) == [], 'nothing of that manifest may be downloaded'
    assert not (game_root / 'Data').exists()
    assert not (game_root.parent.parent / 'evil.exe').exists()
    assert '..\\..\\evil.exe' in error_log(game_root)


def test_a_byte_order_mark_stays_out_of_names(loader, server, game_root):
    publish(server, [('first.bin', b'first bytes', 1)], prefix=b'\xef\xbb\xbf')
    start(loader, server, game_root)
    target = game_root / 'first.bin'
    assert wait_for(lambda: target.exists() and target.read_bytes() == b'first bytes'), \
        'first.bin was not downloaded under its own name'
    loader.kill()
    assert file_requests(server) == ['/first.bin']
    assert [p.name for p in game_root.iterdir() if p.name.endswith('first.bin')] == ['first.bin']


@pytest.mark.parametrize('locale', ['zh_CN.UTF-8', 'en_US.UTF-8'])
def test_bytes_that_are_not_the_listed_ones_fail_the_download(loader, server, game_root, locale):
    publish(server, [('Data\\a.bin', b'listed bytes', 1)])
    server.add('/Data/a.bin', b'other bytes')  # a stale copy on the server
    start(loader, server, game_root, locale=locale)
    # The box reads right whatever the system's ANSI code page is.
    assert loader.msgbox() == '下载文件异常，请稍后再试！'
    assert loader.wait(timeout=30) == 1
    if locale.startswith('zh_CN'):
        assert '文件校验失败：' + server.url + 'Data\\a.bin' in error_log(game_root)


def test_each_download_is_logged_once_in_a_fresh_log(loader, server, game_root):
    publish(server, [('Data\\a.bin', b'a' * 3000, 1), ('b.bin', b'b' * 10, 1)])
    (game_root / 'Log').mkdir()
    (game_root / 'Log' / 'loader-download.log').write_bytes(b'a record of an earlier run\n\r\n')
    start(loader, server, game_root)
    log = game_root / 'Log' / 'loader-download.log'
    expected = [f'download -> {server.url}Data\\a.bin', f'download -> {server.url}b.bin']

    def records():
        text = log.read_bytes().decode('gbk') if log.exists() else ''
        return text.split('\n\r\n')

    assert wait_for(lambda: len(records()) == 3), records()
    loader.kill()
    parts = records()
    assert parts[-1] == '', 'every record ends in LF CR LF'
    assert [p[26:] for p in parts[:-1]] == expected
    for p in parts[:-1]:
        assert re.fullmatch(r'\[\d{4}-\d\d-\d\d \d\d:\d\d:\d\d\.\d{3}\] ', p[:26]), p
    assert not (game_root / 'Log' / 'loader-error.log').exists()
