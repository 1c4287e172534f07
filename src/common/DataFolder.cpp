#include "common/DataFolder.h"

#include "common/FileClaims.h"

#include "common/RecordFile.h"

#include <QCoreApplication>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QLockFile>
#include <QSet>
#include <QStandardPaths>
#include <QSysInfo>
#include <QThread>

#include <algorithm>
#include <cerrno>
#include <csignal>

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace DataFolder {

namespace {
QString dataHome()
{
    return QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation) + QLatin1Char('/');
}
} // namespace

QString makerFolder()
{
    return dataHome() + QStringLiteral("Venbry Software/");
}

QString programFolder()
{
    return makerFolder() + QStringLiteral("Gearshed/");
}

QString path()
{
    return programFolder() + QStringLiteral("Data/");
}

QString installFolder()
{
    return makerFolder() + QStringLiteral("Gearbook/");
}

namespace {
constexpr QFile::Permissions Private = QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner;
} // namespace

void CreateMakerFolder()
{
    // A fresh account has no data home yet; without it no level below can be made.
    const QString home = dataHome();
    if (!QFileInfo::exists(home) && QDir().mkpath(home))
        QFile::setPermissions(home, Private);
    QDir().mkdir(makerFolder(), Private);
    CreateProgramFolder();
}

void CreateProgramFolder()
{
    QDir().mkdir(programFolder(), Private);
    CreateDataFolder();
}

void CreateDataFolder()
{
    QDir().mkdir(path(), Private);
}

QString lockFile()
{
    return programFolder() + QStringLiteral("Data.lock");
}

bool LockHolder::anotherMachine() const
{
    if (host != QSysInfo::machineHostName())
        return true;
    const QByteArray ours = QSysInfo::machineUniqueId();
    return !machineId.isEmpty() && !ours.isEmpty() && machineId != ours;
}

bool LockHolder::isUs() const
{
    // The boot id tells this boot of this computer from every other; the host
    // name may have changed since the lock was written.
    if (pid != QCoreApplication::applicationPid() || machineId != QSysInfo::machineUniqueId())
        return false;
    const QByteArray boot = QSysInfo::bootUniqueId();
    return boot.isEmpty() ? host == QSysInfo::machineHostName() : bootId == boot;
}

namespace {

// Another computer may have written it: a bounded read, and never of a FIFO.
constexpr qint64 MaxLockFileSize = 4096;

std::optional<QByteArray> lockFileBytes(const QString& path, QDateTime* since = nullptr)
{
    const QFileInfo info(path);
    QFile file(path);
    if (!info.isFile() || info.isSymLink() || !file.open(QIODevice::ReadOnly))
        return std::nullopt;
    if (since)
        *since = info.lastModified();
    return file.read(MaxLockFileSize);
}

std::optional<LockHolder> parseLockHolder(const QByteArray& bytes)
{
    const QList<QByteArray> lines = bytes.split('\n');
    if (lines.size() < 3)
        return std::nullopt;
    LockHolder holder;
    bool ok = false;
    holder.pid = lines[0].trimmed().toLongLong(&ok);
    if (!ok || holder.pid <= 0)
        return std::nullopt;
    holder.program = QString::fromUtf8(lines[1].trimmed());
    holder.host = QString::fromUtf8(lines[2].trimmed());
    holder.machineId = lines.value(3).trimmed();
    holder.bootId = lines.value(4).trimmed();
    return holder;
}

// The holder of a lock of this computer still runs. A process of an earlier
// boot never does; a process id now used by another program is not the holder.
bool stillRunning(const LockHolder& holder)
{
    const QByteArray boot = QSysInfo::bootUniqueId();
    if (!holder.bootId.isEmpty() && !boot.isEmpty() && holder.bootId != boot)
        return false;
    if (::kill(pid_t(holder.pid), 0) != 0 && errno == ESRCH)
        return false;
    if (holder.program.isEmpty())
        return true;
    QByteArray exe = QFile::encodeName(QFileInfo(QStringLiteral("/proc/%1/exe").arg(holder.pid)).symLinkTarget());
    if (exe.isEmpty())
        return true;               // cannot tell: it may be ours
    exe.replace(" (deleted)", ""); // replaced by an upgrade while it runs
    return QFileInfo(QFile::decodeName(exe)).fileName() == QFileInfo(holder.program).fileName();
}

} // namespace

