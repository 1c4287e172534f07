#!/usr/bin/env bash
# Checks the built Debian packages as their users get them: lintian has no
# error or warning; what `gearbook` needs, recommends left out, stays under
# 330 MiB installed; it installs with apt-get --no-install-recommends, without
# the web engine; a fresh user's first `gearbook` makes the program folder with
# the login files and the help page and shows the first window (offscreen);
# every option that names a file takes it relative to the folder it was called
# from; the help window shows its page and sends the vendor's page to the
# desktop's browser (tools/time-help.sh, on Xvfb); with gearbook-web-browser
# added, the vendor's page opens inside the window; `apt-get remove` leaves no
# packaged file and keeps the user's own. Needs root (or sudo); the packages
# and the test user are removed again at the end, so it can run twice.
#   tools/check-package.sh [gearbook.deb [gearbook-web-browser.deb]]
#                                   (default: build-deb/gearbook_*.deb and its web view beside it)
set -euo pipefail
cd "$(dirname "$0")/.."
deb="${1:-}"
if [ -z "$deb" ]; then
    debs=(build-deb/gearbook_*.deb)
    deb="${debs[-1]}"
fi
[ -f "$deb" ] || { echo "package: no package at $deb (run tools/package.sh)" >&2; exit 1; }
deb=$(cd "$(dirname "$deb")" && pwd)/$(basename "$deb")
web="${2:-$(dirname "$deb")/$(basename "$deb" | sed 's/^gearbook_/gearbook-web-browser_/')}"
[ -f "$web" ] || { echo "package: no package at $web (run tools/package.sh)" >&2; exit 1; }
web=$(cd "$(dirname "$web")" && pwd)/$(basename "$web")
sudo=""
[ "$(id -u)" -eq 0 ] || sudo="sudo"
export DEBIAN_FRONTEND=noninteractive

# shellcheck source=tools/check-tally.sh
. tools/check-tally.sh

user=gearbook-check
scratch=""
installed() { dpkg-query -W -f='${Status}' "$1" 2>/dev/null | grep -q 'install ok installed'; }
cleanup() {
    for p in gearbook-web-browser gearbook; do
        if installed "$p"; then $sudo apt-get remove -y -o DPkg::Lock::Timeout=300 "$p" >/dev/null || true; fi
    done
    if id "$user" >/dev/null 2>&1; then $sudo userdel -r "$user" 2>/dev/null || true; fi
    [ -z "$scratch" ] || rm -rf "$scratch"
}
# The test user of an interrupted run goes first (an installed package is replaced anyway).
if id "$user" >/dev/null 2>&1; then $sudo userdel -r "$user" 2>/dev/null || true; fi
scratch=$(mktemp -d)
trap cleanup EXIT

echo "package: $deb ($(du -k "$deb" | cut -f1) KiB)"
dpkg-deb -f "$deb" Depends | sed 's/^/package: depends on /'
dpkg-deb -f "$deb" Recommends | sed 's/^/package: recommends /'
echo "package: $web ($(du -k "$web" | cut -f1) KiB)"
check "gearbook does not depend on the web engine" \
    sh -c '! dpkg-deb -f "$1" Depends Pre-Depends | grep -qi webengine' sh "$deb"
check "gearbook recommends gearbook-web-browser" sh -c 'dpkg-deb -f "$1" Recommends | grep -qw gearbook-web-browser' sh "$deb"
check "gearbook-web-browser depends on the web engine" sh -c 'dpkg-deb -f "$1" Depends | grep -qi webengine' sh "$web"

# What an install pulls in on a system with nothing installed: apt's own
# resolver, over an empty package status, recommends left out.
closure() { # closure DEB...: "PACKAGES MIB" of the packages and everything they need
    local names
    names=$(apt-get install -s -o Dir::State::status=/dev/null --no-install-recommends "$@" 2>/dev/null |
        awk '/^Inst / {print $2}' | grep -v '^gearbook' || true)
    [ -n "$names" ] || { echo "0 0"; return; }
    # shellcheck disable=SC2086 # one name a word
    { apt-cache show --no-all-versions $names; for d in "$@"; do dpkg-deb -f "$d" Installed-Size | sed 's/^/Installed-Size: /'; done; } |
        awk -v n="$(($(echo "$names" | wc -l) + $#))" '/^Installed-Size:/ {s += $2} END {printf "%d %d\n", n, s / 1024}'
}
read -r alone_count alone_mib < <(closure "$deb")
read -r both_count both_mib < <(closure "$deb" "$web")
echo "package: gearbook installs $alone_count packages, $alone_mib MiB; with gearbook-web-browser $both_count packages, $both_mib MiB"
check "gearbook without recommends needs under 330 MiB" test "$alone_mib" -gt 0 -a "$alone_mib" -lt 330

# lintian over the .changes when there is one (the packages with their build
# record), else over the packages alone.
changes=("${deb%.deb}.changes")
[ -f "${changes[0]}" ] || changes=("$deb" "$web")
echo "package: lintian ${changes[*]##*/}"
if lintian --fail-on error,warning --display-info "${changes[@]}" >"$scratch/lintian.log" 2>&1; then
    passed=$((passed + 1))
else
    failed=$((failed + 1))
    echo "FAILED: lintian reports an error or a warning"
fi
sed 's/^/    /' "$scratch/lintian.log"

