#!/usr/bin/env python3
"""Reads a Pellora program's resources back from the built .exe.

    check_resources.py PROGRAM.exe VERSION

What Windows and Explorer read of them: a manifest that asks for per-monitor
DPI awareness (version 2), the common controls of version 6, Windows 10's
behaviour and long paths; version information with the product, the
program's file name and the project's version; an icon with every size from
16 to 256 pixels; and pellora.exe's words for the context menu of .csv
files. Each fault is a line; the exit status is 1 when there is
any. wrestool (icoutils) lists and extracts the resources.
"""

import re
import struct
import subprocess
import sys


def resource(exe, kind, name=None):
    command = ['wrestool', '--extract', '--raw', f'--type={kind}', exe]
    if name is not None:
        command.insert(3, f'--name={name}')
    return subprocess.run(command, capture_output=True, check=True).stdout


def main():
    exe, version = sys.argv[1], sys.argv[2]
    program = re.sub(r'\.exe$', '', exe.replace('\\', '/').rsplit('/', 1)[-1])
    faults = []

    manifest = resource(exe, 24, 1).decode('utf-8', 'replace')
    for needed, what in [('PerMonitorV2', 'per-monitor DPI awareness, version 2'),
                         ('true/pm', 'per-monitor DPI awareness for Windows 8.1'),
                         ('name="Microsoft.Windows.Common-Controls" version="6.0.0.0"', 'the common controls 6'),
                         ('{8e0f7a12-bfb3-4fe8-b9a5-48fd50a15a9a}', 'Windows 10 and 11 as supported'),
                         ('<longPathAware', 'long paths')]:
        if needed not in manifest:
            faults.append(f'the manifest asks for no {what}')

    info = resource(exe, 16, 1).decode('utf-16-le', 'replace')
    quad = version + '.0'
    for key, value in [('ProductName', 'Pellora'), ('CompanyName', 'QOR'), ('FileVersion', quad),
                       ('ProductVersion', quad), ('OriginalFilename', program + '.exe')]:
        if not re.search(key + r'\x00+' + re.escape(value) + r'\x00', info):
            faults.append(f'the version information has no {key} "{value}"')

    group = resource(exe, 14)
    if len(group) < 6:
        faults.append('no icon group')
    else:
        count = struct.unpack_from('<H', group, 4)[0]
        sizes = sorted({(group[6 + 14 * i] or 256) for i in range(count)})
        for size in (16, 24, 32, 48, 256):
            if size not in sizes:
                faults.append(f'the icon has no {size}-pixel picture (it has {sizes})')

    # pellora.exe names the context menu's entry for .csv files: string 101,
    # the sixth of the seventh block of sixteen.
    if program == 'pellora':
        block, texts, at = resource(exe, 6, 101 // 16 + 1), [], 0
        while at + 2 <= len(block) and len(texts) < 16:
            length = struct.unpack_from('<H', block, at)[0]
            texts.append(block[at + 2:at + 2 + 2 * length].decode('utf-16-le'))
            at += 2 + 2 * length
        if len(texts) <= 101 % 16 or texts[101 % 16] != 'Pellora で開く':
            faults.append('string 101 is not "Pellora で開く"')

    for fault in faults:
        print(f'{exe}: {fault}')
    return 1 if faults else 0


if __name__ == '__main__':
    sys.exit(main())
