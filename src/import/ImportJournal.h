#pragma once

#include "common/SafeFile.h"

#include <QByteArray>
#include <QList>
#include <QString>

#include <optional>

// An import in progress is noted in the data folder before its first write:
// the safety backup it made, and each file it will write with a digest of the
// file before (none when it is new) and after. An import killed half way leaves
// the note, and the next start or command that holds the lock puts back what it
// wrote. A file that holds neither digest was changed since by someone else: it
// is told, never written over. The note is a dot file, which backups leave out.
namespace ImportJournal {

constexpr auto FileName = ".import-unfinished";

// The most a note may hold: it sits in a folder a sync tool may fill.
constexpr qint64 MaxBytes = qint64(64) << 20;
constexpr int MaxFiles = 1000000;

struct Entry {
    QString file;                     // a file name of the data folder
    std::optional<QByteArray> before; // its bytes before; nothing when it is new
    QByteArray after;                 // its bytes once written
};

// The note, in the data folder.
QString path();

// Writes the note (safely: it is on the disk before the first record is).
WriteResult begin(const QString& safetyBackup, const QList<Entry>& entries);
// The import is whole: the note goes.
bool finish();

// Puts back what an unfinished import had written (new files removed, changed
// ones restored from its safety backup) and removes the note. The message for
// the user; empty when no import was unfinished. The caller holds the lock.
QString recover();

} // namespace ImportJournal
