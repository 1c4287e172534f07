#include "backup/Archive.h"
#include "backup/ArchiveParts.h"
#include "common/DataFolder.h"

#include <QDir>
#include <QFileInfo>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdlib>
#include <dirent.h>
#include <fcntl.h>
#include <thread>

namespace Backup {

using namespace detail;

namespace {

QByteArray canonicalPath(const QByteArray& path)
{
    char resolved[PATH_MAX];
    return ::realpath(path.constData(), resolved) ? QByteArray(resolved) : QByteArray();
}

// Why a backup leaves this entry of `folder` (a canonical path) out, or nothing
// when it is a record to back up. An entry that cannot be looked at is a record:
// reading it then names the reason.
std::optional<QString> leftOutKind(int dirFd, const QByteArray& folder, const QByteArray& name)
{
    struct stat st;
    if (::fstatat(dirFd, name.constData(), &st, AT_SYMLINK_NOFOLLOW) != 0)
        return std::nullopt;
    if (S_ISLNK(st.st_mode)) {
        // A link is read only when it leads to an entry of the data folder itself.
        const QByteArray target = canonicalPath(folder + '/' + name);
        if (target.isEmpty() || !target.startsWith(folder + '/') || target.indexOf('/', folder.size() + 1) >= 0)
            return QStringLiteral("a link that leads out of the data folder");
        if (::fstatat(dirFd, name.constData(), &st, 0) != 0)
            return std::nullopt;
    }
    if (S_ISDIR(st.st_mode))
        return QStringLiteral("a folder");
    if (!S_ISREG(st.st_mode))
        return QStringLiteral("not a file");
    if (isLeftOutByName(name))
        return QStringLiteral("a hidden file");
    return std::nullopt;
}

// Reads one entry of the folder; the reason, naming it, when it cannot be.
std::optional<QString> readEntry(int dirFd, const QByteArray& folder, const QByteArray& name, FolderFile* out)
{
    out->member.name = name;
    if (auto kind = leftOutKind(dirFd, folder, name)) {
        out->leftOut = *kind;
        return std::nullopt;
    }
    const auto unreadable = [&name](const QString& why) {
        return QStringLiteral("The file \"%1\" of the data folder could not be read: %2").arg(shown(name), why);
    };
    // Never blocks on a FIFO put in place since it was looked at: it is opened without waiting, then refused.
    constexpr int Flags = O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC;
    Descriptor fd(::openat(dirFd, name.constData(), Flags));
    if (fd.get() < 0)
        return unreadable(reasonOf(errno));
    struct stat st;
    if (::fstat(fd.get(), &st) != 0)
        return unreadable(reasonOf(errno));
    if (!S_ISREG(st.st_mode))
        return unreadable(QStringLiteral("it is not a file."));
    if (st.st_size > MaxUnpackedBytes)
        return unreadable(QStringLiteral("it is larger than a backup may hold."));
    QByteArray bytes(qsizetype(st.st_size), Qt::Uninitialized);
    qsizetype done = 0;
    for (;;) {
        if (done == bytes.size())
            bytes.resize(done + 65536); // the file grew while it was read
        const ssize_t n = ::read(fd.get(), bytes.data() + done, size_t(bytes.size() - done));
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0)
            return unreadable(reasonOf(errno));
        if (n == 0)
            break;
        done += n;
    }
    bytes.truncate(done);
    out->member = {name, done, sha256Hex(bytes)};
    out->bytes = std::move(bytes);
    out->mtime = st.st_mtim;
    out->perm = st.st_mode & 0777;
    return std::nullopt;
}

} // namespace

