#!/usr/bin/env bash
# Checks a built Debian package as its users get it: lintian has no error or
# warning; it installs with apt-get; a fresh user's first `gearbook` makes the
# program folder with the login files and the help page and shows the first
# window (offscreen); `gearbook --backup` works for that user; `apt-get remove`
# leaves no packaged file and keeps the user's own. Needs root (or sudo); the
# package and the test user are removed again at the end, so it can run twice.
#   tools/check-package.sh [package.deb]      (default: build-deb/gearbook_*.deb)
set -euo pipefail
cd "$(dirname "$0")/.."
deb="${1:-}"
if [ -z "$deb" ]; then
    debs=(build-deb/gearbook_*.deb)
    deb="${debs[-1]}"
fi
[ -f "$deb" ] || { echo "package: no package at $deb (run tools/package.sh)" >&2; exit 1; }
deb=$(cd "$(dirname "$deb")" && pwd)/$(basename "$deb")
sudo=""
[ "$(id -u)" -eq 0 ] || sudo="sudo"
export DEBIAN_FRONTEND=noninteractive

# shellcheck source=tools/check-tally.sh
. tools/check-tally.sh

user=gearbook-check
scratch=""
cleanup() {
    if dpkg-query -W -f='${Status}' gearbook 2>/dev/null | grep -q 'install ok installed'; then
        $sudo apt-get remove -y -o DPkg::Lock::Timeout=300 gearbook >/dev/null || true
    fi
    if id "$user" >/dev/null 2>&1; then $sudo userdel -r "$user" 2>/dev/null || true; fi
    [ -z "$scratch" ] || rm -rf "$scratch"
}
# The test user of an interrupted run goes first (an installed package is replaced anyway).
if id "$user" >/dev/null 2>&1; then $sudo userdel -r "$user" 2>/dev/null || true; fi
scratch=$(mktemp -d)
trap cleanup EXIT

echo "package: $deb ($(du -k "$deb" | cut -f1) KiB)"
dpkg-deb -f "$deb" Depends | sed 's/^/package: depends on /'

# lintian over the .changes when there is one (the package with its build
# record), else over the package alone.
changes="${deb%.deb}.changes"
[ -f "$changes" ] || changes="$deb"
echo "package: lintian $(basename "$changes")"
if lintian --fail-on error,warning --display-info "$changes" >"$scratch/lintian.log" 2>&1; then
    passed=$((passed + 1))
else
    failed=$((failed + 1))
    echo "FAILED: lintian reports an error or a warning"
fi
sed 's/^/    /' "$scratch/lintian.log"

echo "package: apt-get install"
$sudo apt-get install -y -o DPkg::Lock::Timeout=300 "$deb" >"$scratch/install.log" 2>&1 || {
    cat "$scratch/install.log"
    exit 1
}
mapfile -t packaged < <(dpkg-query -L gearbook)

lib=/usr/lib/gearbook
id=example.venbry.Gearbook
for f in "$lib/Gearbook" "$lib/Linksmith" "$lib/gearbook_credentials" "$lib/GearbookBrowser.so" \
    "$lib/GearbookPrinter.so" /usr/bin/gearbook /usr/bin/linksmith /usr/share/gearbook/ReadMe.htm \
    /usr/share/gearbook/due-maintenance.png /usr/share/gearbook/report.png /usr/share/gearbook/reminder.png /usr/share/gearbook/import-mapping.png "/usr/share/applications/$id.desktop" \
    /usr/share/applications/example.venbry.Linksmith.desktop "/usr/share/metainfo/$id.metainfo.xml" \
    "/usr/share/icons/hicolor/scalable/apps/$id.svg" "/usr/share/icons/hicolor/48x48/apps/$id.png" \
    /usr/share/man/man1/gearbook.1.gz /usr/share/man/man1/linksmith.1.gz; do
    check "installed: $f" test -e "$f"
