"""Zips a folder the same way every time: entries sorted by name, every time the one of
SOURCE_DATE_EPOCH (the commit's), modes 644 or 755, no owner and no other metadata.

Usage: zip_tree.py OUT.zip FOLDER   (the zip holds FOLDER's name and everything in it)
"""

import os
import sys
import time
import zipfile

out, folder = sys.argv[1], sys.argv[2]
# Zip times are local times of day from 1980 on; the commit's is written as UTC.
stamp = time.gmtime(max(int(os.environ.get("SOURCE_DATE_EPOCH", "0")), 315532800))[:6]
base = os.path.dirname(os.path.abspath(folder))

paths = []
for top, dirs, files in os.walk(folder):
    paths += [os.path.join(top, name) for name in files]
with zipfile.ZipFile(out, "w", zipfile.ZIP_DEFLATED, compresslevel=9) as archive:
    for path in sorted(paths, key=lambda p: os.path.relpath(p, base)):
        entry = zipfile.ZipInfo(os.path.relpath(path, base).replace(os.sep, "/"), stamp)
        entry.compress_type = zipfile.ZIP_DEFLATED
        mode = 0o755 if os.access(path, os.X_OK) else 0o644
        entry.external_attr = (0o100000 | mode) << 16
        entry.create_system = 3  # Unix, so that the modes count
        with open(path, "rb") as data:
            archive.writestr(entry, data.read())
