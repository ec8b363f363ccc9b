#!/usr/bin/env python3
"""Where the bytes of the shipped program go, to be watched from commit to commit.

Prints the file size, the size without the two payload cabinets (the figure people compare with
other self-extractor stubs), the size of every section on disk, and the largest contributors to the
code and data sections as the link map records them, by object file and by symbol.

    bench/size_report.py build/win32/Installer.exe [build/win32/Installer.map] [TOP]

The map is written by every Windows build beside the program (-Wl,-Map), by GNU ld or by lld
(the win32-clang preset); lld's map names an archive's members without their archive.
"""
import collections
import os
import re
import signal
import struct
import sys

# The sections whose contributors are listed: code and data. The resources are the payload,
# counted apart; the import table and relocations follow from the code.
CONTRIBUTING = (".text", ".rdata", ".data", ".eh_frame", ".CRT", ".tls")


def pe_sections(path):
    """(name, size on disk, size in memory) of every section of a PE file."""
    with open(path, "rb") as f:
        data = f.read()
    pe = struct.unpack_from("<I", data, 0x3C)[0]
    if data[pe:pe + 4] != b"PE\0\0":
        raise SystemExit(f"{path}: not a PE file")
    count = struct.unpack_from("<H", data, pe + 6)[0]
    optional = struct.unpack_from("<H", data, pe + 20)[0]
    table = pe + 24 + optional
    sections = []
    for i in range(count):
        name, virtual, _, raw = struct.unpack_from("<8sIII", data, table + 40 * i)
        sections.append((name.rstrip(b"\0").decode(), raw, virtual))
    headers = struct.unpack_from("<I", data, pe + 24 + 60)[0]
    return len(data), headers, sections


# An input section line of a GNU ld map: " .text$name 0xADDRESS 0xSIZE file", where a long
# section name puts address, size and file on the next line.
INPUT = re.compile(r"^ (\.[^\s]+)(?:\s+0x([0-9a-f]+)\s+0x([0-9a-f]+)\s+(.+))?$")
CONTINUED = re.compile(r"^\s+0x([0-9a-f]+)\s+0x([0-9a-f]+)\s+(.+)$")
OUTPUT = re.compile(r"^(\.[^\s]+)\s+0x[0-9a-f]+\s+0x[0-9a-f]+")


# The link-time optimiser hands the linker its output under a temporary name.
OPTIMISED = "our code, optimised as a whole"


# GNU ld: /tmp/ccXXXX.lto.o; lld: Installer.exe.lto.obj, or .lto.1.obj and on for each thin module.
LTO_OUTPUT = re.compile(r"\.lto(\.\d+)?\.o(bj)?$")


def short_object(path):
    """libfoo.a(member.o) or the object's name relative to the build folder."""
    if LTO_OUTPUT.search(path):
        return OPTIMISED
    match = re.match(r".*/([^/]+\.a)\((.+)\)$", path)
    if match:
        return f"{match.group(1)}({match.group(2)})"
    return path.replace("CMakeFiles/", "").replace(".dir/", ":")


# The members of mingw-w64's libraries as lld names them: import stubs libuser32s00956.o, and
# lib32_libmingw32_a-gccmain.o.
MINGW_MEMBER = re.compile(r"^(?:(lib\w+?)(?:s\d+|h|t)|lib32_(lib\w+)_a-.*)\.o$")


def library_of(path):
    match = re.match(r".*/([^/]+\.a)\(", path)
    if match:
        return match.group(1)
    match = MINGW_MEMBER.match(path)
    if match:
        return (match.group(1) or match.group(2)) + ".a"
    if LTO_OUTPUT.search(path):
        return OPTIMISED
    return "our objects" if path.endswith(".obj") or "CMakeFiles" in path else os.path.basename(path)


# lld: "ADDRESS SIZE ALIGN" in fixed columns, then the output section at column 24, an input
# section as "object:(section)" at column 32, its symbols at column 40. lld puts the zeroed data
# into .data, where it takes no file bytes: it is left out, as GNU ld's .bss is.
LLD_HEADER = "Address  Size     Align Out     In      Symbol"
LLD_LINE = re.compile(r"^[0-9a-f]{8} ([0-9a-f]{8}) +\d+ (?:(\S+)|        (\S.*):\((.*)\))$")


