# The run modes that end at once, and the name display, on the real program under Wine.
source "$SOURCE_DIR/tests/wine/lib.sh"
wine_display
wine_prefix_new win7
installer="$BUILD_DIR/$INSTALLER"
title="Norvane Driver/Utility Installer v1.4"

# /GiveName: one message box with the manifest command and only an OK button; exit code 0 (read
# whole inside Wine).
wine "$BUILD_DIR/tests/wine/exitcodeprobe.exe" "$(winpath "$installer")" "" /GiveName >"$WINEPREFIX/exit" &
pid=$!
robot wait "$title" 20 || fail "/GiveName showed no message box"
texts=$(robot texts "$title" | tr -d '\r')
grep -qx "Static|/Add$INSTALLER_ARG/Manifest" <<<"$texts" || fail "message text: $texts"
buttons=$(grep -ci '^Button|' <<<"$texts" || true)
expect_eq "$buttons" 1 "number of buttons in the name display"
grep -qix 'Button|OK' <<<"$texts" || fail "the one button is not OK: $texts"
robot click "$title" OK
wait_exit $pid 10
expect_eq "$(tr -d '\r' <"$WINEPREFIX/exit")" 0 "exit code of the name display"

# Anything else ends within a few seconds without a window, as an invalid command line (1639).
for arguments in /givename Temp /S "/ExTracT Other 1"; do
  start=$(date +%s)
  WINE_TIMEOUT=20 wine "$BUILD_DIR/tests/wine/exitcodeprobe.exe" "$(winpath "$installer")" "" "$arguments" \
    >"$WINEPREFIX/exit" || fail "\"$arguments\" did not end cleanly"
  expect_eq "$(tr -d '\r' <"$WINEPREFIX/exit")" 667 "exit code of \"$arguments\""
  [ $(($(date +%s) - start)) -le 10 ] || fail "\"$arguments\" took too long"
  if grep -q "^1|.*|$title\$" <<<"$(robot list | tr -d '\r')"; then fail "\"$arguments\" left a window"; fi
done
echo "entry modes: ok"
