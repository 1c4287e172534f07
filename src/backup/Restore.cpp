#include "Restore.h"

#include "Archive.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>

namespace Restore {

namespace {

QString reasonOf(int error)
{
    return qt_error_string(error);
}

// The old records are removed after the exchange on a thread of their own:
// the user has the restored records at once. The next restore and the end of
// the program wait for it; a removal cut short is finished at the next start.
class Cleaner {
public:
    ~Cleaner() { wait(); }
    void start(const QString& folder)
    {
        wait();
        m_thread = std::thread([folder] { QDir(folder).removeRecursively(); });
    }
    void wait()
    {
        if (m_thread.joinable())
            m_thread.join();
    }

private:
    std::thread m_thread;
};

Cleaner& cleaner()
{
    static Cleaner c;
    return c;
}

// The data folder itself, with any link to it followed.
QString realFolder(const QString& dataFolder)
{
    const QString canonical = QFileInfo(dataFolder).canonicalFilePath();
    return canonical.isEmpty() ? QDir::cleanPath(dataFolder) : canonical;
}

// Flushes every write of the file system holding `path` in one sync.
bool syncFileSystem(const QString& path)
{
    const int fd = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0)
        return false;
    const bool ok = ::syncfs(fd) == 0;
    ::close(fd);
    return ok;
}

} // namespace

QString unpackFolder(const QString& dataFolder)
{
    return realFolder(dataFolder) + QStringLiteral(".restoring");
}

void waitForCleanup()
{
    cleaner().wait();
}

void removeUnfinished(const QString& dataFolder)
{
    waitForCleanup();
    const QString leftover = unpackFolder(dataFolder);
    if (QFileInfo(leftover).isDir() && !QFileInfo(leftover).isSymLink())
        QDir(leftover).removeRecursively();
}

QString safetyBackupPath(const QString& dataFolder, const QDateTime& when)
{
    const QString beside = QFileInfo(QDir::cleanPath(dataFolder)).absolutePath();
    const QString stem =
        beside + QStringLiteral("/Gearbook safety backup ") + when.toString(QStringLiteral("yyyy-MM-dd HH-mm-ss"));
    QString path = stem + QStringLiteral(".tar.gz");
    for (int n = 2; QFileInfo::exists(path); ++n)
        path = stem + QStringLiteral(" (%1).tar.gz").arg(n);
    return path;
}

Outcome restore(const QString& archivePath, const QString& dataFolder, const QString& safetyBackup)
{
    Outcome result;
    const QString current = realFolder(dataFolder);
    if (!QFileInfo(current).isDir() && !QDir().mkpath(current)) {
        result.error =
            QStringLiteral("The data folder \"%1\" could not be made.").arg(QDir::toNativeSeparators(current));
        return result;
    }
    const QString incoming = unpackFolder(dataFolder);
    removeUnfinished(dataFolder);
    if (::mkdir(QFile::encodeName(incoming).constData(), 0700) != 0) {
        result.error = QStringLiteral("The folder \"%1\" to unpack into could not be made: %2")
                           .arg(QDir::toNativeSeparators(incoming), reasonOf(errno));
        return result;
    }
    const auto giveUp = [&](const QString& error) {
        QDir(incoming).removeRecursively();
        result.error = error;
        return result;
    };

    // Checked in full while it is unpacked, and meanwhile the records as they
    // are backed up; nothing of the records has changed yet.
    Backup::Outcome safety;
    std::thread safetyThread([&] { safety = Backup::writeBackup(current, safetyBackup); });
    const Backup::Outcome unpacked = Backup::checkArchive(archivePath, incoming);
    safetyThread.join();
    if (!unpacked) {
        if (safety)
            QFile::remove(safetyBackup); // nothing is restored, so nothing needs it
        return giveUp(QStringLiteral("The backup \"%1\" cannot be restored.\n\n%2")
                          .arg(QDir::toNativeSeparators(archivePath), unpacked.error));
    }
    if (!safety)
        return giveUp(QStringLiteral("The records as they are could not be backed up first, so nothing has been "
                                     "restored.\n\n%1")
                          .arg(safety.error));
    result.safetyBackup = safetyBackup;

    // One sync for every unpacked file: the exchange below is the step that
    // must find them on the disk, not a safe save per file.
    if (!syncFileSystem(incoming))
        return giveUp(QStringLiteral("The unpacked records could not be written to the disk: %1").arg(reasonOf(errno)));
    if (::renameat2(AT_FDCWD, QFile::encodeName(incoming).constData(), AT_FDCWD, QFile::encodeName(current).constData(),
                    RENAME_EXCHANGE) != 0)
        return giveUp(
            QStringLiteral("The data folder could not be exchanged for the restored one: %1").arg(reasonOf(errno)));
    syncFileSystem(current); // the exchange itself, on the disk

    cleaner().start(incoming); // the old records: the safety backup holds them
    result.ok = true;
    result.fileCount = int(unpacked.manifest.members.size());
    return result;
}

} // namespace Restore
