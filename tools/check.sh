#!/usr/bin/env bash
# The house tools, as CI runs them: every C++ file formatted by clang-format-14
# (.clang-format), and clang-tidy-14 (.clang-tidy) clean over src/, using the
# compile_commands.json of an existing build. Usage: tools/check.sh [build dir]
set -euo pipefail
cd "$(dirname "$0")/.."
build="${1:-build}"

echo "clang-format-14: checking the format"
git ls-files -z '*.cpp' '*.h' | xargs -0 clang-format-14 --dry-run --Werror

echo "layers: checking that includes point down"
# Which files (a glob, without .h/.cpp) must not include the headers of which
# src/ folders: the ones above them, and linksmith, a program of its own. The
# credential store sits below the windows' helpers: the credential tool links
# no widgets.
declare -A above=(
    ["src/common/*"]="print ui crypto backup sync help due report conflicts access vehicles linksmith app"
    ["src/print/*"]="common ui crypto backup sync help due report conflicts access vehicles linksmith app"
    ["src/backup/*"]="ui crypto sync help due report conflicts access vehicles linksmith app"
    ["src/sync/*"]="ui crypto help due report conflicts access vehicles linksmith app"
    ["src/import/*"]="ui crypto sync help due report conflicts importer access vehicles linksmith app"
    ["src/importer/*"]="help due report conflicts access vehicles linksmith app"
    ["src/crypto/*"]="ui help due report conflicts access vehicles linksmith app"
    ["src/access/CredentialStore"]="ui help due report conflicts vehicles linksmith app"
    ["src/ui/*"]="help due report conflicts access vehicles linksmith app"
    ["src/help/*"]="due report conflicts access vehicles linksmith app"
    ["src/due/*"]="help report conflicts access vehicles linksmith app"
    ["src/remind/*"]="ui crypto backup sync help report conflicts access vehicles linksmith app"
    ["src/report/*"]="ui crypto backup sync help conflicts access vehicles linksmith app"
    ["src/conflicts/*"]="help due report access vehicles linksmith app"
    ["src/access/*"]="due report conflicts vehicles linksmith app"
    ["src/vehicles/*"]="conflicts linksmith app"
    ["src/linksmith/*"]="help due report conflicts access vehicles app"
)
bad=0
for files in "${!above[@]}"; do
    for other in ${above[$files]}; do
        for header in src/"$other"/*.h; do
            [ -e "$header" ] || continue
            # shellcheck disable=SC2086 # the glob is meant to expand
            users=$(grep -l "#include \"$(basename "$header")\"" $files.h $files.cpp 2>/dev/null || true)
            for user in $users; do
                echo "$user includes $header, from a layer above it" >&2
                bad=1
            done
        done
    done
done
[ "$bad" -eq 0 ] || exit 1

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

echo "clang-tidy-14: checking src/"
# The generated headers (uic, moc) must exist; a built tree has them.
run-clang-tidy-14 -p "$build" -j "$(nproc)" -quiet "$PWD/src/.*\.cpp\$" >"$build/clang-tidy.log" 2>&1 || {
    grep -E "(warning|error):" "$build/clang-tidy.log" || cat "$build/clang-tidy.log"
    echo "clang-tidy found problems (whole output: $build/clang-tidy.log)" >&2
    exit 1
}
echo "clean"
