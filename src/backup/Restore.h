#pragma once

#include <QDateTime>
#include <QList>
#include <QString>

// Putting a backup's records in place of the data folder. The archive is
// unpacked and checked in a new folder beside the data folder while the
// current records are backed up, and then the two folders are exchanged in one step,
// so there is never a moment without a whole data folder. The caller holds
// the data-folder lock throughout.
namespace Restore {

struct Outcome {
    bool ok = false;
    QString error;        // why not, for the user; nothing has changed then
    QString safetyBackup; // the backup of the records as they were, when one was written
    int fileCount = 0;    // files restored

    explicit operator bool() const { return ok; }
};

// The folder a restore unpacks into: beside the data folder (through any link
// to it), so the exchange stays on one file system.
QString unpackFolder(const QString& dataFolder);

// Removes what an interrupted restore left beside the data folder: either the
// part of an unpack that never took place, with its safety backup (the records
// were never replaced, so it holds them as they are), or the old records after
// the exchange (they are in the safety backup, which stays). What a backup
// leaves out (a sync tool's folders and files) is moved back into the data
// folder, never removed. Call with the lock held.
// Waits for the removal of the last restore's old records first.
void removeUnfinished(const QString& dataFolder);

// The same for the command line: only when no copy of Gearbook holds the lock,
// which is taken for that moment only. Returns what a stale lock it took over
// was (Lock::takenOverText()), for the user; empty when none.
QString removeUnfinishedUnlessInUse();

// Waits until the old records of the last restore are removed (which runs on
// after restore() returns).
void waitForCleanup();

// What a safety backup was made before; its name says so ("... before import").
enum class MadeBefore { Restore, Import, ConflictResolution };

// Where the safety backup of a restore (import, resolution) at `when` goes:
// beside the data folder, numbered when the name is taken.
QString safetyBackupPath(const QString& dataFolder, const QDateTime& when, MadeBefore before = MadeBefore::Restore);

// The safety backups beside the data folder, newest first, known by their names.
struct SafetyBackup {
    QString path;
    QDateTime made; // local time, as named
    MadeBefore before = MadeBefore::Restore;
};
QList<SafetyBackup> safetyBackups(const QString& dataFolder);
// For the user: "before a restore", "before an import", "before a sync conflict was resolved".
QString describe(MadeBefore before);

// Replaces the records of `dataFolder` with those of the archive. What a
// backup leaves out stays: it moves into the restored folder. A partial
// archive (Manifest::partial) is refused before anything is written.
Outcome restore(const QString& archivePath, const QString& dataFolder, const QString& safetyBackup);

// For tests: called right after the exchange, before what was left out moves.
void setAfterExchangeForTests(void (*hook)());
// For tests: called when all is unpacked and backed up, before the exchange.
void setBeforeExchangeForTests(void (*hook)());

} // namespace Restore
