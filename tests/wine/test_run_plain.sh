# A plain start, as a user double-clicks the download, on three Windows versions: progress window,
# finish window with the driver-store outcome, OK ends it, nothing left in the temporary folder,
# and the earlier driver installer log keeps its content.
source "$SOURCE_DIR/tests/wine/lib.sh"
wine_display
drive_store_text="If your device isn't plugged in yet, connect it now to finish the installation."

for version in win7 win10 winxp; do
  wine_prefix_new "$version"
  dist="$WINEPREFIX/drive_c/dist"
  installer_variant "$dist/$INSTALLER"
  printf 'earlier run\r\n' >"$(win_windows)/DPINST.LOG"
  before=$(temp_listing)

  wine "$dist/$INSTALLER" &
  pid=$!
  robot wait "Please wait" 30 || fail "$version: no progress window"
  robot wait "Finished" 60 || fail "$version: no finish window"
  expect_eq "$(window_label Finished)" "$drive_store_text" "$version: outcome text"
  robot click Finished "&Ok"
  wait_exit $pid 30

  expect_eq "$(temp_listing)" "$before" "$version: temporary folder after the run"
  head -c 13 "$(win_windows)/DPINST.LOG" | grep -q 'earlier run' || fail "$version: earlier log content lost"
  grep -q 'Returning with code 0x100' "$(win_windows)/DPINST.LOG" || fail "$version: the run's log is missing"
  ls "$(win_windows)"/inf/*.inf | xargs grep -li norvane >/dev/null || fail "$version: the package was not staged"
  wineserver -k
  echo "$version: ok"
done
