# Shared helpers of the Wine tests. Source it; it expects BUILD_DIR (the win64 or the win32 build
# folder). The program under test is the one that build folder makes:
#   INSTALLER                  its file name: Installer64.exe (win64) or the shipped Installer.exe (win32)
#   INSTALLER_ARG              its name as the manifest command spells it (lower case, no extension)
#   INSTALLER_BITS             32 or 64
#   VISTA_KEY, VISTA_FOLDER    the edition key and driver folder a Windows 7 prefix gives it
#   DPINST_WIDTH               X64 or X86: the driver installer and launcher staged for that edition
# The win32 build runs under the private 32-bit Wine (scripts/setup-wine32), in a 32-bit prefix
# unless use_wine_arch win64 asks for a 64-bit one that runs it through WoW64.
#   wine_prefix_new [VERSION]  a throwaway 64-bit prefix (copied from a cached template), exported as
#                              WINEPREFIX; VERSION is a Wine version name (win7, winxp, win98, ...)
#   wine_restart               every program of the prefix ended, its server started anew (below)
#   wine_display               (call it first) an X display: the caller's, or a private Xvfb 1024x768x24
#   win_temp, win_windows      unix paths of C:\users\<user>\Temp and C:\windows
#   robot ARGS...              the UI robot (see programs/robot.cpp)
#   fail MSG; expect_eq ACTUAL EXPECTED MSG
# Everything made here goes when the test's shell exits, except the record of its Wine calls (below).
set -euo pipefail

: "${BUILD_DIR:?BUILD_DIR must name the win64 or win32 build folder}"
if [ -f "$BUILD_DIR/Installer64.exe" ]; then
  INSTALLER=Installer64.exe INSTALLER_BITS=64
  export WINEARCH=win64
else
  INSTALLER=Installer.exe INSTALLER_BITS=32
  export WINEARCH=win32
  PATH="${WINE32_CACHE:-${XDG_CACHE_HOME:-$HOME/.cache}/norvane-installer/wine32}/bin:$PATH"
  command -v wine | grep -q norvane-installer || { echo "FAIL: no private 32-bit Wine (run scripts/setup)" >&2; exit 1; }
fi
INSTALLER_ARG=$(basename "$INSTALLER" .exe | tr '[:upper:]' '[:lower:]')
# use_wine_arch ARCH: the width of the prefixes made from now on. What Windows 7 and later look like
# to the program under test follows: 64-bit Windows in a 64-bit prefix (also for the shipped
# program, through WoW64), 32-bit Windows in a 32-bit one.
use_wine_arch() {
  export WINEARCH=$1
  if [ "$WINEARCH" = win64 ]; then
    VISTA_KEY=Vista64 VISTA_FOLDER="Vista 64bit" DPINST_WIDTH=X64
  else
    VISTA_KEY=Vista VISTA_FOLDER="Vista 32bit" DPINST_WIDTH=X86
  fi
}
use_wine_arch "$WINEARCH"
export WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
unset WINELOADERNOEXEC || true

# Every call of wine, wineserver, winepath and wineboot goes through _wine_call (the functions of
# those names below stand in for the commands), which keeps it in a folder of its own under
# WINE_CALLS until the test runs again: the command and its prefix, the exit code the shell saw
# (the low byte of the Windows one), start and end, standard error and, where a pipe reads it
# (a probe's answer), standard output. Standard output passes through as it comes; standard error
# once the call has ended. WINE_TIMEOUT=SECONDS before a call ends it after that long (exit code
# 124). A test that fails for any reason prints the calls that tell why (_wine_calls_report).
WINE_CALLS="$BUILD_DIR/wine-calls/$(basename "$0" .sh)"
rm -rf "$WINE_CALLS"
mkdir -p "$WINE_CALLS"
_wine_call() {
  local call="$WINE_CALLS/${EPOCHREALTIME/./}-$BASHPID" run=(command) status
  [ -z "${WINE_TIMEOUT:-}" ] || run=(timeout "$WINE_TIMEOUT")
  mkdir "$call"
  { printf '%q ' "$@" && echo "${WINE_TIMEOUT:+(WINE_TIMEOUT=$WINE_TIMEOUT)}"; } >"$call/command"
  echo "${WINEPREFIX:-}" >"$call/prefix"
  # A pipe other than the test's own output is a caller reading the answer: keep a copy of it.
  if [ -p /dev/stdout ] && ! [ /dev/stdout -ef "/proc/$$/fd/1" ]; then
    { status=0 && "${run[@]}" "$@" 2>"$call/stderr" || status=$?; echo "$status $EPOCHREALTIME" >"$call/status"; } |
      tee "$call/stdout" || true
  else
    if [ /dev/stdout -ef "/proc/$$/fd/1" ]; then echo "the test's output"; else readlink "/proc/$BASHPID/fd/1"; fi >"$call/stdout-to"
    status=0 && "${run[@]}" "$@" 2>"$call/stderr" || status=$?
    echo "$status $EPOCHREALTIME" >"$call/status"
  fi
  cat "$call/stderr" >&2
  read -r status _ <"$call/status" || status=255
  return "$status"
}
wine() { _wine_call wine "$@"; }
wineserver() { _wine_call wineserver "$@"; }
winepath() { _wine_call winepath "$@"; }
wineboot() { _wine_call wineboot "$@"; }

