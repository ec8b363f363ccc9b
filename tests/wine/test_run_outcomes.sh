# Each outcome of the driver installer's return code, through the whole program from a plain
# start: a scripted stand-in writes the chosen code into the log, the finish window and message
# box show its text, and the relauncher ends with the exit code a deployment tool reads (read
# whole inside Wine, in hexadecimal).
source "$SOURCE_DIR/tests/wine/lib.sh"
wine_display
wine_prefix_new win7
work=$(mktemp -d)
on_exit "rm -rf '$work'"
title="Norvane Driver/Utility Installer v1.4"
C="The drivers have been successfully installed."
D="If your device isn't plugged in yet, connect it now to finish the installation."
F="Something went wrong during the installation, or the setup has been cancelled. -(error:%1)"
R="Please reboot your PC to complete the installation."

# Cabinet 386 with the scripted stand-in in place of the real installer, and the real launcher.
mkdir -p "$work/386"
cp "$SOURCE_DIR/resources/payload/dpinst/dpinst.xml" "$work/386/"
cp "$BUILD_DIR/tests/wine/fakedpinst.exe" "$work/386/DPInstX64Vista.exe"
cp "$BUILD_DIR/tests/wine/fakedpinst.exe" "$work/386/DPInstX86Vista.exe"
cp "$BUILD_DIR/payload/386/prjRunWait.exe" "$work/386/"
(cd "$work/386" && gcab -c -z "$work/386.cab" *)

# Driver cabinet whose Windows 7 folder holds the code to return (and, for the program-name mode,
# a setup program of its own).
driver_cabinet() {
  rm -rf "$work/1" && mkdir -p "$work/1/$VISTA_FOLDER"
  printf '%s' "$1" >"$work/1/$VISTA_FOLDER/code.txt"
  cp "$BUILD_DIR/tests/wine/fakedpinst.exe" "$work/1/$VISTA_FOLDER/setup.exe"
  (cd "$work/1" && gcab -c -z "$work/1.cab" "$VISTA_FOLDER/code.txt" "$VISTA_FOLDER/setup.exe")
}

# run CODE [CONFIG]: runs a variant to its end; sets caption, label, box (texts with \n) and exit.
run() {
  driver_cabinet "$1"
  local config=${2:-$SOURCE_DIR/resources/config.txt}
  installer_variant "$WINEPREFIX/drive_c/dist/$INSTALLER" CAB 1 "$work/1.cab" CAB 386 \
    "$work/386.cab" CONFIG 7 "$config"
  before=$(temp_listing)
  wine "$BUILD_DIR/tests/wine/exitcodeprobe.exe" "C:\\dist\\$INSTALLER" >"$work/exit" &
  local pid=$! i
  caption="" label="" box=""
  for ((i = 0; i < 300; i++)); do
    for candidate in Finished Failed; do
      if robot wait "$candidate" 0; then caption=$candidate; break 2; fi
    done
    kill -0 $pid 2>/dev/null || break
    sleep 0.1
  done
  if [ -n "$caption" ]; then
    label=$(window_label "$caption")
    if robot wait "$title" 3; then
      box=$(window_label "$title")
      if [ -n "${LINGER:-}" ]; then
        # The countdown (15 s) runs out under the box; the box and its run must outlive it.
        sleep 16
        kill -0 $pid 2>/dev/null || fail "code $1: the run ended under the open message box"
        robot wait "$title" 0 || fail "code $1: the message box vanished unread"
      fi
      robot click "$title" OK
      robot gone "$title" 5 || true
    fi
    # After a lingering box the countdown, already out, ends the run on its next tick.
    [ -n "${LINGER:-}" ] || robot click "$caption" "&Ok"
  fi
  wait_exit $pid 30
  exit=$(tr -d '\r' <"$work/exit")
  expect_eq "$(temp_listing)" "$before" "code $1: temporary folder after the run"
}

lf='\n'
# Exit codes: 0 installed (also in the store only), BC2 = 3010 restart needed, 643 = 1603 failed
# or partly installed.
while IFS='|' read -r code exit_want caption_want label_want box_want; do
  [ -n "$code" ] || continue
  run "$code"
  expect_eq "$caption" "$caption_want" "code $code: caption"
  expect_eq "$label" "$label_want" "code $code: label"
  expect_eq "$box" "$box_want" "code $code: message box"
  expect_eq "$exit" "$exit_want" "code $code: exit code"
  echo "code $code: ok"
done <<EOF_ROWS
100|0|Finished|$D|
1|0|Finished|$C|
0|0|Finished|$D|
101|0|Finished|$C$lf$lf$D|
40000001|BC2|Finished|$C|$C\r\n\r\n$R
40000100|BC2|Finished|$D\r\n\r\n$R|
40000101|BC2|Finished|$C|$C$lf$D\r\n\r\n$R
80010000|643|Failed|${F/\%1/1}|
80000000|643|Failed|Aborted|
C0010001|643|Finished|The drivers were partially installed.$lf$lf$R|
20000001|643|||
123456789|643|||
EOF_ROWS

# A user who reads the reboot box slowly: the countdown must not take it away.
LINGER=1 run 40000001
expect_eq "$box" "$C\r\n\r\n$R" "lingering box: its text"
echo "lingering reboot box: ok"

# The two modes without log analysis end without a finish window, after their program ran: the
# driver installer's code passes on through its launcher, a setup program's code 1 is a failure.
for row in "->DRIVER|0" "setup.exe|643"; do
  mode=${row%|*}
  sed "s/^$VISTA_KEY=->DRIVER_SILENT/$VISTA_KEY=$mode/" "$SOURCE_DIR/resources/config.txt" >"$work/config.txt"
  grep -q "^$VISTA_KEY=$mode" "$work/config.txt" || fail "could not make the $mode configuration"
  : >"$(win_windows)/DPINST.LOG"
  run 1 "$work/config.txt"
  expect_eq "$caption" "" "$mode: finish window"
  grep -q 'Returning with code 0x1' "$(win_windows)/DPINST.LOG" || fail "$mode: the program did not run"
  expect_eq "$exit" "${row#*|}" "$mode: exit code"
  echo "mode $mode: ok"
done
