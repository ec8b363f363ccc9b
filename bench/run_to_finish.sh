#!/usr/bin/env bash
# Wall time from a plain start of the program of BUILD_DIR to its finish window under Wine, median of N
# runs (default 5), next to the floor the program's own waits impose: 60 timer ticks (45 to the
# extraction, 15 more to the installation) at the timer's measured resolution, plus 60 ms of sleeps.
# On a screen without a window manager (Xvfb) Wine's X11 driver waits 2 s for the window manager
# each time a window is hidden; the progress window is hidden twice on the way to the finish window.
#   BUILD_DIR=build/win64 bench/run_to_finish.sh [N]
set -euo pipefail
cd "$(dirname "$0")/.."
export BUILD_DIR=${BUILD_DIR:-$(pwd)/build/win64} SOURCE_DIR=$(pwd)
source tests/wine/lib.sh
runs=${1:-5}
wine_display
wine_prefix_new win7
installer_variant "$WINEPREFIX/drive_c/dist/$INSTALLER"
wine "$BUILD_DIR/tests/wine/robot.exe" list >/dev/null  # the desktop is up before the first run

times=()
for ((run = 1; run <= runs; run++)); do
  # Watched at the X level: the robot's window messages would wait on a program that is busy in
  # a synchronous step and stretch the figure.
  start=$(date +%s%N)
  wine "$WINEPREFIX/drive_c/dist/$INSTALLER" &
  installer=$!
  until xdotool search --onlyvisible --name '^Finished$' >/dev/null 2>&1; do
    kill -0 $installer 2>/dev/null || fail "run $run: no finish window"
    sleep 0.02
  done
  end=$(date +%s%N)
  times+=($(((end - start) / 1000000)))
  robot click Finished "&Ok"
  wait_exit $installer 30
done
median=$(printf '%s\n' "${times[@]}" | sort -n | sed -n "$(((runs + 1) / 2))p")
tick=$(wine "$BUILD_DIR/bench/timertick.exe" | tr -d '\r')
floor=$(awk -v t="$tick" 'BEGIN { printf "%d", 60 * t + 60 }')
echo "plain start to finish window: ${times[*]} ms; median ${median} ms"
echo "floor: 60 ticks x ${tick} ms + 60 ms sleeps = ${floor} ms"
