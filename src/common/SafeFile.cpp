#include "SafeFile.h"

#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

#include <cerrno>
#include <cstdio>

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

} // namespace

WriteResult writeFileSafely(const QString& path, const QByteArray& bytes,
                            std::optional<QFileDevice::Permissions> permissions)
{
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