def lld_contributions(lines):
    output = None
    for line in lines[1:]:
        entry = LLD_LINE.match(line)
        if not entry:
            continue
        if entry.group(2):
            output = entry.group(2)
        elif int(entry.group(1), 16) and not entry.group(4).startswith(".bss"):
            yield output, entry.group(4).replace("\x01", ""), int(entry.group(1), 16), entry.group(3)


def map_contributions(path):
    """(output section, input section, size, object) for every input section the link kept."""
    with open(path, errors="replace") as f:
        lines = f.read().split("\n")
    if lines[0] == LLD_HEADER:
        yield from lld_contributions(lines)
        return
    start = next(i for i, line in enumerate(lines) if line.startswith("Linker script and memory map"))
    output = None
    pending = None
    for line in lines[start:]:
        head = OUTPUT.match(line)
        if head:
            output = head.group(1)
            pending = None
            continue
        if pending:
            more = CONTINUED.match(line)
            if more:
                yield output, pending, int(more.group(2), 16), more.group(3)
            pending = None
            continue
        entry = INPUT.match(line)
        if not entry:
            continue
        if entry.group(2) is None:
            pending = entry.group(1)
        elif int(entry.group(3), 16):
            yield output, entry.group(1), int(entry.group(3), 16), entry.group(4)


def symbol_of(section):
    """A function or object section names its symbol after the first '$' (or '.' with -ffunction-sections)."""
    for prefix in (".text$", ".rdata$", ".data$", ".bss$", ".text.", ".rdata.", ".data."):
        if section.startswith(prefix):
            return section[len(prefix):]
    return None


def main():
    signal.signal(signal.SIGPIPE, signal.SIG_DFL)  # quiet under head
    if len(sys.argv) < 2:
        raise SystemExit(__doc__)
    exe = sys.argv[1]
    map_path = sys.argv[2] if len(sys.argv) > 2 else os.path.splitext(exe)[0] + ".map"
    top = int(sys.argv[3]) if len(sys.argv) > 3 else 15

    size, headers, sections = pe_sections(exe)
    payload = os.path.join(os.path.dirname(exe), "payload")
    cabinets = sum(os.path.getsize(os.path.join(payload, name)) for name in ("1.cab", "386.cab")
                   if os.path.exists(os.path.join(payload, name)))
    print(f"{os.path.basename(exe)}: {size:,} bytes; cabinets 1 and 386: {cabinets:,}; "
          f"without them: {size - cabinets:,} bytes ({(size - cabinets) / 1024:.1f} KB)")
    print(f"  {'headers':<10}{headers:>9,}")
    for name, raw, virtual in sections:
        print(f"  {name:<10}{raw:>9,} on disk {virtual:>9,} in memory")
    gap = size - headers - sum(raw for _, raw, _ in sections)
    if gap:
        print(f"  {'padding':<10}{gap:>9,} (the resources start on a page boundary)")

    if not os.path.exists(map_path):
        print(f"no link map at {map_path}")
        return
    by_library = collections.Counter()
    by_object = collections.Counter()
    by_symbol = collections.Counter()
    by_section = collections.Counter()
    for output, section, length, obj in map_contributions(map_path):
        if output not in CONTRIBUTING:
            continue
        by_section[output] += length
        by_library[library_of(obj)] += length
        by_object[short_object(obj)] += length
        symbol = symbol_of(section)
        if symbol:
            by_symbol[(symbol, short_object(obj))] += length
    total = sum(by_section.values())
    print(f"link map: {total:,} bytes of {', '.join(f'{s} {n:,}' for s, n in by_section.most_common())}")
    print("by library:")
    for name, length in by_library.most_common(top):
        print(f"  {length:>8,}  {name}")
    print(f"top {top} objects:")
    for name, length in by_object.most_common(top):
        print(f"  {length:>8,}  {name}")
    print(f"top {top} symbols:")
    for (name, obj), length in by_symbol.most_common(top):
        print(f"  {length:>8,}  {name}  [{obj}]")


if __name__ == "__main__":
    main()
