#!/usr/bin/env python3
"""Packs a folder into a ZIP archive that depends on the files alone: members
sorted by name, every time SOURCE_DATE_EPOCH (else 1980-01-01), modes 644 and
755 for folders and programs, no owners.

  tools/pack-zip.py ARCHIVE.zip FOLDER

The archive holds FOLDER itself at its top, by its name.
"""
import os
import stat
import sys
import time
import zipfile

archive, folder = sys.argv[1], os.path.abspath(sys.argv[2])
epoch = int(os.environ.get("SOURCE_DATE_EPOCH", "315532800"))
# DOS times go no earlier than 1980 and count in two-second steps.
when = time.gmtime(max(epoch, 315532800))[:6]
top = os.path.basename(folder)
parent = os.path.dirname(folder)

entries = []
for here, dirs, files in os.walk(folder):
    rel = os.path.relpath(here, parent)
    entries.append(rel + "/")
    entries += [os.path.join(rel, f) for f in files]
entries.sort()

with zipfile.ZipFile(archive, "w") as z:
    for name in entries:
        info = zipfile.ZipInfo(name.replace(os.sep, "/"), date_time=when)
        info.create_system = 3  # Unix, so the modes below count
        if name.endswith("/"):
            info.external_attr = (stat.S_IFDIR | 0o755) << 16 | 0x10
            z.writestr(info, b"")
            continue
        path = os.path.join(parent, name)
        runs = os.stat(path).st_mode & 0o100 or name.endswith(".exe")
        info.external_attr = (stat.S_IFREG | (0o755 if runs else 0o644)) << 16
        info.compress_type = zipfile.ZIP_DEFLATED
        with open(path, "rb") as f:
            z.writestr(info, f.read(), compresslevel=9)
