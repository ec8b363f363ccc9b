#!/usr/bin/env bash
# Wall time from a plain start of the program of BUILD_DIR to its finish window under Wine, median of N
# runs (default 5), next to the floor the design imposes, measured in the same prefix and run:
#   60 timer ticks (45 to the extraction, 15 more to the installation) at the timer's measured
#   resolution, the 60 ms of sleeps, and six process starts (relauncher, installation run, two
#   workers, launcher, driver installer) at the measured cost of one start inside the prefix.
# With PAYLOAD_MB set, the same again with a driver cabinet of that many megabytes in PAYLOAD_FILES
# files (default 2000) in place of cabinet 1, next to Wine's extrac32 unpacking that cabinet,
# and the peak memory of the program's processes with either cabinet.
# Wine's X11 driver would wait 2 s for a window manager each time a managed window is hidden
# (Xvfb has none; Windows never waits): the prefix's windows are made unmanaged, as the figure is
# meant to measure the program, not the test bed. Also times /quiet from start to process end.
# Prints figures; never fails on timing.
#   BUILD_DIR=build/win64 [PAYLOAD_MB=112] bench/run_to_finish.sh [N]
set -euo pipefail
cd "$(dirname "$0")/.."
export BUILD_DIR=${BUILD_DIR:-$(pwd)/build/win64} SOURCE_DIR=$(pwd)
source tests/wine/lib.sh
runs=${1:-5}
wine_display
wine_prefix_new win7
wine reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f >/dev/null 2>&1
installer_variant "$WINEPREFIX/drive_c/dist/$INSTALLER"
wine "$BUILD_DIR/tests/wine/robot.exe" list >/dev/null  # the desktop is up before the first run

milliseconds() { echo $(($(date +%s%N) / 1000000)); }
median() { printf '%s\n' "$@" | sort -n | sed -n "$((($# + 1) / 2))p"; }

# Largest private memory (RssAnon, kB) of any process of the program under test, sampled until
# the file $1 appears; written to $1.peak.
sample_memory() {
  local peak=0 pid kb
  while [ ! -e "$1" ]; do
    for pid in $(pgrep -f "$INSTALLER" || true); do
      kb=$(awk '/^RssAnon:/ { print $2 }' "/proc/$pid/status" 2>/dev/null || echo 0)
      [ "${kb:-0}" -gt "$peak" ] && peak=$kb
    done
    sleep 0.05
  done
  echo "$peak" >"$1.peak"
}

# Runs the program at Windows path $1 to its finish window $2 times; sets `times` (ms) and
# `peak_kb` (largest RssAnon of its processes over all runs).
time_to_finish() {
  local program=$1 count=$2 run start end installer stop sampler
  times=()
  stop=$(mktemp -u /tmp/bench-stop-XXXXXX)
  sample_memory "$stop" &
  sampler=$!
  for ((run = 1; run <= count; run++)); do
    # Watched at the X level: the robot's window messages would wait on a program that is busy
    # in a synchronous step and stretch the figure.
    start=$(date +%s%N)
    wine "$program" &
    installer=$!
    until xdotool search --onlyvisible --name '^Finished$' >/dev/null 2>&1; do
      kill -0 $installer 2>/dev/null || fail "run $run of $program: no finish window"
      sleep 0.02
    done
    end=$(date +%s%N)
    times+=($(((end - start) / 1000000)))
    robot click Finished "&Ok"
    wait_exit $installer 30
  done
  touch "$stop"
  wait $sampler
  peak_kb=$(cat "$stop.peak")
  rm -f "$stop" "$stop.peak"
}

# The cost of one process start inside the prefix: a batch that starts `cmd /c exit` STARTS times,
# against the same batch that starts none.
starts=20
printf '@for /l %%%%i in (1,1,%s) do @cmd /c exit\r\n' "$starts" >"$WINEPREFIX/drive_c/starts.bat"
printf '@rem nothing\r\n' >"$WINEPREFIX/drive_c/none.bat"
start_costs=()
for round in 1 2 3; do
  begin=$(milliseconds)
  wine cmd /c 'C:\none.bat'
  middle=$(milliseconds)
  wine cmd /c 'C:\starts.bat'
  end=$(milliseconds)
  start_costs+=($(((end - middle - (middle - begin)) / starts)))
