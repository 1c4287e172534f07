#include "backup/Archive.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <cstdint>
#include <cstdlib>

// Any bytes as a backup archive: the full check (what --check and a restore
// run) must end, and unpack only plain files of the manifest into the folder
// it is given, nothing beside it.
extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static QTemporaryDir folder;
    const QString archive = folder.filePath(QStringLiteral("fuzz.tar.gz"));
    const QString unpack = folder.filePath(QStringLiteral("unpack"));
    QFile file(archive);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) ||
        file.write(reinterpret_cast<const char*>(data), qint64(size)) != qint64(size))
        std::abort();
    file.close();

    const Backup::Outcome checked = Backup::checkArchive(archive);
    if (!checked.ok && checked.error.isEmpty())
        std::abort();

    QDir(unpack).removeRecursively();
    if (!QDir().mkpath(unpack))
        std::abort();
    const Backup::Outcome unpacked = Backup::checkArchive(archive, unpack);
    if (unpacked.ok && !checked.ok) // unpacking can fail where checking does not (a name too long), never the other way
        std::abort();
    const QStringList beside = QDir(folder.path()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot);
    if (beside.size() != 2)
        std::abort(); // something was written beside the unpack folder
    if (unpacked.ok && QDir(unpack).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot).size() >
                           unpacked.manifest.members.size())
        std::abort();
    return 0;
}
