#!/usr/bin/env bash
# The DLLs a plain start of the program of BUILD_DIR loads under Wine, from the relauncher to the
# finish window's OK, each with where it came from (WINEDEBUG=+loaddll), one line per DLL and
# kind, sorted. Used to see that nothing is loaded from the program's or the temporary folder.
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
WINEDEBUG=+loaddll wine "$WINEPREFIX/drive_c/dist/$INSTALLER" 2>"$log" &
pid=$!
robot wait Finished 60 || fail "no finish window"
robot click Finished "&Ok"
wait_exit $pid 30
# trace:loaddll:build_module Loaded L"C:\\windows\\system32\\uxtheme.dll" at ...: builtin
sed -n 's/.*Loaded L"\([^"]*\)" at [0-9A-Fa-f]*: \(.*\)$/\1 \2/p' "$log" | sed 's/\\\\/\\/g' | sort -u
