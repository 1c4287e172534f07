#include "SafeFile.h"

#include "PlatformServices.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QSet>

WriteResult writeFileSafely(const QString& path, const QByteArray& bytes,
                            std::optional<QFileDevice::Permissions> permissions)
{
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return {false, file.errorString()};
    if (permissions && !file.setPermissions(*permissions)) {
        const QString reason = file.errorString();
        file.cancelWriting();
        return {false, reason};
    }
    if (file.write(bytes) != bytes.size()) {
        const QString reason = file.errorString();
        file.cancelWriting();
        return {false, reason};
    }
    if (!file.commit())
        return {false, file.errorString()};
    return {true, QString()};
}

std::optional<QString> setAside(const QString& path)
{
    QString target = path + QStringLiteral(".unreadable");
    for (int n = 2; QFileInfo::exists(target); ++n)
        target = path + QStringLiteral(".unreadable.%1").arg(n);
    if (!QFile::rename(path, target))
        return std::nullopt;
    return target;
}

bool setAsideAndTell(const QString& path)
{
    const auto target = setAside(path);
    platform().messageBox(
        target ? QStringLiteral("The file \"%1\" could not be read, so Gearbook has moved it aside to\n\n\"%2\"\n\n"
                                "and starts afresh. The old file is kept there unchanged.")
                     .arg(QDir::toNativeSeparators(path), QDir::toNativeSeparators(*target))
               : QStringLiteral("The file \"%1\" could not be read, and it could not be moved aside either.\n\n"
                                "Gearbook leaves it unchanged and will not save over it until the file is moved "
                                "or repaired.")
                     .arg(QDir::toNativeSeparators(path)),
        QString(), MsgButtons::Ok, MsgIcon::Warning);
    return target.has_value();
}

bool reportSave(const QString& path, const WriteResult& result)
{
    static QSet<QString> reported;
    const QString key = QDir::cleanPath(path);
    if (result.ok) {
        reported.remove(key);
        return true;
    }
    if (!reported.contains(key)) {
        reported.insert(key);
        platform().messageBox(QStringLiteral("Gearbook could not save \"%1\".\n\n%2\n\n"
                                             "What is on screen has not been stored.")
                                  .arg(QDir::toNativeSeparators(path), result.error),
                              QString(), MsgButtons::Ok, MsgIcon::Warning);
    }
    return false;
}
