# The elevated run against what the user's other processes may have put in its way: DLLs named
# like ones Windows loads late, planted beside the download and in the temporary folder; links
# planted in the work folder and in its place. Nothing planted is loaded, no link is followed,
# and the work folder only lets administrators write.
source "$SOURCE_DIR/tests/wine/lib.sh"
wine_display
wine_prefix_new win7
dist="$WINEPREFIX/drive_c/dist"
temp=$(win_temp)
probe="$BUILD_DIR/tests/wine/folderprobe.exe"
installer_variant "$dist/$INSTALLER"
# Not version.dll: Wine's own setupapi loads it at process start, which Windows' does not.
planted="uxtheme cabinet dwmapi propsys cryptbase"
for name in $planted; do
  cp "$BUILD_DIR/tests/wine/markerdll.dll" "$dist/$name.dll"
  cp "$BUILD_DIR/tests/wine/markerdll.dll" "$temp/$name.dll"
done
export WINEDLLOVERRIDES="$WINEDLLOVERRIDES;${planted// /,}=n,b"
outside="$WINEPREFIX/drive_c/outside"
mkdir -p "$outside/inner"
echo keep >"$outside/inner/keep.txt"
outside_before=$(cd "$outside" && find . | sort)
# Another program's file under the name the run once wrote its configuration to.
printf 'not the installer'"'"'s\r\n' >"$temp/config.txt"
before=$(temp_listing)

# A plain start to the finish window.
wine "$dist/$INSTALLER" &
pid=$!
robot wait Finished 60 || fail "no finish window"
work=$(cd "$temp" && ls -d *_InstallationFolder)
[ -n "$work" ] || fail "no work folder"
sddl=$(wine "$probe" security "C:\\users\\$(id -un)\\Temp\\$work" | tr -d '\r') ||
  fail "no descriptor for the work folder"
# Windows keeps the descriptor as given: owner Administrators, SYSTEM and Administrators only,
# nothing inherited from the temporary folder. Wine 8 keeps only what Unix modes can say (and
# passes nothing on to what is made inside): there the sign is that no one else may even read.
case "$sddl" in
  "O:BAD:P(A;OICI;FA;;;BA)(A;OICI;FA;;;SY)") ;;
  *WD* | *BU* | *AU* | *IU*) fail "others may use the work folder: $sddl" ;;
esac
echo "descriptor of the work folder: $sddl"
# A link planted in the work folder after the run made it: the clean-up takes the link, not what
# it points at. (Wine shows a Unix link to a folder as a reparse point, one to a file as a plain
# file, deleting which deletes the target: the native tests cover links to files.)
ln -s "$outside" "$temp/$work/planted"
robot click Finished "&Ok"
wait_exit $pid 30
expect_eq "$(cd "$outside" && find . | sort)" "$outside_before" "what the links pointed at"
after=$(temp_listing)
if [ "$after" != "$before" ]; then
  # Wine 8 removes no link to a folder (RemoveDirectoryA answers 145): that link may stay, with
  # the work folder around it, and nothing else.
  expect_eq "$after" "$(printf '%s\n./%s\n./%s/planted\n' "$before" "$work" "$work" | sort)" \
    "temporary folder after the run"
  rm -f "$temp/$work/planted" && rmdir "$temp/$work"
fi
expect_eq "$(cat "$temp/config.txt")" "$(printf 'not the installer'"'"'s\r\n')" "another program's config.txt"
echo "plain run: ok"

# A link in the work folder's place before the run starts (the program started as the copy
# would be, so that the name is known): removed as a link, or, where it cannot be, the run ends
# with a message; never does anything reach through it.
work="$(basename "$INSTALLER" .exe)_InstallationFolder"
ln -s "$outside" "$temp/$work"
wine "$dist/$INSTALLER" temp &
pid=$!
title="Norvane Driver/Utility Installer v1.4"
for _ in $(seq 600); do
  kill -0 $pid 2>/dev/null || break
  if robot wait "$title" 0; then
    text=$(window_label "$title")
    [ "${text#The installer could not prepare its work folder}" != "$text" ] || fail "message: $text"
    robot click "$title" OK
    echo "link in the work folder's place: refused (Wine cannot remove links)"
  fi
  robot wait Finished 0 && robot click Finished "&Ok"
  sleep 0.1
done
wait_exit $pid 30
expect_eq "$(cd "$outside" && find . | sort)" "$outside_before" "what the work folder link pointed at"
echo "link in the work folder's place: ok"

# A folder of another program's put at the work folder's name the moment the copy's temporary
# name appears (the name follows from it): the run does not make its work folder there, ends with
# its message, and the folder stays with its contents.
rm -rf "${temp:?}/$work"
wine "$dist/$INSTALLER" &
pid=$!
planted=""
for _ in $(seq 2000); do
  base=$(cd "$temp" && ls -- *.tmp 2>/dev/null | head -1) || true
  if [ -n "$base" ]; then
    planted="$temp/${base}_InstallationFolder"
    mkdir -p "$planted/inner" && echo theirs >"$planted/inner/theirs.txt"
    break
  fi
  sleep 0.01
done
[ -n "$planted" ] || fail "the copy's temporary name never appeared"
refused=""
for _ in $(seq 600); do
  kill -0 $pid 2>/dev/null || break
  if robot wait "$title" 0; then
    text=$(window_label "$title")
    [ "${text#The installer could not prepare its work folder}" != "$text" ] || fail "message: $text"
    refused=yes
    robot click "$title" OK
  fi
  robot wait Finished 0 && fail "the run went on in a work folder it did not make"
  sleep 0.1
done
wait_exit $pid 30 || true
[ -n "$refused" ] || fail "no message about the work folder"
expect_eq "$(cat "$planted/inner/theirs.txt")" "theirs" "the planted folder's file"
rm -rf "$planted"
echo "folder planted at the work folder's name: ok"

# Not one of the planted DLLs was loaded by any of the run's processes.
markers=$(find "$WINEPREFIX/drive_c" -name '*.loaded')
[ -z "$markers" ] || fail "planted DLLs were loaded: $markers"
echo "planted DLLs: ok"
