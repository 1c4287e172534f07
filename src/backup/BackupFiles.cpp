#include "backup/BackupFiles.h"

#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

namespace Backup {

QString documentsFolder()
{
    const QString documents = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    return !documents.isEmpty() && QFileInfo(documents).isDir() ? documents : QDir::homePath();
}

QString withBackupSuffix(const QString& path)
{
    static const QString suffix = QStringLiteral(".tar.gz");
    return path.endsWith(suffix, Qt::CaseInsensitive) ? path : path + suffix;
}

} // namespace Backup
