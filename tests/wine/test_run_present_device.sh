# Today's driver on today's Windows, from a plain start: a package whose models are decorated for
# Windows 10 alone (NTamd64.10.0; NTx86.10.0 in a 32-bit prefix) is installed on the device that
# is present under Windows 10, and only put into the driver store under Windows 7, where Windows
# would not take those models. Under Windows 10, Windows' own setup functions agree on a second
# device; under Windows 7 Wine's do not (they install the package all the same, against the rule
# Microsoft documents), so they are not asked there.
source "$SOURCE_DIR/tests/wine/lib.sh"
wine_display
work=$(mktemp -d)
on_exit "rm -rf '$work'"
id='Root\NorvaneWholeRoad'
platform=x86
[ "$DPINST_WIDTH" = X64 ] && platform=amd64
mkdir -p "$work/1/$VISTA_FOLDER"
inf="$work/1/$VISTA_FOLDER/whole.inf"
printf '%s\r\n' '[Version]' 'Signature = "$Windows NT$"' 'Class = NorvaneTest' \
  'ClassGuid = {6e0f1a52-4c1e-4b8e-9a31-5d2c7e44109b}' 'Provider = Norvane' \
  'DriverVer = 09/30/2026,1.4.0.930' '[Manufacturer]' "%Norvane% = Norvane, NT$platform.10.0" \
  "[Norvane.NT$platform.10.0]" "%Dev% = Whole, $id" '[Whole]' '[Whole.Services]' 'AddService = , 2' \
  '[Strings]' 'Norvane = "Norvane"' 'Dev = "Norvane test device"' >"$inf"
(cd "$work/1" && gcab -c -z "$work/1.cab" "$VISTA_FOLDER/whole.inf")

for row in "win10|The drivers have been successfully installed.|Installed 'whole.inf' on the devices|installed" \
  "win7|If your device isn't plugged in yet, connect it now to finish the installation.|No present device matches 'whole.inf'|"; do
  IFS='|' read -r version label line windows <<<"$row"
  wine_prefix_new "$version"
  expect_eq "$(wine "$BUILD_DIR/tests/wine/presentdevice.exe" "$id" | tr -d '\r')" 'ROOT\NORVANETEST\0000' "$version: device"
  installer_variant "$WINEPREFIX/drive_c/dist/$INSTALLER" CAB 1 "$work/1.cab"
  finish_run "C:\\dist\\$INSTALLER"
  expect_eq "$finish_label" "$label" "$version: outcome"
  expect_eq "$finish_exit" 0 "$version: exit code"
  grep -q "$line" "$(win_windows)/DPINST.LOG" || fail "$version: $(cat "$(win_windows)/DPINST.LOG")"
  if [ -n "$windows" ]; then
    wine "$BUILD_DIR/tests/wine/presentdevice.exe" "$id" >/dev/null
    expect_eq "$(wine "$BUILD_DIR/tests/wine/presentdevice.exe" "$id" "$(winpath "$inf")" | tr -d '\r')" \
      "$windows" "$version: Windows' own verdict"
  fi
  echo "$version: ok"
done

# What became of the adapter, from a plain start on Windows 10 with the sample adapter present:
# the device's status and problem code as Windows would answer them (a stand-in of cfgmgr32;
# Wine's answers 0 and 0), an older release of the package than the adapter's driver (kept, unless
# /force), and a driver Windows refuses (a stand-in of newdev) because its catalog does not cover
# a changed file. Each road starts from the driver the road before left on the adapter.
wine_prefix_new win10
wine "$BUILD_DIR/tests/wine/presentdevice.exe" 'USB\VID_F0CA&PID_0104' >/dev/null
system="$(win_windows)/system32"
rm -f "$system/cfgmgr32.dll" # a hard link into the template prefix: never written through
cp "$BUILD_DIR/tests/wine/devicestand.dll" "$system/cfgmgr32.dll"
# For the package installer alone: Wine's desktop needs the real ones.
overrides="HKCU\\Software\\Wine\\AppDefaults\\DPInst$DPINST_WIDTH.exe\\DllOverrides"
wine reg add "$overrides" /v cfgmgr32 /d native /f >/dev/null
for release in older changed; do
  mkdir -p "$work/$release"
  cp -r "$SOURCE_DIR/resources/payload/driver/$VISTA_FOLDER" "$work/$release/"
done
older="$work/older/$VISTA_FOLDER"
sed 's#^DriverVer .*#DriverVer   = 01/15/2019,1.0.0.1\r#' "$older/norvusb.inf" >"$older/older.inf"
rm "$older/norvusb.inf"
printf 'changed' >>"$work/changed/$VISTA_FOLDER/norvusb.sys"
for release in older changed; do
  (cd "$work/$release" && gcab -c -z "$work/$release.cab" "$VISTA_FOLDER"/*)
done
vendor="Ask the vendor for a driver that suits this version of Windows."
broken="Windows installed the driver, but the adapter does not work"
C="The drivers have been successfully installed."
device="The device 'ROOT\\NORVANETEST\\0000'"
while IFS='|' read -r road cab switches status label code line; do
  printf '[device]\r\nproblem=%s\r\n[install]\r\nrefusal=0xE000024B\r\n' "$status" >"$(win_windows)/norvanetest.ini"
  installer_variant "$WINEPREFIX/drive_c/dist/$INSTALLER" ${cab:+CAB 1 "$work/$cab.cab"}
  if [ "$road" = refused ]; then
    rm -f "$system/newdev.dll" && cp "$BUILD_DIR/tests/wine/devicestand.dll" "$system/newdev.dll"
    wine reg add "$overrides" /v newdev /d native /f >/dev/null
  fi
  if [ "$road" = restart ]; then
    # The restart request comes in a message box over the finish window: unattended instead.
    finish_label="" finish_exit=$(exit_of "C:\\dist\\$INSTALLER" "/quiet")
  else
    finish_run "C:\\dist\\$INSTALLER" "$switches" "$([ "$code" = 643 ] && echo Failed || echo Finished)"
  fi
  expect_eq "$finish_label" "$label" "$road: outcome"
  expect_eq "$finish_exit" "$code" "$road: exit code"
  grep -qF "$line" "$(win_windows)/DPINST.LOG" || fail "$road: no \"$line\": $(cat "$(win_windows)/DPINST.LOG")"
  echo "$road: ok"
done <<ROADS
started|||0|$C|0|$device has started.
kept|older||0|A newer driver is already installed for your adapter; it was kept.|0|$device keeps its better driver: Norvane 1.4.0.930 of 09/30/2026, signed; the package's is Norvane 1.0.0.1 of 01/15/2019, signed.
forced|older|/force|0|$C|0|Installed 'older.inf' on the devices
restart|||14||BC2|$device starts after a restart.
code 52|||52|$broken (code 52: Windows cannot verify the driver's signature). $vendor|643|$device has the problem code 52.
code 10|||10|$broken (code 10: the adapter cannot start). Unplug the adapter and plug it in again.|643|$device already has this driver
refused|changed|/force|0|Windows refused the driver: its catalog does not cover norvusb.sys.|643|(error 0xE000024B)
ROADS
echo "PASS"