# The calls that tell why a test failed: the last ones, any still running, and any earlier one
# that wrote to standard error or ended with a code other than 0 or 1 (1 is the everyday "no":
# a window not there yet, a key not found).
_wine_calls_report() {
  local calls=("$WINE_CALLS"/*/) i call shown=0 status end began out
  [ -d "${calls[0]:-}" ] || return 0
  echo "Wine calls of this test: ${#calls[@]}, each kept in $WINE_CALLS; the last and the telling ones:"
  for ((i = 0; i < ${#calls[@]}; i++)); do
    call=${calls[i]%/}
    status=running end=""
    [ ! -f "$call/status" ] || read -r status end <"$call/status"
    if ((i < ${#calls[@]} - 10)) && [ ! -s "$call/stderr" ] && [[ $status =~ ^[01]$ ]]; then continue; fi
    if ((++shown > 40)); then echo "  ... and more in the folder" && break; fi
    began=${call##*/} began=${began%-*}
    case $status in
      running) status="still running" ;;
      124) status="ended by WINE_TIMEOUT" ;;
      *) status="exit code $status" ;;
    esac
    [ -z "$end" ] || status+=" after $(((${end/./} - began) / 1000)) ms"
    if [ -f "$call/stdout-to" ]; then
      out="standard output went to $(cat "$call/stdout-to")"
    elif [ -s "$call/stdout" ]; then
      out="printed $(wc -c <"$call/stdout") bytes: $(head -c 200 "$call/stdout" | tr '\r\n' '  ')"
    else
      out="PRINTED NOTHING"
    fi
    printf '  [%d] %s\n      %s in %s; %s\n' $((i + 1)) "$(cat "$call/command")" "$status" \
      "$(cat "$call/prefix")" "$out"
    [ ! -s "$call/stderr" ] || tail -n 20 "$call/stderr" | sed 's/^/      stderr: /'
  done
}

