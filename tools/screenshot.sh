#!/usr/bin/env bash
# Draws the main window's three pages and the login preferences dialog,
# offscreen and with a sample vehicle, into docs/ (the main window and the
# dialog also under a dark colour scheme), and the "Due Maintenance" window
# into docs/due-maintenance.png, the "Sync Conflicts" window into
# docs/sync-conflicts.png and a report's parts table into docs/report-parts.png,
# and the mapping step of "Import from CSV" into docs/import-mapping.png.
# Builds nothing: it runs the
# mainwindow_screenshot, duewindow_screenshot, conflicts_screenshot and importdialog_screenshot programs of an existing build
# (tools/screenshots/, built with the tests), by default in build/.
#   tools/screenshot.sh [build folder]
set -euo pipefail
cd "$(dirname "$0")/.."
build="${1:-build}"
mkdir -p docs
for name in mainwindow_screenshot duewindow_screenshot conflicts_screenshot importdialog_screenshot; do
    tool="$build/tools/screenshots/$name"
    if [ ! -x "$tool" ]; then
        echo "$tool is missing: build the target $(basename "$tool") first" >&2
        exit 1
    fi
done
shot() {
    QT_QPA_PLATFORM=offscreen "$build/tools/screenshots/$1" "docs/$2" "${@:3}" 2>/dev/null
    echo "docs/$2"
}
shot mainwindow_screenshot main-window.png 0
shot mainwindow_screenshot maintenance-page.png 1
shot mainwindow_screenshot parts-page.png 2
shot mainwindow_screenshot preferences.png prefs
shot mainwindow_screenshot main-window-dark.png 0 dark
shot mainwindow_screenshot preferences-dark.png prefs dark
shot duewindow_screenshot due-maintenance.png
shot importdialog_screenshot import-mapping.png
# The Sync Conflicts window, and the parts table of a report's last page (pdftoppm, poppler-utils).
report=$(mktemp --suffix=.pdf)
shot conflicts_screenshot sync-conflicts.png "$report"
pages=$(pdfinfo "$report" | awk '/^Pages:/ {print $2}')
pdftoppm -png -r 90 -singlefile -f "$pages" -l "$pages" "$report" docs/report-parts
rm -f "$report"
echo docs/report-parts.png
