#pragma once

#include <optional>

// Gearbook's command-line tasks, run without a window or a display:
// `--backup FILE`, `--check FILE`, `--export FOLDER`, `--version` and `--help`
// (the table `Options` in CommandLine.cpp, which also lists the report's
// `--report FILE --vehicle NAME`, run by src/report before this). They only read the records
// and every file they write is saved atomically, so they run while Gearbook is
// open (a scheduled backup, for example).
namespace CommandLine {

// When the arguments ask for a task, runs it with a QCoreApplication and
// returns the exit status: 0 only for a checked, complete result; otherwise the
// reason is on standard error (2 for arguments that are not Gearbook's or Qt's).
// Nothing when the window is wanted and there is a display to show it on; 1,
// with a message, when there is none.
std::optional<int> run(int argc, char* argv[]);

} // namespace CommandLine
