# A plain start, as a user double-clicks the download, on the Windows versions of the program's
# width: progress window, finish window with the driver-store outcome from the edition's driver
# folder, OK ends it, nothing left in the temporary folder, and the earlier driver installer log
# keeps its content.
source "$SOURCE_DIR/tests/wine/lib.sh"
wine_display
drive_store_text="If your device isn't plugged in yet, connect it now to finish the installation."

# version/prefix width:driver folder. The shipped program's most common case is the last row: 64-bit
# Windows, where it runs through WoW64 and starts the 64-bit installer through its 32-bit launcher.
if [ "$INSTALLER_BITS" = 64 ]; then
  versions="win7/win64:Vista 64bit|win10/win64:Vista 64bit|winxp/win64:XP_2003 64bit"
else
  versions="win2k/win32:2000_XP|winxp/win32:2000_XP|win2003/win32:2000_XP|vista/win32:Vista 32bit|win7/win64:Vista 64bit"
fi
# The row that also updates, and meets what another account put first: for the shipped program its
# 64-bit Windows (WoW64) row.
hostile=win10
[ "$INSTALLER_BITS" = 64 ] || hostile=win7
IFS='|' read -ra rows <<<"$versions"
for row in "${rows[@]}"; do
  version=${row%%/*} arch=${row#*/} arch=${arch%%:*} folder=${row#*:}
  use_wine_arch "$arch"
  wine_prefix_new "$version"
  dist="$WINEPREFIX/drive_c/dist"
  installer_variant "$dist/$INSTALLER"
  printf 'earlier run\r\n' >"$(win_windows)/DPINST.LOG"
  before=$(temp_listing)

  # The process trace names every program started: the launcher and the installer of the width.
  WINEDEBUG=+process wine "$dist/$INSTALLER" 2>"$WINEPREFIX/trace.txt" &
  pid=$!
  robot wait "Please wait" 30 || fail "$version: no progress window"
  robot wait "Finished" 60 || fail "$version: no finish window"
  expect_eq "$(window_label Finished)" "$drive_store_text" "$version: outcome text"
  robot click Finished "&Ok"
  wait_exit $pid 30

  expect_eq "$(temp_listing)" "$before" "$version: temporary folder after the run"
  head -c 13 "$(win_windows)/DPINST.LOG" | grep -q 'earlier run' || fail "$version: earlier log content lost"
  grep -q 'Returning with code 0x100' "$(win_windows)/DPINST.LOG" || fail "$version: the run's log is missing"
  grep -qiE "^INFO:   Current working directory: 'C:.*_InstallationFolder\\\\driver\\\\$folder'" \
    "$(win_windows)/DPINST.LOG" || fail "$version: not installed from \"$folder\": $(grep directory "$(win_windows)/DPINST.LOG")"
  for program in "RunDPInst$DPINST_WIDTH.exe" "DPInst$DPINST_WIDTH.exe"; do
    grep -q "$program" "$WINEPREFIX/trace.txt" || fail "$version: $program was not started"
  done
  ls "$(win_windows)"/inf/*.inf | xargs grep -li norvane >/dev/null || fail "$version: the package was not staged"
  # Registered in the registry view of the Windows width, which a 64-bit prefix must be asked for.
  entry='HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall\Norvane Driver_Utility Installer v1.4'
  view=() && [ "$arch" = win32 ] || view=(/reg:64)
  wine reg query "$entry" "${view[@]}" /v DriverPackages | grep -qi 'REG_MULTI_SZ    [a-z0-9]*\.inf' ||
    fail "$version: no entry naming the published INF"
  if [ "$arch" = win64 ] && wine reg query "$entry" /reg:32 >/dev/null 2>&1; then
    fail "$version: the entry went to the 32-bit view"
  fi

  # An update: release B of the package (a later DriverVer) is published beside release A, and
  # the entry names both, so that the removal takes both. A link put at the kept program before
  # it leaves the file it points at as it was.
  if [ "$version" = "$hostile" ]; then
    kept_unix=$(winepath -u "$(wine reg query "$entry" "${view[@]}" /v DisplayIcon | tr -d '\r' | sed -n 's/.*REG_SZ    //p')" 2>/dev/null)
    printf 'victim\r\n' >"$WINEPREFIX/victim.txt"
    ln -sf "$WINEPREFIX/victim.txt" "$kept_unix"
    mkdir -p "$WINEPREFIX/B/$folder"
    cp "$SOURCE_DIR/resources/payload/driver/$folder/"* "$WINEPREFIX/B/$folder/"
    sed -i 's#^DriverVer .*#DriverVer   = 11/30/2026,1.5.0.0\r#' "$WINEPREFIX/B/$folder/norvusb.inf"
    (cd "$WINEPREFIX/B" && gcab -c -z ../B.cab "$folder"/*)
    installer_variant "$dist/B.exe" CAB 1 "$WINEPREFIX/B.cab"
    expect_eq "$(exit_of "C:\\dist\\B.exe" "/quiet")" 0 "$version: release B"
    [ "$(cat "$WINEPREFIX/victim.txt")" = $'victim\r' ] || fail "$version: written through a link at the kept program"
    [ ! -L "$kept_unix" ] || fail "$version: the kept program is still a link"
  fi
  infs=$(wine reg query "$entry" "${view[@]}" /v DriverPackages | tr -d '\r' | sed -n 's/.*REG_MULTI_SZ    //p')
  [ "$version" != "$hostile" ] || [[ $infs =~ ^[a-z0-9_]+\.inf\\0[a-z0-9_]+\.inf$ ]] ||
    fail "$version: the entry does not name both releases: $infs"

  # Removal as Apps & Features starts it, from the kept copy: the published INF, the entry and
  # the kept folder go, and nothing stays in the temporary folder. A removal that cannot remove
  # the INF keeps the entry for the next try; one with nothing installed ends with 1605.
  inf=${infs##*\\0}
  kept=$(wine reg query "$entry" "${view[@]}" /v DisplayIcon | tr -d '\r' | sed -n 's/.*REG_SZ    //p')
  kept_folder=$(dirname "$(winepath -u "$kept" 2>/dev/null)")
  [ -f "$(win_windows)/inf/$inf" ] || fail "$version: the published $inf is not in the INF folder"
  if [ "$arch" = win64 ]; then
    chmod a-w "$(win_windows)/inf/$inf"
    expect_eq "$(exit_of "$kept" "/uninstall /quiet")" 643 "$version: a removal that fails (1603)"
    wine reg query "$entry" "${view[@]}" >/dev/null 2>&1 || fail "$version: a failed removal took the entry"
    [ -f "$kept_folder/Uninstall.exe" ] || fail "$version: a failed removal took the kept copy"
    chmod u+w "$(win_windows)/inf/$inf"
  fi
  # Every name of the removal copy's pattern taken first by another account, as a file or as the
  # copy's folder or its work folder: the removal runs all the same, under a name of its own, and
  # leaves none of its names behind.
  if [ "$version" = "$hostile" ]; then
    python3 -c 'import os, sys
for i in range(65536):
    name = os.path.join(sys.argv[1], "Uni%04X.tmp" % i)
    if i % 3: os.mkdir(name + (".run" if i % 3 == 1 else "_InstallationFolder"))
    else: open(name, "x").close()' "$(win_temp)"
  fi
  WINEDEBUG=+process finish_run "$kept" /uninstall 2>"$WINEPREFIX/removal.txt"
  # With administrator rights, the removal's copy and the remover of the kept copy start from a
  # folder only administrators can write.
  for run in 'temp /uninstall' /RemoveKeptCopy; do
    grep -qE 'cmdline L.*\.tmp\.run\\\\[^ ]*\.exe\\" '"$run" "$WINEPREFIX/removal.txt" ||
      fail "$version: \"$run\" did not start from a folder of its own"
  done
  [ "$version" != "$hostile" ] || find "$(win_temp)" -maxdepth 1 -name 'Uni????.tmp*' -empty -delete
  expect_eq "$finish_label" "The driver was removed from this computer." "$version: removal text"
  expect_eq "$finish_exit" 0 "$version: removal exit code"
  for inf in ${infs//\\0/ }; do
    [ ! -e "$(win_windows)/inf/$inf" ] || fail "$version: $inf is still in the INF folder"
  done
  if wine reg query "$entry" "${view[@]}" >/dev/null 2>&1; then fail "$version: the entry stayed"; fi
  for ((i = 0; i < 100; i++)); do
    [ -e "$kept_folder" ] || [ "$(temp_listing)" != "$before" ] || break
    sleep 0.1
  done
  [ ! -e "$kept_folder" ] || fail "$version: the kept folder stayed: $(ls "$kept_folder")"
  expect_eq "$(temp_listing)" "$before" "$version: temporary folder after the removal"
  expect_eq "$(exit_of "C:\\dist\\$INSTALLER" "/uninstall /quiet")" 645 "$version: nothing to remove (1605)"
  # A kept folder that every account may write to (Wine gives the unix mode as the access list)
  # is not used: the install goes on, unregistered, and puts no program there.
  if [ "$version" = "$hostile" ]; then
    mkdir -m 777 "$kept_folder"
    expect_eq "$(exit_of "C:\\dist\\$INSTALLER" /quiet)" 0 "$version: an install beside a folder others may write to"
    if wine reg query "$entry" "${view[@]}" >/dev/null 2>&1; then fail "$version: registered in a folder others may write to"; fi
    expect_eq "$(ls -A "$kept_folder")" "" "$version: the folder others may write to"
    # Nor is an entry key that every account may change.
    rmdir "$kept_folder"
    wine "$BUILD_DIR/tests/wine/folderprobe.exe" loosekey "${entry#HKLM\\}" || fail "$version: no loose entry key"
    expect_eq "$(exit_of "C:\\dist\\$INSTALLER" /quiet)" 0 "$version: an install beside an entry others may change"
    if wine reg query "$entry" "${view[@]}" /v DisplayName >/dev/null 2>&1; then fail "$version: registered in an entry others may change"; fi
    [ ! -e "$kept_folder" ] || fail "$version: a kept folder for an entry others may change"
  fi
  wineserver -k
  echo "$version: ok"
done
