# Shared helpers of the Wine tests. Source it; it expects BUILD_DIR (the win64 or the win32 build
# folder). The program under test is the one that build folder makes:
#   INSTALLER                  its file name: Installer64.exe (win64) or the shipped Installer.exe (win32)
#   INSTALLER_ARG              its name as the manifest command spells it (lower case, no extension)
#   wine_prefix_new [VERSION]  a throwaway 64-bit prefix (copied from a cached template), exported as
#                              WINEPREFIX; VERSION is a Wine version name (win7, winxp, win98, ...)
#   wine_display               (call it first) an X display: the caller's, or a private Xvfb 1024x768x24
#   win_temp, win_windows      unix paths of C:\users\<user>\Temp and C:\windows
#   robot ARGS...              the UI robot (see programs/robot.cpp)
#   fail MSG; expect_eq ACTUAL EXPECTED MSG
# Everything made here goes when the test's shell exits.
set -euo pipefail

: "${BUILD_DIR:?BUILD_DIR must name the win64 or win32 build folder}"
if [ -f "$BUILD_DIR/Installer64.exe" ]; then INSTALLER=Installer64.exe; else INSTALLER=Installer.exe; fi
INSTALLER_ARG=$(basename "$INSTALLER" .exe | tr '[:upper:]' '[:lower:]')
export WINEARCH=win64 WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
unset WINELOADERNOEXEC || true

_cleanup_actions=()
_cleanup() {
  local i
  for ((i = ${#_cleanup_actions[@]} - 1; i >= 0; i--)); do eval "${_cleanup_actions[i]}" || true; done
}
trap _cleanup EXIT
on_exit() { _cleanup_actions+=("$1"); }

fail() {
  echo "FAIL: $*" >&2
  exit 1
}

expect_eq() {
  if [ "$1" != "$2" ]; then
    printf 'FAIL: %s\n  actual:   %q\n  expected: %q\n' "$3" "$1" "$2" >&2
    exit 1
  fi
}

# One template prefix per build folder, made once (under a lock: tests run in parallel).
_wine_template() {
  local template="$BUILD_DIR/wine-template"
  (
    flock 9
    if [ ! -f "$template/.ready" ]; then
      rm -rf "$template"
      WINEPREFIX="$template" wineboot -i >/dev/null 2>&1
      WINEPREFIX="$template" wineserver -w
      touch "$template/.ready"
    fi
  ) 9>"$BUILD_DIR/wine-template.lock"
  echo "$template"
}

wine_prefix_new() {
  local template
  template=$(_wine_template)
  WINEPREFIX=$(mktemp -d /tmp/wine-test-XXXXXX)
  export WINEPREFIX
  cp -a "$template/." "$WINEPREFIX/"
  rm -f "$WINEPREFIX/.ready"
  on_exit "WINEPREFIX='$WINEPREFIX' wineserver -k 2>/dev/null; rm -rf '$WINEPREFIX'"
  if [ -n "${1:-}" ]; then
    wine reg add 'HKCU\Software\Wine' /v Version /d "$1" /f >/dev/null 2>&1
    # The desktop process picks its graphics driver when it starts: let the next program start
    # it anew, with whatever display the test has set up by then.
    wineserver -k 2>/dev/null || true
  fi
  mkdir -p "$(win_temp)"
}

wine_display() {
  if [ -n "${DISPLAY:-}" ] && xdpyinfo >/dev/null 2>&1; then return; fi
  local fifo display
  fifo=$(mktemp -u /tmp/xvfb-XXXXXX)
  mkfifo "$fifo"
  Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp 3>"$fifo" >/dev/null 2>&1 &
  on_exit "kill $! 2>/dev/null"
  read -r display <"$fifo"
  rm -f "$fifo"
  export DISPLAY=":$display"
}

win_temp() { echo "$WINEPREFIX/drive_c/users/$(id -un)/Temp"; }
win_windows() { echo "$WINEPREFIX/drive_c/windows"; }

robot() { wine "$BUILD_DIR/tests/wine/robot.exe" "$@"; }

# Waits up to $2 seconds for the process $1 to end; fails the test when it does not.
wait_exit() {
  local pid=$1 seconds=${2:-10} i
  for ((i = 0; i < seconds * 10; i++)); do
    kill -0 "$pid" 2>/dev/null || { wait "$pid" 2>/dev/null || true; return 0; }
    sleep 0.1
  done
  fail "process $pid still running after ${seconds}s"
}

# Windows form of a unix path (through Wine's Z: drive or the prefix's C:).
winpath() { winepath -w "$1" 2>/dev/null; }

# A copy of the program under test at the unix path $1 (made inside the prefix), with resources replaced:
#   installer_variant DEST [TYPE ID FILE ...]
installer_variant() {
  local dest=$1
  shift
  mkdir -p "$(dirname "$dest")"
  cp "$BUILD_DIR/$INSTALLER" "$dest"
  if [ $# -gt 0 ]; then
    local given=("$@") args=() i
    for ((i = 0; i < ${#given[@]}; i += 3)); do
      args+=("${given[i]}" "${given[i + 1]}" "$(winpath "${given[i + 2]}")")
    done
    wine "$BUILD_DIR/tests/wine/resedit.exe" "$(winpath "$dest")" "${args[@]}" ||
      fail "could not put the test resources into $dest"
  fi
}

# The text of the first label of a window.
window_label() { robot texts "$1" | tr -d '\r' | grep '^Static|.' | head -1 | cut -d'|' -f2-; }

# Everything in the temporary folder, one name per line, for before/after comparisons.
temp_listing() { (cd "$(win_temp)" && find . -mindepth 1 | sort); }
