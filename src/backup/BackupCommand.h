#pragma once

#include <QString>

// What `--backup FILE`, `--check FILE` and `--export FOLDER` do (src/cli asks
// for them). They only read the records and every file they write is saved
// atomically, so they run while Gearbook is open (a scheduled backup, for
// example). Each returns the exit status: 0 only for a checked, complete
// result; otherwise the reason is on standard error.
namespace BackupCommand {

int backUp(const QString& value);
int check(const QString& file);
int exportTo(const QString& folder);

} // namespace BackupCommand
