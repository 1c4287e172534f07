#!/usr/bin/env bash
# The house tools, as CI runs them: every C++ file formatted by clang-format-14
# (.clang-format), includes that name their room, and clang-tidy-14
# (.clang-tidy) clean over src/, using the compile_commands.json of an existing
# build. Each part prints its time. Usage: tools/lint.sh [build dir]
set -euo pipefail
cd "$(dirname "$0")/.."
build="${1:-build}"
jobs="$(nproc)"

start=$SECONDS
echo "clang-format-14: checking the format"
git ls-files -z '*.cpp' '*.h' | xargs -0 -P "$jobs" -n 40 clang-format-14 --dry-run --Werror
echo "clang-format-14: $((SECONDS - start)) s"

start=$SECONDS
echo "layers: checking that includes name their room"
# The build holds the layers: a room's headers are found only by the rooms
# that link it, and a room links only the rooms below it
# (cmake/GearbookRooms.cmake). What it cannot see is an include that reaches
# past that: a relative path, or a header of src/ named without its room.
bad=$(git grep -nE '#include "(\.\./|[^"/]+\.h")' -- 'src/*.cpp' 'src/*.h' | grep -v '#include "ui_' || true)
if [ -n "$bad" ]; then
    echo "$bad" >&2
    echo 'include the headers of src/ by their room: #include "common/FileClaims.h"' >&2
    exit 1
fi
echo "layers: $((SECONDS - start)) s"

echo "records: checking that record bytes are made and written in src/common only"
# The record store (src/common/RecordStore.h) is the one way into the data
# folder's record, list and picture files: it asks whose file it is and keeps
# the value rule. Bytes made or written around it would skip both.
outside=$(git grep -nE 'RecordFile::(Writer|textRecord|listFile|plainLine)|VehicleFiles::(writeRecord|SaveVehicleList)|(^|[^.>:[:alnum:]_])setAside\(' \
    -- 'src/*.cpp' 'src/*.h' ':!src/common/*' || true)
if [ -n "$outside" ]; then
    echo "$outside" >&2
    echo "record bytes made or written outside src/common: go through RecordStore" >&2
    exit 1
fi

start=$SECONDS
echo "clang-tidy-14: checking src/"
# Every source of src/ that the build compiles, each once (the browser module
# and its static twin compile the same two files), largest first so that the
# last one to finish is a short one. Our headers are checked as part of the
# sources that include them (HeaderFilterRegex); a finding in a header is
# printed once. The generated headers (uic, moc) must exist; a built tree has them.
[ -f "$build/compile_commands.json" ] || {
    echo "$build/compile_commands.json is missing: configure and build first (tools/test.sh)" >&2
    exit 1
}
logs="$build/clang-tidy"
rm -rf "$logs"
mkdir -p "$logs"
sed -n 's/^ *"file": "\(.*\)",\{0,1\}$/\1/p' "$build/compile_commands.json" | grep "^$PWD/src/.*\.cpp\$" |
    sort -u >"$logs/sources"
[ -s "$logs/sources" ] || {
    echo "$build/compile_commands.json names no source of $PWD/src" >&2
    exit 1
}
xargs -d '\n' ls -S <"$logs/sources" >"$logs/files"
tidy_one() { # source, log folder: the findings in <log folder>/<n>.log, the seconds it took in <n>.time
    local log
    log="$2/$(printf '%s' "$1" | md5sum | cut -c1-12)"
    local began=$SECONDS
    if clang-tidy-14 -p "$build" --quiet "$1" >"$log.log" 2>&1; then
        echo "$((SECONDS - began)) ok $1" >"$log.time"
    else
        echo "$((SECONDS - began)) failed $1" >"$log.time"
    fi
}
export -f tidy_one
export build
# shellcheck disable=SC2016 # expanded by the inner shell
xargs -d '\n' -P "$jobs" -I{} bash -c 'tidy_one "$1" "$2"' _ {} "$logs" <"$logs/files"
cat "$logs"/*.log >"$build/clang-tidy.log"
count=$(wc -l <"$logs/files")
if grep -q " failed " "$logs"/*.time; then
    grep -hE "(warning|error):" "$build/clang-tidy.log" | sort -u
    grep -h " failed " "$logs"/*.time | cut -d' ' -f3- | sed 's/^/failed: /'
    echo "clang-tidy found problems (whole output: $build/clang-tidy.log)" >&2
    exit 1
fi
echo "clang-tidy-14: $count sources clean in $((SECONDS - start)) s; the slowest:"
sort -rn "$logs"/*.time | head -n 3 | awk '{ print "    " $1 " s " $3 }'
