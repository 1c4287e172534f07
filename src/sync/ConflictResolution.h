#pragma once

#include "sync/ConflictScan.h"

#include <QString>
#include <QStringList>

// Ending a conflict: one version kept under the record's name, or for a list
// both lists as one, after both files went into a safety backup beside the
// data folder (the same kind of archive a restore writes).
namespace SyncConflicts {

enum class Keep {
    Record,    // the record's own file as it is
    Copy,      // the conflict copy, saved under the record's name
    BothLists, // lists only: every name of either
};

struct Resolution {
    bool ok = false;
    QString error;        // why not, for the user
    QString safetyBackup; // the archive holding both files, once written

    explicit operator bool() const { return ok; }
};

// Refused with nothing changed when either file is no longer what `conflict`
// read (the user must see what is kept), when the kept version cannot be
// read, or when the safety backup cannot be written. Then the kept bytes are
// saved under the record's name (byte for byte as the kept file holds them)
// and the copy is removed.
Resolution resolve(const Conflict& conflict, Keep keep);

// Every name of `ours` and each name of `theirs` as often as either list holds
// it, in the order of the lists the user sees.
QStringList unionOf(const QStringList& ours, const QStringList& theirs);

} // namespace SyncConflicts
