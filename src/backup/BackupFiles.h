#pragma once

#include <QString>

// Where backups go and what they are called, for the menu and the command line alike.
namespace Backup {

// Where Back Up, Restore, Export and the report start: the documents folder, or the
// home folder when there is none (a dialog given a missing folder starts somewhere else).
QString documentsFolder();

// The name a backup is saved under: `path`, with ".tar.gz" appended unless it
// ends so already, since the Restore dialog shows only such names ("backup.v2" gets it too).
QString withBackupSuffix(const QString& path);

} // namespace Backup
