#pragma once

#include <optional>

// Gearbook's command line: the commands of the registry (Commands.h), run
// without a window or a display, `--version` and `--help`; or the window.
namespace Cli {

// When the arguments ask for a command, runs it and returns the exit status:
// 0 only for a checked, complete result; otherwise the reason is on standard
// error (2 for arguments that are not Gearbook's or Qt's, or options of
// commands that do not go together). Nothing when the window is wanted and
// there is a display to show it on (`--show-due`, taken out of the arguments,
// sets `showDue`); 1, with a message, when there is none.
std::optional<int> run(int* argc, char* argv[], bool* showDue);

} // namespace Cli
