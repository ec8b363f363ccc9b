# The package installer and its launcher under Wine: staging of the sample package, the log lines
# the installer's analysis reads, the return code, the launcher passing that code through, and
# the removal of a published package (/u).
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
run() { WINE_TIMEOUT=60 wine "$probe" "$(winpath "$1")" | tr -d '\r'; }
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

# Removal with /u ARGUMENTS ($1) by the installer of the folder $3 (the sample package's unless
# given): the return code ($2) and the log's last line agree.
remove() {
  local program="${3:-$pkg}/DPInst$DPINST_WIDTH.exe"
  expect_eq "$(WINE_TIMEOUT=60 wine "$probe" "$(winpath "$program")" "" "$1" | tr -d '\r')" \
    "$2" "return code of /u $1"
  expect_eq "$(last_line)" "INFO:   Returning with code 0x$2" "return-code line of /u $1"
}
# The INF folder's name of the package the last install put into the driver store.
published() {
  local line
  line=$(grep -a "is in the driver store as" "$log" | tail -n 1 | tr -d '\r')
  line=${line##*\\}
  echo "${line%\'.}"
}
infs="$(win_windows)/inf"
name=$(published)
pnf="$infs/${name%.*}.pnf"
[ -f "$infs/$name" ] && [ -f "$pnf" ] || fail "no published INF '$name' and PNF: $(ls "$infs")"
remove "/u $name /q" 1
[ ! -e "$infs/$name" ] && [ ! -e "$pnf" ] || fail "/u left the INF or its PNF: $(ls "$infs")"
remove "/U $name /Q /SW /D" 0
grep -q "^INFO:   '$name' is not in the INF folder" "$log" || fail "no line for a second /u: $(cat "$log")"
# A published INF that cannot be deleted (read-only) is counted as not removed and stays.
expect_eq "$(run "$pkg/DPInst$DPINST_WIDTH.exe")" 100 "installer exit code, again"
name=$(published)
chmod a-w "$infs/$name"
remove "/u $name /q" 80010000
chmod u+w "$infs/$name"
[ -f "$infs/$name" ] || fail "a failed removal took the INF away"
grep -q "^ERROR:  Could not remove '$name' from the driver store" "$log" || fail "no failure line: $(cat "$log")"
# Only a file of the INF folder is ever looked at: a name reaching outside it, or a path
# elsewhere, deletes nothing there; no name at all fails the run.
printf '[Version]\r\n' | tee "$(win_windows)/outside.inf" >"$(win_temp)/else where.inf"
remove "/u ..\\outside.inf /q" 0
remove "/u \"$(winpath "$(win_temp)/else where.inf")\" /q" 0
remove "/u ..\\win.ini /q" 80000000
remove "/q /u" 80000000
# Nor one of Windows' own INFs (Wine's name no provider), whatever a changed entry names.
remove "/u input.inf /q" 80010000
grep -q "^ERROR:  'input.inf' may be one of Windows' own INF files" "$log" || fail "no refusal line: $(cat "$log")"
for file in "$(win_windows)/outside.inf" "$(win_temp)/else where.inf" "$(win_windows)/win.ini" "$infs/$name" "$infs/input.inf"; do
  [ -f "$file" ] || fail "/u deleted $file"
done
# A package installed on a present device: /u takes the device away first, then the INF and its
# PNF.
platform=x86
[ "$DPINST_WIDTH" = X64 ] && platform=amd64
device="$(win_temp)/device"
mkdir -p "$device"
printf '%s\r\n' '[Version]' 'Signature = "$Windows NT$"' 'Class = NorvaneTest' \
  'ClassGuid = {6e0f1a52-4c1e-4b8e-9a31-5d2c7e44109b}' 'Provider = Norvane' '[Manufacturer]' \
  "Norvane = Norvane, NT$platform" "[Norvane.NT$platform]" 'Dev = Dev, Root\NorvaneRemoval' '[Dev]' \
  '[Dev.Services]' 'AddService = , 2' >"$device/device.inf"
cp "$tools/DPInst${DPINST_WIDTH}Vista.exe" "$device/DPInst$DPINST_WIDTH.exe"
cp "$SOURCE_DIR/resources/payload/dpinst/dpinst.xml" "$device/"
instance=$(wine "$BUILD_DIR/tests/wine/presentdevice.exe" 'Root\NorvaneRemoval' | tr -d '\r')
expect_eq "$(run "$device/DPInst$DPINST_WIDTH.exe")" 1 "installed on the device"
[ -f "$infs/device.inf" ] && [ -f "$infs/device.pnf" ] || fail "device.inf and its PNF not published"
remove "/u device.inf /q" 1 "$device"
grep -qF "SUCCESS:Removed the device '$instance'." "$log" || fail "no device line: $(cat "$log")"
! wine reg query "HKLM\\System\\CurrentControlSet\\Enum\\$instance" >/dev/null 2>&1 || fail "$instance is still there"
[ ! -e "$infs/device.inf" ] && [ ! -e "$infs/device.pnf" ] || fail "/u left device.inf or its PNF"
# Where Windows has the driver uninstall call (10 1703 and later; Wine lacks it, a stand-in takes
# its place), /u goes through it with the published INF's whole path; its failure counts the
# package as not removed, its restart request sets the restart flag. The PNF goes all the same.
system="$(win_windows)/system32"
rm -f "$system/newdev.dll" # a hard link into the template prefix: never written through
cp "$BUILD_DIR/tests/wine/uninstalldrivernewdev.dll" "$system/newdev.dll"
[ -f "$infs/$name" ] && [ -f "$pnf" ] || fail "$name or its PNF not published: $(ls "$infs")"
chmod a-w "$infs/$name"
WINEDLLOVERRIDES="$WINEDLLOVERRIDES;newdev=n" remove "/u $name /q" 80010000
chmod u+w "$infs/$name"
grep -q "^ERROR:  Could not remove '$name' (error 0x5)" "$log" || fail "no failure line: $(cat "$log")"
WINEDLLOVERRIDES="$WINEDLLOVERRIDES;newdev=n" remove "/u $name /q" 40000001
expect_eq "$(cat "$(win_windows)/uninstalldriver.txt")" "C:\\windows\\inf\\$name|0" "the uninstall call"
[ ! -e "$infs/$name" ] && [ ! -e "$pnf" ] || fail "/u left $name or its PNF: $(ls "$infs")"

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
rm -f "$other/"*.cat
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
