#include "vehicles/RecordSave.h"

#include "common/DataFolder.h"
#include "common/NameOrder.h"
#include "common/RecordFile.h"
#include "ui/PlatformServices.h"
#include "ui/SaveMessages.h"
#include "vehicles/FieldGuard.h"

#include <QAbstractButton>
#include <QDir>
#include <QHash>
#include <QLabel>
#include <QPlainTextEdit>
#include <QStringListModel>

#include <algorithm>

namespace {

QString withoutMarks(QString text)
{
    text.remove(QLatin1Char('&'));
    text = text.trimmed();
    if (text.endsWith(QLatin1Char(':')))
        text.chop(1);
    return text;
}

// Names added to a list file that could not be written yet, by the file's path.
QHash<QString, QStringList>& pendingLists()
{
    static QHash<QString, QStringList> pending;
    return pending;
}

void insertSorted(QStringListModel* model, const QString& name)
{
    const QStringList names = model->stringList();
    const int row = int(std::upper_bound(names.cbegin(), names.cend(), name, NameOrder::Less()) - names.cbegin());
    model->insertRows(row, 1);
    model->setData(model->index(row), name);
}

} // namespace

QString fieldCaption(const QWidget* field)
{
    if (const auto* button = qobject_cast<const QAbstractButton*>(field))
        return withoutMarks(button->text());
    for (const QWidget* w = field->parentWidget(); w; w = w->parentWidget())
        for (const QLabel* label : w->findChildren<QLabel*>())
            if (label->buddy() == field)
                return withoutMarks(label->text());
    return field->objectName();
}

QList<FieldMerge::Field> mergeFields(const QList<QWidget*>& fields, const QList<bool>& truth)
{
    QList<FieldMerge::Field> merged;
    for (qsizetype i = 0; i < fields.size(); ++i) {
        // The conversions the field applies to what it stores (FieldGuard).
        std::function<QString(const QString&)> shownAs = FieldGuard::clean;
        if (qobject_cast<const QPlainTextEdit*>(fields.at(i)))
            shownAs = FieldGuard::storedForm;
        merged.append({fieldCaption(fields.at(i)), truth.value(i, false), truth.value(i, false) ? nullptr : shownAs});
    }
    return merged;
}

std::optional<QStringList> saveFieldWise(FieldMerge& record, RecordStore& store, const FileClaims::Claim& mine,
                                         const QStringList& screen, const QString& name)
{
    const QString file = RecordStore::fileOf(mine);
    const QString path = VehicleFiles::inData(file);
    std::optional<QStringList> disk;
    RecordFile::ReadResult read = RecordStore::read(file);
    if (read.unreadable()) {
        // What cannot be read now is never written over: the save fails, with the reason.
        reportSave(path, {false, read.error});
        return std::nullopt;
    }
    if (read) {
        disk = record.parse(*read);
        if (!disk) {
            const RecordStore::Outcome aside = setAsideAndTell(store, mine);
            if (aside.refused())
                return screen; // told
            if (!aside)
                return std::nullopt;
            read = RecordFile::ReadResult{}; // gone aside: missing now
        }
    }
    const FieldMerge::Merged merged = record.merge(screen, disk);
    // Unchanged means unwritten, and asks no one: the one read above decides.
    const RecordStore::Outcome written = store.writeRecord(mine, merged.values, &read);
    if (tellRefusal(written))
        return screen;
    if (!reportStored(written))
        return std::nullopt;
    record.setLoaded(merged.values);
    if (!merged.conflicts.isEmpty())
        platform().messageBox(record.conflictMessage(name, merged.conflicts), QString(), MsgButtons::Ok,
                              MsgIcon::Information);
    return merged.values;
}

std::optional<QStringList> reloadChanged(FieldMerge& record, const QString& path, const QStringList& screen)
{
    const auto read = VehicleFiles::readRecord(path);
    if (!read)
        return std::nullopt;
    const auto disk = record.parse(*read);
    if (!disk || *disk == record.loaded())
        return std::nullopt;
    return record.reload(screen, *disk);
}

QStringList pendingNames(const QString& path)
{
    return pendingLists().value(QDir::cleanPath(path));
}

void forgetPendingNames(const QString& path)
{
    pendingLists().remove(QDir::cleanPath(path));
}

bool saveListChange(RecordStore& store, const FileClaims::Claim& mine, QStringListModel* shown, const QString& name,
                    bool added)
{
    // A name shown is a name written: one added is pending until a write succeeds.
    const QString file = RecordStore::fileOf(mine);
    const QString path = VehicleFiles::inData(file);
    const QString key = QDir::cleanPath(path);
    if (added)
        pendingLists()[key] << name;
    else if (pendingLists().contains(key))
        pendingLists()[key].removeOne(name);
    const QStringList pending = pendingLists().value(key);
    const auto read = RecordStore::read(file);
    if (read.unreadable()) {
        tellListUnreadable(path, read.error);
        return false;
    }
    QStringList names = shown->stringList();
    if (read) {
        const QStringList disk = RecordFile::parseListFile(*read);
        names = added ? ListMerge::withName(disk, name) : ListMerge::withoutName(disk, name);
        for (const QString& earlier : std::as_const(pending))
            if (!names.contains(earlier))
                names = ListMerge::withName(names, earlier);
    }
    const RecordStore::Outcome written = store.writeList(mine, names, &read);
    if (!reportStored(written))
        return false;
    pendingLists().remove(key);
    const QStringList before = shown->stringList();
    for (const QString& other : std::as_const(names))
        if (!before.contains(other))
            insertSorted(shown, other);
    return true;
}

bool reloadList(const QString& path, QStringListModel* shown, const QString& keep)
{
    const auto read = VehicleFiles::readRecord(path);
    if (!read)
        return false; // a list gone or unreadable is left to the next load, which tells
    const QStringList disk = RecordFile::parseListFile(*read);
    const QStringList before = shown->stringList();
    bool changed = false;
    const QStringList pending = pendingNames(path);
    for (qsizetype row = before.size() - 1; row >= 0; --row) {
        if (!disk.contains(before.at(row)) && before.at(row) != keep && !pending.contains(before.at(row))) {
            shown->removeRows(int(row), 1);
            changed = true;
        }
    }
    for (const QString& name : disk) {
        if (!before.contains(name)) {
            insertSorted(shown, name);
            changed = true;
        }
    }
    return changed;
}
