# Not a test: a probe of how the removal run can take the kept copy away while it runs as the
# relauncher a deployment tool waits on. Builds selfdelete.exe and runs it from a kept folder in a
# fresh prefix of the width ARCH; prints the probe's own log, the temporary and kept folders after
# it, and a pending rename at the next restart where one was left.
#   BUILD_DIR=build/win32 bash tests/wine/probes/selfdelete.sh win32|win64 parent|parent-nodoc
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
out=$(mktemp -d)
i686-w64-mingw32-g++ -O2 -static -o "$out/selfdelete.exe" "$here/selfdelete.cpp"
export PATH=$HOME/.cache/norvane-installer/wine32/bin:$PATH WINEDEBUG=-all WINEARCH=$1
export WINEPREFIX="$out/prefix"
cp -a "$BUILD_DIR/wine-template-$1/." "$WINEPREFIX/"
kept="$WINEPREFIX/drive_c/Program Files/Probe"
temp="$WINEPREFIX/drive_c/users/$(id -un)/Temp"
mkdir -p "$kept" "$temp"
cp "$out/selfdelete.exe" "$kept/Uninstall.exe"
wine 'C:\Program Files\Probe\Uninstall.exe' "$2" && code=0 || code=$?
echo "relauncher's exit code: $code"
sleep 3
wineserver -w
cat "$WINEPREFIX/drive_c/probe.log"
echo "temporary folder: $(ls -A "$temp")"
echo "kept folder: $(ls -A "$kept" 2>&1)"
grep -a -A1 PendingFileRename "$WINEPREFIX/system.reg" || true
wineserver -k || true
rm -rf "$out"
