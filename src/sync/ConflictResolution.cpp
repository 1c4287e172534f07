#include "sync/ConflictResolution.h"

#include "backup/Archive.h"
#include "backup/Restore.h"
#include "common/DataFolder.h"
#include "common/FileClaims.h"
#include "common/NameOrder.h"
#include "common/RecordStore.h"

#include <QDir>
#include <QFile>
#include <QHash>

#include <algorithm>

namespace SyncConflicts {

namespace {

Resolution failure(const QString& error)
{
    Resolution r;
    r.error = error;
    return r;
}

// The record a conflict is a version of, as the record store knows it.
FileClaims::Claim claimOf(const Conflict& conflict)
{
    using Claim = FileClaims::Claim;
    switch (conflict.kind) {
    case Kind::VehicleList:
        return {Claim::VehicleList, {}, {}};
    case Kind::MaintList:
        return {Claim::MaintList, conflict.vehicle, {}};
    case Kind::PartsList:
        return {Claim::PartsList, conflict.vehicle, {}};
    case Kind::Vehicle:
        return {Claim::Vehicle, conflict.vehicle, {}};
    case Kind::Picture:
        return {Claim::Picture, conflict.vehicle, {}};
    case Kind::MaintRecord:
        return {Claim::MaintEntry, conflict.vehicle, conflict.entry};
    case Kind::PartRecord:
        break;
    }
    return {Claim::Part, conflict.vehicle, conflict.entry};
}

bool sameAsRead(const Version& version)
{
    const auto now = VehicleFiles::readRecord(VehicleFiles::inData(version.file));
    return now.status == version.read.status && now.bytes == version.read.bytes;
}

// What is saved under the record's name: a version's bytes, or the names of
// both lists; neither for the record kept as it is.
struct Kept {
    std::optional<QByteArray> bytes;
    std::optional<QStringList> names;
};

Kept kept(const Conflict& conflict, Keep keep, QString* why)
{
    switch (keep) {
    case Keep::Record:
        if (!conflict.record.read)
            *why = QStringLiteral("\"%1\" cannot be kept: %2")
                       .arg(conflict.record.file, problem(conflict, conflict.record));
        return {};
    case Keep::Copy:
        if (!conflict.copy.read) {
            *why =
                QStringLiteral("\"%1\" cannot be kept: %2").arg(conflict.copy.file, problem(conflict, conflict.copy));
            return {};
        }
        return {conflict.copy.read.bytes, std::nullopt};
    case Keep::BothLists: {
        if (!conflict.isList()) {
            *why = QStringLiteral("Only two lists can be kept both.");
            return {};
        }
        for (const Version* v : {&conflict.record, &conflict.copy})
            if (v->read.unreadable()) {
                *why = QStringLiteral("\"%1\" cannot be read: %2").arg(v->file, v->read.error);
                return {};
            }
        const QStringList names = unionOf(RecordFile::parseListFile(conflict.record.read.bytes),
                                          RecordFile::parseListFile(conflict.copy.read.bytes));
        if (conflict.kind == Kind::VehicleList && names.size() > VehicleFiles::MaxVehicles) {
            *why = QStringLiteral("Together the lists hold more than %1 vehicles.").arg(VehicleFiles::MaxVehicles);
            return {};
        }
        return {std::nullopt, names};
    }
    }
    return {};
}

} // namespace

QStringList unionOf(const QStringList& ours, const QStringList& theirs)
{
    QHash<QString, int> counted;
    for (const QString& name : ours)
        ++counted[name];
    QStringList all = ours;
    for (const QString& name : theirs) {
        int& left = counted[name];
        if (left > 0)
            --left;
        else
            all << name;
    }
    std::stable_sort(all.begin(), all.end(), NameOrder::Less());
    return all;
}

Resolution resolve(const Conflict& conflict, Keep keep)
{
    QString why;
    const Kept version = kept(conflict, keep, &why);
    const bool write = version.bytes || version.names;
    if (!why.isEmpty())
        return failure(why);
    for (const Version* v : {&conflict.record, &conflict.copy})
        if (!sameAsRead(*v))
            return failure(QStringLiteral("\"%1\" has changed since it was shown, so nothing has been changed. Please "
                                          "look at the conflict again.")
                               .arg(v->file));
    // Old names can make one file two records': neither's version is written over the other.
    RecordStore store;
    const FileClaims::Claim mine = claimOf(conflict);
    if (write)
        if (const QString refused = store.refusal(mine); !refused.isEmpty())
            return failure(refused);

    Resolution result;
    const QString folder = DataFolder::path();
    result.safetyBackup =
        Restore::safetyBackupPath(folder, QDateTime::currentDateTime(), Restore::MadeBefore::ConflictResolution);
    const Backup::Outcome safety =
        Backup::writeBackup(folder, result.safetyBackup, {conflict.record.file, conflict.copy.file});
    if (!safety)
        return failure(QStringLiteral("Both versions could not be backed up first, so nothing has been changed.\n\n%1")
                           .arg(safety.error));

    if (write) {
        const QString path = VehicleFiles::inData(conflict.record.file);
        const RecordStore::Outcome written =
            version.names ? store.writeList(mine, *version.names) : store.putBack(mine, *version.bytes);
        if (!written) {
            result.error = QStringLiteral("\"%1\" could not be saved: %2\n\nBoth versions are as they were, and also "
                                          "in the safety backup\n\n\"%3\"")
                               .arg(QDir::toNativeSeparators(path), written.message,
                                    QDir::toNativeSeparators(result.safetyBackup));
            return result;
        }
    }
    QFile copy(VehicleFiles::inData(conflict.copy.file));
    if (!copy.remove()) {
        result.error =
            QStringLiteral("The version kept is saved, but the conflict copy \"%1\" could not be removed: %2")
                .arg(QDir::toNativeSeparators(copy.fileName()), copy.errorString());
        return result;
    }
    result.ok = true;
    return result;
}

} // namespace SyncConflicts
