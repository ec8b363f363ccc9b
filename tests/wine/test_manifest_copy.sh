# The packaging command: a time-stamped copy whose manifest resource is the side-by-side file.
source "$SOURCE_DIR/tests/wine/lib.sh"
wine_display
wine_prefix_new win7
title="Norvane Driver/Utility Installer v1.4"
dist="$WINEPREFIX/drive_c/dist"
installer_variant "$dist/$INSTALLER"

# Without a manifest beside it: the message, and nothing written.
wine "$dist/$INSTALLER" /Add$INSTALLER_ARG/Manifest &
pid=$!
robot wait "$title" 30 || fail "no message without a manifest"
expect_eq "$(window_label "$title")" "Manifest file not found." "message without a manifest"
robot click "$title" OK
wait_exit $pid 10
expect_eq "$(ls "$dist")" "$INSTALLER" "files beside the program"

printf '<?xml version="1.0"?>\r\n<assembly manifestVersion="1.0"><!-- test %s --></assembly>\r\n' "$RANDOM" \
  >"$dist/$INSTALLER.manifest"
wine "$BUILD_DIR/tests/wine/exitcodeprobe.exe" "C:\\dist\\$INSTALLER" "" /Add$INSTALLER_ARG/Manifest >"$WINEPREFIX/exit" &
pid=$!
robot wait "$title" 30 || fail "no message after the copy"
text=$(window_label "$title")
robot click "$title" OK
wait_exit $pid 10
expect_eq "$(tr -d '\r' <"$WINEPREFIX/exit")" 0 "exit code of the manifest copy"
copy=$(cd "$dist" && ls | grep -E "^${INSTALLER%.exe}_[0-9]{8}\\.exe\$") || fail "no time-stamped copy: $(ls "$dist")"
expect_eq "$text" "C:\\dist\\$copy: A copy of the installer has been written, with the manifest file included." "message"
python3 "$SOURCE_DIR/tests/wine/peinfo.py" "$dist/$copy" resource 24 1 >"$dist/embedded"
cmp "$dist/embedded" "$dist/$INSTALLER.manifest" || fail "the copy's manifest differs from the file"
grep -qx '24/1/0 [0-9]*' <<<"$(python3 "$SOURCE_DIR/tests/wine/peinfo.py" "$dist/$copy" resources)" || fail "not language neutral"
cmp "$dist/$INSTALLER" "$BUILD_DIR/$INSTALLER" || fail "the program file itself changed"
python3 "$SOURCE_DIR/tests/wine/peinfo.py" "$dist/$copy" resource CAB 386 | cmp - "$BUILD_DIR/payload/386.cab" ||
  fail "the copy lost its other resources"
echo "manifest copy: ok"
