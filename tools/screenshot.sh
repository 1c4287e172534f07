#!/usr/bin/env bash
# Draws the main window's three pages and the login preferences dialog,
# offscreen and with a sample vehicle, into docs/ (the main window and the
# dialog also under a dark colour scheme), and the "Due Maintenance" window
# into docs/due-maintenance.png, the "Sync Conflicts" window into
# docs/sync-conflicts.png and a report's parts table into docs/report-parts.png,
# and the mapping step of "Import from CSV" into docs/import-mapping.png.
# Builds nothing: it runs the
# mainwindow_screenshot, duewindow_screenshot, conflicts_screenshot and importdialog_screenshot programs of an existing build
# (built with the tests), by default in build/.
#   tools/screenshot.sh [build folder]
set -euo pipefail
cd "$(dirname "$0")/.."
build="${1:-build}"
mkdir -p docs
for tool in "$build/tests/vehicles/mainwindow_screenshot" "$build/tests/due/duewindow_screenshot" \
    "$build/tests/conflicts/conflicts_screenshot" "$build/tests/importer/importdialog_screenshot"; do
    if [ ! -x "$tool" ]; then
        echo "$tool is missing: build the target $(basename "$tool") first" >&2
        exit 1
    fi
done
shot() {
    QT_QPA_PLATFORM=offscreen "$build/tests/$1" "docs/$2" "${@:3}" 2>/dev/null
    echo "docs/$2"
}
shot vehicles/mainwindow_screenshot main-window.png 0
shot vehicles/mainwindow_screenshot maintenance-page.png 1
shot vehicles/mainwindow_screenshot parts-page.png 2
shot vehicles/mainwindow_screenshot preferences.png prefs
shot vehicles/mainwindow_screenshot main-window-dark.png 0 dark
shot vehicles/mainwindow_screenshot preferences-dark.png prefs dark
shot due/duewindow_screenshot due-maintenance.png
shot importer/importdialog_screenshot import-mapping.png
# The Sync Conflicts window, and the parts table of a report's last page (pdftoppm, poppler-utils).
report=$(mktemp --suffix=.pdf)
shot conflicts/conflicts_screenshot sync-conflicts.png "$report"
pages=$(pdfinfo "$report" | awk '/^Pages:/ {print $2}')
pdftoppm -png -r 90 -singlefile -f "$pages" -l "$pages" "$report" docs/report-parts
rm -f "$report"
echo docs/report-parts.png
