#!/usr/bin/env python3
"""Moves the resource section of a linked program to a file offset that is a multiple of 4096.

The payload cabinets are resources, so the resource section is nearly all of the file. A loader
can map a section whose data starts on a page boundary straight from the file, page by page as
it is read; otherwise it must copy the section into memory at every start (Wine does, for each
of the program's own processes), which costs time and memory in the payload's size. The linker
packs sections at 512-byte steps; this inserts the zeros that put the resource section (and the
sections after it) on the next page boundary. Nothing in a PE file points at a file offset but
the section table, and the program is stripped and not yet signed when this runs.

    PageAlignResources.py PROGRAM.exe
"""
import struct
import sys

PAGE = 4096


def align_resources(data):
    pe = struct.unpack_from("<I", data, 0x3C)[0]
    if data[pe:pe + 4] != b"PE\0\0":
        raise ValueError("not a PE file")
    count = struct.unpack_from("<H", data, pe + 6)[0]
    optional_size = struct.unpack_from("<H", data, pe + 20)[0]
    table = pe + 24 + optional_size
    sections = []
    for i in range(count):
        entry = table + 40 * i
        name = data[entry:entry + 8].rstrip(b"\0")
        raw_size, raw_offset = struct.unpack_from("<II", data, entry + 16)
        sections.append((name, entry, raw_size, raw_offset))
    rsrc = [s for s in sections if s[0] == b".rsrc"]
    if not rsrc:
        raise ValueError("no resource section")
    start = rsrc[0][3]
    shift = -start % PAGE
    if shift == 0:
        return data
    if any(name != b".rsrc" and offset < start < offset + size for name, _, size, offset in sections):
        raise ValueError("a section overlaps the resource section")
    certificates = pe + 24 + (144 if struct.unpack_from("<H", data, pe + 24)[0] == 0x20B else 128)
    if struct.unpack_from("<I", data, certificates)[0]:
        raise ValueError("the program is signed: align before signing")
    out = bytearray(data[:start]) + bytes(shift) + data[start:]
    for _, entry, size, offset in sections:
        if offset >= start and size:
            struct.pack_into("<I", out, entry + 20, offset + shift)
    return bytes(out)


def main():
    if len(sys.argv) != 2:
        sys.exit(__doc__.strip().splitlines()[-1].strip())
    path = sys.argv[1]
    with open(path, "rb") as f:
        data = f.read()
    try:
        aligned = align_resources(data)
    except ValueError as e:
        sys.exit(f"{path}: {e}")
    if aligned is not data:
        with open(path, "wb") as f:
            f.write(aligned)


if __name__ == "__main__":
    main()
