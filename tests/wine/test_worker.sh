# The extraction worker: "<program> /ExTracT <its name> 386" writes the cabinet resource into
# the work folder byte for byte, creates that folder, leaves no temporary file and shows nothing.
source "$SOURCE_DIR/tests/wine/lib.sh"
unset DISPLAY  # no display: any window the program tried to make is reported by Wine
wine_prefix_new
temp=$(win_temp)
name=${INSTALLER%.exe}
folder="$temp/${name}_InstallationFolder"
# The prefix's own start-up first: its desktop process complains of its own window in the same
# way when it starts (seen in 2 of 6 runs of the 32-bit prefix); the prefix's server keeps it.
wine cmd /c exit 0 >/dev/null 2>&1

# Wine names every window a program without a display tries to make (nodrv_CreateWindow); the
# name display shows a message box, which proves the check sees windows.
errors=$(WINEDEBUG=err+winediag wine "$BUILD_DIR/$INSTALLER" /GiveName 2>&1 >/dev/null || true)
grep -q nodrv_CreateWindow <<<"$errors" || fail "the window check saw no window of /GiveName"

for round in "missing folder" "existing folder"; do
  before=$(cd "$temp" && find . -maxdepth 1 -type f | sort)
  errors=$(WINEDEBUG=err+winediag WINE_TIMEOUT=60 wine "$BUILD_DIR/$INSTALLER" /ExTracT "$name" 386 2>&1 >/dev/null) ||
    fail "$round: the worker did not end cleanly"
  ! grep -q nodrv_CreateWindow <<<"$errors" || fail "$round: the worker made a window: $errors"
  [ -d "$folder" ] || fail "$round: no work folder"
  cmp "$folder/386.cab" "$BUILD_DIR/payload/386.cab" || fail "$round: 386.cab differs from its resource"
  expect_eq "$(cd "$temp" && find . -maxdepth 1 -type f | sort)" "$before" "$round: files left in Temp"
  echo "$round: ok"
done

# The second worker of a run writes the driver cabinet beside the first.
wine "$BUILD_DIR/$INSTALLER" /ExTracT "$name" 1 >/dev/null 2>&1
cmp "$folder/1.cab" "$BUILD_DIR/payload/1.cab" || fail "1.cab differs from its resource"
cmp "$folder/386.cab" "$BUILD_DIR/payload/386.cab" || fail "386.cab changed"
echo "worker: ok"
