#!/usr/bin/env bash
# The DLLs the processes of a plain start of the program of BUILD_DIR load under Wine (the
# relauncher, the copy, its workers, the driver installer and its launcher; not Wine's own
# services), from the start to the finish window's OK, each with where it came from
# (WINEDEBUG=+loaddll), one line per DLL and kind, sorted. Used to see that nothing comes from the
# program's or the temporary folder.
#   BUILD_DIR=build/win64 bench/loaded_dlls.sh [VERSION]
set -euo pipefail
cd "$(dirname "$0")/.."
export BUILD_DIR=${BUILD_DIR:-$(pwd)/build/win64} SOURCE_DIR=$(pwd)
source tests/wine/lib.sh
wine_display
wine_prefix_new "${1:-win7}"
installer_variant "$WINEPREFIX/drive_c/dist/$INSTALLER"
log=$(mktemp)
on_exit "rm -f '$log'"
WINEDEBUG=+pid,+loaddll wine "$WINEPREFIX/drive_c/dist/$INSTALLER" 2>"$log" &
pid=$!
robot wait Finished 60 || fail "no finish window"
robot click Finished "&Ok"
wait_exit $pid 30
# 0104:0108:trace:loaddll:build_module Loaded L"C:\\windows\\system32\\uxtheme.dll" at ...: builtin
ours=$(grep -E 'Loaded L"C:\\\\(dist|users)\\\\[^"]*\.exe"' "$log" | cut -d: -f1 | sort -u | paste -sd'|')
grep -E "^($ours):" "$log" |
  sed -n 's/.*Loaded L"\([^"]*\)" at [0-9A-Fa-f]*: \(.*\)$/\1 \2/p' | sed 's/\\\\/\\/g' |
  tr '[:upper:]' '[:lower:]' | sort -u
