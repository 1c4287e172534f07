#pragma once

#include <optional>

// `--report FILE.pdf --vehicle NAME`: the vehicle report without a window or
// a display. main() asks it before anything else, since it needs a
// QGuiApplication on Qt's offscreen platform, made here.
namespace ReportCommand {

// When the arguments ask for a report, makes it and returns the exit status:
// 0 only when the whole report was written; otherwise the reason is on
// standard error. Nothing when no report is asked for.
std::optional<int> run(int argc, char* argv[]);

} // namespace ReportCommand
