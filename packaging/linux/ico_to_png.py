#!/usr/bin/env python3
"""Writes the pictures of the given sizes that an .ico file holds as PNG, byte for byte as they
are stored there, so that the Linux icons are the Windows program's:

    ico_to_png.py ICO DIR SIZE...    writes DIR/SIZE.png for each SIZE
"""
import os
import struct
import sys


def main(ico, folder, *sizes):
    data = open(ico, "rb").read()
    count = struct.unpack_from("<H", data, 4)[0]
    found = {}
    for index in range(count):
        width, _, _, _, _, _, size, offset = struct.unpack_from("<BBBBHHII", data, 6 + 16 * index)
        found[str(width or 256)] = data[offset:offset + size]
    for size in sizes:
        picture = found.get(size, b"")
        if not picture.startswith(b"\x89PNG"):
            sys.exit("%s holds no PNG picture of %s pixels" % (ico, size))
        open(os.path.join(folder, size + ".png"), "wb").write(picture)


if __name__ == "__main__":
    main(*sys.argv[1:])
