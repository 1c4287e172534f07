#include "SaveReport.h"

#include "PlatformServices.h"

#include <QDir>
#include <QSet>

namespace {
QString native(const QString& path)
{
    return QDir::toNativeSeparators(path);
}

QString because(const QString& reason)
{
    return reason.isEmpty() ? QString() : QStringLiteral("\n\n%1").arg(reason);
}
} // namespace

bool setAsideAndTell(const QString& path, const QString& reason)
{
    const auto target = setAside(path);
    platform().messageBox(
        target ? QStringLiteral("The file \"%1\" could not be read, so Gearbook has moved it aside to\n\n\"%2\"\n\n"
                                "and starts afresh. The old file is kept there unchanged.%3")
                     .arg(native(path), native(*target), because(reason))
               : QStringLiteral("The file \"%1\" could not be read, and it could not be moved aside either.\n\n"
                                "Gearbook leaves it unchanged and will not save over it until the file is moved "
                                "or repaired.%2")
                     .arg(native(path), because(reason)),
        QString(), MsgButtons::Ok, MsgIcon::Warning);
    return target.has_value();
}

void tellListUnreadable(const QString& path, const QString& reason)
{
    platform().messageBox(QStringLiteral("The list file \"%1\" could not be read.%2\n\n"
                                         "Gearbook leaves it unchanged and will not save over it: nothing can be "
                                         "added to or removed from this list while the file cannot be read.")
                              .arg(native(path), because(reason)),
                          QString(), MsgButtons::Ok, MsgIcon::Warning);
}

void tellListLocked(const QString& path, const QString& reason, const QString& title)
{
    platform().messageBox(QStringLiteral("Nothing can be added or removed here while the list file \"%1\" cannot "
                                         "be read: saving the list would replace the names it holds.%2")
                              .arg(native(path), because(reason)),
                          title, MsgButtons::Ok, MsgIcon::Warning);
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
                                  .arg(native(path), result.error),
                              QString(), MsgButtons::Ok, MsgIcon::Warning);
    }
    return false;
}

bool tellDataFolderLock(const DataFolder::Lock& lock, DataFolder::Lock::Result taken)
{
    switch (taken) {
    case DataFolder::Lock::Result::Held:
        return true;
    case DataFolder::Lock::Result::InUse:
        platform().messageBox(QStringLiteral("Gearbook is already open with the data folder\n\n\"%1\"\n\n"
                                             "Two copies would overwrite each other's changes, so this copy ends "
                                             "now without changing anything. Please use the Gearbook window that "
                                             "is already open.")
                                  .arg(native(DataFolder::path())),
                              QString(), MsgButtons::Ok, MsgIcon::Warning);
        return false;
    case DataFolder::Lock::Result::Failed:
        break;
    }
    platform().messageBox(QStringLiteral("Gearbook could not make sure that it is the only copy using the data "
                                         "folder.\n\n%1\n\nDo not start a second copy while this one is open.")
                              .arg(lock.error()),
                          QString(), MsgButtons::Ok, MsgIcon::Warning);
    return true;
}
