"""The loader replacing itself: the version page, the download of the newer
loader, the update script that swaps the executables after the loader has
ended, and every way that can fail, as a player sees it."""
import re
import struct
from pathlib import Path

import pytest

from conftest import REPO, Loader, build_dir, wait_for

MANIFEST_FAILED = '下载资源列表异常，请稍后再试！'
VERSION_FAILED = '获取版本信息异常，请稍后再试！'
DOWNLOAD_FAILED = '获取最新版更新程序失败,请稍后再试...'
NETWORK_FAILED = '网络异常，请稍后再试！'

pytestmark = pytest.mark.skipif(
    'RunVersionCheck' not in (REPO / 'src' / 'app' / 'pipeline.cpp').read_text(encoding='utf-8'),
    reason='the update pipeline does not run the version check yet')


def product_version(exe):
    """The product version from the fixed part of an executable's version resource."""
    data = Path(exe).read_bytes()
    at = data.find(struct.pack('<I', 0xFEEF04BD))
    assert at >= 0, f'{exe} has no version resource'
    ms, ls = struct.unpack_from('<II', data, at + 16)
    return (ms >> 16, ms & 0xFFFF, ls >> 16, ls & 0xFFFF)


def text(version):
    return '.'.join(map(str, version))


def without_version_resource(source, target):
    """A copy of the executable whose version resource cannot be found: the
    RT_VERSION entry of the root resource directory gets another type id."""
    data = bytearray(Path(source).read_bytes())
    pe = struct.unpack_from('<I', data, 0x3C)[0]
    sections = struct.unpack_from('<H', data, pe + 6)[0]
    optional_size = struct.unpack_from('<H', data, pe + 20)[0]
    optional = pe + 24
    magic = struct.unpack_from('<H', data, optional)[0]
    directories = optional + (112 if magic == 0x20B else 96)
    rsrc_rva = struct.unpack_from('<I', data, directories + 2 * 8)[0]
    table = optional + optional_size
    for i in range(sections):
        va, raw_size, raw_ptr = struct.unpack_from('<III', data, table + i * 40 + 12)
        if va <= rsrc_rva < va + raw_size:
            root = rsrc_rva - va + raw_ptr
            break
    else:
        raise AssertionError('no resource section')
    named, ids = struct.unpack_from('<HH', data, root + 12)
    entries = root + 16 + named * 8
    type_ids = [struct.unpack_from('<I', data, entries + i * 8)[0] for i in range(ids)]
    index = type_ids.index(16)
    # 17 keeps the ids sorted (the loader looks types up by binary search) unless 17 is taken.
    assert 17 not in type_ids
    struct.pack_into('<I', data, entries + index * 8, 17)
    Path(target).write_bytes(bytes(data))


def next_loader():
    return build_dir() / 'bin' / 'next' / 'Zav3DLoader.exe'


@pytest.fixture
def game_root(tmp_path):
    root = tmp_path / 'game root'
    root.mkdir()
    return root


def configure(loader, server, game_root, page):
    """AutoUpdate on, the version page as given, and no manifest: a loader that
    carries on past the version check ends with the manifest's box."""
    server.add('/update.html', page)
    server.add('/Resources.txt', 'missing', status=404)
    loader.write_settings(BaseUrl2=server.url, AutoUpdate='True', FolderPath=loader.win(game_root),
                          AutoLauncher='False')


def caption_of(loader):
    return Path(loader.exe_name).stem


@pytest.mark.parametrize('folder,name,locale', [
    ('game loader', 'Zav3DLoader.exe', None),
    # Code page 936 in the script, and a name other than the published one.
    ('游戏 登录器 (x86)', '我的 Loader.exe', None),
    # Code page 1252 cannot spell the folder: the script names it by its short form.
    ('游戏 登录器 (x86)', 'My Loader.exe', 'en_US.UTF-8'),
])
def test_newer_loader_replaces_the_running_one_and_starts(wine, server, game_root, tmp_path, folder, name, locale):
    loader = Loader(wine, tmp_path / folder)
    try:
        if name != loader.exe_name:
            loader.exe.unlink()
            loader.install_exe(build_dir() / 'bin' / 'Zav3DLoader.exe', name)
        newer = product_version(next_loader())
        assert newer > product_version(loader.exe)
        server.add('/download/Zav3DLoader.exe', next_loader().read_bytes())
        configure(loader, server, game_root, f'{text(newer)}, {server.url}download/Zav3DLoader.exe \r\n')

        loader.start(locale=locale)
        assert loader.wait(timeout=60) == 0, 'the old loader ends with code 0 once the script runs'

        # The script waits for the old loader to go, swaps the files and starts the new one,
        # which finds no newer version and carries on to the manifest.
        assert loader.msgbox(caption_of(loader), timeout=60) == MANIFEST_FAILED
        assert loader.exe.read_bytes() == next_loader().read_bytes(), 'the running name now holds the new loader'
        assert wait_for(lambda: not (loader.folder / 'NewFile.exe').exists()), 'NewFile.exe left behind'
        assert wait_for(lambda: not (loader.folder / 'update.bat').exists()), 'the script did not delete itself'
        assert sorted(p.name for p in loader.folder.iterdir()) == sorted([name, 'setting.ini'])
        assert server.paths() == ['/update.html', '/download/Zav3DLoader.exe', '/update.html', '/Resources.txt']
    finally:
        loader.kill()


