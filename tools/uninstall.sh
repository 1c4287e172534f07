#!/usr/bin/env bash
# Removes what `cmake --install` placed, exactly as the build's install
# manifest lists it, and the folders that leaves empty. Never removes the
# login files (written at install, changed by the user since) nor anything in
# the data folder with the vehicle records, and says what it kept.
#   tools/uninstall.sh [build folder]      (default: build)
set -euo pipefail
build="${1:-build}"
manifest="$build/install_manifest.txt"
if [ ! -f "$manifest" ]; then
    echo "uninstall: $manifest is missing: nothing was installed from this build" >&2
    exit 1
fi

mapfile -t files < <(grep -v '^$' "$manifest" || true)
if [ ${#files[@]} -eq 0 ]; then
    echo "uninstall: $manifest lists no files"
    exit 0
fi

# The folder all listed files share: the install prefix, never removed itself.
top=$(dirname "${files[0]}")
for f in "${files[@]}"; do
    while [ "$top" != / ] && [ "${f#"$top"/}" = "$f" ]; do
        top=$(dirname "$top")
    done
done

is_kept() {
    case "$1" in
    */logdata.gbx | */logdata2.gbx | */logdata3.gbx) return 0 ;; # the login
    */"Venbry Software/Gearshed"/*) return 0 ;;                 # the records
    esac
    return 1
}

removed=0
folders=()
for f in "${files[@]}"; do
    if is_kept "$f"; then
        echo "kept $f"
    elif [ -L "$f" ] || [ -f "$f" ]; then
        rm -f -- "$f"
        echo "removed $f"
        removed=$((removed + 1))
        folders+=("$(dirname "$f")")
    elif [ -e "$f" ]; then
        echo "kept $f: not a file"
    fi
done

# Folders the removal left empty, up to (not including) the prefix.
for d in "${folders[@]}"; do
    while [ "$d" != "$top" ] && [ "${d#"$top"/}" != "$d" ] && rmdir -- "$d" 2>/dev/null; do
        d=$(dirname "$d")
    done
done

echo "uninstall: removed $removed files listed in $manifest"
# What the install did not list but is the user's: the login files beside each
# installed Gearbook, and the vehicle records.
for f in "${files[@]}"; do
    [ "$(basename "$f")" = Gearbook ] || continue
    folder=$(dirname "$f")
    for login in "$folder"/logdata.gbx "$folder"/logdata2.gbx "$folder"/logdata3.gbx; do
        [ -e "$login" ] && echo "kept your login: $login"
    done
    data="$(dirname "$folder")/Gearshed/Data"
    [ -d "$data" ] && echo "kept your vehicle records: $data/"
done
exit 0
