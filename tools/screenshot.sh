#!/usr/bin/env bash
# Draws the main window's three pages and the login preferences dialog,
# offscreen and with a sample vehicle, into docs/, each also under a dark
# colour scheme where a dark theme matters most. Builds nothing: it runs the mainwindow_screenshot
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
shot() {
    QT_QPA_PLATFORM=offscreen "$tool" "docs/$1" "${@:2}" 2>/dev/null
    echo "docs/$1"
}
shot main-window.png 0
shot maintenance-page.png 1
shot parts-page.png 2
shot preferences.png prefs
shot main-window-dark.png 0 dark
shot preferences-dark.png prefs dark
