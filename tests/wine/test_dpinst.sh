# The package installer and its launcher under Wine: staging of the sample package, the log lines
# the installer's analysis reads, the return code, and the launcher passing that code through.
source "$SOURCE_DIR/tests/wine/lib.sh"
wine_display
wine_prefix_new win7
probe="$BUILD_DIR/tests/wine/exitcodeprobe.exe"
tools="$BUILD_DIR/tools"
log="$(win_windows)/DPINST.LOG"

# A driver folder as the installer stages it, at the unix path $1 with the options file $2.
stage() {
  rm -rf "$1"
  mkdir -p "$1"
  cp "$SOURCE_DIR/resources/payload/driver/$VISTA_FOLDER/"* "$1/"
  cp "$2" "$1/DPInst.xml"
  cp "$tools/DPInst${DPINST_WIDTH}Vista.exe" "$1/DPInst$DPINST_WIDTH.exe"
  cp "$tools/prjRunWait.exe" "$1/RunDPInst$DPINST_WIDTH.exe"
}
# A run that waits for a person (a message box) would hang the test: 60 seconds at most.
run() { timeout 60 wine "$probe" "$(winpath "$1")" | tr -d '\r'; }
last_line() { tail -n 1 "$log" | tr -d '\r'; }

# The shipped options through the launcher, started from another working folder: the sample
# package goes into the driver store, no device matches, one package in the store only.
pkg="$(win_temp)/Norvane_InstallationFolder/Driver/$VISTA_FOLDER"
stage "$pkg" "$SOURCE_DIR/resources/payload/dpinst/dpinst.xml"
expect_eq "$(run "$pkg/RunDPInst$DPINST_WIDTH.exe")" 100 "launcher exit code, sample package"
cmp -s "$pkg/norvusb.inf" "$(win_windows)/inf/norvusb.inf" ||
  ls "$(win_windows)/inf/"oem*.inf >/dev/null 2>&1 ||
  fail "the sample INF did not reach the Windows INF folder"
[ -f "$log" ] || fail "no DPINST.LOG in the Windows folder"
# Every line ends with CR LF, and the bytes are single-byte text (no NUL).
expect_eq "$(grep -c $'\r$' "$log")" "$(wc -l <"$log")" "lines ending with CR LF"
expect_eq "$(tr -d '\000' <"$log" | wc -c)" "$(wc -c <"$log")" "single-byte log"
folder_line="INFO:   Current working directory: '$(winpath "$pkg")'"
grep -qxF "$folder_line"$'\r' "$log" || fail "no folder line '$folder_line' in: $(cat "$log")"
expect_eq "$(last_line)" "INFO:   Returning with code 0x100" "return-code line"
grep -q "^SUCCESS:'norvusb.inf' is in the driver store" "$log" || fail "no store line: $(cat "$log")"

# The installer itself gives the same code, and appends a second run to the log.
expect_eq "$(run "$pkg/DPInst$DPINST_WIDTH.exe")" 100 "installer exit code"
expect_eq "$(grep -c 'Returning with code' "$log")" 2 "runs in the log"

# A broken package beside the good one: one in the store, one failed, the failure flag set;
# the launcher passes the whole code through.
printf '; no sections at all\r\n' >"$pkg/broken.inf"
expect_eq "$(run "$pkg/RunDPInst$DPINST_WIDTH.exe")" 80010100 "launcher exit code, one broken package"
expect_eq "$(last_line)" "INFO:   Returning with code 0x80010100" "return-code line, broken package"
rm "$pkg/broken.inf"

# Options are read: without legacyMode an unsigned package (no catalogue) fails.
quiet="$(mktemp)"
printf '<?xml version="1.0" ?>\r\n<dpInst>\r\n  <quietInstall/>\r\n</dpInst>\r\n' >"$quiet"
other="$(win_temp)/strict"
stage "$other" "$quiet"
expect_eq "$(run "$other/RunDPInst$DPINST_WIDTH.exe")" 80010000 "unsigned package without legacyMode"
grep -q "^ERROR:  'norvusb.inf' is not signed" "$log" || fail "no refusal line: $(cat "$log")"

# A launcher whose installer is missing reports the failure flag, not success.
rm "$other/DPInst$DPINST_WIDTH.exe"
expect_eq "$(run "$other/RunDPInst$DPINST_WIDTH.exe")" 80000000 "launcher without installer"

# Runs that could not do their work fail: a folder without any INF, and (last: it replaces the
# prefix's setupapi.dll) a setup API that cannot list the devices.
rm "$pkg/"*.inf
expect_eq "$(run "$pkg/DPInst$DPINST_WIDTH.exe")" 80000000 "folder without an INF"
grep -q "^ERROR:  No driver package" "$log" || fail "no line for the missing INF: $(cat "$log")"
stage "$pkg" "$SOURCE_DIR/resources/payload/dpinst/dpinst.xml"
system="$(win_windows)/system32"
rm -f "$system/setupapi.dll" # a hard link into the template prefix: never written through
cp "$BUILD_DIR/tests/wine/nodevicesetupapi.dll" "$system/setupapi.dll"
expect_eq "$(WINEDLLOVERRIDES="$WINEDLLOVERRIDES;setupapi=n" run "$pkg/DPInst$DPINST_WIDTH.exe")" \
  80000000 "devices not listed"
grep -q "^ERROR:  Could not list the present devices" "$log" || fail "no line for the device list: $(cat "$log")"
echo "PASS"