done
start_cost=$(median "${start_costs[@]}")

time_to_finish "C:\\dist\\$INSTALLER" "$runs"
small=$(median "${times[@]}")
tick=$(wine "$BUILD_DIR/bench/timertick.exe" | tr -d '\r')
floor=$(awk -v t="$tick" -v s="$start_cost" 'BEGIN { printf "%d", 60 * t + 60 + 6 * s }')
echo "$INSTALLER, Managed=N: plain start to finish window: ${times[*]} ms; median ${small} ms;" \
  "peak private memory ${peak_kb} kB"
echo "process start inside the prefix: ${start_costs[*]} ms (median ${start_cost} ms)"
echo "floor: 60 ticks x ${tick} ms + 60 ms sleeps + 6 starts x ${start_cost} ms = ${floor} ms"
awk -v m="$small" -v f="$floor" 'BEGIN { printf "median / floor: %.2f\n", m / f }'

# Nobody at the screen: /quiet from its start to the end of the process, beside the plain start
# to the finish window (the goal: no more than 1.3 times that).
quiet=()
for ((run = 1; run <= runs; run++)); do
  begin=$(milliseconds)
  wine "C:\\dist\\$INSTALLER" /quiet || true
  end=$(milliseconds)
  quiet+=($((end - begin)))
done
quiet_median=$(median "${quiet[@]}")
echo "/quiet start to process end: ${quiet[*]} ms; median ${quiet_median} ms"
awk -v q="$quiet_median" -v m="$small" -v f="$floor" \
  'BEGIN { printf "/quiet / plain start to finish window: %.2f; /quiet / floor: %.2f\n", q / m, q / f }'

[ -n "${PAYLOAD_MB:-}" ] || exit 0
small_peak=$peak_kb
tree="$WINEPREFIX/drive_c/large"
cp -r "$SOURCE_DIR/resources/payload/driver" "$tree"
python3 bench/generate_payload.py "$tree/bulk" "${PAYLOAD_FILES:-2000}" "$PAYLOAD_MB"
(cd "$tree" && find . -type f -printf '%P\n' | sort | xargs -d '\n' gcab -c -z ../large.cab)
installer_variant "$WINEPREFIX/drive_c/large/$INSTALLER" CAB 1 "$WINEPREFIX/drive_c/large.cab"
# The resource editor lays the resources out anew; put them on a page boundary as the build does.
python3 cmake/PageAlignResources.py "$WINEPREFIX/drive_c/large/$INSTALLER"
time_to_finish "C:\\large\\$INSTALLER" "$runs"
large=$(median "${times[@]}")
unpack=()
for ((run = 1; run <= runs; run++)); do
  rm -rf "$WINEPREFIX/drive_c/unpacked"
  begin=$(milliseconds)
  wine extrac32 /Y /E /L 'C:\unpacked' 'C:\large.cab'
  end=$(milliseconds)
  unpack+=($((end - begin)))
done
extrac=$(median "${unpack[@]}")
echo "cabinet 1 of $(stat -c %s "$WINEPREFIX/drive_c/large.cab") bytes, ${PAYLOAD_FILES:-2000} files:" \
  "plain start to finish window: ${times[*]} ms; median ${large} ms"
echo "extrac32 on that cabinet: ${unpack[*]} ms; median ${extrac} ms"
awk -v l="$large" -v s="$small" -v e="$extrac" \
  'BEGIN { printf "the large cabinet costs %d ms more: %.2f x extrac32\n", l - s, (l - s) / e }'
echo "peak private memory of the program's processes: ${small_peak} kB small, ${peak_kb} kB large"
