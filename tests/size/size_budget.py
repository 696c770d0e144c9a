#!/usr/bin/env python3
"""The launcher image's size against its budget.

usage: size_budget.py <launcher.exe> <linker map> <budget in bytes>

Prints the image's size, its sections (from the PE headers) and the largest
contributors (the symbols of the linker map, each measured to the next one),
and fails when the image is over the budget, so that a change that grows the
image says so in the suite rather than in a later size pass.
"""
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


# GNU ld: "                0x0000000140001000                LauncherStart"
GNU_SYMBOL = re.compile(r"^\s+0x([0-9a-fA-F]+)\s+([^\s=]+)\s*$")
# LLVM's COFF linker (MSVC style): " 0001:00000000  name  0000000140001000 f  file.obj"
LLD_SYMBOL = re.compile(r"^\s*[0-9a-fA-F]{4}:[0-9a-fA-F]{8}\s+(\S+)\s+([0-9a-fA-F]{8,16})\b")


def contributors(map_file, limit=15):
    symbols = []
    with open(map_file, errors="replace") as f:
        for line in f:
            m = GNU_SYMBOL.match(line)
            if m:
                symbols.append((int(m.group(1), 16), m.group(2)))
                continue
            m = LLD_SYMBOL.match(line)
            if m:
                symbols.append((int(m.group(2), 16), m.group(1)))
    symbols = sorted(set(s for s in symbols if s[0] != 0))
    sized = []
    for (address, name), (following, _) in zip(symbols, symbols[1:]):
        # Gaps of a megabyte or more are between sections, not a symbol's size.
        if 0 < following - address < 1 << 20:
            sized.append((following - address, name))
    return sorted(sized, reverse=True)[:limit]


def main():
    image, map_file, budget = sys.argv[1], sys.argv[2], int(sys.argv[3])
    with open(image, "rb") as f:
        size = len(f.read())
    print(f"{image}: {size} bytes, budget {budget} bytes ({budget - size} left)")
    print("sections (virtual size, size in the file):")
    for name, virtual, raw in sections(image):
        print(f"  {name:8} {virtual:8} {raw:8}")
    print("largest contributors (bytes to the next symbol of the map):")
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
