#!/usr/bin/env bash
# Builds the Debian package moru-desk_<version>_amd64.deb into BUILD_DIR (default build/) and prints
# its path on the last line. Builds only what the package holds. Extra arguments go to cmake's
# configure step.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${BUILD_DIR:-$root/build}
"$root/scripts/setup.sh" >&2
cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=${BUILD_TYPE:-RelWithDebInfo} "$@" >/dev/null
cmake --build "$build" -j2 --target programs >&2
rm -f "$build"/moru-desk_*.deb
(cd "$build" && cpack -G DEB >&2)
ls "$build"/moru-desk_*_amd64.deb
