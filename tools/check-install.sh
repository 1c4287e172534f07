#!/usr/bin/env bash
# Installs a build into a temporary prefix and checks the result as a desktop
# would see it: every file in place, the menu entries and the AppStream
# description valid, the manual pages clean, the `gearbook` command and the
# login reset working, and the uninstall leaving only the user's login and
# records. The build's own install manifest is put back afterwards.
#   tools/check-install.sh [build folder]      (default: build)
set -euo pipefail
cd "$(dirname "$0")/.."
build="${1:-build}"
manifest="$build/install_manifest.txt"

scratch=$(mktemp -d)
saved=""
if [ -f "$manifest" ]; then
    saved="$scratch/install_manifest.txt"
    cp -p "$manifest" "$saved"
fi
restore() {
    if [ -n "$saved" ]; then cp -p "$saved" "$manifest"; else rm -f "$manifest"; fi
    rm -rf "$scratch"
}
trap restore EXIT

# shellcheck source=tools/check-tally.sh
. tools/check-tally.sh
silent() { # the command succeeds and prints nothing
    local out
    out=$("$@" 2>&1) || { printf '%s\n' "$out"; return 1; }
    [ -z "$out" ] || { printf '%s\n' "$out"; return 1; }
}

prefix="$scratch/data home" # a space, as in many real paths
folder="$prefix/Venbry Software/Gearbook"
id=example.venbry.Gearbook
echo "install: into $prefix"
cmake --install "$build" --prefix "$prefix" >"$scratch/install.log" || {
    cat "$scratch/install.log"
    exit 1
}

expected=(
    "$folder/Gearbook" "$folder/GearbookBrowser.so" "$folder/GearbookPrinter.so" "$folder/Linksmith"
    "$folder/gearbook_credentials" "$folder/ReadMe.htm"
    "$folder/due-maintenance.png" "$folder/report.png" "$folder/reminder.png" "$folder/import-mapping.png" "$folder/logdata.gbx" "$folder/logdata2.gbx" "$folder/logdata3.gbx"
    "$prefix/icons/hicolor/scalable/apps/$id.svg"
    "$prefix/applications/$id.desktop" "$prefix/applications/example.venbry.Linksmith.desktop"
    "$prefix/metainfo/$id.metainfo.xml"
    "$prefix/man/man1/Gearbook.1" "$prefix/man/man1/Linksmith.1" "$prefix/man/man1/gearbook_credentials.1"
)
for size in 16 32 48 64 128 256; do
    expected+=("$prefix/icons/hicolor/${size}x$size/apps/$id.png")
done
for f in "${expected[@]}"; do
    check "installed: ${f#"$prefix"/}" test -f "$f"
done
for f in "$folder/Gearbook" "$folder/Linksmith" "$folder/gearbook_credentials" "$prefix/bin/gearbook"; do
    check "executable: ${f#"$prefix"/}" test -x "$f"
done

