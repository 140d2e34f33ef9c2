#!/usr/bin/env python3
"""Builds the sample resource server's folder for scripts/demo:
Resources.txt, update.html and the files they list (deterministic bytes)."""
import hashlib
import os
import random
import shutil
import subprocess
import sys


def write(root, name, data):
    path = os.path.join(root, *name.split('\\'))
    os.makedirs(os.path.dirname(path), exist_ok=True)
    with open(path, 'wb') as f:
        f.write(data)
    return path


def main(root, game_client, version, base_url):
    shutil.rmtree(root, ignore_errors=True)
    os.makedirs(root)
    rng = random.Random(20261210)
    entries = []  # (name, bytes, kind)

    with open(game_client, 'rb') as f:
        entries.append(('Zav3DLauncher.exe', f.read(), 1))
    entries.append(('Brimvale_Data\\level0.bin', rng.randbytes(3 * 1024 * 1024), 1))
    entries.append(('Brimvale_Data\\StreamingAssets\\config.json', b'{"quality": "high", "language": "zh-CN"}\n', 1))
    entries.append(('ClientConfig.txt', b'window=1280x720\r\nvolume=80\r\n', 1))

    # A kind-1 archive with a few folders: unpacked beside itself, then deleted.
    staging = os.path.join(root, '..', 'archive-staging')
    shutil.rmtree(staging, ignore_errors=True)
    for name, size in [('Textures/terrain.bin', 700_000), ('Textures/ui/icons.bin', 90_000), ('Sounds/theme.bin', 400_000)]:
        write(staging, name.replace('/', '\\'), bytes(rng.getrandbits(8) & 0x3F for _ in range(size)))
    archive = os.path.join(root, '..', 'assets.7z')
    if os.path.exists(archive):
        os.remove(archive)
    subprocess.run(['7z', 'a', '-t7z', '-m0=lzma2', '-mx=5', archive, '.'], cwd=staging, check=True,
                   stdout=subprocess.DEVNULL)
    with open(archive, 'rb') as f:
        entries.append(('Brimvale_Data\\assets.7z', f.read(), 1))
    shutil.rmtree(staging)
    os.remove(archive)

    # Kind 2: only fetched by an installed client (the second run).
    entries.append(('Patches\\patch-1.bin', rng.randbytes(200_000), 2))

    lines = []
    for name, data, kind in entries:
        write(root, name, data)
        lines.append(f'{name},{hashlib.md5(data).hexdigest()},{len(data)},{kind}')
    with open(os.path.join(root, 'Resources.txt'), 'w', encoding='utf-8', newline='') as f:
        f.write('\r\n'.join(lines) + '\r\n')
    with open(os.path.join(root, 'update.html'), 'w', encoding='utf-8', newline='') as f:
        f.write(f'{version},{base_url}Zav3DLoader.exe')
    for name, data, kind in entries:
        print(f'  {name:48s} {len(data):>9,d} bytes  kind {kind}')


if __name__ == '__main__':
    main(*sys.argv[1:5])
