#include "ConflictResolution.h"

#include "Archive.h"
#include "DataFolder.h"
#include "FileClaims.h"
#include "NameOrder.h"
#include "Restore.h"

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

bool sameAsRead(const Version& version)
{
    const auto now = VehicleFiles::readRecord(VehicleFiles::inData(version.file));
    return now.status == version.read.status && now.bytes == version.read.bytes;
}

// The bytes to save under the record's name; nothing for the record kept as it is.
std::optional<QByteArray> keptBytes(const Conflict& conflict, Keep keep, QString* why)
{
    switch (keep) {
    case Keep::Record:
        if (!conflict.record.read)
            *why = QStringLiteral("\"%1\" cannot be kept: %2")
                       .arg(conflict.record.file, problem(conflict, conflict.record));
        return std::nullopt;
    case Keep::Copy:
        if (!conflict.copy.read) {
            *why =
                QStringLiteral("\"%1\" cannot be kept: %2").arg(conflict.copy.file, problem(conflict, conflict.copy));
            return std::nullopt;
        }
        return conflict.copy.read.bytes;
    case Keep::BothLists: {
        if (!conflict.isList()) {
            *why = QStringLiteral("Only two lists can be kept both.");
            return std::nullopt;
        }
        for (const Version* v : {&conflict.record, &conflict.copy})
            if (v->read.unreadable()) {
                *why = QStringLiteral("\"%1\" cannot be read: %2").arg(v->file, v->read.error);
                return std::nullopt;
            }
        const QStringList names = unionOf(RecordFile::parseListFile(conflict.record.read.bytes),
                                          RecordFile::parseListFile(conflict.copy.read.bytes));
        if (conflict.kind == Kind::VehicleList && names.size() > VehicleFiles::MaxVehicles) {
            *why = QStringLiteral("Together the lists hold more than %1 vehicles.").arg(VehicleFiles::MaxVehicles);
            return std::nullopt;
        }
        return RecordFile::listFile(names);
    }
    }
    return std::nullopt;
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
    const std::optional<QByteArray> bytes = keptBytes(conflict, keep, &why);
    if (!why.isEmpty())
        return failure(why);
    for (const Version* v : {&conflict.record, &conflict.copy})
        if (!sameAsRead(*v))
            return failure(QStringLiteral("\"%1\" has changed since it was shown, so nothing has been changed. Please "
                                          "look at the conflict again.")
                               .arg(v->file));
    // Old names can make one file two records': neither's version is written over the other.
    if (bytes) {
        const QList<FileClaims::Claim> claims =
            FileClaims(VehicleFiles::LoadVehicleList()).claimsOf(conflict.record.file);
        if (claims.size() > 1)
            return failure(FileClaims::sharedMessage(conflict.record.file, claims.first(), claims.mid(1)));
    }

    Resolution result;
    const QString folder = DataFolder::path();
    result.safetyBackup =
        Restore::safetyBackupPath(folder, QDateTime::currentDateTime(), Restore::MadeBefore::ConflictResolution);
    const Backup::Outcome safety =
        Backup::writeBackup(folder, result.safetyBackup, {conflict.record.file, conflict.copy.file});
    if (!safety)
        return failure(QStringLiteral("Both versions could not be backed up first, so nothing has been changed.\n\n%1")
                           .arg(safety.error));

    if (bytes) {
        const QString path = VehicleFiles::inData(conflict.record.file);
        if (const WriteResult written = VehicleFiles::writeRecord(path, *bytes); !written) {
            result.error =
                QStringLiteral("\"%1\" could not be saved: %2\n\nBoth versions are as they were, and also "
                               "in the safety backup\n\n\"%3\"")
                    .arg(QDir::toNativeSeparators(path), written.error, QDir::toNativeSeparators(result.safetyBackup));
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
