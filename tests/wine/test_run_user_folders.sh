# Users whose folders have letters outside the ANSI code page (Cyrillic on a Western system, code
# page 1252): the program started from such a folder, and such a temporary folder, each reach the
# finish window and leave both folders as they were; a temporary folder without any usable name
# ends with a message that names it in full, with nothing copied or created.
source "$SOURCE_DIR/tests/wine/lib.sh"
# The Unix locale decides Wine's ANSI code page: keep it Western whatever the caller's.
export LC_ALL=C.UTF-8
wine_display
title="Norvane Driver/Utility Installer v1.4"
drive_store_text="If your device isn't plugged in yet, connect it now to finish the installation."
user=$(id -un)

# run_to_finish WINDOWS-PATH: a plain start, as a user double-clicks it, to OK on the finish window.
run_to_finish() {
  wine "$1" &
  local pid=$!
  robot wait "Please wait" 30 || fail "$2: no progress window"
  robot wait "Finished" 60 || fail "$2: no finish window"
  # The outcome comes from the driver installer's log: its run was found there.
  expect_eq "$(window_label Finished)" "$drive_store_text" "$2: outcome text"
  robot click Finished "&Ok"
  wait_exit $pid 30
}

set_temp() {
  wine reg add 'HKCU\Environment' /v TEMP /d "$1" /f >/dev/null 2>&1
  wine reg add 'HKCU\Environment' /v TMP /d "$1" /f >/dev/null 2>&1
  wine_restart
}

# The program in a Downloads folder named in Cyrillic.
wine_prefix_new win7
downloads="$WINEPREFIX/drive_c/Загрузки"
installer_variant "$downloads/$INSTALLER"
before=$(temp_listing)
run_to_finish "C:\\Загрузки\\$INSTALLER" "Cyrillic program folder"
expect_eq "$(temp_listing)" "$before" "Cyrillic program folder: temporary folder after the run"
expect_eq "$(ls -A "$downloads")" "$INSTALLER" "Cyrillic program folder: the folder after the run"
wineserver -k
echo "Cyrillic program folder: ok"

# A temporary folder named in Cyrillic.
wine_prefix_new win7
mkdir -p "$(win_temp)/Лена"
set_temp "C:\\users\\$user\\Temp\\Лена"
installer_variant "$WINEPREFIX/drive_c/dist/$INSTALLER"
before=$(temp_listing)
run_to_finish "C:\\dist\\$INSTALLER" "Cyrillic temporary folder"
expect_eq "$(temp_listing)" "$before" "Cyrillic temporary folder: temporary folders after the run"
expect_eq "$(ls -A "$WINEPREFIX/drive_c/dist")" "$INSTALLER" "Cyrillic temporary folder: program folder after the run"
wineserver -k
echo "Cyrillic temporary folder: ok"

# A Cyrillic temporary folder that does not exist has no short form either: the message names it
# with its own letters, and nothing is copied or created.
wine_prefix_new win7
set_temp "C:\\users\\$user\\Temp\\Нет"
installer_variant "$WINEPREFIX/drive_c/dist/$INSTALLER"
before=$(cd "$WINEPREFIX/drive_c" && find . -path ./windows -prune -o -print | sort)
wine "C:\\dist\\$INSTALLER" &
pid=$!
robot wait "$title" 30 || fail "no usable temporary folder: no message"
text=$(robot utf8texts "$title" | tr -d '\r' | awk '/^Static\|./ && !n++')
case "$text" in
  *"C:\\users\\$user\\Temp\\Нет"*TEMP*) ;;
  *) fail "no usable temporary folder: the message does not name the folder and what to do: $text" ;;
esac
robot click "$title" OK
wait_exit $pid 30
expect_eq "$(cd "$WINEPREFIX/drive_c" && find . -path ./windows -prune -o -print | sort)" "$before" \
  "no usable temporary folder: files after the message"
echo "no usable temporary folder: ok"
