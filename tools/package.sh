#!/usr/bin/env bash
# Builds the Debian package gearbook_<version>_<arch>.deb from this tree and
# prints its path. Installs the packaging tools and the build dependencies
# first when they are missing (apt-get, via sudo when you are not root).
#   tools/package.sh [output folder]          (default: build-deb)
# The build runs in a copy of the tree inside the output folder, with Debian's
# compiler and hardening flags. The test suite is tools/test.sh's job, so it is
# skipped (DEB_BUILD_OPTIONS=nocheck) unless DEB_BUILD_OPTIONS is set.
set -euo pipefail
cd "$(dirname "$0")/.."
out="${1:-build-deb}"
mkdir -p "$out"
out=$(cd "$out" && pwd)
export DEB_BUILD_OPTIONS="${DEB_BUILD_OPTIONS-nocheck}"

sudo=""
[ "$(id -u)" -eq 0 ] || sudo="sudo"
apt_install() {
    DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y --no-install-recommends \
        -o DPkg::Lock::Timeout=300 "$@"
}
tools=(dpkg-dev debhelper lintian)
missing=()
for p in "${tools[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
updated=""
if [ ${#missing[@]} -gt 0 ]; then
    $sudo apt-get update -o DPkg::Lock::Timeout=300
    updated=1
    apt_install "${missing[@]}"
fi
profiles=""
case " $DEB_BUILD_OPTIONS " in *" nocheck "*) profiles="nocheck" ;; esac
if ! dpkg-checkbuilddeps ${profiles:+-P "$profiles"} debian/control 2>/dev/null; then
    [ -n "$updated" ] || $sudo apt-get update -o DPkg::Lock::Timeout=300
    # apt reads the build dependencies from this tree's debian/control.
    DEBIAN_FRONTEND=noninteractive $sudo apt-get build-dep -y --no-install-recommends \
        -o DPkg::Lock::Timeout=300 ${profiles:+-P "$profiles"} ./
fi

version=$(dpkg-parsechangelog -S Version)
arch=$(dpkg-architecture -qDEB_HOST_ARCH)
src="$out/gearbook-${version%-*}"
# A fresh copy of the tracked (and new, not ignored) files; the same folder
# each time, so that ccache finds the last build's objects.
rm -rf "$src"
mkdir -p "$src"
if git rev-parse --is-inside-work-tree >/dev/null 2>&1; then
    git ls-files -z --cached --others --exclude-standard |
        while IFS= read -r -d '' f; do [ -e "$f" ] && printf '%s\0' "$f"; done |
        tar --null --no-recursion -T - -cf - | tar -xf - -C "$src"
else
    tar --exclude=./build --exclude='./build[-_]*' --exclude='./obj-*' -cf - . | tar -xf - -C "$src"
fi
# shellcheck source=tools/ccache-env.sh
. tools/ccache-env.sh
# What ccache did for this build alone, whatever else uses the cache meanwhile.
stats="$out/ccache-stats.log"
rm -f "$stats"
[ -z "${CMAKE_CXX_COMPILER_LAUNCHER:-}" ] || export CCACHE_STATSLOG="$stats"
rm -f "$out"/gearbook_"${version}"_* "$out"/gearbook-dbgsym_"${version}"_*
(cd "$src" && dpkg-buildpackage -us -uc -b ${profiles:+-P"$profiles"})
if [ -f "$stats" ]; then
    echo "package: ccache, for this build:"
    CCACHE_STATSLOG="$stats" ccache --show-log-stats | sed -n 's/^ *\(Hits\|Misses\):/    &/p'
fi
deb="$out/gearbook_${version}_${arch}.deb"
[ -f "$deb" ] || { echo "package: $deb was not built" >&2; exit 1; }
echo "$deb"
