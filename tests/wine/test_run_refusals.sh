# Editions the configuration refuses: the message, then a complete clean-up, and from the plain
# start the exit code 1633 (661 in hexadecimal, read whole inside Wine).
source "$SOURCE_DIR/tests/wine/lib.sh"
wine_display
title="Norvane Driver/Utility Installer v1.4"
work=$(mktemp -d)
on_exit "rm -rf '$work'"

# expect_refusal TEXT-PREFIX [EXIT]: runs the program in the prefix, expects one box starting with
# it, and the exit code EXIT in hexadecimal (default 661: not supported).
expect_refusal() {
  installer_variant "$WINEPREFIX/drive_c/dist/$INSTALLER" CONFIG 7 "$config"
  local before
  before=$(temp_listing)
  wine "$BUILD_DIR/tests/wine/exitcodeprobe.exe" "C:\\dist\\$INSTALLER" >"$work/exit" &
  local pid=$!
  robot wait "$title" 60 || fail "$1: no message"
  local text
  text=$(window_label "$title")
  [ "${text#"$1"}" != "$text" ] || fail "message \"$text\" does not start with \"$1\""
  robot click "$title" OK
  wait_exit $pid 30
  expect_eq "$(temp_listing)" "$before" "$1: temporary folder after the refusal"
  expect_eq "$(tr -d '\r' <"$work/exit")" "${2:-661}" "$1: exit code"
}

config="$SOURCE_DIR/resources/config.txt"
wine_prefix_new win98
expect_refusal "This installer can't be used on Windows 98"
echo "win98: ok"

# Windows 2000 as its registry gives it, with a configuration that requires Service Pack 4.
windows2000() {
  wine_prefix_new
  local key='HKLM\Software\Microsoft\Windows NT\CurrentVersion'
  wine reg delete 'HKCU\Software\Wine' /v Version /f >/dev/null 2>&1 || true
  wine reg delete "$key" /v CurrentMajorVersionNumber /f >/dev/null 2>&1 || true
  wine reg delete "$key" /v CurrentMinorVersionNumber /f >/dev/null 2>&1 || true
  wine reg add "$key" /v CurrentVersion /d 5.0 /f >/dev/null
  wine reg add "$key" /v CurrentBuildNumber /d 2195 /f >/dev/null
  wine reg add "$key" /v CSDVersion /d "$1" /f >/dev/null
  wine_restart
}
sed 's/^Win2KSP4Required=False/Win2KSP4Required=True/' "$SOURCE_DIR/resources/config.txt" >"$work/config.txt"
config="$work/config.txt"
windows2000 "Service Pack 1"
expect_refusal "This installation requires the use of Service Pack 4. Please download and install Service Pack 4 from Windows Update, or via the Microsoft website ("
echo "win2k sp1: ok"

# With Service Pack 4 it is admitted. The shipped program installs from "2000_XP\" and shows its
# finish window. The 64-bit build stages the 32-bit installer, which it cannot start: the shell's
# error box is dismissed, no finish window, and still a clean-up.
windows2000 "Service Pack 4"
installer_variant "$WINEPREFIX/drive_c/dist/$INSTALLER" CONFIG 7 "$config"
before=$(temp_listing)
wine "$WINEPREFIX/drive_c/dist/$INSTALLER" &
pid=$!
finished=0
for _ in $(seq 300); do
  kill -0 $pid 2>/dev/null || break
  robot wait Error 0 && robot click Error OK || true
  if robot wait Finished 0; then
    [ "$INSTALLER_BITS" = 32 ] || fail "win2k sp4: a finish window after a 32-bit installer"
    finished=1
    robot click Finished "&Ok"
  fi
  robot wait "$title" 0 && fail "win2k sp4: refused: $(window_label "$title")"
  sleep 0.2
done
wait_exit $pid 10
[ "$INSTALLER_BITS" = 64 ] || expect_eq "$finished" 1 "win2k sp4: finish window"
expect_eq "$(temp_listing)" "$before" "win2k sp4: temporary folder after the run"
echo "win2k sp4: ok"

# A configuration whose driver folder or program leads out of the driver folder is refused before
# anything runs.
outside="The configuration names a path outside the driver folder: "
sed 's/^\(\$[A-Za-z0-9]*\)=.*$/\1=..\\..\\\r/' "$SOURCE_DIR/resources/config.txt" >"$work/config.txt"
config="$work/config.txt"
wine_prefix_new
expect_refusal "$outside..\\..\\" 643
echo "driver folder with ..: ok"
sed 's/=->DRIVER_SILENT/=..\\..\\evil.exe/' "$SOURCE_DIR/resources/config.txt" >"$work/config.txt"
wine_prefix_new
expect_refusal "$outside..\\..\\evil.exe" 643
echo "program with ..: ok"

# A user without administrator rights who says No to the question: exit code 1602 (642). Wine
# counts every user as an administrator; standarduser.exe is the installer with that answer changed.
wine_prefix_new win7
dist="$WINEPREFIX/drive_c/dist"
mkdir -p "$dist"
cp "$BUILD_DIR/tests/wine/standarduser.exe" "$dist/Setup.exe"
wine "$BUILD_DIR/tests/wine/resedit.exe" 'C:\dist\Setup.exe' CAB 1 "$(winpath "$BUILD_DIR/payload/1.cab")" \
  CAB 386 "$(winpath "$BUILD_DIR/payload/386.cab")" CONFIG 7 "$(winpath "$SOURCE_DIR/resources/config.txt")" ||
  fail "could not give standarduser.exe the installer's resources"
before=$(temp_listing)
wine "$BUILD_DIR/tests/wine/exitcodeprobe.exe" 'C:\dist\Setup.exe' >"$work/exit" &
pid=$!
robot wait "Critical Error" 60 || fail "standard user: no administrator question"
robot click "Critical Error" No
wait_exit $pid 30
expect_eq "$(temp_listing)" "$before" "standard user: temporary folder after No"
expect_eq "$(tr -d '\r' <"$work/exit")" 642 "standard user: exit code after No"
echo "standard user, no: ok"
