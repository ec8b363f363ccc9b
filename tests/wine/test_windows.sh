# The progress and finish windows under Wine: screenshots (kept in the build folder for a person
# to look at) checked at the gradient, the bar and the title strip; label texts read by the robot;
# the finish window's keys, button and countdown; dragging by a label.
source "$SOURCE_DIR/tests/wine/lib.sh"
probe="$BUILD_DIR/tests/wine/windowsprobe.exe"
shots="$BUILD_DIR/screenshots"
mkdir -p "$shots"
wine_display
wine_prefix_new

# Colour of a screen pixel as "R G B".
pixel() {
  convert "$1" -format "%[fx:int(255*p{$2,$3}.r)] %[fx:int(255*p{$2,$3}.g)] %[fx:int(255*p{$2,$3}.b)]" info:
}
# Fails unless the pixel is within $5 of the colour "R G B" in $4 on every channel.
expect_colour() {
  local actual
  actual=$(pixel "$1" "$2" "$3")
  python3 - "$actual" "$4" "$5" "$6" <<'PY' || fail "$6: pixel is ($actual), expected ($4) within $5"
import sys
a = [int(v) for v in sys.argv[1].split()]
e = [int(v) for v in sys.argv[2].split()]
sys.exit(0 if all(abs(x - y) <= int(sys.argv[3]) for x, y in zip(a, e)) else 1)
PY
}
# The window gradient's colour at client pixel (x, y) of a 309 x 129 window, two triangles
# (0,1,2) and (0,2,3), each colour linear within its triangle.
gradient_at() {
  python3 - "$1" "$2" <<'PY'
import sys
x, y = int(sys.argv[1]) + 0.5, int(sys.argv[2]) + 0.5
W, H = 309, 129
v = [(0, 0, (0, 85, 229)), (W, 0, (117, 150, 232)), (W, H, (150, 180, 242)), (0, H, (255, 255, 255))]
a, b = v[0], v[2]
c = v[1] if W * y - H * x <= 0 else v[3]
area = (b[0] - a[0]) * (c[1] - a[1]) - (c[0] - a[0]) * (b[1] - a[1])
wb = ((x - a[0]) * (c[1] - a[1]) - (c[0] - a[0]) * (y - a[1])) / area
wc = ((b[0] - a[0]) * (y - a[1]) - (x - a[0]) * (b[1] - a[1])) / area
wa = 1 - wb - wc
print(" ".join(str(round(wa * a[2][i] + wb * b[2][i] + wc * c[2][i])) for i in range(3)))
PY
}
rect_of() { robot rect "$1"; }

# No label text is cut off: laid out in the font Wine gives the labels, and in the faces Windows
# uses for that font (Tahoma from Windows XP on, MS Sans Serif before), from Wine's own files.
fits() {
  local face
  for face in "" "Tahoma|Z:\usr\share\wine\fonts\tahoma.ttf" "MS Sans Serif|Z:\usr\share\wine\fonts\sserife.fon"; do
    robot fit "$1" ${face:+"${face%|*}"} ${face:+"${face#*|}"} >"$shots/fit.txt" ||
      fail "$2: a text is cut off${face:+ in ${face%|*}}:"$'\n'"$(tr -d '\r' <"$shots/fit.txt")"
  done
}

