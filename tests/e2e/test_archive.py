"""7z extraction: ExtractArchive run under wine by tools/extract_tool.exe on
archives that each test builds with the 7z command line or py7zr.

extract_tool prints the entry listing on standard output (OEM code page, 936
here) and its report as key=value lines on standard error."""
import hashlib
import os
import random
import shutil
import stat
import subprocess
from pathlib import Path

import py7zr
import pytest

from conftest import build_dir, win_path


def payload(seed, size):
    return random.Random(seed).randbytes(size)


def text_payload(seed, size):
    rng = random.Random(seed)
    return bytes(rng.choice(b'abcdefghij \n') for _ in range(size))


class Outcome:
    def __init__(self, stdout, stderr):
        self.report = {}
        for line in stderr.decode('ascii', 'replace').splitlines():
            key, sep, value = line.strip().partition('=')
            if sep and key.isidentifier():
                self.report[key] = value
        assert 'result' in self.report, stderr.decode('utf-8', 'replace')
        self.result = int(self.report['result'])
        self.listing = stdout.decode('gbk').splitlines()

    def stat(self, key):
        return int(self.report[key])


@pytest.fixture
def extract(wine, tmp_path_factory):
    tool = build_dir() / 'tools' / 'extract_tool.exe'
    logs = tmp_path_factory.mktemp('extract-tool')

    def run(archive, folder, *options):
        # Files, not pipes: wine's own background processes may inherit the
        # handles and keep a pipe open long after the tool has ended.
        out, err = logs / 'stdout', logs / 'stderr'
        with open(out, 'wb') as stdout, open(err, 'wb') as stderr:
            subprocess.run(['wine', str(tool), win_path(archive), win_path(folder), *map(str, options)],
                           env=wine.env, stdout=stdout, stderr=stderr, timeout=300)
        return Outcome(out.read_bytes(), err.read_bytes())
    return run


def write_tree(root, files):
    """files: name -> bytes, or None for a folder."""
    for name, data in files.items():
        path = Path(root) / name
        if data is None:
            path.mkdir(parents=True, exist_ok=True)
        else:
            path.parent.mkdir(parents=True, exist_ok=True)
            path.write_bytes(data)


def seven_zip(archive, source, names, *switches):
    """The 7z command line, run in `source`, adding `names` as given."""
    subprocess.run(['7z', 'a', '-bd', '-y', *switches, str(archive), *names], cwd=source, check=True,
                   stdout=subprocess.DEVNULL, timeout=300)
    return archive


def technical_listing(archive):
    out = subprocess.run(['7z', 'l', '-slt', str(archive)], check=True, stdout=subprocess.PIPE).stdout.decode()
    return out


def snapshot(root):
    """Every file and folder under root with its bytes and mode."""
    result = {}
    for dirpath, dirnames, filenames in os.walk(root):
        for name in dirnames:
            result[os.path.relpath(os.path.join(dirpath, name), root)] = 'folder'
        for name in filenames:
            path = os.path.join(dirpath, name)
            result[os.path.relpath(path, root)] = (Path(path).read_bytes(), os.stat(path).st_mode)
    return result


def files_under(root):
    return {str(p.relative_to(root)).replace(os.sep, '/'): p.read_bytes()
            for p in Path(root).rglob('*') if p.is_file()}


def folders_under(root):
    return {str(p.relative_to(root)).replace(os.sep, '/') for p in Path(root).rglob('*') if p.is_dir()}


# -- coders ---------------------------------------------------------------------------------

METHODS = {
    'copy': (['-m0=Copy'], 'Copy'),
    'lzma': (['-m0=LZMA'], 'LZMA:'),
    'lzma2': (['-m0=LZMA2'], 'LZMA2:'),
    'x86': (['-m0=BCJ', '-m1=LZMA2'], 'BCJ'),
    'arm': (['-m0=ARM', '-m1=LZMA'], 'ARM'),
    'bcj2': (['-m0=BCJ2', '-m1=LZMA:d20', '-m2=LZMA:d19', '-m3=LZMA:d19', '-mb0:1', '-mb0s1:2', '-mb0s2:3'],
             'BCJ2'),
}


@pytest.mark.parametrize('method', METHODS)
def test_every_coder_the_loader_needs_round_trips(extract, tmp_path, method):
    switches, token = METHODS[method]
    # Random bytes are full of the call and branch patterns the filters rewrite.
    files = {'program.exe': payload(1, 300_000), 'docs/readme.txt': text_payload(2, 20_000)}
    write_tree(tmp_path / 'src', files)
    archive = seven_zip(tmp_path / 'm.7z', tmp_path / 'src', ['program.exe', 'docs'], *switches)
    methods = [line for line in technical_listing(archive).splitlines() if line.startswith('Method = ')]
    assert any(token in line for line in methods), methods
    out = tmp_path / 'out'
    out.mkdir()

    outcome = extract(archive, out)

    assert outcome.result == 0
    assert files_under(out) == files
    assert sorted(outcome.listing) == ['docs', 'docs/readme.txt', 'program.exe']


