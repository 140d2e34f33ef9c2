"""End-to-end fixtures: the real Zav3DLoader.exe under wine64 on Xvfb, against a
resource server on 127.0.0.1.

Environment (set by scripts/test, all optional):
  ZAV3D_BUILD_DIR  the win64 build folder (default: build/win64)
  WINEPREFIX       a prefix for the whole run (default: a new one in a temp folder)
  ZAV3D_E2E_DISPLAY  an X display to use instead of starting Xvfb
"""
import os
import shutil
import signal
import subprocess
import sys
import tempfile
import time
from pathlib import Path

import pytest

HERE = Path(__file__).resolve().parent
REPO = HERE.parent.parent
sys.path.insert(0, str(HERE))

from server import ResourceServer  # noqa: E402

CAPTION = 'Zav3DLoader'   # the main window's title and the caption of the update's boxes


def build_dir():
    return Path(os.environ.get('ZAV3D_BUILD_DIR', REPO / 'build' / 'win64')).resolve()


def wait_for(predicate, timeout=30):
    """Polls until predicate() holds; its last answer when time runs out."""
    end = time.time() + timeout
    while time.time() < end:
        if predicate():
            return True
        time.sleep(0.2)
    return predicate()


def win_path(path):
    """The wine (Z: drive) form of a Linux path."""
    return 'Z:' + str(Path(path).resolve()).replace('/', '\\')


