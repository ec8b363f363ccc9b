#!/usr/bin/env python3
"""Where the bytes of the shipped program go, to be watched from commit to commit.

Prints the file size, the size without the two payload cabinets (the figure people compare with
other self-extractor stubs), the room left for code before the resources move a page further into
the file, the size of every section on disk, and the largest contributors to the code and data
sections as the link map records them, by object file and by symbol.

    bench/size_report.py build/win32/Installer.exe [build/win32/Installer.map] [TOP]
    bench/size_report.py build/win32/Installer.exe --record tests/wine/size_accepted.txt
    bench/size_report.py build/win32/Installer.exe --check tests/wine/size_accepted.txt --goal BYTES

--record writes the breakdown a maintainer accepts; --check fails (exit 1) when the size without
the cabinets is over the goal, and names what grew most against that record. The map is written
by lld beside the program (-Wl,-Map); it names an archive's members without their archive.
"""
import argparse
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
    """(name, size on disk, size in memory, file offset) of every section of a PE file."""
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
        name, virtual, _, raw, offset = struct.unpack_from("<8sIIII", data, table + 40 * i)
        sections.append((name.rstrip(b"\0").decode(), raw, virtual, offset))
    headers = struct.unpack_from("<I", data, pe + 24 + 60)[0]
    return len(data), headers, sections


# The link-time optimiser hands the linker its output under a temporary name.
OPTIMISED = "our code, optimised as a whole"


# lld: Installer.exe.lto.obj.
LTO_OUTPUT = re.compile(r"\.lto\.obj$")


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
# into .data, where it takes no file bytes: it is left out.
LLD_LINE = re.compile(r"^[0-9a-f]{8} ([0-9a-f]{8}) +\d+ (?:(\S+)|        (\S.*):\((.*)\))$")


def map_contributions(path):
    """(output section, input section, size, object) for every input section the link kept."""
    with open(path, errors="replace") as f:
        lines = f.read().split("\n")
    output = None
    for line in lines[1:]:
        entry = LLD_LINE.match(line)
        if not entry:
            continue
        if entry.group(2):
            output = entry.group(2)
        elif int(entry.group(1), 16) and not entry.group(4).startswith(".bss"):
            yield output, entry.group(4).replace("\x01", ""), int(entry.group(1), 16), entry.group(3)


def symbol_of(section):
    """A function or object section names its symbol after the first '$' (or '.' with -ffunction-sections)."""
    for prefix in (".text$", ".rdata$", ".data$", ".bss$", ".text.", ".rdata.", ".data."):
        if section.startswith(prefix):
            return section[len(prefix):]
    return None


def free_before_resources(sections):
    """File bytes between the end of the last section before the resources and their start."""
    starts = [offset for name, _, _, offset in sections if name == ".rsrc"]
    if not starts:
        return 0
    ends = [offset + raw for _, raw, _, offset in sections if raw and offset < starts[0]]
    return starts[0] - max(ends, default=starts[0])


def room_for_code(sections):
    """Bytes of code the program can gain before its resources move a page further into the file.

    The linker pads .text to a 512-byte file block, and the resources start on the page boundary
    after the sections before them; the code may fill its last block and the free blocks before
    the resources. One byte more adds a whole page to the file."""
    slack = sum(max(raw - virtual, 0) for name, raw, virtual, _ in sections if name == ".text")
    return free_before_resources(sections) + slack


PAGE = 4096


def room_under_goal(figure, room, goal):
    """Bytes of code the program can gain before it goes over the goal: the room before the next
    page step, and a whole page for every further step the goal still holds."""
    if figure > goal:
        return 0
    return room + (goal - figure) // PAGE * PAGE


def breakdown(exe, map_path):
    """Everything the record keeps and the report prints, from the built file and its map."""
    size, headers, sections = pe_sections(exe)
    payload = os.path.join(os.path.dirname(exe), "payload")
    cabinets = sum(os.path.getsize(os.path.join(payload, name)) for name in ("1.cab", "386.cab")
                   if os.path.exists(os.path.join(payload, name)))
    b = {"size": size, "cabinets": cabinets, "headers": headers, "sections": sections,
         "room": room_for_code(sections), "free": free_before_resources(sections)}
    for key in ("by_library", "by_object", "by_symbol", "by_section"):
        b[key] = collections.Counter()
    if not os.path.exists(map_path):
        return b
    for output, section, length, obj in map_contributions(map_path):
        if output not in CONTRIBUTING:
            continue
        b["by_section"][output] += length
        b["by_library"][library_of(obj)] += length
        b["by_object"][short_object(obj)] += length
        symbol = symbol_of(section)
        if symbol:
            b["by_symbol"][(symbol, short_object(obj))] += length
    b["mapped"] = True
    return b


# Symbols under this size share one line of the record, which keeps it short; a change among them
# still shows in that line's total.
RECORDED_SYMBOL = 256
SMALL_SYMBOLS = "(symbols under 256 bytes)"