std::optional<LockHolder> readLockHolder(const QString& path)
{
    QDateTime since;
    const auto bytes = lockFileBytes(path, &since);
    auto holder = bytes ? parseLockHolder(*bytes) : std::nullopt;
    if (holder)
        holder->since = since;
    return holder;
}

std::optional<StaleLock> staleLock(const QString& path)
{
    // A FIFO would block every reader, Qt's own included: no lock is ever one.
    struct stat entry;
    if (::lstat(QFile::encodeName(path).constData(), &entry) == 0 && !S_ISREG(entry.st_mode) &&
        !S_ISDIR(entry.st_mode) && !S_ISLNK(entry.st_mode))
        return StaleLock{QStringLiteral("it is not a file"), false};
    const auto bytes = lockFileBytes(path);
    if (!bytes)
        return std::nullopt;
    if (bytes->trimmed().isEmpty())
        return StaleLock{QStringLiteral("it is empty"), false};
    const auto holder = parseLockHolder(*bytes);
    if (!holder)
        return StaleLock{QStringLiteral("it does not name a holder"), false};
    if (holder->anotherMachine() || stillRunning(*holder))
        return std::nullopt;
    return StaleLock{
        QStringLiteral("it names process %1 of this computer, which is no longer running").arg(holder->pid), true};
}

Lock::Lock() = default;

Lock::~Lock()
{
    // QLockFile's unlock deletes the file by its path: when another computer
    // has taken the folder over since, that would delete its lock. Ours is then
    // let go unreleased; its descriptor closes when the process ends.
    if (m_file && m_file->isLocked()) {
        const auto holder = readLockHolder(lockFile());
        if (!holder || !holder->isUs())
            (void)m_file.release();
    }
}

Lock::Result Lock::take()
{
    CreateMakerFolder();
    m_file = std::make_unique<QLockFile>(lockFile());
    // Only a lock whose program has ended is stale, however old it is.
    m_file->setStaleLockTime(0);
    removeStale();
    // Read before tryLock: Qt judges a lock by the machine id alone, and would
    // delete as stale the live lock of a computer cloned from the same image.
    if (const auto holder = readLockHolder(lockFile()); holder && holder->anotherMachine()) {
        m_holder = *holder;
        m_error = QStringLiteral("Gearbook on the computer \"%1\" is using the data folder.").arg(holder->host);
        return Result::OtherMachine;
    }
    return tryTake();
}

