#!/usr/bin/env bash
# Builds the fuzz targets with clang 14 (ASan + UBSan) and runs each for a while.
# Usage: tools/fuzz.sh [seconds per target, default 30]
set -euo pipefail
cd "$(dirname "$0")/.."
seconds="${1:-30}"
targets=(fuzz_recordfile fuzz_win1252 fuzz_decrypt fuzz_credentials fuzz_manifest fuzz_archive fuzz_csvtable fuzz_workbook)
cmake -S . -B build-fuzz -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_CXX_COMPILER=clang++-14 \
    -DGEARBOOK_FUZZ=ON -DGEARBOOK_BUILD_TESTS=OFF -DGEARBOOK_BUILD_BENCH=OFF
cmake --build build-fuzz -j"$(nproc)" --target "${targets[@]}"
for t in "${targets[@]}"; do
    mkdir -p "build-fuzz/corpus/$t"
    echo "== $t: ${seconds} s"
    log="build-fuzz/$t.log"
    # Real backups made by Gearbook seed the readers of archives (fuzz/seeds/<target>).
    seeds=()
    [ -d "fuzz/seeds/$t" ] && seeds=("fuzz/seeds/$t")
    if ! QT_QPA_PLATFORM=offscreen "build-fuzz/fuzz/$t" -max_total_time="$seconds" -print_final_stats=1 \
        "build-fuzz/corpus/$t" "${seeds[@]}" >"$log" 2>&1; then
        tail -n 60 "$log"
        exit 1
    fi
    grep -E "^(Done|stat::number_of_executed_runs)" "$log" || true
done