def record_lines(b):
    """(kind, bytes, name) of the accepted breakdown: sections in memory (the resources without
    the cabinets, which are the payload), the padding before the resources (a page step shows
    there), libraries, and the symbols of the code and data."""
    lines = [("figure", b["size"] - b["cabinets"], "without cabinets"),
             ("section", b["headers"], "headers")]
    for name, _, virtual, _ in b["sections"]:
        if name == ".rsrc":
            lines.append(("section", virtual - b["cabinets"], ".rsrc without cabinets"))
        elif name != ".bss":
            lines.append(("section", virtual, name))
    lines.append(("section", b["free"], "padding before the resources"))
    lines += [("library", n, name) for name, n in sorted(b["by_library"].items())]
    symbols = collections.Counter()
    for (name, _), n in b["by_symbol"].items():
        symbols[name] += n
    small = sum(n for n in symbols.values() if n < RECORDED_SYMBOL)
    lines += [("symbol", n, name) for name, n in sorted(symbols.items()) if n >= RECORDED_SYMBOL]
    lines.append(("symbol", small, SMALL_SYMBOLS))
    return lines


def write_record(path, b):
    with open(path, "w") as f:
        f.write("# The accepted size breakdown of build/win32/Installer.exe: tests/wine/check_size.sh\n"
                "# names what grew against it. Refreshed on purpose, after a growth is accepted:\n"
                "#   python3 bench/size_report.py build/win32/Installer.exe"
                " --record tests/wine/size_accepted.txt\n")
        for kind, n, name in record_lines(b):
            f.write(f"{kind} {n} {name}".rstrip() + "\n")


def read_record(path):
    record = {}
    with open(path) as f:
        for line in f:
            if line.strip() and not line.startswith("#"):
                kind, n, name = (line.rstrip("\n").split(" ", 2) + [""])[:3]
                record[(kind, name)] = int(n)
    return record


def growth(record, b):
    """(kind, name, bytes gained, note) for everything larger than the record has it, largest first."""
    now = {(kind, name): n for kind, n, name in record_lines(b)}
    grown = []
    for key, n in now.items():
        before = record.get(key)
        gained = n - (before or 0)
        if gained > 0 and key[0] != "figure":
            note = "" if before is not None or key[0] != "symbol" else \
                f" (not in the record: new, or under {RECORDED_SYMBOL} bytes then)"
            grown.append((key[0], key[1], gained, note))
    return sorted(grown, key=lambda g: -g[2])


def check(b, record_path, goal, top):
    """Prints the figure, the goal, the room and what grew most; returns False over the goal."""
    figure = b["size"] - b["cabinets"]
    record = read_record(record_path)
    over = figure > goal
    verdict = f"over the goal of {goal:,} by {figure - goal:,}" if over else f"within the goal of {goal:,}"
    print(f"{'FAIL' if over else 'ok'}: Installer.exe without its cabinets is {figure:,} bytes, {verdict} "
          f"(accepted: {record.get(('figure', 'without cabinets'), 0):,}); room for code: "
          f"{b['room']:,} bytes before the resources move a page, "
          f"{room_under_goal(figure, b['room'], goal):,} before the goal")
    if not b.get("mapped"):
        print("  no link map: nothing to compare")
        return not over
    grown = growth(record, b)
    sections = [g for g in grown if g[0] == "section"]
    symbols = [g for g in grown if g[0] in ("symbol", "library")]
    if not grown:
        print(f"  nothing grew against {record_path}")
    if sections:
        print(f"  largest growth against {record_path}: section "
              + ", ".join(f"{name} +{n:,}" for _, name, n, _ in sections[:top]))
    for kind, name, n, note in symbols[:top]:
        print(f"    +{n:>6,}  {kind} {name}{note}")
    return not over


def main():
    signal.signal(signal.SIGPIPE, signal.SIG_DFL)  # quiet under head
    parser = argparse.ArgumentParser(description=__doc__,
                                     formatter_class=argparse.RawDescriptionHelpFormatter)
    parser.add_argument("exe")
    parser.add_argument("map", nargs="?")
    parser.add_argument("top", nargs="?", type=int, default=15)
    parser.add_argument("--record", metavar="FILE")
    parser.add_argument("--check", metavar="FILE")
    parser.add_argument("--goal", type=int)
    args = parser.parse_args()
    exe = args.exe
    map_path = args.map or os.path.splitext(exe)[0] + ".map"
    top = args.top
    b = breakdown(exe, map_path)
    if args.record:
        if not b.get("mapped"):
            raise SystemExit(f"no link map at {map_path}")
        write_record(args.record, b)
        return
    if args.check:
        if args.goal is None:
            raise SystemExit("--check needs --goal")
        sys.exit(0 if check(b, args.check, args.goal, 5) else 1)

    size, headers, sections, cabinets = b["size"], b["headers"], b["sections"], b["cabinets"]
    print(f"{os.path.basename(exe)}: {size:,} bytes; cabinets 1 and 386: {cabinets:,}; "
          f"without them: {size - cabinets:,} bytes ({(size - cabinets) / 1024:.1f} KB)")
    print(f"  room for code before the resources move a page further: {b['room']:,} bytes")
    print(f"  {'headers':<10}{headers:>9,}")
    for name, raw, virtual, _ in sections:
        print(f"  {name:<10}{raw:>9,} on disk {virtual:>9,} in memory")
    gap = size - headers - sum(raw for _, raw, _, _ in sections)
    if gap:
        print(f"  {'padding':<10}{gap:>9,} (the resources start on a page boundary)")

    if not b.get("mapped"):
        print(f"no link map at {map_path}")
        return
    by_library, by_object, by_symbol, by_section = (
        b[key] for key in ("by_library", "by_object", "by_symbol", "by_section"))
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
