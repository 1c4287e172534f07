#include "backup/BackupCommand.h"

#include "backup/Archive.h"
#include "backup/BackupFiles.h"
#include "backup/CsvExport.h"
#include "backup/Restore.h"
#include "common/Console.h"
#include "common/DataFolder.h"

#include <QDir>
#include <QFileInfo>

namespace BackupCommand {

namespace {

using Console::print;

QString native(const QString& path)
{
    return QDir::toNativeSeparators(path);
}

} // namespace

int backUp(const QString& value)
{
    const QString file = Backup::withBackupSuffix(value);
    if (!QFileInfo(DataFolder::path()).isDir()) {
        print(
            stderr,
            QStringLiteral("Gearbook: there is no data folder to back up at \"%1\".").arg(native(DataFolder::path())));
        return 1;
    }
    if (const QString found = Restore::removeUnfinishedUnlessInUse(); !found.isEmpty())
        print(stderr, QStringLiteral("Gearbook: %1").arg(found));
    const Backup::Outcome result = Backup::writeBackup(DataFolder::path(), file);
    if (!result) {
        print(stderr, QStringLiteral("Gearbook: %1").arg(result.error));
        return 1;
    }
    print(stdout, QStringLiteral("Backed up %1 files to \"%2\" and checked the backup.")
                      .arg(result.manifest.members.size())
                      .arg(native(file)));
    if (!result.leftOut.isEmpty())
        print(stdout, QStringLiteral("Not records, so %1.").arg(Backup::describe(result.leftOut)));
    return 0;
}

int check(const QString& file)
{
    const Backup::Outcome result = Backup::checkArchive(file);
    if (!result) {
        print(stderr, QStringLiteral("Gearbook: \"%1\" would not restore whole. %2").arg(native(file), result.error));
        return 1;
    }
    if (result.manifest.partial) {
        print(stderr, QStringLiteral("Gearbook: \"%1\" is intact, but it would not be restored. %2")
                          .arg(native(file), Backup::describePartial(result.manifest)));
        return 1;
    }
    print(stdout, QStringLiteral("\"%1\" is a whole Gearbook backup of %2 files, made on %3 UTC; it would restore "
                                 "whole.")
                      .arg(native(file))
                      .arg(result.manifest.members.size())
                      .arg(result.manifest.created.toString(QStringLiteral("yyyy-MM-dd HH:mm"))));
    return 0;
}

int exportTo(const QString& folder)
{
    const QFileInfo info(folder);
    if (info.exists() && !info.isDir()) {
        print(stderr, QStringLiteral("Gearbook: \"%1\" is not a folder.").arg(native(folder)));
        return 1;
    }
    if (!info.exists() && !QDir().mkpath(folder)) {
        print(stderr, QStringLiteral("Gearbook: the folder \"%1\" could not be made.").arg(native(folder)));
        return 1;
    }
    if (const QString found = Restore::removeUnfinishedUnlessInUse(); !found.isEmpty())
        print(stderr, QStringLiteral("Gearbook: %1").arg(found));
    const CsvExport::Outcome result = CsvExport::exportTo(folder);
    if (!result) {
        print(stderr, QStringLiteral("Gearbook: %1").arg(result.error));
        return 1;
    }
    print(stdout, QStringLiteral("Exported %1 vehicles, %2 maintenance entries and %3 parts to \"%4\".")
                      .arg(result.vehicles)
                      .arg(result.entries)
                      .arg(result.parts)
                      .arg(native(folder)));
    return 0;
}

} // namespace BackupCommand
