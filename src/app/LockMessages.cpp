#include "app/LockMessages.h"

#include "ui/PlatformServices.h"

#include <QDir>
#include <QLocale>

namespace {
QString native(const QString& path)
{
    return QDir::toNativeSeparators(path);
}

QString holderName(const DataFolder::LockHolder& holder)
{
    const QString process = holder.program.isEmpty()
                                ? QStringLiteral("process %1").arg(holder.pid)
                                : QStringLiteral("\"%1\" (process %2)").arg(holder.program).arg(holder.pid);
    return QStringLiteral("%1 on this computer, \"%2\"").arg(process, holder.host);
}

QString sinceWhen(const QDateTime& since)
{
    const QLocale locale;
    return QStringLiteral("%1, %2").arg(locale.toString(since.date(), QLocale::LongFormat),
                                        locale.toString(since.time(), QLocale::ShortFormat));
}

// Another computer holds the folder, or the lock does not say who: the user decides.
bool askToOpenAnyway(const DataFolder::Lock& lock)
{
    const DataFolder::LockHolder& holder = lock.holder();
    const QString who =
        holder.host.isEmpty()
            ? QStringLiteral("is locked, but its lock file\n\n\"%1\"\n\ndoes not say which computer holds it.")
                  .arg(native(DataFolder::lockFile()))
            : QStringLiteral("is in use by Gearbook on the computer \"%1\" since %2.")
                  .arg(holder.host, sinceWhen(holder.since));
    const int chosen = platform().messageBox(
        QStringLiteral("The data folder\n\n\"%1\"\n\n%2\n\nIf Gearbook is still open there, both computers "
                       "editing at once can lose changes: close it there first and let the folder sync. If that "
                       "computer has crashed or is switched off, you can open the data folder here anyway.")
            .arg(native(DataFolder::path()), who),
        QString(), {QStringLiteral("Open Anyway"), QStringLiteral("Quit")}, MsgIcon::Warning);
    return chosen == 0;
}

} // namespace

bool tellDataFolderLock(DataFolder::Lock& lock, DataFolder::Lock::Result taken)
{
    switch (taken) {
    case DataFolder::Lock::Result::Held:
        // A lock that named nobody is worth a word; the remains of a run that
        // ended here are what the user expects after it.
        if (const auto& stale = lock.takenOver(); stale && !stale->namedSomeone)
            platform().messageBox(lock.takenOverText(), QString(), MsgButtons::Ok, MsgIcon::Information);
        return true;
    case DataFolder::Lock::Result::InUse:
        platform().messageBox(QStringLiteral("Gearbook is already open with the data folder\n\n\"%1\"\n\n"
                                             "It is held by %2.\n\n"
                                             "Two copies would overwrite each other's changes, so this copy ends "
                                             "now without changing anything. Please use the Gearbook window that "
                                             "is already open.")
                                  .arg(native(DataFolder::path()), holderName(lock.holder())),
                              QString(), MsgButtons::Ok, MsgIcon::Warning);
        return false;
    case DataFolder::Lock::Result::OtherMachine:
        if (!askToOpenAnyway(lock))
            return false;
        return tellDataFolderLock(lock, lock.takeOver());
    case DataFolder::Lock::Result::Failed:
        break;
    }
    platform().messageBox(QStringLiteral("Gearbook could not make sure that it is the only copy using the data "
                                         "folder.\n\n%1\n\nDo not start a second copy while this one is open.")
                              .arg(lock.error()),
                          QString(), MsgButtons::Ok, MsgIcon::Warning);
    return true;
}