void Lock::removeStale()
{
    const QString path = lockFile();
    const QByteArray name = QFile::encodeName(path);
    // A holder that is starting has made its lock but not yet written it: a few tries.
    for (int attempt = 0; attempt < 20; ++attempt) {
        if (attempt > 0)
            QThread::msleep(50);
        if (!staleLock(path))
            return;
        // Two takers must not both remove: the later would remove the new lock of
        // the first. QLockFile guards its own removals by the same file.
        QLockFile guard(path + QStringLiteral(".rmlock"));
        if (!guard.tryLock(0))
            continue;
        const auto stale = staleLock(path);
        if (!stale)
            return;
        const int fd = ::open(name.constData(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
        if (fd < 0)
            return;
        // A live QLockFile holds this lock from before it writes a byte.
        const bool unheld = ::flock(fd, LOCK_EX | LOCK_NB) == 0;
        struct stat opened;
        struct stat named;
        const bool same = ::fstat(fd, &opened) == 0 && ::stat(name.constData(), &named) == 0 &&
                          opened.st_dev == named.st_dev && opened.st_ino == named.st_ino;
        const bool removed = unheld && same && ::unlink(name.constData()) == 0;
        ::close(fd);
        if (removed)
            m_takenOver = stale;
        if (removed || unheld)
            return;
    }
}

QString Lock::takenOverText() const
{
    if (!m_takenOver)
        return QString();
    return QStringLiteral("The lock file \"%1\" was left behind: %2. Nothing was using the data folder, so this "
                          "copy of Gearbook has taken it over.")
        .arg(QDir::toNativeSeparators(lockFile()), m_takenOver->what);
}

Lock::Result Lock::takeOver()
{
    if (!m_file)
        return take();
    QFile lock(lockFile());
    // An empty folder in its place is in the way as much as a file.
    if (const QFileInfo info(lockFile()); info.isDir() && !info.isSymLink())
        QDir().rmdir(lockFile());
    if ((lock.exists() || QFileInfo(lockFile()).isSymLink()) && !lock.remove()) {
        m_error = QStringLiteral("The lock file \"%1\" cannot be removed: %2")
                      .arg(QDir::toNativeSeparators(lockFile()), lock.errorString());
        return Result::Failed;
    }
    return tryTake();
}

Lock::Result Lock::tryTake()
{
    if (m_file->tryLock(0)) {
        m_holder = {};
        RemoveSaveLeftovers(path());
        return Result::Held;
    }
    switch (m_file->error()) {
    case QLockFile::LockFailedError: {
        // Qt found the holder alive on this computer, or could not tell who it is.
        const auto holder = readLockHolder(lockFile());
        m_holder = holder.value_or(LockHolder{});
        if (!holder || holder->anotherMachine()) {
            m_error =
                holder ? QStringLiteral("Gearbook on the computer \"%1\" is using the data folder.").arg(holder->host)
                       : QStringLiteral("The lock file \"%1\" does not say which computer holds it.")
                             .arg(QDir::toNativeSeparators(lockFile()));
            return Result::OtherMachine;
        }
        m_error = QStringLiteral("Another copy of Gearbook is using the data folder.");
        return Result::InUse;
    }
    case QLockFile::PermissionError:
        m_error = QStringLiteral("The lock file \"%1\" cannot be created.").arg(QDir::toNativeSeparators(lockFile()));
        return Result::Failed;
    default:
        m_error = QStringLiteral("The lock file \"%1\" cannot be written.").arg(QDir::toNativeSeparators(lockFile()));
        return Result::Failed;
    }
}

namespace {

// QSaveFile names its temporary after the file with a dot and six random
// letters or digits. Plain comparisons: this runs at every start.
constexpr qsizetype SaveSuffixLength = 7;

bool endsWithSaveSuffix(QStringView fileName)
{
    if (fileName.size() <= SaveSuffixLength || fileName[fileName.size() - SaveSuffixLength] != u'.')
        return false;
    const auto randomPart = fileName.last(SaveSuffixLength - 1);
    return std::all_of(randomPart.begin(), randomPart.end(), [](QChar c) {
        return (c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z') || (c >= u'0' && c <= u'9');
    });
}

} // namespace

bool isSaveLeftover(const QString& fileName)
{
    return endsWithSaveSuffix(fileName) && QStringView(fileName).chopped(SaveSuffixLength).endsWith(u".gbx");
}

void Lock::removeSaveLeftovers(const QString& folder, const QStringList& fileNames) const
{
    if (m_file && m_file->isLocked())
        RemoveSaveLeftovers(folder, fileNames);
}

void RemoveSaveLeftovers(const QString& folder, const QStringList& fileNames)
{
    const auto isLeftover = [&](const QString& fileName) {
        if (fileNames.isEmpty())
            return isSaveLeftover(fileName);
        return endsWithSaveSuffix(fileName) && fileNames.contains(QStringView(fileName).chopped(SaveSuffixLength));
    };
    QDirIterator it(folder, QDir::Files | QDir::Hidden | QDir::NoSymLinks);
    while (it.hasNext()) {
        const QString file = it.next();
        if (isLeftover(it.fileName()))
            QFile::remove(file);
    }
}

} // namespace DataFolder

namespace VehicleFiles {

QString listFile()
{
    return QStringLiteral("MainList.gbx");
}

QString vehicleFile(const QString& vehicle)
{
    return vehicle + QStringLiteral(".gbx");
}

QString maintListFile(const QString& vehicle)
{
    return vehicle + QStringLiteral("Maint.gbx");
}

QString partsListFile(const QString& vehicle)
{
    return vehicle + QStringLiteral("Parts.gbx");
}

QString pictureFile(const QString& vehicle)
{
    return vehicle + QStringLiteral("Pic.gbx");
}

QString recordFile(const QString& vehicle, const QString& entry)
{
    return vehicle + entry + QStringLiteral(".gbx");
}

QString inData(const QString& fileName)
{
    return DataFolder::path() + fileName;
}

QString linkProblem(const QString& path)
{
    // Every record read asks: a plain lstat() keeps QFileInfo's bookkeeping for the rare link.
    struct stat entry;
    if (::lstat(QFile::encodeName(path).constData(), &entry) != 0 || !S_ISLNK(entry.st_mode))
        return QString();
    const QFileInfo info(path);
    const QString target = info.canonicalFilePath();
    if (target.isEmpty())
        return QStringLiteral("It is a link to \"%1\", which does not exist.").arg(info.symLinkTarget());
    // The folder itself may be reached through links: compare where both really are.
    const QString folder = QFileInfo(DataFolder::path()).canonicalFilePath() + QLatin1Char('/');
    if (!target.startsWith(folder))
        return QStringLiteral("It is a link leading out of the data folder, to \"%1\".").arg(target);
    return QString();
}

RecordFile::ReadResult readRecord(const QString& path)
{
    if (const QString problem = linkProblem(path); !problem.isEmpty())
        return {RecordFile::ReadResult::Status::Unreadable, {}, problem};
    return RecordFile::readFile(path);
}

WriteResult writeRecord(const QString& path, const QByteArray& bytes)
{
    if (const QString problem = linkProblem(path); !problem.isEmpty())
        return {false, problem};
    return writeFileSafely(path, bytes);
}

RecordValues readValues(const QString& fileName, int count)
{
    RecordValues r;
    r.path = inData(fileName);
    const RecordFile::ReadResult record = readRecord(r.path);
    if (record.unreadable()) {
        r.error = record.error;
    } else if (record.missing()) {
        r.missing = true;
        r.values = QStringList(count);
    } else if (!(r.values = RecordFile::parseTextRecord(*record, count))) {
        r.error = QStringLiteral("it holds fewer values than it should");
    }
    return r;
}

QStringList LoadVehicleList(QString* whyUnreadable)
{
    const auto read = readRecord(inData(listFile()));
    if (read.unreadable() && whyUnreadable)
        *whyUnreadable = read.error;
    return read ? RecordFile::parseListFile(*read) : QStringList();
}

WriteResult SaveVehicleList(const QStringList& names)
{
    if (names.size() > MaxVehicles)
        return {false, QStringLiteral("The list holds more than %1 vehicles.").arg(MaxVehicles)};
    return writeRecord(inData(listFile()), RecordFile::listFile(names));
}

QStringList ownFiles(const QString& vehicle)
{
    return {vehicleFile(vehicle), maintListFile(vehicle), partsListFile(vehicle), pictureFile(vehicle)};
}

QString clashingFile(const QString& vehicle, const QStringList& vehicles)
{
    const FileClaims claims(vehicles);
    for (const QString& file : ownFiles(vehicle)) {
        const QList<FileClaims::Claim> others = claims.claimsOf(file);
        // A vehicle of the same name shares its files with its twin, as it always has.
        if (std::any_of(others.cbegin(), others.cend(),
                        [&vehicle](const FileClaims::Claim& c) { return c.vehicle != vehicle; }))
            return file;
    }
    return QString();
}

} // namespace VehicleFiles
