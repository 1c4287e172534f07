#pragma once

#include "common/RecordStore.h"
#include "common/SafeFile.h"

#include <QObject>
#include <QString>

// How the windows tell the user about files that could not be saved or read.

// Sets the file of `mine` aside through the store, and tells the user why it
// could not be read and where it went, that it stays untouched, or that
// another record claims it too (then it is not moved). Unless it went aside,
// the caller must never write it.
RecordStore::Outcome setAsideAndTell(RecordStore& store, const FileClaims::Claim& mine,
                                     const QString& reason = QString());

// Tells the user of a change the store refused because another record claims
// the file too (the message names both); true when it was refused.
bool tellRefusal(const RecordStore::Outcome& outcome);
// What a store's write came to, told: a refusal (tellRefusal), a failure
// (reportSave); a write announced. True when the values are stored.
bool reportStored(const RecordStore::Outcome& outcome);

// Tells the user that a list file could not be read and is left as it is.
void tellListUnreadable(const QString& path, const QString& reason);
// Tells the user that a list cannot be changed while its file cannot be read.
void tellListLocked(const QString& path, const QString& reason, const QString& title);

// Announces every save that reportSave saw succeed, so that a window showing
// what files hold (the overview of what is due) follows the saves of the
// other windows without knowing them.
class SavedFiles : public QObject {
    Q_OBJECT
public:
    static SavedFiles& instance();

signals:
    void saved(const QString& path);
};

// Reports a failed save once in a message box naming the file and the reason;
// the same file is not reported again until a save of it has succeeded.
// Returns result.ok so callers can write `if (!reportSave(path, writeFileSafely(...)))`.
// A save that succeeded is announced by SavedFiles::saved.
bool reportSave(const QString& path, const WriteResult& result);