@pytest.mark.parametrize('offered', ['same', 'older'])
def test_equal_or_older_server_version_downloads_nothing(loader, server, game_root, offered):
    running = product_version(loader.exe)
    version = running if offered == 'same' else (0, 9, 9, 9)
    server.add('/download/Zav3DLoader.exe', next_loader().read_bytes())
    configure(loader, server, game_root, f'{text(version)},{server.url}download/Zav3DLoader.exe')
    before = loader.exe.read_bytes()

    loader.start()
    assert loader.msgbox() == MANIFEST_FAILED
    assert loader.wait() == 0
    assert server.paths() == ['/update.html', '/Resources.txt']
    assert loader.exe.read_bytes() == before
    assert not (loader.folder / 'NewFile.exe').exists() and not (loader.folder / 'update.bat').exists()


def test_missing_new_loader_shows_the_download_box(loader, server, game_root):
    configure(loader, server, game_root, f'9.0.0.0,{server.url}download/missing.exe')
    before = loader.exe.read_bytes()
    loader.start()
    assert loader.msgbox('异常：') == DOWNLOAD_FAILED
    assert loader.wait() == 0
    assert server.paths() == ['/update.html', '/download/missing.exe']
    assert loader.exe.read_bytes() == before
    assert not (loader.folder / 'update.bat').exists()


def test_published_file_that_is_not_a_newer_loader_is_not_swapped_in(loader, server, game_root):
    # The page announces a newer version but the file is the running one: swapping
    # it in would restart into the same offer again and again.
    server.add('/download/Zav3DLoader.exe', loader.exe.read_bytes())
    configure(loader, server, game_root, f'9.0.0.0,{server.url}download/Zav3DLoader.exe')
    loader.start()
    assert loader.msgbox('异常：') == DOWNLOAD_FAILED
    assert loader.wait() == 0
    assert not (loader.folder / 'update.bat').exists()
    assert server.paths().count('/update.html') == 1


def test_folder_without_write_access_for_the_script(loader, server, game_root):
    # A folder named update.bat cannot be opened as a file: the script cannot be created.
    (loader.folder / 'update.bat').mkdir()
    server.add('/download/Zav3DLoader.exe', next_loader().read_bytes())
    configure(loader, server, game_root, f'{text(product_version(next_loader()))},{server.url}download/Zav3DLoader.exe')
    before = loader.exe.read_bytes()
    loader.start()
    assert loader.msgbox('错误提示：') == '请用管理员权限运行！'
    assert loader.wait() == 0
    assert loader.exe.read_bytes() == before
    assert (loader.folder / 'update.bat').is_dir()


def test_network_error_during_the_download(loader, server, game_root):
    server.add('/download/Zav3DLoader.exe', b'MZ' + b'\0' * 5000, mode='reset')
    configure(loader, server, game_root, f'9.0.0.0,{server.url}download/Zav3DLoader.exe')
    before = loader.exe.read_bytes()
    loader.start()
    assert loader.msgbox() == NETWORK_FAILED
    assert loader.wait() == 0
    assert loader.exe.read_bytes() == before
    assert not (loader.folder / 'update.bat').exists()


@pytest.mark.parametrize('page', [
    '1.0.0,http://127.0.0.1/x.exe',      # three fields
    '1.0.0.1.2,http://127.0.0.1/x.exe',  # five fields
    '9.0.0.0',                           # no URL field
    '<html><body>It works!</body></html>',
])
def test_malformed_version_page_fails_the_check(loader, server, game_root, page):
    configure(loader, server, game_root, page)
    loader.start()
    assert loader.msgbox() == VERSION_FAILED
    assert loader.wait() == 0
    assert server.paths() == ['/update.html']


def test_unreachable_version_page_fails_the_check(loader, server, game_root):
    configure(loader, server, game_root, '')
    server.add('/update.html', 'gone', status=404)
    loader.start()
    assert loader.msgbox() == VERSION_FAILED
    assert loader.wait() == 0


def test_loader_without_version_resource_does_not_update_itself(loader, server, game_root):
    without_version_resource(build_dir() / 'bin' / 'Zav3DLoader.exe', loader.exe)
    server.add('/download/Zav3DLoader.exe', next_loader().read_bytes())
    configure(loader, server, game_root, f'65535.0.0.0,{server.url}download/Zav3DLoader.exe')
    loader.start()
    assert loader.msgbox() == MANIFEST_FAILED, 'it carries on with the content update'
    assert loader.wait() == 0
    assert server.paths() == ['/update.html', '/Resources.txt']
    log = (game_root / 'Log' / 'loader-error.log').read_bytes().decode('gbk')
    assert re.search(r'no self-update: .*Zav3DLoader\.exe has no readable version resource', log), log


def test_loader_name_the_code_page_cannot_spell_does_not_update_itself(wine, server, game_root, tmp_path):
    # A script naming "?? Loader.exe" would find nothing to replace once the loader has
    # gone, and every start would download and quit again: carry on instead.
    loader = Loader(wine, tmp_path / 'game loader')
    try:
        loader.exe.unlink()
        loader.install_exe(build_dir() / 'bin' / 'Zav3DLoader.exe', '我的 Loader.exe')
        server.add('/download/Zav3DLoader.exe', next_loader().read_bytes())
        configure(loader, server, game_root, f'{text(product_version(next_loader()))},{server.url}download/Zav3DLoader.exe')
        loader.start(locale='en_US.UTF-8')
        assert loader.msgbox(caption_of(loader)) == MANIFEST_FAILED
        assert loader.wait() == 0
        assert server.paths() == ['/update.html', '/Resources.txt']
        assert not (loader.folder / 'update.bat').exists()
        log = (game_root / 'Log' / 'loader-error.log').read_bytes().decode('cp1252', 'replace')
        assert 'cannot be named in the ANSI code page 1252' in log, log
    finally:
        loader.kill()