# An earlier install of the web view would stay: it goes first.
if installed gearbook-web-browser; then
    $sudo apt-get remove -y -o DPkg::Lock::Timeout=300 gearbook-web-browser >/dev/null
fi
echo "package: apt-get install --no-install-recommends"
$sudo apt-get install -y --no-install-recommends -o DPkg::Lock::Timeout=300 "$deb" >"$scratch/install.log" 2>&1 || {
    cat "$scratch/install.log"
    exit 1
}
check "gearbook-web-browser is not installed with it" sh -c '! dpkg-query -W -f="\${Status}" gearbook-web-browser 2>/dev/null | grep -q "install ok installed"'
check "no web view module without its package" test ! -e /usr/lib/gearbook/GearbookBrowser.so
mapfile -t packaged < <(dpkg-query -L gearbook)

lib=/usr/lib/gearbook
id=example.venbry.Gearbook
for f in "$lib/Gearbook" "$lib/Linksmith" "$lib/gearbook_credentials" \
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

# Every file named is the caller's, not the program folder's: each option, and
# the files after --import, given relative to a folder of the user's.
as_user_in() { # as_user_in FOLDER COMMAND...: as_user, started in FOLDER
    local in=$1
    shift
    (cd "$in" && $sudo runuser -u "$user" -- env -i HOME="$home" USER="$user" LOGNAME="$user" \
        PATH=/usr/local/bin:/usr/bin:/bin LANG=C.UTF-8 QT_QPA_PLATFORM=offscreen "$@")
}
work="$home/work dir"
$sudo runuser -u "$user" -- mkdir -p "$work/in"
printf 'Name,Make,Model\nVan,Ford,Transit\n' | $sudo runuser -u "$user" -- tee "$work/in/cars.csv" >/dev/null
printf 'Name,Make,Model\nCar,VW,Golf\n' | $sudo runuser -u "$user" -- tee "$work/in/more cars.csv" >/dev/null
check "gearbook --import FILE FILE, relative" as_user_in "$work" timeout 120 gearbook --import in/cars.csv "in/more cars.csv" \
    --kind vehicles
check "gearbook --import=FILE --yes, relative" \
    as_user_in "$work" timeout 120 gearbook --import=in/cars.csv --kind vehicles --yes
check "the import wrote the vehicle" as_user_in "$work" timeout 120 gearbook --export=exported
check "gearbook --export=FOLDER, relative" grep -q Transit "$work/exported/vehicles.csv"
check "gearbook --backup FILE, relative" as_user_in "$work" timeout 120 gearbook --backup backup.tar.gz
check "the backup is in the folder it was named from" test -s "$work/backup.tar.gz"
check "gearbook --check FILE, relative" as_user_in "$work" timeout 120 gearbook --check backup.tar.gz
check "gearbook --check=FILE, relative" as_user_in "$work" timeout 120 gearbook --check=backup.tar.gz
check "gearbook --export FOLDER, relative" as_user_in "$work" timeout 120 gearbook --export out
check "the export is in the folder it was named from" test -s "$work/out/vehicles.csv"
check "gearbook --report FILE --vehicle NAME, relative" \
    as_user_in "$work" timeout 120 gearbook --report van.pdf --vehicle Van
check "the report is in the folder it was named from" test -s "$work/van.pdf"
check "gearbook --calendar FILE, relative" as_user_in "$work" timeout 120 gearbook --calendar due
check "the calendar is in the folder it was named from" test -s "$work/due.ics"

# The help without the web view: the page drawn, the vendor's page sent to the desktop's browser.
cp tools/time-help.sh "$scratch/time-help.sh"
chmod 755 "$scratch" "$scratch/time-help.sh"
help_check() { # help_check VISITED-FILE: the help window timed once, then the vendor's page asked for
    as_user_in "$home" env -u QT_QPA_PLATFORM bash "$scratch/time-help.sh" --command gearbook --visit "$1" 1
}
if command -v Xvfb >/dev/null && command -v xdotool >/dev/null && command -v import >/dev/null; then
    $sudo runuser -u "$user" -- touch "$home/visited"
    check "the help shows its page without the web view" help_check "$home/visited"
    check "the vendor's page opens in the desktop's browser" grep -qxF https://www.venbry.example/ "$home/visited"
else
    echo "package: Xvfb, xdotool or ImageMagick missing: the help window is not tried"
fi

echo "package: apt-get install gearbook-web-browser"
$sudo apt-get install -y --no-install-recommends -o DPkg::Lock::Timeout=300 "$web" >"$scratch/install-web.log" 2>&1 || {
    cat "$scratch/install-web.log"
    exit 1
}
mapfile -t packaged_web < <(dpkg-query -L gearbook-web-browser)
packaged+=("${packaged_web[@]}")
check "installed: $lib/GearbookBrowser.so" test -f "$lib/GearbookBrowser.so"
check "a start with the web view" as_user timeout 120 env GEARBOOK_QUIT_AFTER_FIRST_PAINT=1 gearbook
if command -v Xvfb >/dev/null && command -v xdotool >/dev/null && command -v import >/dev/null; then
    $sudo runuser -u "$user" -- sh -c ': >"$1"' sh "$home/visited"
    check "the help shows its page with the web view" help_check "$home/visited"
    check "the vendor's page opens inside the help window" test ! -s "$home/visited"
fi

echo "package: apt-get remove"
$sudo apt-get remove -y -o DPkg::Lock::Timeout=300 gearbook gearbook-web-browser >"$scratch/remove.log" 2>&1 || {
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
