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
