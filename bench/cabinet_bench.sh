#!/bin/bash
# Cabinet benchmark: a generated MSZIP cabinet of about 100 MB in 2,000 files of mixed sizes,
# extracted by CabFile (64-bit build under Wine) and by Wine's extrac32.exe in the same run.
#   BUILD_DIR=<win64 build folder> bench/cabinet_bench.sh [FILES] [MEGABYTES] [ROUNDS]
set -euo pipefail
: "${BUILD_DIR:?BUILD_DIR must name the win64 build folder}"
files=${1:-2000}
megabytes=${2:-100}
rounds=${3:-3}
export WINEARCH=win64 WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
WINEPREFIX=$(mktemp -d /tmp/cabbench-XXXXXX)
export WINEPREFIX
trap 'wineserver -k 2>/dev/null || true; rm -rf "$WINEPREFIX"' EXIT
if [ -f "$BUILD_DIR/wine-template/.ready" ]; then cp -a "$BUILD_DIR/wine-template/." "$WINEPREFIX/"; else wineboot -i >/dev/null 2>&1; fi

work="$WINEPREFIX/drive_c/bench"
mkdir -p "$work/src"
python3 "$(dirname "$0")/generate_payload.py" "$work/src" "$files" "$megabytes"
(cd "$work/src" && find . -type f -printf '%P\n' | sort | xargs -d '\n' gcab -c -z ../bench.cab)
echo "cabinet: $(stat -c %s "$work/bench.cab") bytes, $files files, $(du -sb "$work/src" | cut -f1) bytes unpacked"

wine "$BUILD_DIR/tests/wine/cabprobe.exe" walk 'C:\bench\bench.cab' >/dev/null 2>&1 || true  # warm the caches
for ((round = 1; round <= rounds; round++)); do
  rm -rf "$work/ours" "$work/theirs"
  echo "round $round"
  wine "$BUILD_DIR/bench/cabbench.exe" 'C:\bench\bench.cab' 'C:\bench\ours' 'C:\bench\theirs' | tr -d '\r'
done
diff -r "$work/src" "$work/ours" >/dev/null && echo "CabFile output identical to the source tree"
diff -r "$work/src" "$work/theirs" >/dev/null && echo "extrac32 output identical to the source tree"
