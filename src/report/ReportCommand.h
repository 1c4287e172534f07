#pragma once

#include <QString>

// What `--report FILE.pdf --vehicle NAME` does, once src/cli has read the
// arguments: the vehicle report without a window or a display (src/cli makes
// a QGuiApplication on Qt's offscreen platform for it).
namespace ReportCommand {

// Writes the history of `vehicle` into `file` and returns the exit status: 0
// only when the whole report was written; otherwise the reason is on
// standard error.
int write(const QString& file, const QString& vehicle);

} // namespace ReportCommand
