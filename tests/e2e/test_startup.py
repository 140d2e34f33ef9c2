"""Start-up as a player sees it: the network check, where the settings and the
client root folder come from, and the close button."""
import time

import pytest

from conftest import wait_for


def test_no_network_shows_one_box_and_creates_nothing(loader):
    loader.no_network()
    loader.start()
    assert loader.msgbox('错误') == '当前网络不可用,请稍后再试。'
    assert loader.wait() == 0
    assert not (loader.folder / 'setting.ini').exists()
    assert not (loader.folder / 'Log').exists()
    assert not loader.user_folder.parent.exists(), 'the per-user folder must not be made without a network'
    assert loader.msgbox('错误', timeout=1) is None, 'exactly one box'


def test_first_start_uses_the_per_user_folder_and_writes_nothing(loader, server):
    # No setting.ini: the defaults apply and the client root folder is the per-user one.
    loader.start()
    assert wait_for(lambda: loader.user_folder.is_dir()), 'per-user folder not created'
    assert wait_for(lambda: (loader.user_folder / 'Log').is_dir()), 'log folder not created under the client root'
    # The built-in server address is not served here: whatever the loader says, answer it, then close.
    if loader.wait_window(timeout=5):
        loader.msgbox(timeout=5)
    if loader.running():
        loader.click(1000)
    loader.wait()
    assert not (loader.folder / 'setting.ini').exists()
    assert not (loader.user_folder / 'setting.ini').exists(), 'loading must not write the settings file'


@pytest.mark.parametrize('form', ['.', '', '%AppData%', '%APPDATA%', 'explicit'])
def test_folder_path_forms_give_the_client_root_folder(loader, server, tmp_path, form):
    if form == 'explicit':
        target = tmp_path / 'Other Place' / 'Game'
        value = loader.win(tmp_path) + '\\Other Place\\Game'
        # The loader keeps the setting in lower case; the file system here is case-sensitive.
        expected = tmp_path / 'other place' / 'game'
    elif form in ('.', ''):
        value, expected = form, loader.folder
    else:
        value, expected = form, loader.user_folder
    loader.write_settings(BaseUrl2=server.url, AutoUpdate='False', FolderPath=value)
    loader.start()
    assert loader.wait_window(), 'the window did not appear'
    assert wait_for(lambda: (expected / 'Log').is_dir()), f'no Log folder in {expected}'
    if form == 'explicit':
        assert not target.exists() or target == expected
    if form in ('.', ''):
        assert not loader.user_folder.exists(), 'the per-user folder is only for %AppData%'
    loader.click(1000)
    assert loader.wait() == 0


def test_close_button_ends_with_code_0_and_auto_update_off_asks_nothing(loader, server):
    loader.write_settings(BaseUrl2=server.url, AutoUpdate='false', FolderPath='.')
    loader.start()
    assert loader.wait_window()
    time.sleep(1)
    assert loader.control_text(1004) == '' and loader.control_text(1005) == '', 'template sample texts must not show'
    assert loader.click(1000)
    assert loader.wait(timeout=20) == 0
    assert server.requests == [], 'AutoUpdate off must not make a single request'