for entry in "$prefix"/applications/*.desktop; do
    check "desktop-file-validate $(basename "$entry")" silent desktop-file-validate "$entry"
    check "$(basename "$entry") names the icon $id" grep -qx "Icon=$id" "$entry"
    check "$(basename "$entry") starts in the program folder" grep -qxF "Path=$folder" "$entry"
done
check "the Gearbook entry starts the installed Gearbook" \
    grep -qxF "Exec=\"$folder/Gearbook\"" "$prefix/applications/$id.desktop"
check "appstreamcli validate --no-net" appstreamcli validate --no-net "$prefix/metainfo/$id.metainfo.xml"
# The tree as a software centre reads it (metainfo, entry and icon together),
# seen through a usr/share that is the prefix.
mkdir -p "$scratch/root/usr"
ln -s "$prefix" "$scratch/root/usr/share"
check "appstreamcli validate-tree --no-net" appstreamcli validate-tree --no-net "$scratch/root"
check "the metainfo launches the Gearbook entry" \
    grep -qF "<launchable type=\"desktop-id\">$id.desktop</launchable>" "$prefix/metainfo/$id.metainfo.xml"

for page in "$prefix"/man/man1/*.1; do
    check "man --warnings $(basename "$page")" silent env LC_ALL=C.UTF-8 MANWIDTH=80 \
        sh -c 'man --warnings -l "$1" >/dev/null' sh "$page"
done
man_finds() { # man_finds NAME PAGE: with bin/ on PATH, `man NAME` shows PAGE
    test "$(env -u MANPATH PATH="$prefix/bin:/usr/bin:/bin" man -w "$1")" = "$prefix/man/man1/$2"
}
check "man gearbook finds its page with bin/ on PATH" man_finds gearbook Gearbook.1
check "man Linksmith finds its page with bin/ on PATH" man_finds Linksmith Linksmith.1
check "man gearbook_credentials finds its page with bin/ on PATH" man_finds gearbook_credentials gearbook_credentials.1

# The command runs the program in its program folder, with the values of the
# options that name files made absolute from the caller's folder, and nothing
# else: tried on a copy of the tree whose Gearbook only reports where it runs
# and what it was given.
fake="$scratch/fake"
mkdir -p "$fake/bin" "$fake/Venbry Software/Gearbook" "$scratch/caller dir"
cp "$prefix/bin/gearbook" "$fake/bin/"
printf '#!/bin/sh\npwd\nfor a do echo "[$a]"; done\n' >"$fake/Venbry Software/Gearbook/Gearbook"
chmod +x "$fake/Venbry Software/Gearbook/Gearbook"
ln -s "$fake/bin/gearbook" "$scratch/gearbook-link"
got=$(cd "$scratch/caller dir" && "$scratch/gearbook-link" --backup "my cars.zip" --export=out --check /abs/x \
    --report r.pdf --vehicle "my car" --check=/abs/y plain "")
want=$(printf '%s\n' "$fake/Venbry Software/Gearbook" "[--backup]" "[$scratch/caller dir/my cars.zip]" \
    "[--export=$scratch/caller dir/out]" "[--check]" "[/abs/x]" "[--report]" "[$scratch/caller dir/r.pdf]" \
    "[--vehicle]" "[my car]" "[--check=/abs/y]" "[plain]" "[]")
check "gearbook starts Gearbook in its folder with absolute file arguments" test "$got" = "$want"
[ "$got" = "$want" ] || diff <(echo "$want") <(echo "$got") || true

# The README's reset command, on the installed copy.
cp "$folder/logdata.gbx" "$scratch/login-before"
printf 'changed' >"$folder/logdata.gbx"
check "gearbook_credentials --reset restores the default login" "$folder/gearbook_credentials" --reset "$folder"
check "the reset login is the default one" cmp -s "$scratch/login-before" "$folder/logdata.gbx"

# A second install keeps a changed login.
printf 'changed' >"$folder/logdata2.gbx"
cmake --install "$build" --prefix "$prefix" >"$scratch/install2.log"
check "installing again keeps the login" test "$(cat "$folder/logdata2.gbx")" = changed

# The uninstall leaves the login files and the records, nothing else.
mkdir -p "$prefix/Venbry Software/Gearshed/Data"
printf 'record' >"$prefix/Venbry Software/Gearshed/Data/Van.gbx"
check "tools/uninstall.sh" tools/uninstall.sh "$build"
left=$(cd "$prefix" && find . ! -type d | LC_ALL=C sort)
want=$(printf '%s\n' "./Venbry Software/Gearbook/logdata.gbx" "./Venbry Software/Gearbook/logdata2.gbx" \
    "./Venbry Software/Gearbook/logdata3.gbx" "./Venbry Software/Gearshed/Data/Van.gbx")
check "the uninstall leaves only the login and the records" test "$left" = "$want"
[ "$left" = "$want" ] || diff <(echo "$want") <(echo "$left") || true
check "the uninstall leaves no empty folder of the install" \
    test -z "$(cd "$prefix" && find . -mindepth 1 -type d -empty)"

echo "install: $passed passed, $failed failed"
[ "$failed" -eq 0 ]