# --- The progress window, bar at 70 ---------------------------------------------------------
check_wait_window() {  # $1: probe option, $2: screenshot name
  local option=$1 name=$2
  local out="$shots/$name.out"
  wine "$probe" wait 70 "Checking the bar" $option >"$out" 2>&1 &
  local pid=$!
  robot wait "Please wait" 20 || fail "progress window did not appear ($name)"
  sleep 1
  expect_eq "$(robot texts "Please wait" | sort | tr -d '\r')" "$(printf 'Static|Checking the bar\nVistaProg|')" \
    "progress window controls ($name)"
  read -r left top right bottom < <(rect_of "Please wait" | tr -d '\r')
  expect_eq "$((right - left))x$((bottom - top))" "309x129" "progress window size ($name)"
  import -window root "$shots/$name.png"
  local png="$shots/$name.png"

  # Gradient near the corners that the strip and border leave free, and in the middle.
  local x y
  for point in "3 125" "305 125" "3 22" "305 22" "154 70" "20 60"; do
    read -r x y <<<"$point"
    expect_colour "$png" $((left + x)) $((top + y)) "$(gradient_at "$x" "$y")" 6 \
      "gradient at ($x, $y) [$name]"
  done
  # Border: black inner line, light outer line at the top left.
  expect_colour "$png" $((left + 1)) $((top + 60)) "0 0 0" 8 "inner border line"
  expect_colour "$png" $((left + 0)) $((top + 60)) "224 224 224" 8 "outer border line"
  # Title strip: plain back colour at its left edge below the picture, title text in white.
  expect_colour "$png" $((left + 3)) $((top + 17)) "38 119 217" 6 "strip's plain left edge"
  local white
  white=$(convert "$png" -crop 200x17+$((left + 67))+$((top + 2)) -fill black +opaque white \
    -format '%[fx:int(mean*w*h)]' info:)
  [ "$white" -gt 30 ] || fail "no white title text on the strip ($white white pixels)"
  # The bar (40, 48; 233 x 22 px): at 70 it ends at 163 px; blue inside, button face beyond.
  expect_colour "$png" $((left + 40 + 80)) $((top + 48 + 9)) "20 81 194" 8 "bar middle row"
  expect_colour "$png" $((left + 40 + 80)) $((top + 48 + 2)) "63 123 235" 8 "bar second row"
  expect_colour "$png" $((left + 40 + 0)) $((top + 48 + 9)) "161 161 161" 10 "left cap outer column"
  expect_colour "$png" $((left + 40 + 232)) $((top + 48 + 9)) "161 161 161" 10 "right cap outer column"
  expect_colour "$png" $((left + 40 + 231)) $((top + 48 + 9)) "221 221 221" 10 "right cap empty"
  local beyond
  beyond=$(pixel "$png" $((left + 40 + 200)) $((top + 48 + 9)))
  [ "$beyond" != "$(pixel "$png" $((left + 40 + 80)) $((top + 48 + 9)))" ] ||
    fail "the bar runs on past 70 percent"
  expect_colour "$png" $((left + 40 + 162)) $((top + 48 + 9)) "20 81 194" 8 "bar's last column"

  fits "Please wait" "progress window ($name)"

  # Dragging by the label (presses on it reach the window) moves the window.
  xdotool mousemove $((left + 150)) $((top + 100)) mousedown 1
  for step in 1 2 3 4 5; do
    xdotool mousemove $((left + 150 + step * 20)) $((top + 100 + step * 10))
    sleep 0.1
  done
  xdotool mouseup 1
  sleep 0.5
  read -r left2 top2 _ _ < <(rect_of "Please wait" | tr -d '\r')
  expect_eq "$((left2 - left)),$((top2 - top))" "100,50" "window moved with the mouse ($name)"

  # The right button drags as well, and the window stays put once it is released.
  xdotool mousemove $((left2 + 150)) $((top2 + 100)) mousedown 3
  for step in 1 2 3; do
    xdotool mousemove $((left2 + 150 - step * 20)) $((top2 + 100 - step * 10))
    sleep 0.1
  done
  xdotool mouseup 3
  sleep 0.3
  xdotool mousemove 5 5
  sleep 0.5
  read -r left3 top3 _ _ < <(rect_of "Please wait" | tr -d '\r')
  expect_eq "$((left3 - left2)),$((top3 - top2))" "-60,-30" "right-button drag ($name)"

  # Closing the window in any way ends the run through the final clean-up.
  xdotool mousemove $((left3 + 150)) $((top3 + 100)) key alt+F4
  wait_exit $pid 10
  grep -q '^ended ' "$out" || fail "closing the progress window did not end through the clean-up ($name)"
}
check_wait_window "" wait
check_wait_window own-gradient wait-own-gradient

