# A driver cabinet the worker left empty, and one that is corrupt: their messages, then a clean-up.
source "$SOURCE_DIR/tests/wine/lib.sh"
wine_display
wine_prefix_new win7
title="Norvane Driver/Utility Installer v1.4"
work=$(mktemp -d)
on_exit "rm -rf '$work'"

: >"$work/empty.cab"
# A real cabinet with its compressed data overwritten halfway through.
cp "$BUILD_DIR/payload/1.cab" "$work/corrupt.cab"
size=$(stat -c %s "$work/corrupt.cab")
head -c $((size / 2)) /dev/urandom | dd of="$work/corrupt.cab" bs=1 seek=$((size / 3)) conv=notrunc status=none
truncate -s "$size" "$work/corrupt.cab"

for row in "empty.cab|Error extracting files" "corrupt.cab|Error while extracting files from the archive"; do
  cabinet=${row%%|*}
  message=${row#*|}
  installer_variant "$WINEPREFIX/drive_c/dist/$INSTALLER" CAB 1 "$work/$cabinet"
  before=$(temp_listing)
  wine "$WINEPREFIX/drive_c/dist/$INSTALLER" &
  pid=$!
  robot wait "$title" 60 || fail "$cabinet: no message"
  expect_eq "$(window_label "$title")" "$message" "$cabinet: message"
  robot click "$title" OK
  wait_exit $pid 30
  expect_eq "$(temp_listing)" "$before" "$cabinet: temporary folder after the run"
  echo "$cabinet: ok"
done