@pytest.mark.parametrize('method', ['PPMd', 'BZip2', 'Deflate'])
def test_a_method_the_decoder_lacks_is_unsupported_and_writes_nothing(extract, tmp_path, method):
    write_tree(tmp_path / 'src', {'a/data.txt': text_payload(3, 5000)})
    archive = seven_zip(tmp_path / 'u.7z', tmp_path / 'src', ['a/data.txt'], f'-m0={method}')
    out = tmp_path / 'out'
    out.mkdir()

    assert extract(archive, out).result == 4
    assert snapshot(out) == {}


def test_a_large_file_is_written_whole(extract, tmp_path):
    # Larger than two 4 MiB write chunks, and not a multiple of one.
    data = payload(4, 9 * 1024 * 1024 + 123)
    write_tree(tmp_path / 'src', {'big.bin': data})
    archive = seven_zip(tmp_path / 'big.7z', tmp_path / 'src', ['big.bin'], '-m0=Copy')
    out = tmp_path / 'out'
    out.mkdir()

    assert extract(archive, out).result == 0
    assert hashlib.md5((out / 'big.bin').read_bytes()).digest() == hashlib.md5(data).digest()


# -- folders, names and what is already there -----------------------------------------------

@pytest.mark.parametrize('folder_entries', [True, False], ids=['with-folder-entries', 'files-only'])
def test_folders_are_made_along_every_name(extract, tmp_path, folder_entries):
    files = {'a/b/c.txt': b'c', 'a/d.txt': b'd', '资源/说明.txt': '中文'.encode('utf-8'), 'empty.txt': b''}
    write_tree(tmp_path / 'src', files)
    names = ['a', '资源', 'empty.txt'] if folder_entries else list(files)
    archive = seven_zip(tmp_path / 'n.7z', tmp_path / 'src', names)
    listed = 'Path = a/b\n' in technical_listing(archive)
    assert listed == folder_entries, 'the fixture must (not) list the folders'
    out = tmp_path / 'out'
    out.mkdir()

    outcome = extract(archive, out)

    assert outcome.result == 0
    assert files_under(out) == files
    assert folders_under(out) == {'a', 'a/b', '资源'}
    expected_listing = set(files) | ({'a', 'a/b', '资源'} if folder_entries else set())
    assert set(outcome.listing) == expected_listing


def test_existing_folders_are_kept_and_existing_files_replaced(extract, tmp_path):
    write_tree(tmp_path / 'src', {'a/new.txt': b'new', 'a/b': None, 'top.txt': b'short'})
    archive = seven_zip(tmp_path / 'e.7z', tmp_path / 'src', ['a', 'top.txt'])
    assert 'Path = a\n' in technical_listing(archive), 'the fixture must hold the directory entry "a"'
    out = tmp_path / 'out'
    write_tree(out, {'a/keep.txt': b'mine', 'a/b/deeper.txt': b'mine too', 'top.txt': b'a much longer old text'})

    assert extract(archive, out).result == 0
    assert files_under(out) == {'a/keep.txt': b'mine', 'a/b/deeper.txt': b'mine too', 'a/new.txt': b'new',
                                'top.txt': b'short'}


def test_read_only_is_applied_and_a_read_only_file_is_not_replaced(extract, tmp_path):
    src = tmp_path / 'src'
    write_tree(src, {'free.txt': b'free', 'locked.txt': b'locked v2', 'zlast.txt': b'last'})
    os.chmod(src / 'locked.txt', 0o444)
    archive = seven_zip(tmp_path / 'r.7z', src, ['free.txt', 'locked.txt', 'zlast.txt'])
    out = tmp_path / 'out'
    out.mkdir()

    assert extract(archive, out).result == 0
    assert not os.stat(out / 'locked.txt').st_mode & stat.S_IWUSR, 'the read-only attribute was not applied'
    # Unix-made archives carry the file mode in the high attribute bits: a
    # writable file must stay an ordinary writable file.
    assert os.stat(out / 'free.txt').st_mode & stat.S_IWUSR

    # A second run meets the read-only file: creation fails and the run stops there.
    (out / 'zlast.txt').unlink()
    (out / 'free.txt').write_bytes(b'changed')
    outcome = extract(archive, out)
    assert outcome.result == 7
    assert (out / 'free.txt').read_bytes() == b'free', 'entries before the failure are written'
    assert (out / 'locked.txt').read_bytes() == b'locked v2'
    assert not (out / 'zlast.txt').exists(), 'entries after the failure are not'