namespace detail {

std::optional<QString> readFolder(const QString& dataFolder, QList<FolderFile>* files, QList<LeftOut>* leftOut,
                                  const QSet<QByteArray>* only)
{
    const QByteArray folder = canonicalPath(QFile::encodeName(dataFolder));
    Descriptor dirFd(folder.isEmpty() ? -1 : ::open(folder.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (dirFd.get() < 0)
        return QStringLiteral("The data folder \"%1\" could not be opened: %2")
            .arg(QDir::toNativeSeparators(dataFolder), reasonOf(errno));
    QList<QByteArray> names;
    {
        DIR* dir = ::fdopendir(::dup(dirFd.get()));
        if (!dir)
            return QStringLiteral("The data folder \"%1\" could not be read: %2")
                .arg(QDir::toNativeSeparators(dataFolder), reasonOf(errno));
        errno = 0;
        while (const dirent* e = ::readdir(dir)) {
            const QByteArray name(e->d_name);
            if (name != "." && name != "..")
                names << name;
        }
        const int error = errno;
        ::closedir(dir);
        if (error)
            return QStringLiteral("The data folder \"%1\" could not be read: %2")
                .arg(QDir::toNativeSeparators(dataFolder), reasonOf(error));
    }
    std::sort(names.begin(), names.end());
    names.removeIf([&dirFd](const QByteArray& name) {
        struct stat st;
        return DataFolder::isSaveLeftover(QFile::decodeName(name)) &&
               ::fstatat(dirFd.get(), name.constData(), &st, AT_SYMLINK_NOFOLLOW) == 0 && S_ISREG(st.st_mode);
    });
    if (only)
        names.removeIf([only](const QByteArray& name) { return !only->contains(name); });

    // Two readers, each taking every other file: reading many small files is
    // mostly waiting on the system, which two can share.
    files->resize(names.size());
    QList<std::optional<QString>> problems(names.size());
    const auto readEvery = [&](qsizetype first) {
        for (qsizetype i = first; i < names.size(); i += 2)
            if ((problems[i] = readEntry(dirFd.get(), folder, names[i], &(*files)[i])))
                return;
    };
    std::thread second(readEvery, 1);
    readEvery(0);
    second.join();
    qint64 total = 0;
    for (qsizetype i = 0; i < names.size(); ++i) {
        if (problems[i])
            return problems[i];
        total += (*files)[i].member.size; // each at most MaxUnpackedBytes, so no overflow
    }
    files->removeIf([leftOut](const FolderFile& f) {
        if (f.leftOut.isEmpty())
            return false;
        leftOut->append({f.member.name, f.leftOut});
        return true;
    });
    if (total > MaxUnpackedBytes)
        return QStringLiteral("The data folder holds more than a backup may hold (1 GiB).");
    return std::nullopt;
}

} // namespace detail

bool isDataFolder(const QString& folder, const QString& dataFolder)
{
    const QString data = QFileInfo(dataFolder).canonicalFilePath();
    return !data.isEmpty() && QFileInfo(folder).canonicalFilePath() == data;
}

bool isLeftOutByName(QByteArrayView name)
{
    return name.startsWith('.') && !name.endsWith(".gbx");
}

QString describe(const QList<LeftOut>& leftOut)
{
    QStringList parts;
    for (const LeftOut& entry : leftOut)
        parts << QStringLiteral("%1 (%2)").arg(shown(entry.name), entry.kind);
    return parts.isEmpty() ? QString() : QStringLiteral("left out: ") + parts.join(QStringLiteral(", "));
}

QList<LeftOut> leftOutOf(const QString& folder)
{
    QList<LeftOut> found;
    const QByteArray real = canonicalPath(QFile::encodeName(folder));
    Descriptor dirFd(real.isEmpty() ? -1 : ::open(real.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    DIR* dir = dirFd.get() < 0 ? nullptr : ::fdopendir(::dup(dirFd.get()));
    if (!dir)
        return found;
    while (const dirent* e = ::readdir(dir)) {
        const QByteArray name(e->d_name);
        if (name == "." || name == "..")
            continue;
        if (auto kind = leftOutKind(dirFd.get(), real, name))
            found.append({name, *kind});
    }
    ::closedir(dir);
    return found;
}

} // namespace Backup
