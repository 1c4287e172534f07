#include "backup/Restore.h"

#include "backup/Archive.h"
#include "common/DataFolder.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QSet>

#include <algorithm>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <dirent.h>
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

void (*afterExchange)() = nullptr;
void (*beforeExchange)() = nullptr;

// Written into the unpack folder first, naming the safety backup: while it is
// there the exchange has not taken place, so that backup holds the records as
// they still are and is of no use. A hidden name that is no record: never
// unpacked from an archive, and moved into the data folder by the exchange.
constexpr char SafetyNote[] = ".gearbook-restore-safety-backup";

QByteArray notePath(const QString& folder)
{
    return QFile::encodeName(folder) + '/' + SafetyNote;
}

// The safety backup the note of `folder` names: beside `dataFolder`, of the
// name a restore gives it; nothing when there is none.
QString notedSafetyBackup(const QString& folder, const QString& dataFolder)
{
    QFile note;
    const int fd = ::open(notePath(folder).constData(), O_RDONLY | O_NONBLOCK | O_NOFOLLOW | O_CLOEXEC);
    if (fd < 0 || !note.open(fd, QIODevice::ReadOnly, QFile::AutoCloseHandle))
        return {};
    const QString name = QFile::decodeName(note.read(4096));
    if (name.contains(QLatin1Char('/')) || !name.startsWith(QStringLiteral("Gearbook safety backup ")))
        return {};
    return QFileInfo(QDir::cleanPath(dataFolder)).absolutePath() + QLatin1Char('/') + name;
}

// Moves what a backup leaves out (a sync tool's folders and files) from the
// old records into the data folder. One that cannot be moved stays where it is.
void keepLeftOut(const QString& from, const QString& into)
{
    const QByteArray source = QFile::encodeName(from) + '/';
    const QByteArray target = QFile::encodeName(into) + '/';
    for (const Backup::LeftOut& entry : Backup::leftOutOf(from)) {
        const QByteArray oldPath = source + entry.name;
        if (::renameat2(AT_FDCWD, oldPath.constData(), AT_FDCWD, (target + entry.name).constData(), RENAME_NOREPLACE) ==
            0)
            continue;
        struct stat st;
        // A link whose name the restored records have is no record of its own.
        if (errno == EEXIST && ::lstat(oldPath.constData(), &st) == 0 && S_ISLNK(st.st_mode))
            ::unlink(oldPath.constData());
    }
}

// Removes the old records of a restore, and the folder when nothing is left
// in it: never what a backup leaves out, which keepLeftOut could not move.
// By the names' bytes: a name that is not UTF-8 has no QString that names it.
void removeRecords(const QString& folder)
{
    const QByteArray path = QFile::encodeName(folder);
    QSet<QByteArray> kept;
    for (const Backup::LeftOut& entry : Backup::leftOutOf(folder))
        kept.insert(entry.name);
    DIR* dir = ::opendir(path.constData());
    if (!dir)
        return;
    QList<QByteArray> names;
    while (const dirent* e = ::readdir(dir))
        names << QByteArray(e->d_name);
    for (const QByteArray& name : std::as_const(names))
        if (name != "." && name != ".." && !kept.contains(name))
            ::unlinkat(::dirfd(dir), name.constData(), 0);
    ::closedir(dir);
    ::rmdir(path.constData());
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
        m_thread = std::thread([folder] { removeRecords(folder); });
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
    // Killed right after the exchange: the note came along, and the safety backup holds the old records.
    ::unlink(notePath(realFolder(dataFolder)).constData());
    // Either an unpack that never took place, which holds no entry a backup
    // leaves out (those are never unpacked) but the note, or the old records after the exchange.
    const QString leftover = unpackFolder(dataFolder);
    if (QFileInfo(leftover).isDir() && !QFileInfo(leftover).isSymLink()) {
        if (const QString unused = notedSafetyBackup(leftover, dataFolder); !unused.isEmpty())
            Backup::removeArchive(unused);
        ::unlink(notePath(leftover).constData());
        keepLeftOut(leftover, realFolder(dataFolder));
        removeRecords(leftover);
    }
}

QString removeUnfinishedUnlessInUse()
{
    if (!QFileInfo(DataFolder::path()).isDir())
        return QString();
    DataFolder::Lock lock;
    if (lock.take() == DataFolder::Lock::Result::Held)
        removeUnfinished(DataFolder::path());
    return lock.takenOverText();
}

namespace {

const QString SafetyPrefix = QStringLiteral("Gearbook safety backup ");
const QString SafetyTimeFormat = QStringLiteral("yyyy-MM-dd HH-mm-ss");

// The words a safety backup's name ends with; a restore's has none, as it always had.
QString nameSuffix(MadeBefore before)
{
    switch (before) {
    case MadeBefore::Import:
        return QStringLiteral(" before import");
    case MadeBefore::ConflictResolution:
        return QStringLiteral(" before conflict resolution");
    case MadeBefore::Restore:
        break;
    }
    return QString();
}

} // namespace

