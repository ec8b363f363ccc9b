#!/usr/bin/env python3
"""Fails when a source includes a header of a floor above its own, naming the file and the include.

The floors, from the bottom: os/ (the seam to Windows), run/ (the run's state and its ways out),
cab/ platform/ service/ (the subsystems), ui/, app/ (the roles and the sequence), app/win32/ (the
entry points). tools/ may use the ground floor and the subsystems, never ui/ or app/. Tests and
benchmarks may include anything.
"""
import pathlib
import re
import sys

FLOORS = {"os": 0, "run": 1, "cab": 2, "platform": 2, "service": 2, "ui": 3, "app": 4}
ENTRY = 5
TOOLS_CEILING = 2
INCLUDE = re.compile(r'^\s*#\s*include\s*"([^"]+)"')


def floor_of(path):
    """The floor of a repository path, or None for folders outside the floors."""
    parts = pathlib.PurePosixPath(path).parts
    if not parts:
        return None
    if parts[0] == "app" and len(parts) > 1 and parts[1] == "win32":
        return ENTRY
    if parts[0] == "tools":  # a tool's own headers count as its floor
        return TOOLS_CEILING
    return FLOORS.get(parts[0])


def upward_includes(root):
    found = []
    for source in sorted(root.rglob("*")):
        if source.suffix not in (".cpp", ".h") or not source.is_file():
            continue
        relative = source.relative_to(root).as_posix()
        if relative.startswith("build"):
            continue
        own = floor_of(relative)
        if own is None:
            continue
        for number, line in enumerate(source.read_text(errors="replace").splitlines(), 1):
            match = INCLUDE.match(line)
            if not match:
                continue
            target = floor_of(match.group(1))
            if target is not None and target > own:
                found.append(f"{relative}:{number}: includes {match.group(1)}, "
                             f"a floor above {relative.split('/')[0]}/")
    return found


def main():
    root = pathlib.Path(sys.argv[1] if len(sys.argv) > 1 else ".").resolve()
    found = upward_includes(root)
    for line in found:
        print(line)
    if found:
        print(f"{len(found)} upward include(s); the floors from the bottom: os/, run/, "
              "cab/ platform/ service/, ui/, app/, app/win32/ (tools/: up to the subsystems)")
        return 1
    return 0


if __name__ == "__main__":
    sys.exit(main())