done
check "no login files in the package" sh -c '! dpkg-query -L gearbook | grep -q logdata'
check "linksmith is Linksmith" test "$(readlink -f /usr/bin/linksmith)" = "$lib/Linksmith"
for entry in /usr/share/applications/example.venbry.*.desktop; do
    check "desktop-file-validate $(basename "$entry")" desktop-file-validate "$entry"
done
check "the menu entry runs the gearbook command" grep -qx "Exec=gearbook" "/usr/share/applications/$id.desktop"
check "appstreamcli validate --no-net" appstreamcli validate --no-net "/usr/share/metainfo/$id.metainfo.xml"
check "man -w gearbook" test "$(env -u MANPATH man -w gearbook)" = /usr/share/man/man1/gearbook.1.gz
check "man -w linksmith" test "$(env -u MANPATH man -w linksmith)" = /usr/share/man/man1/linksmith.1.gz

# A fresh account, started as from its menu: no data home yet.
$sudo useradd -m -s /bin/sh "$user"
home=$(getent passwd "$user" | cut -d: -f6)
as_user() { # as_user COMMAND...: in the user's home, with a clean login-like environment
    (cd "$home" && $sudo runuser -u "$user" -- env -i HOME="$home" USER="$user" LOGNAME="$user" \
        PATH=/usr/local/bin:/usr/bin:/bin LANG=C.UTF-8 QT_QPA_PLATFORM=offscreen "$@")
}
folder="$home/.local/share/Venbry Software/Gearbook"
check "the first start shows the first window and ends" \
    as_user timeout 120 env GEARBOOK_QUIT_AFTER_FIRST_PAINT=1 gearbook
check "the program folder is made, private" test "$(stat -c '%a %U' "$folder" 2>&1)" = "700 $user"
for login in logdata.gbx logdata2.gbx logdata3.gbx; do
    check "the first start writes $login, the user's" test "$(stat -c '%a %U' "$folder/$login" 2>&1)" = "600 $user"
done
check "the help page is linked to the packaged one" \
    test "$(readlink "$folder/ReadMe.htm")" = /usr/share/gearbook/ReadMe.htm
check "its picture too" test "$(readlink "$folder/due-maintenance.png")" = /usr/share/gearbook/due-maintenance.png

# A changed login survives the next start.
printf 'changed' | $sudo tee "$folder/logdata2.gbx" >/dev/null
check "a second start" as_user timeout 120 env GEARBOOK_QUIT_AFTER_FIRST_PAINT=1 gearbook
check "a second start keeps the login" test "$(cat "$folder/logdata2.gbx")" = changed

# A relative file name is the caller's (the home), not the program folder's.
check "gearbook --backup" as_user timeout 120 gearbook --backup backup.tar.gz
check "the backup is in the folder it was named from" test -s "$home/backup.tar.gz"

echo "package: apt-get remove"
$sudo apt-get remove -y -o DPkg::Lock::Timeout=300 gearbook >"$scratch/remove.log" 2>&1 || {
    cat "$scratch/remove.log"
    exit 1
}
left=()
for f in "${packaged[@]}"; do
    [ -d "$f" ] && [ ! -L "$f" ] && continue # folders shared with other packages stay
    if [ -e "$f" ] || [ -L "$f" ]; then left+=("$f"); fi
done
for d in "$lib" /usr/share/gearbook /usr/share/doc/gearbook; do
    if [ -e "$d" ]; then left+=("$d"); fi
done
check "apt-get remove leaves no packaged file" test "${#left[@]}" -eq 0
[ "${#left[@]}" -eq 0 ] || printf '    left: %s\n' "${left[@]}"
check "the user's login stays" test -f "$folder/logdata.gbx"
check "the user's records stay" test -d "$home/.local/share/Venbry Software/Gearshed/Data"

echo "package: $passed passed, $failed failed"
[ "$failed" -eq 0 ]