# --- The finish window -----------------------------------------------------------------------
start_finish() {  # $1: name of the output, $2: "check" to ask for the wireless step
  wine "$probe" finish "The drivers have been successfully installed. " "Probe Finish" $2 \
    >"$shots/$1.out" 2>&1 &
  finish_pid=$!
  robot wait "Probe Finish" 20 || fail "finish window did not appear ($1)"
}

start_finish finish-escape check
sleep 0.5
texts=$(robot texts "Probe Finish" | tr -d '\r')
expect_eq "$texts" "$(printf '%s\n' 'Static|The drivers have been successfully installed. ' \
  'Static|(This window will close automatically in' 'Static|14' 'Static|seconds.)' 'Button|&Ok')" \
  "finish window controls"
read -r left top right bottom < <(rect_of "Probe Finish" | tr -d '\r')
expect_eq "$((right - left))x$((bottom - top))" "291x129" "finish window size"
fits "Probe Finish" "finish window"
import -window root "$shots/finish.png"
expect_colour "$shots/finish.png" $((left + 3)) $((top + 125)) "$(gradient_at 3 125 | python3 -c '
import sys; print(sys.stdin.read().strip())')" 12 "finish gradient, bottom left"
# Escape: the run ends at once and the wireless step is skipped. Without a window manager the
# keyboard goes to the window under the pointer.
xdotool mousemove $((left + 100)) $((top + 60)) key Escape
wait_exit $finish_pid 10
expect_eq "$(tr -d '\r' <"$shots/finish-escape.out" | grep '^ended')" \
  "ended ServiceCheckDone=0 CheckWirelessService=-1" "Escape skips the wireless step"

for key in 88 120; do
  start_finish "finish-char-$key" check
  robot char "Probe Finish" $key
  wait_exit $finish_pid 10
  expect_eq "$(tr -d '\r' <"$shots/finish-char-$key.out" | grep '^ended')" \
    "ended ServiceCheckDone=0 CheckWirelessService=-1" "character $key closes at once"
done

start_finish finish-other-key check
robot char "Probe Finish" 65
sleep 1
kill -0 $finish_pid 2>/dev/null || fail "the character A closed the finish window"
# OK: the window hides, the wireless step runs once (no service here, so no message), the end.
robot click "Probe Finish" Ok
wait_exit $finish_pid 10
expect_eq "$(tr -d '\r' <"$shots/finish-other-key.out" | grep '^ended')" \
  "ended ServiceCheckDone=-1 CheckWirelessService=0" "OK runs the wireless step, then ends"

# The countdown: after about 6 s it reads one digit; the window closes itself after 15 ticks.
start_finish finish-countdown check
sleep 6.5
counter=$(robot texts "Probe Finish" | tr -d '\r' | sed -n 3p)
case "$counter" in Static\|[6-8]) ;; *) fail "countdown after 6.5 s reads \"$counter\"" ;; esac
fits "Probe Finish" "finish window, one digit"
import -window root "$shots/finish-countdown.png"
wait_exit $finish_pid 15
expect_eq "$(tr -d '\r' <"$shots/finish-countdown.out" | grep '^ended')" \
  "ended ServiceCheckDone=-1 CheckWirelessService=0" "the countdown ends the run"

