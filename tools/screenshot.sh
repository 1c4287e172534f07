#!/usr/bin/env bash
# Draws the main window, offscreen and with a sample vehicle, into
# docs/main-window.png. Builds nothing: it runs the mainwindow_screenshot
# program of an existing build (built with the tests), by default in build/.
#   tools/screenshot.sh [build folder]
set -euo pipefail
cd "$(dirname "$0")/.."
build="${1:-build}"
tool="$build/tests/vehicles/mainwindow_screenshot"
if [ ! -x "$tool" ]; then
    echo "$tool is missing: build the target mainwindow_screenshot first" >&2
    exit 1
fi
mkdir -p docs
QT_QPA_PLATFORM=offscreen "$tool" docs/main-window.png
echo "docs/main-window.png"