QString safetyBackupPath(const QString& dataFolder, const QDateTime& when, MadeBefore before)
{
    const QString beside = QFileInfo(QDir::cleanPath(dataFolder)).absolutePath();
    const QString stem =
        beside + QLatin1Char('/') + SafetyPrefix + when.toString(SafetyTimeFormat) + nameSuffix(before);
    QString path = stem + QStringLiteral(".tar.gz");
    for (int n = 2; QFileInfo::exists(path); ++n)
        path = stem + QStringLiteral(" (%1).tar.gz").arg(n);
    return path;
}

QList<SafetyBackup> safetyBackups(const QString& dataFolder)
{
    static const QRegularExpression name(
        QStringLiteral("^Gearbook safety backup (\\d{4}-\\d\\d-\\d\\d \\d\\d-\\d\\d-\\d\\d)( before import| before "
                       "conflict resolution)?(?: \\((\\d{1,9})\\))?\\.tar\\.gz$"));
    struct Found {
        SafetyBackup backup;
        int number;
    };
    QList<Found> found;
    const QDir beside(QFileInfo(QDir::cleanPath(dataFolder)).absolutePath());
    for (const QFileInfo& file : beside.entryInfoList({SafetyPrefix + QStringLiteral("*.tar.gz")}, QDir::Files)) {
        const QRegularExpressionMatch m = name.match(file.fileName());
        const QDateTime made = QDateTime::fromString(m.captured(1), SafetyTimeFormat);
        if (!m.hasMatch() || !made.isValid())
            continue;
        const MadeBefore before = m.captured(2) == nameSuffix(MadeBefore::Import) ? MadeBefore::Import
                                  : m.captured(2).isEmpty()                       ? MadeBefore::Restore
                                                                                  : MadeBefore::ConflictResolution;
        found.append({{file.filePath(), made, before}, m.captured(3).isEmpty() ? 1 : m.captured(3).toInt()});
    }
    // Newest first; of one second, the later number first.
    std::sort(found.begin(), found.end(), [](const Found& a, const Found& b) {
        return a.backup.made != b.backup.made ? a.backup.made > b.backup.made : a.number > b.number;
    });
    QList<SafetyBackup> list;
    for (const Found& f : std::as_const(found))
        list << f.backup;
    return list;
}

QString describe(MadeBefore before)
{
    switch (before) {
    case MadeBefore::Import:
        return QStringLiteral("before an import");
    case MadeBefore::ConflictResolution:
        return QStringLiteral("before a sync conflict was resolved (both versions of one record)");
    case MadeBefore::Restore:
        break;
    }
    return QStringLiteral("before a restore");
}

Outcome restore(const QString& archivePath, const QString& dataFolder, const QString& safetyBackup)
{
    Outcome result;
    // Checked before anything is written: a few files would replace every record.
    if (const Backup::Outcome contents = Backup::readManifest(archivePath); contents && contents.manifest.partial) {
        result.error = QStringLiteral("The backup \"%1\" cannot be restored. %2")
                           .arg(QDir::toNativeSeparators(archivePath), Backup::describePartial(contents.manifest));
        return result;
    }
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
    // Nothing restored: the unpack goes (by the names' bytes, which need not be
    // UTF-8), and so does a safety backup of records that stay as they are.
    const auto giveUp = [&](const QString& error) {
        ::unlink(notePath(incoming).constData());
        removeRecords(incoming);
        if (!result.safetyBackup.isEmpty())
            Backup::removeArchive(result.safetyBackup);
        result.safetyBackup.clear();
        result.error = error;
        return result;
    };
    {
        QFile note;
        const int fd = ::open(notePath(incoming).constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
        const QString why = fd < 0 ? reasonOf(errno) : QString();
        if (fd < 0 || !note.open(fd, QIODevice::WriteOnly, QFile::AutoCloseHandle) ||
            note.write(QFile::encodeName(QFileInfo(safetyBackup).fileName())) < 0 || !note.flush())
            return giveUp(QStringLiteral("The folder \"%1\" to unpack into could not be written: %2")
                              .arg(QDir::toNativeSeparators(incoming), fd < 0 ? why : note.errorString()));
    }

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
    if (beforeExchange)
        beforeExchange();
    if (!syncFileSystem(incoming))
        return giveUp(QStringLiteral("The unpacked records could not be written to the disk: %1").arg(reasonOf(errno)));
    if (::renameat2(AT_FDCWD, QFile::encodeName(incoming).constData(), AT_FDCWD, QFile::encodeName(current).constData(),
                    RENAME_EXCHANGE) != 0)
        return giveUp(
            QStringLiteral("The data folder could not be exchanged for the restored one: %1").arg(reasonOf(errno)));
    if (afterExchange)
        afterExchange();
    ::unlink(notePath(current).constData()); // the safety backup is needed now
    keepLeftOut(incoming, current);
    syncFileSystem(current); // the exchange itself, on the disk

    cleaner().start(incoming); // the old records: the safety backup holds them
    result.ok = true;
    result.fileCount = int(unpacked.manifest.members.size());
    return result;
}

void setAfterExchangeForTests(void (*hook)())
{
    afterExchange = hook;
}

void setBeforeExchangeForTests(void (*hook)())
{
    beforeExchange = hook;
}

} // namespace Restore
