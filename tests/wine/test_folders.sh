# DeleteFolderTree on real Windows files: attributes do not stop it, an open file does.
source "$SOURCE_DIR/tests/wine/lib.sh"
wine_prefix_new
probe="$BUILD_DIR/tests/wine/folderprobe.exe"
temp=$(win_temp)

mkdir -p "$temp/tree/a/b/c" "$temp/tree/empty"
echo one >"$temp/tree/top.txt"
echo ro >"$temp/tree/a/readonly.txt"
echo hid >"$temp/tree/a/b/hidden.txt"
echo sys >"$temp/tree/a/b/c/system.txt"
wine attrib +r 'C:\users\'"$(id -un)"'\Temp\tree\a\readonly.txt' >/dev/null 2>&1
wine attrib +h 'C:\users\'"$(id -un)"'\Temp\tree\a\b\hidden.txt' >/dev/null 2>&1
wine attrib +s 'C:\users\'"$(id -un)"'\Temp\tree\a\b\c\system.txt' >/dev/null 2>&1
expect_eq "$(wine "$probe" exists 'C:\users\'"$(id -un)"'\Temp\tree\empty' | tr -d '\r')" "0 1" "an empty folder exists"
expect_eq "$(wine "$probe" exists 'C:\users\'"$(id -un)"'\Temp\tree\top.txt' | tr -d '\r')" "1 0" "a file is no folder"
wine "$probe" delete 'C:\users\'"$(id -un)"'\Temp\tree'
[ ! -e "$temp/tree" ] || fail "the tree is still there: $(find "$temp/tree")"

# A file held open stays, with the folders above it.
mkdir -p "$temp/held/inner"
echo busy >"$temp/held/inner/busy.txt"
echo free >"$temp/held/free.txt"
wine "$probe" hold 'C:\users\'"$(id -un)"'\Temp\held\inner\busy.txt' 8 >"$temp/hold.out" &
holder=$!
for _ in $(seq 50); do grep -q held "$temp/hold.out" 2>/dev/null && break; sleep 0.1; done
wine "$probe" delete 'C:\users\'"$(id -un)"'\Temp\held'
[ -f "$temp/held/inner/busy.txt" ] || fail "the held file was deleted"
[ ! -e "$temp/held/free.txt" ] || fail "the free file stayed"
wait $holder || true

# A file cut back, as a failed merge of the driver installer's log does: to the byte, and never
# while another program holds it.
cut='C:\users\'"$(id -un)"'\Temp\cut.txt'
printf '0123456789' >"$temp/cut.txt"
wine "$probe" truncate "$cut" 4 || fail "the file was not cut back"
expect_eq "$(cat "$temp/cut.txt")" "0123" "the file cut back to 4 bytes"
wine "$probe" hold "$cut" 5 >"$temp/cut-hold.out" &
holder=$!
for _ in $(seq 50); do grep -q held "$temp/cut-hold.out" 2>/dev/null && break; sleep 0.1; done
if wine "$probe" truncate "$cut" 1; then fail "a held file was cut"; fi
expect_eq "$(cat "$temp/cut.txt")" "0123" "a held file stays whole"
wait $holder || true

# Registry values are read whole, however long: an entry's list of driver packages has no limit.
for length in 0 8191 8192 20000; do
  wine reg add 'HKLM\Software\NorvaneProbe' /v Value /d "$(head -c "$length" /dev/zero | tr '\0' x)" /f >/dev/null 2>&1
  expect_eq "$(wine "$probe" regvalue 'Software\NorvaneProbe' Value | tr -d '\r')" $((length + 1)) "a text of $length characters, read back"
done
echo "folders: ok"
