#!/usr/bin/env bash
# Pictures of the login page, of the workspace after a login to moru-sim and of the order window on each
# of its tabs (a Shanghai and a Shenzhen login), under Xvfb.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
"$root/scripts/setup.sh"
BUILD_DIR=$root/build "$root/scripts/build.sh"
out=${1:-$root/screenshots}
xvfb-run -a -s "-screen 0 1400x800x24" \
    "$root/build/bin/moru-screenshots" "$out" "$root/build/bin/moru-sim" "$root/sim/data/demo.json"