_cleanup_actions=()
_cleanup() {
  local status=$? i
  [ "$status" = 0 ] || _wine_calls_report >&2
  for ((i = ${#_cleanup_actions[@]} - 1; i >= 0; i--)); do eval "${_cleanup_actions[i]}" || true; done
}
trap _cleanup EXIT
on_exit() { _cleanup_actions+=("$1"); }
# ctest ends a test that overruns its time limit without a word from it: the calls come first.
if [ -n "${WINE_TEST_TIMEOUT:-}" ]; then
  (
    sleep $((WINE_TEST_TIMEOUT - 15)) </dev/null >/dev/null 2>&1 &
    trap 'kill $! 2>/dev/null; exit 0' TERM
    wait $! && echo "FAIL: about to overrun the time limit of ${WINE_TEST_TIMEOUT} s" && _wine_calls_report
  ) >&2 &
  on_exit "kill $! 2>/dev/null"
fi

fail() {
  echo "FAIL: $*" >&2
  exit 1
}

# An answer that is empty where one was expected is named as such: a probe that printed nothing
# has its call among those the failure prints.
expect_eq() {
  if [ "$1" != "$2" ]; then
    [ -n "$1" ] || fail "$3: nothing at all, where $(printf %q "$2") was expected"
    printf 'FAIL: %s\n  actual:   %q\n  expected: %q\n' "$3" "$1" "$2" >&2
    exit 1
  fi
}

# One template prefix per build folder and width, made once (under a lock: tests may run in parallel).
# Its windows are unmanaged: Xvfb has no window manager, and Wine waits 2 s for one each time a
# managed window is hidden (a plain start to the finish window: about 5.5 s managed, 1.5 s not).
_wine_template() {
  local template="$BUILD_DIR/wine-template-$WINEARCH"
  (
    flock 9
    if [ ! -f "$template/.ready-unmanaged" ]; then
      rm -rf "$template"
      WINEPREFIX="$template" wineboot -i >/dev/null 2>&1
      WINEPREFIX="$template" wine reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f >/dev/null 2>&1
      WINEPREFIX="$template" wineserver -w
      touch "$template/.ready-unmanaged"
    fi
  ) 9>"$template.lock"
  echo "$template"
}

wine_prefix_new() {
  local template
  template=$(_wine_template)
  WINEPREFIX=$(mktemp -d /tmp/wine-test-XXXXXX)
  export WINEPREFIX
  # The system folders hold hundreds of megabytes of Wine's own DLLs that no test writes to:
  # hard links instead of copies. Everything else (registry, users, windows, inf) is copied.
  tar -C "$template" --exclude=./drive_c/windows/system32 --exclude=./drive_c/windows/syswow64 -cf - . |
    tar -C "$WINEPREFIX" -xf -
  local dir
  for dir in system32 syswow64; do
    [ ! -d "$template/drive_c/windows/$dir" ] || cp -al "$template/drive_c/windows/$dir" "$WINEPREFIX/drive_c/windows/"
  done
  rm -f "$WINEPREFIX/.ready-unmanaged"
  on_exit "WINEPREFIX='$WINEPREFIX' wineserver -k 2>/dev/null; rm -rf '$WINEPREFIX'"
  wineserver -p
  if [ -n "${1:-}" ]; then
    wine reg add 'HKCU\Software\Wine' /v Version /d "$1" /f >/dev/null 2>&1
    # The desktop process picks its graphics driver when it starts: let the next program start
    # it anew, with whatever display the test has set up by then.
    wine_restart
  fi
  mkdir -p "$(win_temp)"
}

# Each prefix keeps one server, started persistent (-p), from its making to the test's end: the
# server Wine starts by itself ends as soon as the prefix's last program has ended (Debian's
# wineserver script passes -p0; the private 32-bit Wine's waits 3 s), first telling the desktop
# and the services to end, and a program started meanwhile meets a prefix on its way down.
# wine_restart ends every program of the prefix and starts its server anew: the registry is read
# again, and the next program starts the desktop and the services anew. -k does not wait for the
# old server to be gone, and a start in that moment can meet it on its way down (seen once:
# winepath ending 1 after 14 ms, printing nothing); -w waits until it has gone.
wine_restart() {
  wineserver -k 2>/dev/null || true
  wineserver -w
  wineserver -p
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
    # The program's last run may still be on its way out (its image mapped) just after its exit
    # code came: the resource update is tried again, on a fresh copy, for a few seconds.
    for ((i = 0; i < 20; i++)); do
      wine "$BUILD_DIR/tests/wine/resedit.exe" "$(winpath "$dest")" "${args[@]}" && return 0
      sleep 0.5
      cp "$BUILD_DIR/$INSTALLER" "$dest"
    done
    fail "could not put the test resources into $dest"
  fi
}

# finish_run PROGRAM [ARGUMENTS [CAPTION]]: a start of the Windows path PROGRAM to its finish
# window (captioned CAPTION, "Finished" unless given), OK pressed; sets finish_label (the window's
# outcome text) and finish_exit (the whole exit code, hexadecimal).
finish_run() {
  local exit_file pid caption=${3:-Finished}
  exit_file=$(mktemp)
  wine "$BUILD_DIR/tests/wine/exitcodeprobe.exe" "$1" ${2:+""} ${2:+"$2"} >"$exit_file" &
  pid=$!
  robot wait "$caption" 90 || fail "$1 showed no finish window"
  finish_label=$(window_label "$caption")
  robot click "$caption" "&Ok"
  wait_exit $pid 30
  finish_exit=$(tr -d '\r' <"$exit_file")
  rm -f "$exit_file"
}

# exit_of PROGRAM ARGUMENTS: runs the Windows path PROGRAM to its end; prints its whole exit code
# in hexadecimal.
exit_of() { wine "$BUILD_DIR/tests/wine/exitcodeprobe.exe" "$1" "" "$2" | tr -d '\r'; }

# The text of the first label of a window.
window_label() { robot texts "$1" | tr -d '\r' | awk '/^Static\|./ && !n++' | cut -d'|' -f2-; }

# Everything in the temporary folder, one name per line, for before/after comparisons.
temp_listing() { (cd "$(win_temp)" && find . -mindepth 1 | sort); }
