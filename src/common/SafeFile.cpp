#include "SafeFile.h"

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
