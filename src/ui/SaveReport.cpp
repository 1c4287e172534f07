#include "SaveReport.h"

#include "PlatformServices.h"

#include <QDir>
#include <QLocale>
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

RecordStore::Outcome setAsideAndTell(RecordStore& store, const FileClaims::Claim& mine, const QString& reason)
{
    RecordStore::Outcome aside = store.setAside(mine);
    if (tellRefusal(aside))
        return aside;
    const QString& path = aside.path;
    platform().messageBox(
        aside ? QStringLiteral("The file \"%1\" could not be read, so Gearbook has moved it aside to\n\n\"%2\"\n\n"
                               "and starts afresh. The old file is kept there unchanged.%3")
                    .arg(native(path), native(aside.setAsideTo), because(reason))
              : QStringLiteral("The file \"%1\" could not be read, and it could not be moved aside either.\n\n"
                               "Gearbook leaves it unchanged and will not save over it until the file is moved "
                               "or repaired.%2")
                    .arg(native(path), because(reason)),
        QString(), MsgButtons::Ok, MsgIcon::Warning);
    return aside;
}

bool tellRefusal(const RecordStore::Outcome& outcome)
{
    if (!outcome.refused())
        return false;
    platform().messageBox(outcome.message, QString(), MsgButtons::Ok, MsgIcon::Warning);
    return true;
}

bool reportStored(const RecordStore::Outcome& outcome)
{
    if (tellRefusal(outcome))
        return false;
    if (outcome.status == RecordStore::Outcome::Status::Unchanged)
        return true; // nothing written, nothing to announce
    return reportSave(outcome.path, outcome.written());
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

SavedFiles& SavedFiles::instance()
{
    static SavedFiles announcer;
    return announcer;
}

bool reportSave(const QString& path, const WriteResult& result)
{
    static QSet<QString> reported;
    const QString key = QDir::cleanPath(path);
    if (result.ok) {
        reported.remove(key);
        emit SavedFiles::instance().saved(path);
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

namespace {

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
