#!/usr/bin/env bash
# Usage: fuzz/run.sh [SECONDS]   (default 60)
# Builds every fuzz/<name>_fuzz.cpp with clang into build-fuzz/ and runs each for
# SECONDS. Seeds: fuzz/corpus/<name>/ (and fuzz/<name>.dict when present). New
# inputs collect in build-fuzz/corpus/<name>/, crashes in build-fuzz/crashes/<name>/.
# Exits non-zero when any target found a crash. A crash kept in
# fuzz/regressions/<name>/ is replayed by the tests in tests/imaging.
set -euo pipefail

seconds=${1:-60}
root=$(cd "$(dirname "$0")/.." && pwd)
out=$root/build-fuzz
export CCACHE_BASEDIR=${CCACHE_BASEDIR:-$root}

cmake -S "$root/fuzz" -B "$out" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
      -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ >/dev/null
cmake --build "$out" -j "${JOBS:-1}"

status=0
for src in "$root"/fuzz/*_fuzz.cpp; do
    target=$(basename "$src" .cpp)
    name=${target%_fuzz}
    work=$out/corpus/$name
    crashes=$out/crashes/$name
    mkdir -p "$work" "$crashes"
    args=(-max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 -max_len=65536
          -print_final_stats=1 -artifact_prefix="$crashes/")
    [ -f "$root/fuzz/$name.dict" ] && args+=(-dict="$root/fuzz/$name.dict")
    seeds=()
    [ -d "$root/fuzz/corpus/$name" ] && seeds+=("$root/fuzz/corpus/$name")
    echo "== $target for ${seconds}s"
    if ! "$out/$target" "${args[@]}" "$work" "${seeds[@]}"; then
        echo "== $target: crash, see $crashes" >&2
        status=1
    fi
done
exit $status
