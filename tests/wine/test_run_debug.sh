# "debug" in any letter case starts like a plain start: relaunch, progress, finish, clean-up.
source "$SOURCE_DIR/tests/wine/lib.sh"
wine_display
wine_prefix_new win7
dist="$WINEPREFIX/drive_c/dist"
installer_variant "$dist/$INSTALLER"
for argument in debug Debug; do
  before=$(temp_listing)
  wine "$dist/$INSTALLER" "$argument" &
  pid=$!
  robot wait "Please wait" 30 || fail "$argument: no progress window"
  robot wait Finished 60 || fail "$argument: no finish window"
  robot click Finished "&Ok"
  wait_exit $pid 30
  expect_eq "$(temp_listing)" "$before" "$argument: temporary folder after the run"
  echo "$argument: ok"
done
