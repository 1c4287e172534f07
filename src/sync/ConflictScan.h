#pragma once

#include "common/RecordFile.h"

#include <QDateTime>
#include <QList>
#include <QString>
#include <QStringList>

#include <functional>

// Conflict copies of the data folder's records, found and compared with the
// records they are versions of. Nothing here shows a window.
namespace SyncConflicts {

enum class Kind { VehicleList, MaintList, PartsList, Vehicle, Picture, MaintRecord, PartRecord };

// One of the two files of a conflict, as it was read.
struct Version {
    QString file; // name inside the data folder
    QDateTime modified;
    RecordFile::ReadResult read;
};

struct Conflict {
    Kind kind = Kind::Vehicle;
    QString vehicle; // empty for the vehicle list
    QString entry;   // the maintenance entry or part of an entry record
    QString tool;    // the sync tool whose naming the copy follows
    Version record;  // the record's own file
    Version copy;    // the conflict copy

    bool isList() const { return kind == Kind::VehicleList || kind == Kind::MaintList || kind == Kind::PartsList; }
    // What it is a version of, for the user: `The vehicle "Car"`.
    QString title() const;
};

// Every conflict copy of a record of the data folder: of the vehicle list, of
// a listed vehicle's own files, or of a record named in its lists. A file that
// is itself a vehicle's own file or named by a list is never taken for a copy,
// whatever its name looks like. Lists first, then by vehicle. `stop`, when
// given, is asked between copies whether to end early.
QList<Conflict> scan(const std::function<bool()>& stop = {});

// One line of the comparison: a value of each version under its caption (a
// name of a list file: in the versions that hold it).
struct Row {
    QString caption;
    QString record;
    QString copy;
    bool differs = false;
};

// The two versions side by side, value by value; a value a version lacks (a
// record that is short, missing or unreadable) is empty.
QList<Row> compare(const Conflict& conflict);

// Why a version cannot be shown whole: missing, unreadable or short; empty when it can.
QString problem(const Conflict& conflict, const Version& version);

} // namespace SyncConflicts
