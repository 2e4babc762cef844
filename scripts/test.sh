#!/usr/bin/env bash
# Sets up, builds and runs every test: the normal build, the Debian package checked by lintian, the
# sanitizer build, then the fuzzers.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
"$root/scripts/setup.sh"

export QT_QPA_PLATFORM=offscreen
logs=$(mktemp -d)
passed=0
failed=0
count() {  # adds up ctest's "N% tests passed, F tests failed out of T"
    local line t f
    line=$(grep -E "tests passed, [0-9]+ tests? failed out of [0-9]+" "$1" | tail -n 1)
    t=$(sed -E 's/.* out of ([0-9]+).*/\1/' <<<"$line")
    f=$(sed -E 's/.*passed, ([0-9]+) tests? failed.*/\1/' <<<"$line")
    passed=$((passed + t - f))
    failed=$((failed + f))
}

echo "== build and test"
BUILD_DIR=$root/build "$root/scripts/build.sh"
set +e
(cd "$root/build" && ctest --output-on-failure -j2) 2>&1 | tee "$logs/plain.txt"
plain=${PIPESTATUS[0]}
set -e
count "$logs/plain.txt"

echo "== Debian package and lintian"
lint=0
deb=$(BUILD_DIR=$root/build "$root/scripts/package.sh" | tail -n 1) || lint=$?
if [ "$lint" -eq 0 ]; then
    # Warnings are shown; an error fails the run.
    set +e
    lintian --fail-on error "$deb" 2>&1 | grep -v "running with root privileges"
    lint=${PIPESTATUS[0]}
    set -e
fi
echo "lintian on $(basename "${deb:-no package}"): exit status $lint"

echo "== AddressSanitizer + UndefinedBehaviorSanitizer"
BUILD_DIR=$root/build-asan "$root/scripts/build.sh" -DMORU_SANITIZE=ON -DMORU_BENCH=OFF
set +e
# Full stacks on allocation so the suppressions (Qt's own offscreen plugin) can match.
(cd "$root/build-asan" && ASAN_OPTIONS=detect_leaks=1:fast_unwind_on_malloc=0 \
    LSAN_OPTIONS=suppressions=$root/tests/lsan.supp UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
    ctest --output-on-failure -j2) 2>&1 | tee "$logs/asan.txt"
asan=${PIPESTATUS[0]}
set -e
count "$logs/asan.txt"

echo "== fuzzers"
fuzz=0
"$root/scripts/fuzz.sh" "$root/build-fuzz" "${FUZZ_SECONDS:-30}" || fuzz=$?

echo "lintian: exit status $lint"
echo "fuzzers: exit status $fuzz"
echo "ctest: $passed passed, $failed failed"
[ "$plain" -eq 0 ] && [ "$asan" -eq 0 ] && [ "$fuzz" -eq 0 ] && [ "$lint" -eq 0 ]
