#include "ui/SaveMessages.h"

#include "ui/PlatformServices.h"

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
