# ShellRunAndWait under Wine: it waits for the started program, a hidden launch leaves the progress
# window alone, a normal one hides it, and a missing program is not waited for.
source "$SOURCE_DIR/tests/wine/lib.sh"
wine_display
wine_prefix_new
probe="$BUILD_DIR/tests/wine/launchprobe.exe"
self=$(winpath "$probe")
run() { wine "$probe" run "$@" | tr -d '\r'; }
field() { echo "$1" | awk -v k="$2" '{for (i = 1; i < NF; i++) if ($i == k) print $(i + 1)}'; }

size=60
[ "$INSTALLER_BITS" = 32 ] || size=112
expect_eq "$(wine "$probe" size | tr -d '\r')" "$size" "SHELLEXECUTEINFOA of the $INSTALLER_BITS-bit build"

# name | parameters | show | visible before | waits | visible after | hides
for row in "hidden launch|sleep 1500|0|1|1|1|0" "normal launch|sleep 1500|1|1|1|0|1" \
  "normal launch, window already hidden|sleep 1500|1|0|1|0|0" \
  "program that ends at once|sleep 0|1|1|0|0|1"; do
  IFS='|' read -r name parameters show visible waits after hides <<<"$row"
  out=$(run "$self" "$parameters" "$show" "$visible")
  expect_eq "$(field "$out" result)" "33" "$name: hInstApp"
  ms=$(field "$out" ms)
  if [ "$waits" = 1 ]; then
    [ "$ms" -ge 1400 ] || fail "$name: returned after ${ms} ms, before the program ended"
  else
    [ "$ms" -lt 1000 ] || fail "$name: took ${ms} ms"
  fi
  expect_eq "$(field "$out" visible)" "$after" "$name: progress window afterwards"
  expect_eq "$(field "$out" hides)" "$hides" "$name: times hidden"
  echo "$name: ok"
done

# A missing program: the shell shows its own box (the request does not suppress it), nothing is
# waited for and the window stays as it was.
out_file=$(mktemp)
on_exit "rm -f '$out_file'"
wine "$probe" run 'C:\nothere.exe' "" 1 1 >"$out_file" &
pid=$!
robot wait Error 30 || fail "missing program: no shell error box"
texts=""
for _ in 1 2 3 4 5; do
  texts=$(robot texts Error | tr -d '\r')
  grep -q 'File not found' <<<"$texts" && break
  sleep 0.5
done
grep -q 'File not found' <<<"$texts" || fail "missing program: box text: $texts"
robot click Error OK
wait_exit $pid 30
out=$(tr -d '\r' <"$out_file")
expect_eq "$(field "$out" visible)" "1" "missing program: progress window"
expect_eq "$(field "$out" hides)" "0" "missing program: times hidden"
# Windows answers ERROR_FILE_NOT_FOUND; Wine's own error box clears the last error to 0 first.
case "$(field "$out" result)" in 2 | 0) ;; *) fail "missing program: result $out" ;; esac
echo "launch: ok"
