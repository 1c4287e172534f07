#!/usr/bin/env bash
# Builds the fuzz targets with clang 14 (ASan + UBSan) and runs each for a while.
# Usage: tools/fuzz.sh [seconds per target, default 30]
set -euo pipefail
cd "$(dirname "$0")/.."
seconds="${1:-30}"
targets=(fuzz_recordfile fuzz_win1252 fuzz_decrypt fuzz_credentials fuzz_manifest fuzz_archive fuzz_csvtable fuzz_workbook)
# -O1 with line tables only, as fuzzing builds usually are: quicker to build, and
# every report still names its file and line.
cmake -S . -B build-fuzz -DCMAKE_BUILD_TYPE=None -DCMAKE_CXX_FLAGS="-O1 -gline-tables-only" -DCMAKE_CXX_COMPILER=clang++-14 \
    -DGEARBOOK_FUZZ=ON -DGEARBOOK_BUILD_TESTS=OFF -DGEARBOOK_BUILD_BENCH=OFF
rm -f build-fuzz/failed
cmake --build build-fuzz -j"$(nproc)" --target "${targets[@]}"
# The targets run side by side, one a core; each one's output goes to its log.
# shellcheck disable=SC2317 # run by xargs, through bash -c
fuzz_one() { # target, seconds: exits as the fuzzer did
    local t="$1"
    mkdir -p "build-fuzz/corpus/$t"
    # Real backups made by Gearbook seed the readers of archives (fuzz/seeds/<target>).
    local seeds=()
    [ -d "fuzz/seeds/$t" ] && seeds=("fuzz/seeds/$t")
    QT_QPA_PLATFORM=offscreen "build-fuzz/fuzz/$t" -max_total_time="$2" -print_final_stats=1 \
        "build-fuzz/corpus/$t" "${seeds[@]}" >"build-fuzz/$t.log" 2>&1
}
export -f fuzz_one
start=$SECONDS
failed=0
# shellcheck disable=SC2016 # expanded by the inner shell
printf '%s\n' "${targets[@]}" | xargs -P "$(nproc)" -I{} bash -c 'fuzz_one "$1" "$2" || echo "$1" >>build-fuzz/failed' _ {} "$seconds" ||
    true
for t in "${targets[@]}"; do
    echo "== $t: ${seconds} s"
    if grep -qx "$t" build-fuzz/failed 2>/dev/null; then
        tail -n 60 "build-fuzz/$t.log"
        failed=1
    else
        grep -E "^(Done|stat::number_of_executed_runs)" "build-fuzz/$t.log" || true
    fi
done
rm -f build-fuzz/failed
echo "fuzz: ${#targets[@]} targets in $((SECONDS - start)) s"
exit "$failed"
