#pragma once

#include <optional>

// `--import FILE.csv... [--kind vehicles|maintenance|parts] [--vehicle NAME]
// [--yes] [--fill-empty]`: records brought in from spreadsheet files without a
// window. main() asks it first; the options are listed in the general command
// line's table for --help.
namespace ImportCommand {

// When the arguments ask for an import, takes the data folder's lock, prints
// the preview and, with --yes, imports; returns the exit status (0 only when
// everything asked for was done; 2 for arguments it cannot use). Nothing when
// no import is asked for.
std::optional<int> run(int argc, char* argv[]);

// Any other command: an import killed half way is put back first, with the
// lock unless the records are in use, and told on standard error.
void recoverUnlessInUse();

} // namespace ImportCommand
