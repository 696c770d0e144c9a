#!/usr/bin/env python3
"""The launcher image's size against its budget.

usage: size_budget.py <launcher.exe> <linker map> <budget in bytes>

Prints the image's size, its sections (from the PE headers) and the largest
contributors (the input files of the linker map, by the bytes they put in),
and fails when the image is over the budget, so that a change that grows the
image says so in the suite rather than in a later size pass.
"""
import collections
import re
import struct
import sys


def sections(image):
    with open(image, "rb") as f:
        data = f.read()
    pe = struct.unpack_from("<I", data, 0x3C)[0]
    count = struct.unpack_from("<H", data, pe + 6)[0]
    optional = struct.unpack_from("<H", data, pe + 20)[0]
    table = pe + 24 + optional
    for i in range(count):
        name, virtual, _, raw = struct.unpack_from("<8sIII", data, table + 40 * i)
        yield name.rstrip(b"\0").decode("ascii", "replace"), virtual, raw


# GNU ld's input sections: " .text  0x0000000140001000  0x1a4 path/file.o", the
# name alone on its line when it is long, the rest on the next.
SECTION_AND_ALL = re.compile(r"^ (\.[\w.$]+)\s+0x[0-9a-fA-F]+\s+0x([0-9a-fA-F]+)\s+(\S.*)$")
SECTION_ALONE = re.compile(r"^ (\.[\w.$]+)\s*$")
REST = re.compile(r"^\s+0x[0-9a-fA-F]+\s+0x([0-9a-fA-F]+)\s+(\S.*)$")


def contributors(map_file, limit=15):
    """Bytes each input file (an object, a library member) puts into the image."""
    sizes = collections.Counter()
    pending = None
    with open(map_file, errors="replace") as f:
        for line in f:
            m = SECTION_AND_ALL.match(line)
            if m:
                sizes[m.group(3).strip().rsplit("/", 1)[-1]] += int(m.group(2), 16)
                pending = None
                continue
            m = SECTION_ALONE.match(line)
            if m:
                pending = m.group(1)
                continue
            m = REST.match(line)
            if m and pending:
                sizes[m.group(2).strip().rsplit("/", 1)[-1]] += int(m.group(1), 16)
            pending = None
    return [(n, name) for name, n in sizes.most_common(limit) if n > 0]


def main():
    image, map_file, budget = sys.argv[1], sys.argv[2], int(sys.argv[3])
    with open(image, "rb") as f:
        size = len(f.read())
    print(f"{image}: {size} bytes, budget {budget} bytes ({budget - size} left)")
    print("sections (virtual size, size in the file):")
    for name, virtual, raw in sections(image):
        print(f"  {name:8} {virtual:8} {raw:8}")
    print("largest contributors (bytes each input file of the linker map puts in; the launcher's own code is one\n"
          "link-time-optimised object):")
    try:
        for length, name in contributors(map_file):
            print(f"  {length:8} {name}")
    except OSError as error:
        print(f"  (no linker map: {error})")
    if size > budget:
        print(f"over the budget by {size - budget} bytes")
        return 1
    return 0


if __name__ == "__main__":
    sys.exit(main())
