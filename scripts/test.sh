#!/usr/bin/env bash
# Sets up, builds and runs every test: the normal build, then the sanitizer build, then the fuzzers.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
"$root/scripts/setup.sh"

export QT_QPA_PLATFORM=offscreen
echo "== build and test"
BUILD_DIR=$root/build "$root/scripts/build.sh"
(cd "$root/build" && ctest --output-on-failure -j2)

echo "== AddressSanitizer + UndefinedBehaviorSanitizer"
BUILD_DIR=$root/build-asan "$root/scripts/build.sh" -DMORU_SANITIZE=ON -DMORU_BENCH=OFF
(cd "$root/build-asan" && ASAN_OPTIONS=detect_leaks=0:abort_on_error=0 \
    UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 ctest --output-on-failure -j2)

if [ -x "$root/scripts/fuzz.sh" ]; then
    echo "== fuzzers"
    "$root/scripts/fuzz.sh" "$root/build-fuzz" "${FUZZ_SECONDS:-30}"
fi