# --- Scales: the desktop at 100 % to 200 %, and a window moved to a monitor of 200 % ------------
# No control leaves its window, none overlaps another (a label by the text it shows: the designed
# label boxes of the countdown overlap by a pixel), and neither a control nor the strip's pictures
# cover the title: rectangles the running windows report (the robot's for the controls, the
# probe's for what it painted), not pixels.
check_layout() {  # $1: window title, $2: the probe's output, $3: name, $4: the window's dpi
  local i
  for ((i = 0; i < 50; i++)); do grep -q '^pictures ' "$2" && break; sleep 0.1; done
  robot rects "$1" ${4:-} | tr -d '\r' >"$shots/$3.rects"
  python3 - "$shots/$3.rects" "$2" <<'PY' || fail "$3: $(paste -sd ' ' "$shots/$3.rects") / $(grep -E '^(title|pictures) ' "$2" | tr -d '\r' | paste -sd ' ')"
import sys
lines = [l.split("|") for l in open(sys.argv[1]).read().split("\n")[1:] if l]
width, height = map(int, open(sys.argv[1]).readline().split()[1:])
boxes = [(name, [int(v) for v in rect.split()]) for name, rect, *_ in lines]
controls = [(name, [int(v) for v in shown[-1].split()]) for name, *shown in lines]
painted = {l.split()[0]: [int(v) for v in l.split()[1:]]
           for l in open(sys.argv[2]).read().replace("\r", "").split("\n") if l.startswith(("title ", "pictures "))}
meet = lambda a, b: a[0] < b[2] and b[0] < a[2] and a[1] < b[3] and b[1] < a[3]
bad = [f"{n} leaves the window" for n, r in boxes + controls if min(r[:2]) < 0 or r[2] > width or r[3] > height]
bad += [f"{a[0]} overlaps {b[0]}" for i, a in enumerate(controls) for b in controls[i + 1:] if meet(a[1], b[1])]
bad += [f"{n} covers the title" for n, r in controls + [("pictures", painted["pictures"])] if meet(r, painted["title"])]
sys.stderr.write("".join(f"  {b}\n" for b in bad))
sys.exit(1 if bad else 0)
PY
}
# $1: name, $2 and $3: the sizes the progress and the finish window take, $4: probe option
check_scale() {
  local option=${4:-} window title size out pid left top right bottom
  for window in wait finish; do
    out="$shots/$window-$1.out"
    if [ $window = wait ]; then
      title="Please wait" size=$2
      wine "$probe" wait 70 "Please wait while the necessary files are extracted." $option >"$out" 2>&1 &
    else
      title="Probe Finish" size=$3
      wine "$probe" finish "The drivers have been successfully installed. " "$title" $option >"$out" 2>&1 &
    fi
    pid=$!
    robot wait "$title" 20 || fail "$window window did not appear ($1)"
    check_layout "$title" "$out" "$window-$1" "${option#dpi=}"
    read -r left top right bottom < <(rect_of "$title" | tr -d '\r')
    expect_eq "$((right - left))x$((bottom - top))" "$size" "$window window size ($1)"
    [ -n "$option" ] || fits "$title" "$window window ($1)"
    import -window root -crop "$size+$left+$top" +repage "$shots/$window-$1.png"
    xdotool mousemove $((left + 20)) $((top + 60)) key alt+F4
    wait_exit $pid 10
  done
}
# Wine 8 takes the desktop's dpi from LogPixels under HKCU\Control Panel\Desktop (the value
# under HKLM\...\Hardware Profiles\Current\Software\Fonts works too; HKCU\Software\Wine\Fonts
# does not).
for row in "96 309x129 291x129" "120 386x161 364x161" "144 464x194 436x194" "192 618x258 582x258"; do
  read -r dpi wait_size finish_size <<<"$row"
  wine reg add 'HKCU\Control Panel\Desktop' /v LogPixels /t REG_DWORD /d "$dpi" /f >/dev/null 2>&1
  wine_restart
  check_scale "$dpi" "$wait_size" "$finish_size"
done
# Moved from 100 % to 200 %: the window is laid out anew, at twice its size.
wine reg add 'HKCU\Control Panel\Desktop' /v LogPixels /t REG_DWORD /d 96 /f >/dev/null 2>&1
wine_restart
check_scale moved-192 618x258 582x258 dpi=192

# --- Translucency and the relaunch form ------------------------------------------------------
expect_eq "$(wine "$probe" translucency | tr -d '\r')" "$(printf '%s\n' '256 1 0 -1' '-1 1 0 -1' \
  '0 0 1 0' '255 0 1 255' '240 0 1 240')" "SetTranslucency results"
expect_eq "$(wine "$probe" temp | tr -d '\r')" "$(printf '%s\n' 'form 1 visible 0 child Static' \
  'after unload 0')" "relaunch form"
echo "windows: ok (screenshots in $shots)"