class WineSession:
    """One prefix and one X display for the whole test run."""

    def __init__(self):
        self._own_prefix = None
        self._xvfb = None
        prefix = os.environ.get('WINEPREFIX')
        if not prefix:
            self._own_prefix = tempfile.mkdtemp(prefix='zav3d-e2e-')
            prefix = os.path.join(self._own_prefix, 'prefix')
        self.prefix = Path(prefix)
        env = dict(os.environ)
        env.update(WINEPREFIX=str(self.prefix), WINEDEBUG='-all', WINEARCH='win64', LC_ALL='zh_CN.UTF-8')
        env.pop('WINEDLLOVERRIDES', None)
        display = os.environ.get('ZAV3D_E2E_DISPLAY')
        if not display:
            display = self._start_xvfb()
        env['DISPLAY'] = display
        self.env = env
        subprocess.run(['bash', '-c', f'source "{REPO}/scripts/wine-env.sh" && zav3d_wine_init "$WINEPREFIX"'],
                       env=env, check=True, timeout=300)
        # Keep one wineserver alive for the run: every program then starts in ~0.1 s.
        self._keeper = subprocess.Popen(['wineserver', '-p', '-f'], env=env,
                                        stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        self.user = self._wine_user()

    def _start_xvfb(self):
        for n in range(140, 240):
            if os.path.exists(f'/tmp/.X11-unix/X{n}') or os.path.exists(f'/tmp/.X{n}-lock'):
                continue
            proc = subprocess.Popen(['Xvfb', f':{n}', '-screen', '0', '1280x800x24', '-nolisten', 'tcp'],
                                    stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
            for _ in range(50):
                if os.path.exists(f'/tmp/.X11-unix/X{n}'):
                    self._xvfb = proc
                    return f':{n}'
                if proc.poll() is not None:
                    break
                time.sleep(0.1)
            proc.kill()
        raise RuntimeError('no free X display for Xvfb')

    def _wine_user(self):
        users = self.prefix / 'drive_c' / 'users'
        names = [p.name for p in users.iterdir() if p.name not in ('Public', 'public')] if users.exists() else []
        return names[0] if names else os.environ.get('USER', 'root')

    @property
    def local_appdata(self):
        return self.prefix / 'drive_c' / 'users' / self.user / 'AppData' / 'Local'

    @property
    def desktop(self):
        return self.prefix / 'drive_c' / 'users' / self.user / 'Desktop'

    def close(self):
        subprocess.run(['wineserver', '-k'], env=self.env, timeout=30)
        if self._keeper.poll() is None:
            self._keeper.kill()
        self._keeper.wait(timeout=10)
        if self._xvfb:
            self._xvfb.send_signal(signal.SIGTERM)
            try:
                self._xvfb.wait(timeout=10)
            except subprocess.TimeoutExpired:
                self._xvfb.kill()
        if self._own_prefix:
            shutil.rmtree(self._own_prefix, ignore_errors=True)


@pytest.fixture(scope='session')
def wine():
    if not (build_dir() / 'bin' / 'Zav3DLoader.exe').exists():
        pytest.exit(f'no loader in {build_dir()}: build the win64 preset first', returncode=2)
    session = WineSession()
    yield session
    session.close()


@pytest.fixture
def server(tmp_path):
    root = tmp_path / 'server-root'
    root.mkdir()
    srv = ResourceServer(str(root)).start()
    yield srv
    srv.stop()


class Loader:
    """One loader installed in a fresh folder, run under the session's wine."""

    def __init__(self, wine, folder):
        self.wine = wine
        self.folder = Path(folder)
        self.folder.mkdir(parents=True, exist_ok=True)
        self.exe_name = 'Zav3DLoader.exe'
        self.proc = None
        self.tools = build_dir() / 'tools'
        self.install_exe(build_dir() / 'bin' / 'Zav3DLoader.exe')

    # -- set-up ---------------------------------------------------------------
    def install_exe(self, source, name=None):
        if name:
            self.exe_name = name
        shutil.copyfile(source, self.exe)

    @property
    def exe(self):
        return self.folder / self.exe_name

    def write_settings(self, encoding='utf-16', **keys):
        """setting.ini beside the loader, section Root, keys in the given order."""
        lines = ['[Root]'] + [f'{k}={v}' for k, v in keys.items()]
        text = '\r\n'.join(lines) + '\r\n'
        (self.folder / 'setting.ini').write_bytes(text.encode(encoding))

    def read_settings(self, path=None):
        raw = Path(path or self.folder / 'setting.ini').read_bytes()
        if raw.startswith(b'\xff\xfe'):
            text = raw.decode('utf-16')
        else:
            try:
                text = raw.decode('utf-8')
            except UnicodeDecodeError:
                text = raw.decode('gbk')
        values = {}
        for line in text.splitlines():
            if '=' in line:
                k, v = line.split('=', 1)
                values[k.strip()] = v.strip()
        return values

    def no_network(self):
        """The fake network-state DLL beside the loader: IsNetworkAlive says no."""
        shutil.copyfile(self.tools / 'nonetwork' / 'sensapi.dll', self.folder / 'sensapi.dll')

    # -- running --------------------------------------------------------------
    def start(self, env=None, locale=None):
        run_env = dict(self.wine.env)
        if (self.folder / 'sensapi.dll').exists():
            run_env['WINEDLLOVERRIDES'] = 'sensapi=n,b'
        if locale:
            run_env['LC_ALL'] = locale
        run_env.update(env or {})
        self.proc = subprocess.Popen(['wine', str(self.exe)], cwd=str(self.folder), env=run_env,
                                     stdout=subprocess.PIPE, stderr=subprocess.DEVNULL)
        return self.proc

    def wait(self, timeout=60):
        """The loader's exit code; fails the test when it does not end in time."""
        try:
            self.proc.wait(timeout=timeout)
        except subprocess.TimeoutExpired:
            self.kill()
            pytest.fail(f'the loader did not end within {timeout} s')
        return self.proc.returncode

    def running(self):
        return self.proc is not None and self.proc.poll() is None

    def kill(self):
        if self.running():
            self.proc.kill()
            self.proc.wait(timeout=10)

    def tool(self, *args, timeout=30, env=None):
        run_env = dict(self.wine.env)
        run_env.update(env or {})
        result = subprocess.run(['wine', str(self.tools / 'wintool.exe'), *map(str, args)], env=run_env,
                                stdout=subprocess.PIPE, stderr=subprocess.DEVNULL, timeout=timeout)
        return result.returncode, result.stdout.decode('utf-8', 'replace').strip()

    def msgbox(self, caption=CAPTION, timeout=30):
        """Waits for a message box with that caption, presses OK and returns its text (None: no box)."""
        code, text = self.tool('msgbox', caption, int(timeout * 1000), timeout=timeout + 15)
        return text if code == 0 else None

    def wait_window(self, title=CAPTION, timeout=30):
        code, text = self.tool('wait', title, int(timeout * 1000), timeout=timeout + 15)
        if code != 0:
            return None
        rect = text.splitlines()[0].split()[1:]
        return tuple(int(v) for v in rect)

    def control_text(self, control_id, title=CAPTION):
        code, text = self.tool('text', title, control_id)
        return text if code == 0 else None

    def click(self, control_id, title=CAPTION):
        return self.tool('command', title, control_id)[0] == 0

    def screenshot(self, path):
        subprocess.run(['import', '-window', 'root', str(path)], env=self.wine.env, check=True, timeout=30)
        return path

    # -- what the player's machine holds ---------------------------------------
    @property
    def user_folder(self):
        """The per-user client root folder (FolderPath %AppData%)."""
        return self.wine.local_appdata / 'Qelo' / 'Brimvale'

    def win(self, path):
        return win_path(path)


@pytest.fixture
def loader(wine, tmp_path):
    # The per-user folder and the desktop belong to the whole prefix: start every test without them.
    shutil.rmtree(wine.local_appdata / 'Qelo', ignore_errors=True)
    inst = Loader(wine, tmp_path / 'game loader')
    yield inst
    inst.kill()
    shutil.rmtree(wine.local_appdata / 'Qelo', ignore_errors=True)
