# The starts a deployment tool makes, through the whole program. With a desktop, /passive shows
# the progress window and never a finish window or a box. Without any desktop (Wine's null
# graphics driver, as for a program run as SYSTEM): /quiet with a restart ends by itself with 3010
# and its log, a refused edition with 1633, /S with 1639, and a second start while a run goes with
# 1618. Exit codes are read whole inside Wine, in hexadecimal.
source "$SOURCE_DIR/tests/wine/lib.sh"
wine_display
wine_prefix_new win7
work=$(mktemp -d)
on_exit "rm -rf '$work'"
title="Norvane Driver/Utility Installer v1.4"
probe="$BUILD_DIR/tests/wine/exitcodeprobe.exe"
logs="$WINEPREFIX/drive_c/logs"
mkdir -p "$logs"

# Cabinet 386 with the scripted stand-in, whose code.txt in the driver folder asks for a restart.
mkdir -p "$work/386" "$work/1/$VISTA_FOLDER"
cp "$SOURCE_DIR/resources/payload/dpinst/dpinst.xml" "$work/386/"
cp "$BUILD_DIR/tests/wine/fakedpinst.exe" "$work/386/DPInstX64Vista.exe"
cp "$BUILD_DIR/tests/wine/fakedpinst.exe" "$work/386/DPInstX86Vista.exe"
cp "$BUILD_DIR/payload/386/prjRunWait.exe" "$work/386/"
(cd "$work/386" && gcab -c -z "$work/386.cab" *)
printf 40000001 >"$work/1/$VISTA_FOLDER/code.txt"
printf 'C:\\windows\\INF\\oem3.inf' >"$work/1/$VISTA_FOLDER/published.txt"
(cd "$work/1" && gcab -c -z "$work/1.cab" "$VISTA_FOLDER/code.txt" "$VISTA_FOLDER/published.txt")
installer_variant "$WINEPREFIX/drive_c/dist/$INSTALLER" CAB 1 "$work/1.cab" CAB 386 "$work/386.cab"
# A plain run that reports success without a box (which nobody could close without a desktop).
printf 1 >"$work/1/$VISTA_FOLDER/code.txt"
(cd "$work/1" && gcab -c -z "$work/plain.cab" "$VISTA_FOLDER/code.txt")
installer_variant "$WINEPREFIX/drive_c/dist/Plain.exe" CAB 1 "$work/plain.cab" CAB 386 "$work/386.cab"
sed "/^$VISTA_KEY=/d" "$SOURCE_DIR/resources/config.txt" >"$work/refused.txt"
installer_variant "$WINEPREFIX/drive_c/dist/Refused.exe" CONFIG 7 "$work/refused.txt"

# start ARGUMENTS [PROGRAM]: runs the program in the background; its exit code goes to $work/exit.
start() {
  wine "$probe" "C:\\dist\\${2:-$INSTALLER}" "" "$1" >"$work/exit" &
  pid=$!
}
exit_code() { tr -d '\r' <"$work/exit"; }
# Fails when a window of the run is on screen: a finish window or a message box.
no_box() {
  local visible
  visible=$(robot list | tr -d '\r' | grep '^1|' || true)
  if grep -qE "\|(Finished|Failed|$title|Critical Error|Wireless Zero Configuration Service)\$" <<<"$visible"; then
    fail "$1: a finish window or a box is on screen: $visible"
  fi
}

# With a desktop: /passive shows the progress window, then ends with the outcome's code alone.
before=$(temp_listing)
start "/passive /log=C:\\logs\\passive.log"
robot wait "Please wait" 30 || fail "/passive: no progress window"
for ((i = 0; i < 600; i++)); do
  no_box /passive
  kill -0 $pid 2>/dev/null || break
  sleep 0.1
done
wait_exit $pid 5
expect_eq "$(exit_code)" BC2 "/passive: exit code (3010)"
expect_eq "$(temp_listing)" "$before" "/passive: temporary folder after the run"
grep -q "exit code: 3010" "$logs/passive.log" || fail "/passive: log without its exit code"
echo "passive with a desktop: ok"

# No desktop from here on.
wine reg add 'HKCU\Software\Wine\Drivers' /v Graphics /d null /f >/dev/null 2>&1
wine_restart

started=$(date +%s)
start "/quiet /norestart /LOG=\"C:\\logs\\quiet run.log\""
wait_exit $pid 60
expect_eq "$(exit_code)" BC2 "/quiet with a restart: exit code (3010)"
[ $(($(date +%s) - started)) -le 30 ] || fail "/quiet took $(($(date +%s) - started)) s"
expect_eq "$(temp_listing)" "$before" "/quiet: temporary folder after the run"
log=$(tr -d '\r' <"$logs/quiet run.log")
for step in "command line: /quiet /norestart" "edition $VISTA_KEY" \
  "driver installer returned: 0x40000001: flags 64, failed 0, store only 0, installed 1" \
  "Please reboot your PC to complete the installation." "exit code: 3010"; do
  grep -qF "$step" <<<"$log" || fail "/quiet: the log has no \"$step\":
$log"
done
echo "quiet with a restart: ok"

