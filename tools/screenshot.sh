#!/usr/bin/env bash
# Draws the main window, offscreen and with a sample vehicle, into
# docs/main-window.png, and the "Due Maintenance" window into
# docs/due-maintenance.png. Builds nothing: it runs the mainwindow_screenshot
# and duewindow_screenshot programs of an existing build (built with the
# tests), by default in build/.
#   tools/screenshot.sh [build folder]
set -euo pipefail
cd "$(dirname "$0")/.."
build="${1:-build}"
mkdir -p docs
for shot in vehicles/mainwindow_screenshot:main-window due/duewindow_screenshot:due-maintenance; do
    tool="$build/tests/${shot%%:*}"
    if [ ! -x "$tool" ]; then
        echo "$tool is missing: build the target $(basename "$tool") first" >&2
        exit 1
    fi
    QT_QPA_PLATFORM=offscreen "$tool" "docs/${shot##*:}.png"
    echo "docs/${shot##*:}.png"
done