def dos_attributes(path):
    """The attributes wine keeps beside a file (0 when it keeps none)."""
    try:
        return int(os.getxattr(path, 'user.DOSATTRIB').split(b'\0')[0], 16)
    except OSError:
        return 0


HIDDEN, SYSTEM = 0x2, 0x4


def test_replaced_files_end_with_the_entry_attributes(extract, tmp_path):
    src = tmp_path / 'src'
    write_tree(src, {'plain.txt': b'plain v2', 'sealed.txt': b'sealed v2'})
    os.chmod(src / 'sealed.txt', 0o444)
    archive = seven_zip(tmp_path / 'a.7z', src, ['plain.txt', 'sealed.txt'])
    out = tmp_path / 'out'
    write_tree(out, {'plain.txt': b'old', 'sealed.txt': b'old'})
    os.setxattr(out / 'plain.txt', 'user.DOSATTRIB', b'0x6')  # hidden and system, as Windows would mark it
    assert dos_attributes(out / 'plain.txt') == HIDDEN | SYSTEM

    assert extract(archive, out).result == 0
    assert files_under(out) == {'plain.txt': b'plain v2', 'sealed.txt': b'sealed v2'}
    assert dos_attributes(out / 'plain.txt') & (HIDDEN | SYSTEM) == 0, 'flags the entry lacks were kept'
    assert not os.stat(out / 'sealed.txt').st_mode & stat.S_IWUSR, 'a replaced file kept its old attributes'


def test_a_file_where_a_folder_stands_cannot_be_created(extract, tmp_path):
    write_tree(tmp_path / 'src', {'a/x.txt': b'x'})
    archive = seven_zip(tmp_path / 'f.7z', tmp_path / 'src', ['a/x.txt'])
    out = tmp_path / 'out'
    write_tree(out, {'a/x.txt/inside.txt': b'mine'})

    assert extract(archive, out).result == 7
    assert files_under(out) == {'a/x.txt/inside.txt': b'mine'}


# -- archives that are not what they claim ----------------------------------------------------

