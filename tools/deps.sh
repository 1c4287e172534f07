#!/usr/bin/env bash
# Installs the Debian 12 packages Gearbook needs to build, test and run.
# Skips apt-get when everything is already there.
set -euo pipefail
packages=(
    build-essential ccache cmake clang-format-14 clang-tidy-14 zlib1g-dev
    qt6-base-dev qt6-base-dev-tools qt6-base-private-dev qt6-webengine-dev libgl-dev libarchive-dev
    libbenchmark-dev desktop-file-utils appstream man-db groff-base
    clang-14 libclang-rt-14-dev
    fonts-comic-neue fonts-dejavu-core fonts-liberation2
    xvfb xauth xdotool imagemagick
    poppler-utils
    help2man
    libical-dev dunst khal dbus dbus-x11 systemd
)
missing=()
for p in "${packages[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
    sudo=""
    [ "$(id -u)" -eq 0 ] || sudo="sudo"
    $sudo apt-get update -o DPkg::Lock::Timeout=300
    DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -o DPkg::Lock::Timeout=300 "${missing[@]}"
fi
