#!/usr/bin/env bash
# Regenerates the README's pictures from the code as it stands: builds, then runs moru-screenshots
# against moru-sim under Xvfb. Without an argument it replaces docs/screenshots/ with exactly the
# pictures the README shows; with a directory it writes them there instead.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
"$root/scripts/setup.sh"
BUILD_DIR=$root/build "$root/scripts/build.sh"
out=${1:-$root/docs/screenshots}
mkdir -p "$out"
if [ $# -eq 0 ]; then
    rm -f "$out"/*.png  # a picture the tool no longer takes must not linger beside the README
fi
xvfb-run -a -s "-screen 0 1400x800x24" \
    "$root/build/bin/moru-screenshots" "$out" "$root/build/bin/moru-sim" "$root/sim/data/demo.json"