def damaged(kind, path):
    if kind == 'missing':
        return path.parent / 'no such.7z'
    if kind == 'not-an-archive':
        path.write_bytes(b'<html>404 Not Found</html>\n')
        return path
    data = bytearray(path.read_bytes())
    if kind == 'truncated':
        path.write_bytes(bytes(data[:len(data) // 2]))
    elif kind == 'corrupted':
        data[32 + 1000] ^= 0x55   # inside the packed stream, which starts after the 32-byte header
        path.write_bytes(bytes(data))
    return path


@pytest.mark.parametrize('kind, codes', [
    ('missing', {6}),
    ('not-an-archive', {17}),
    ('truncated', {6}),            # the database lies past the end of the file
    ('corrupted', {1, 3}),         # a data error, or bytes that fail their CRC
])
def test_a_bad_archive_fails_writes_nothing_and_stays(extract, tmp_path, kind, codes):
    write_tree(tmp_path / 'src', {'a.bin': payload(5, 50_000)})
    archive = seven_zip(tmp_path / 'bad.7z', tmp_path / 'src', ['a.bin'], '-m0=LZMA')
    archive = damaged(kind, archive)
    before = archive.read_bytes() if archive.exists() else None
    out = tmp_path / 'out'
    out.mkdir()

    outcome = extract(archive, out, '--stats')

    assert outcome.result in codes
    assert snapshot(out) == {}
    assert (archive.read_bytes() if archive.exists() else None) == before
    assert outcome.stat('leaked') == 0 and outcome.stat('archive_closed') == 1


# -- solid blocks and memory ------------------------------------------------------------------

def make_solid(tmp_path, maker):
    """About 12 MB in one solid block: 300 files, every seventh one empty."""
    rng = random.Random(6)
    files = {}
    for i in range(300):
        size = 0 if i % 7 == 3 else rng.randint(20_000, 60_000)
        files[f'd{i % 4}/f{i:03d}.txt'] = text_payload(i, size)
    src = tmp_path / 'src'
    write_tree(src, files)
    archive = tmp_path / 'solid.7z'
    if maker == '7z':
        seven_zip(archive, src, ['d0', 'd1', 'd2', 'd3'], '-ms=on', '-mx=1')
    else:
        # py7zr keeps the order it is given, so empty files sit between the
        # files of the block.
        with py7zr.SevenZipFile(archive, 'w', filters=[{'id': py7zr.FILTER_LZMA2, 'preset': 1}]) as z:
            for name in files:
                z.write(src / name, name)
    assert 'Blocks = 1\n' in technical_listing(archive)
    return archive, files


@pytest.mark.parametrize('maker', ['7z', 'py7zr'])
def test_a_solid_block_is_decoded_once_and_held_once(extract, tmp_path, maker):
    archive, files = make_solid(tmp_path, maker)
    block = sum(len(data) for data in files.values())
    out = tmp_path / 'out'
    out.mkdir()

    outcome = extract(archive, out, '--stats', '--count-size', block)

    assert outcome.result == 0
    assert files_under(out) == files
    assert outcome.stat('sized') == 1, 'the solid block was decoded more than once'
    assert block <= outcome.stat('peak') <= block + 2 * 1024 * 1024, 'more than one block plus small change'
    assert outcome.stat('leaked') == 0 and outcome.stat('archive_closed') == 1


def test_every_allocation_failure_is_out_of_memory_and_releases_everything(extract, tmp_path):
    write_tree(tmp_path / 'src', {'a/one.txt': text_payload(7, 3000), 'b.bin': payload(8, 3000), 'c.txt': b''})
    # Not solid: two blocks, so the cached block is also replaced once.
    archive = seven_zip(tmp_path / 'm.7z', tmp_path / 'src', ['a', 'b.bin', 'c.txt'], '-ms=off')
    out = tmp_path / 'out'
    out.mkdir()
    total = extract(archive, out, '--stats').stat('allocations')
    assert total > 5

    for k in range(1, total + 1):
        outcome = extract(archive, out, '--stats', '--fail-at', k)
        assert outcome.result == 2, f'allocation {k} of {total}'
        assert outcome.stat('leaked') == 0, f'allocation {k} of {total}'
        assert outcome.stat('archive_closed') == 1, f'allocation {k} of {total}'


# -- names from the server --------------------------------------------------------------------

UNSAFE_NAMES = [
    '../evil.txt',
    'a/../../evil.txt',
    'a\\..\\..\\evil.txt',        # a backslash is a separator to Windows
    '..\\evil.txt',
    'a/.. /../evil.txt',
    'C:evil.txt',
    'ZDRIVE',                      # the sentinel's own full path on wine's Z: drive
    '/evil.txt',
    '\\evil.txt',
    '//server/share/evil.txt',
    'evil.txt:stream',
    'CON',
    'a/nul.txt',
    'Aux',
    'com1.log',
    'LPT9',
    'prn .txt',
]


def write_raw_name_archive(archive, entries):
    """py7zr with a plain header keeps names exactly as given, backslashes too.
    entries: (name, path on disk)."""
    with py7zr.SevenZipFile(archive, 'w') as z:
        z.set_encoded_header_mode(False)
        for name, path in entries:
            z.write(path, name)


@pytest.mark.parametrize('bad', UNSAFE_NAMES)
def test_an_unsafe_name_rejects_the_whole_archive(extract, tmp_path, bad):
    root = tmp_path / 'root'
    out = root / 'out'
    out.mkdir(parents=True)
    sentinel = root / 'evil.txt'
    sentinel.write_bytes(b'sentinel')
    if bad == 'ZDRIVE':
        bad = win_path(sentinel).replace('\\', '/')
    payload_file = tmp_path / 'payload.txt'
    payload_file.write_bytes(b'overwritten')
    # A safe entry first: it must not be written either.
    archive = tmp_path / 'unsafe.7z'
    write_raw_name_archive(archive, [('ok/first.txt', payload_file), (bad, payload_file)])
    before = snapshot(tmp_path)

    outcome = extract(archive, out)

    assert outcome.result == 16
    assert snapshot(tmp_path) == before, 'something was written'
    assert outcome.listing == []


def test_an_unsafe_folder_entry_is_not_made(extract, tmp_path):
    out = tmp_path / 'root' / 'out'
    out.mkdir(parents=True)
    folder = tmp_path / 'folder'
    folder.mkdir()
    archive = tmp_path / 'unsafe.7z'
    write_raw_name_archive(archive, [('../made_here', folder)])

    assert extract(archive, out).result == 16
    assert not (tmp_path / 'root' / 'made_here').exists()


def test_names_that_only_look_unsafe_are_extracted(extract, tmp_path):
    names = ['..a/x.txt', 'a..b.txt', 'console.txt', 'com10.txt', 'lpt.txt', 'nul_file', './dot.txt']
    payload_file = tmp_path / 'payload.txt'
    payload_file.write_bytes(b'ok')
    archive = tmp_path / 'fine.7z'
    write_raw_name_archive(archive, [(name, payload_file) for name in names])
    out = tmp_path / 'out'
    out.mkdir()

    assert extract(archive, out).result == 0
    assert files_under(out) == {name.removeprefix('./'): b'ok' for name in names}
