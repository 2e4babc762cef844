#!/usr/bin/env bash
# Sets up, builds and starts the simulated counter and quote server, then the terminal.
# Without a display the terminal runs under Xvfb and a screenshot is saved.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
"$root/scripts/setup.sh"
# Only what runs (terminal, trading library, moru-sim, config/); scripts/test.sh builds the tests and
# benchmarks.
cmake -S "$root" -B "$root/build" -DCMAKE_BUILD_TYPE=${BUILD_TYPE:-RelWithDebInfo} >/dev/null
cmake --build "$root/build" -j2 --target programs
bin=$root/build/bin

sim_pid=""
if [ -x "$bin/moru-sim" ]; then
    "$bin/moru-sim" --counter-port 18801 --quote-port 18802 --data "$root/sim/data/demo.json" \
        >"$root/build/moru-sim.log" 2>&1 &
    sim_pid=$!
    echo "Simulated counter on 127.0.0.1:18801, quotes on 127.0.0.1:18802 (log: build/moru-sim.log)"
fi
xvfb_pid=""
cleanup() {
    [ -n "$sim_pid" ] && kill "$sim_pid" 2>/dev/null || true
    [ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2>/dev/null || true
}
trap cleanup EXIT

# The terminal writes its log under log/ of the working directory.
mkdir -p "$root/run"
cd "$root/run"
if [ -n "${DISPLAY:-}" ]; then
    "$bin/Moru-Desk"
else
    # The first display number nobody holds, so two runs on one machine do not meet.
    n=87
    while [ -e "/tmp/.X$n-lock" ] && [ "$n" -lt 199 ]; do n=$((n + 1)); done
    export DISPLAY=:$n
    Xvfb "$DISPLAY" -screen 0 1400x800x24 >/dev/null 2>&1 &
    xvfb_pid=$!
    sleep 1
    "$bin/Moru-Desk" &
    app_pid=$!
    sleep "${SCREENSHOT_DELAY:-4}"
    mkdir -p "$root/screenshots"
    shot=$root/screenshots/moru-desk.png
    if xwd -root -silent -display "$DISPLAY" | convert xwd:- "$shot"; then
        echo "No display here: Moru-Desk runs under Xvfb ($DISPLAY); screenshot saved to $shot"
    fi
    if [ -n "${RUN_SECONDS:-}" ]; then
        sleep "$RUN_SECONDS"
        kill "$app_pid" 2>/dev/null || true
    fi
    wait "$app_pid" || true
fi