# Registered after an install that needs a restart: the entry, in the registry view every program
# sees, names the kept copy, which is the program without its driver cabinet.
product="Norvane Driver_Utility Installer v1.4"
uninstall='HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall'
kept="C:\\Program Files\\$product\\Uninstall.exe"
entry=$(wine reg query "$uninstall\\$product" | tr -d '\r')
for value in "DisplayName    REG_SZ    $title" "DisplayVersion    REG_SZ    1.04.0930" \
  "Publisher    REG_SZ    Norvane" "DisplayIcon    REG_SZ    $kept" \
  "UninstallString    REG_SZ    \"$kept\" /uninstall" "NoModify    REG_DWORD    0x1" \
  "QuietUninstallString    REG_SZ    \"$kept\" /uninstall /quiet" "NoRepair    REG_DWORD    0x1" \
  "DriverPackages    REG_MULTI_SZ    oem3.inf" "InstallDate    REG_SZ    $(date +%Y%m%d)"; do
  grep -qF "    $value" <<<"$entry" || fail "entry without \"$value\": $entry"
done
kept_unix="$WINEPREFIX/drive_c/Program Files/$product/Uninstall.exe"
peinfo() { python3 "$SOURCE_DIR/tests/wine/peinfo.py" "$@"; }
expect_eq "$(peinfo "$kept_unix" resource CAB 1 | wc -c)" 1 "kept copy: cabinet 1 left out"
cmp -s <(peinfo "$kept_unix" resource CAB 386) "$work/386.cab" || fail "kept copy: cabinet 386 differs"
shipped=$(($(stat -c %s "$WINEPREFIX/drive_c/dist/$INSTALLER") - $(stat -c %s "$work/1.cab")))
size=$(stat -c %s "$kept_unix")
[ $((size - shipped)) -le 4096 ] && [ $((shipped - size)) -le 4096 ] ||
  fail "kept copy: $size bytes, the program without cabinet 1 $shipped"
grep -qF "registered: $uninstall\\$product, kept copy $kept" <<<"$log" || fail "/quiet: registration not logged"
# The /passive run registered first: one entry still.
expect_eq "$(wine reg query "$uninstall" | tr -d '\r' | grep -c "\\Norvane")" 1 "entries after two installs"
echo "registered: ok"

wine reg delete "$uninstall\\$product" /f >/dev/null 2>&1
start "/quiet /log=C:\\logs\\refused.log" Refused.exe
wait_exit $pid 60
expect_eq "$(exit_code)" 661 "/quiet on a refused edition: exit code (1633)"
grep -q "This installer can't be used on" "$logs/refused.log" || fail "/quiet: refusal not logged"
if wine reg query "$uninstall\\$product" >/dev/null 2>&1; then fail "a refused run registered"; fi
echo "quiet refusal: ok"

start /S
wait_exit $pid 10
expect_eq "$(exit_code)" 667 "/S: exit code (1639)"
if robot list | tr -d '\r' | grep -q "|Please wait\$"; then fail "/S made a window"; fi
echo "/S: ok"

# A link at the log's name, as a user may plant one where every user can write: the run refuses
# the log before anything changes, and the file the link names stays as it was; through a link
# to nothing, nothing is made.
printf 'keep\n' >"$work/target.txt"
ln -s "$work/target.txt" "$logs/linked.log"
ln -s "$work/missing.txt" "$logs/dangling.log"
for name in linked dangling; do
  start "/quiet /log=C:\\logs\\$name.log"
  wait_exit $pid 30
  expect_eq "$(exit_code)" 643 "/quiet with a link at the log's name ($name): exit code (1603)"
done
expect_eq "$(cat "$work/target.txt")" keep "the file the log's link names"
[ ! -e "$work/missing.txt" ] || fail "a link to nothing at the log's name: its target was made"
expect_eq "$(temp_listing)" "$before" "temporary folder after the refused logs"
echo "links at the log's name: ok"

# A plain start waits on its finish window (about 15 s); a /quiet start meanwhile ends with 1618,
# and the plain run goes on to its own end. Both start while another program holds an event of
# the lock's name, as any user may: it neither stops the first run nor lets the second through.
wine "$BUILD_DIR/tests/wine/folderprobe.exe" event 'Global\NorvaneDriverInstaller' 60 >"$work/squat" &
squat=$!
for ((i = 0; i < 100; i++)); do grep -q held "$work/squat" && break; sleep 0.1; done
grep -q held "$work/squat" || fail "no event of the lock's name"
wine "$probe" 'C:\dist\Plain.exe' >"$work/first" &
first=$!
for ((i = 0; i < 300; i++)); do
  ls -d "$(win_temp)"/*_InstallationFolder >/dev/null 2>&1 && break
  sleep 0.1
done
start "/quiet /log=C:\\logs\\second.log"
wait_exit $pid 30
expect_eq "$(exit_code)" 652 "a second start: exit code (1618)"
kill -0 $first 2>/dev/null || fail "the first run ended before the second start was refused"
grep -q "already running" "$logs/second.log" || fail "the second start did not log why it ended"
wait_exit $first 60
expect_eq "$(tr -d '\r' <"$work/first")" 0 "the first run: exit code"
expect_eq "$(temp_listing)" "$before" "temporary folder after both runs"
wine reg query "$uninstall\\$product" >/dev/null 2>&1 || fail "the plain run did not register"
kill $squat 2>/dev/null || true
echo "one run at a time: ok"
