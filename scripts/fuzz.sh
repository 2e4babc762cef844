#!/bin/sh
# Builds every libFuzzer target under tests/fuzz/ with clang into BUILD_DIR and runs
# each for SECONDS seconds. Exits non-zero when a target fails to build or finds a crash.
#   scripts/fuzz.sh BUILD_DIR SECONDS
set -eu

if [ $# -ne 2 ]; then
    echo "usage: $0 BUILD_DIR SECONDS" >&2
    exit 2
fi
build_dir=$1
seconds=$2
src_dir=$(cd "$(dirname "$0")/.." && pwd)

cmake -S "$src_dir" -B "$build_dir" -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ \
    -DCMAKE_BUILD_TYPE=RelWithDebInfo -DMORU_FUZZ=ON -DMORU_BENCH=OFF >/dev/null

targets=""
for f in "$src_dir"/tests/fuzz/fuzz_*.cpp; do
    [ -e "$f" ] || continue
    targets="$targets $(basename "$f" .cpp)"
done
if [ -z "$targets" ]; then
    echo "no fuzz targets under tests/fuzz" >&2
    exit 1
fi

for t in $targets; do
    cmake --build "$build_dir" -j2 --target "$t"
done

# Readable stacks when a target finds something.
if [ -z "${ASAN_SYMBOLIZER_PATH:-}" ] && [ -x /usr/bin/llvm-symbolizer-14 ]; then
    export ASAN_SYMBOLIZER_PATH=/usr/bin/llvm-symbolizer-14
fi

status=0
for t in $targets; do
    exe=$(find "$build_dir" -type f -name "$t" -perm -u+x | head -n 1)
    if [ -z "$exe" ]; then
        echo "fuzz target $t was not built" >&2
        status=1
        continue
    fi
    corpus="$build_dir/fuzz-corpus/$t"
    mkdir -p "$corpus"
    echo "== $t for ${seconds}s"
    if ! (cd "$build_dir" && "$exe" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 \
        -print_final_stats=1 "$corpus"); then
        echo "fuzz target $t failed" >&2
        status=1
    fi
done
exit $status
