#include "common/SafeFile.h"
#include "common/SafeFileBatch.h"

#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

#include <array>
#include <cerrno>
#include <cstdio>
#include <cstring>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// Qt's reason, or the system's when Qt has none: a write that stops short (a
// full disk, a file size limit) leaves Qt's error string empty, "Unknown error".
QString reasonOf(const QFileDevice& file, int error)
{
    QString qt = file.errorString();
    if (error != 0 && (qt.isEmpty() || qt == QFile().errorString()))
        return qt_error_string(error);
    return qt;
}

// What an existing target is when it is no regular file, for the user; empty
// for a regular file or none. A folder is left to the save, which fails on it.
QString notRegular(const struct stat& info)
{
    if (S_ISFIFO(info.st_mode))
        return QStringLiteral("a named pipe (FIFO)");
    if (S_ISCHR(info.st_mode))
        return QStringLiteral("a character device");
    if (S_ISBLK(info.st_mode))
        return QStringLiteral("a block device");
    if (S_ISSOCK(info.st_mode))
        return QStringLiteral("a socket");
    return QString();
}

// Whether the regular file at `path` already holds exactly `bytes` (with the
// permissions asked for): one read, in pieces, and only when the sizes match.
bool holdsAlready(const QString& path, const struct stat& info, const QByteArray& bytes,
                  std::optional<QFileDevice::Permissions> permissions)
{
    if (!S_ISREG(info.st_mode) || info.st_size != bytes.size())
        return false;
    if (permissions && QFile::permissions(path) != *permissions)
        return false;
    // Non-blocking: should the file have become a FIFO since, the open does not wait.
    const int fd = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0)
        return false;
    struct stat now {};
    bool same = ::fstat(fd, &now) == 0 && S_ISREG(now.st_mode);
    std::array<char, 64 * 1024> piece{};
    qsizetype at = 0;
    while (same) {
        const ssize_t n = ::read(fd, piece.data(), piece.size());
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0) {
            same = n == 0 && at == bytes.size();
            break;
        }
        same = at + n <= bytes.size() && std::memcmp(piece.data(), bytes.constData() + at, size_t(n)) == 0;
        at += n;
    }
    ::close(fd);
    return same;
}

} // namespace

WriteResult writeFileSafely(const QString& path, const QByteArray& bytes,
                            std::optional<QFileDevice::Permissions> permissions)
{
    // stat(2), never open: a FIFO would block, a device would be written to or
    // replaced. An unchanged file is not written at all: sync tools take a
    // rewrite (a new modification time) for a change of this computer's.
    struct stat info {};
    if (::stat(QFile::encodeName(path).constData(), &info) == 0) {
        if (const QString what = notRegular(info); !what.isEmpty())
            return {false, QStringLiteral("\"%1\" is %2, not a regular file; it is left as it is.").arg(path, what)};
        if (holdsAlready(path, info, bytes, permissions))
            return {true, QString()};
    }
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return {false, file.errorString()};
    const auto fail = [&file](int error) {
        WriteResult result{false, reasonOf(file, error)};
        file.cancelWriting();
        return result;
    };
    if (permissions && !file.setPermissions(*permissions))
        return fail(errno);
    errno = 0;
    if (file.write(bytes) != bytes.size())
        return fail(errno);
    // write() only fills a buffer, and commit() ignores a failed flush (a full
    // disk): it would rename a short temporary over the file and report success.
    // So every byte must be handed to the system, and that checked, first.
    errno = 0;
    if (!file.flush())
        return fail(errno);
    if (!file.commit())
        return {false, file.errorString()};
    return {true, QString()};
}

WriteResult writeFilesSafely(const QList<std::pair<QString, QByteArray>>& files,
                             const std::function<void(qsizetype)>& afterEach, qsizetype* renamed, qsizetype* failedAt)
{
    *renamed = 0;
    *failedAt = 0;
    // As a save makes them: an existing file keeps its permissions, a new one gets what the umask allows.
    const mode_t mask = ::umask(0);
    ::umask(mask);
    QList<mode_t> modes;
    modes.reserve(files.size());
    // Every target checked first: a FIFO or a device is never opened, let alone replaced.
    for (const auto& [path, bytes] : files) {
        struct stat info {};
        const bool exists = ::stat(QFile::encodeName(path).constData(), &info) == 0;
        if (exists)
            if (const QString what = notRegular(info); !what.isEmpty())
                return {false,
                        QStringLiteral("\"%1\" is %2, not a regular file; it is left as it is.").arg(path, what)};
        modes << (exists ? info.st_mode & 07777 : 0666 & ~mask);
        ++*failedAt;
    }
    *failedAt = 0;
    QList<QByteArray> temporaries;
    temporaries.reserve(files.size());
    const auto removeTemporaries = [&temporaries] {
        for (const QByteArray& t : std::as_const(temporaries))
            ::unlink(t.constData());
    };
    // The temporaries, named as every save names its own, so that a start after a kill removes them.
    qsizetype step = 0;
    for (const auto& [path, bytes] : files) {
        *failedAt = temporaries.size();
        QByteArray name = QFile::encodeName(path) + ".XXXXXX";
        const int fd = ::mkostemp(name.data(), O_CLOEXEC);
        if (fd < 0) {
            const int error = errno;
            removeTemporaries();
            return {false, qt_error_string(error)};
        }
        temporaries << name;
        ::fchmod(fd, modes.at(temporaries.size() - 1));
        qsizetype at = 0;
        int error = 0;
        while (at < bytes.size()) {
            const ssize_t n = ::write(fd, bytes.constData() + at, size_t(bytes.size() - at));
            if (n < 0 && errno == EINTR)
                continue;
            if (n <= 0) {
                error = n < 0 ? errno : ENOSPC;
                break;
            }
            at += n;
        }
        if (::close(fd) != 0 && error == 0)
            error = errno;
        if (error != 0) {
            removeTemporaries();
            return {false, qt_error_string(error)};
        }
        if (afterEach)
            afterEach(++step);
    }
    *failedAt = 0;
    // One sync for all of them, instead of one a file.
    const QByteArray folder = QFile::encodeName(QFileInfo(files.first().first).absolutePath());
    const int dir = ::open(folder.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dir < 0 || ::syncfs(dir) != 0) {
        const int error = errno;
        if (dir >= 0)
            ::close(dir);
        removeTemporaries();
        return {false, qt_error_string(error)};
    }
    for (qsizetype i = 0; i < files.size(); ++i) {
        *failedAt = i;
        if (std::rename(temporaries.at(i).constData(), QFile::encodeName(files.at(i).first).constData()) != 0) {
            const int error = errno;
            temporaries = temporaries.mid(i);
            removeTemporaries();
            ::close(dir);
            return {false, qt_error_string(error)};
        }
        *renamed = i + 1;
        if (afterEach)
            afterEach(++step);
    }
    ::fsync(dir);
    ::close(dir);
    return {true, QString()};
}

std::optional<QString> setAside(const QString& path)
{
    QString target = path + QStringLiteral(".unreadable");
    for (int n = 2; QFileInfo::exists(target) || QFileInfo(target).isSymLink(); ++n)
        target = path + QStringLiteral(".unreadable.%1").arg(n);
    // rename(2) itself: QFile::rename would copy what it cannot rename, reading
    // the unreadable file (a FIFO would block).
    if (std::rename(QFile::encodeName(path).constData(), QFile::encodeName(target).constData()) != 0)
        return std::nullopt;
    return target;
}
