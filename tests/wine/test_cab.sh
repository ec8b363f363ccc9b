# The cabinet object under Wine's SetupIterateCabinetA: a gcab cabinet with nested folders, damaged
# cabinets, hostile stored names, and the folder creation of its path procedures.
source "$SOURCE_DIR/tests/wine/lib.sh"
wine_prefix_new
probe="$BUILD_DIR/tests/wine/cabprobe.exe"
work="$WINEPREFIX/drive_c/cabtest"
mkdir -p "$work/src/2000_XP" "$work/src/Vista 64bit/x64/deep"
printf '[Version]\r\n' >"$work/src/2000_XP/net.inf"
head -c 150000 /dev/urandom >"$work/src/2000_XP/net.sys"
head -c 70000 /dev/zero >"$work/src/Vista 64bit/x64/deep/net64.sys"
: >"$work/src/empty.txt"
(cd "$work/src" && gcab -c -z ../good.cab 2000_XP/net.inf 2000_XP/net.sys "Vista 64bit/x64/deep/net64.sys" empty.txt)
probe() { wine "$probe" "$@" | tr -d '\r'; }
ended='message Error while extracting files from the archive|Norvane Driver/Utility Installer v1.4|0'

out=$(probe extract 'C:\cabtest\good.cab' 'C:\cabtest\out\driver\')
expect_eq "$(echo "$out" | tail -1)" "true" "extracting the good cabinet"
diff -r "$work/src" "$work/out/driver" || fail "extracted tree differs"
grep -qx 'after C:\\cabtest\\out\\driver\\Vista 64bit\\x64\\deep\\net64.sys' <<<"$out" ||
  fail "AfterExtract target: $out"
expect_eq "$(probe extract 'C:\cabtest\good.cab' 'C:\cabtest\one' '2000_xp\NET.INF' | tail -1)" \
  "true" "a filter in another letter case"
expect_eq "$(cd "$work/one" && find . -type f)" "./2000_XP/net.inf" "the filtered file alone"

# Damaged cabinets: the failure path runs and nothing lands outside the target.
size=$(stat -c %s "$work/good.cab")
head -c 36 "$work/good.cab" >"$work/header.cab"
head -c $((size / 2)) "$work/good.cab" >"$work/half.cab"
cp "$work/good.cab" "$work/flipped.cab"
printf '\xaa' | dd of="$work/flipped.cab" bs=1 seek=$((size * 3 / 4)) conv=notrunc status=none
head -c 5000 /dev/zero >"$work/zeros.cab"
for cab in header half flipped zeros missing; do
  rm -rf "$work/bad"
  # The run ends through its clean-up with the failure code 1603, which the probe passes on.
  out=$(probe extract "C:\\cabtest\\$cab.cab" 'C:\cabtest\bad\t' || true)
  grep -qxF "$ended" <<<"$out" || fail "$cab: no extraction error: $out"
  grep -qx 'ended 1603' <<<"$out" || fail "$cab: the run did not end as failed: $out"
  extra=$(cd "$work" && find . -path ./src -prune -o -path ./bad -prune -o -path ./out -prune -o \
    -path ./one -prune -o -type f ! -name '*.cab' -print)
  expect_eq "$extra" "" "$cab: files outside the target"
  echo "$cab: ok"
done

# Hostile stored names never leave the target; the pass fails on them.
for name in '..\..\escaped.txt' 'x\..\..\..\escaped.txt' '../../escaped.txt' '\escaped.txt' \
  '\\server\share\escaped.txt' 'C:\escaped.txt' 'C:escaped.txt' 'x\con'; do
  rm -rf "$work/t"
  probe make 'C:\cabtest\hostile.cab' first.txt "$name"
  out=$(probe extract 'C:\cabtest\hostile.cab' 'C:\cabtest\t\a\b' || true)
  grep -qxF "$ended" <<<"$out" || fail "$name: no extraction error: $out"
  grep -qx 'ended 1603' <<<"$out" || fail "$name: the run did not end as failed: $out"
  found=$(find "$WINEPREFIX/drive_c" -name 'escaped*' -o -name 'data of*')
  expect_eq "$found" "" "$name: a file escaped"
  expect_eq "$(cd "$work/t" && find . -type f)" "./a/b/first.txt" "$name: files in the target"
  echo "$name: ok"
done

# Folder creation with missing parents, existing folders and the empty path.
mkdir -p "$work/have"
for row in 'C:\cabtest\have|1 C:\cabtest\have' 'C:\cabtest\have\|1 C:\cabtest\have' \
  'C:\cabtest\have\a\b\c\|1 C:\cabtest\have\a\b\c' 'C:\cabnew\x\y|1 C:\cabnew\x\y' \
  'C:\cabtest\good.cab\sub|0 C:\cabtest\good.cab\sub' '|0 '; do
  expect_eq "$(probe mkdirs "${row%%|*}")" "${row#*|}" "CreateFolderPath ${row%%|*}"
done
[ -d "$work/have/a/b/c" ] && [ -d "$WINEPREFIX/drive_c/cabnew/x/y" ] || fail "folders not made"
echo "cabinets: ok"
