#include "RecordSave.h"

#include "DataFolder.h"
#include "NameOrder.h"
#include "PlatformServices.h"
#include "RecordFile.h"
#include "SaveReport.h"

#include <QAbstractButton>
#include <QDir>
#include <QLabel>
#include <QSet>
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
    if (auto* button = qobject_cast<const QAbstractButton*>(field))
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
    for (qsizetype i = 0; i < fields.size(); ++i)
        merged.append({fieldCaption(fields.at(i)), truth.value(i, false)});
    return merged;
}

std::optional<QStringList> saveFieldWise(FieldMerge& record, const QString& path, const QStringList& screen,
                                         const QString& name)
{
    std::optional<QStringList> disk;
    const auto read = VehicleFiles::readRecord(path);
    if (read.unreadable()) {
        // What cannot be read now is never written over: the save fails, with the reason.
        reportSave(path, {false, read.error});
        return std::nullopt;
    }
    if (read) {
        disk = record.parse(*read);
        if (!disk && !setAsideAndTell(path))
            return std::nullopt;
    }
    const FieldMerge::Merged merged = record.merge(screen, disk);
    if (!reportSave(path, VehicleFiles::writeRecord(path, record.bytes(merged.values))))
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

bool saveListChange(const QString& path, QStringListModel* shown, const QString& name, bool added)
{
    const auto read = VehicleFiles::readRecord(path);
    if (read.unreadable()) {
        tellListUnreadable(path, read.error);
        return false;
    }
    QStringList names = shown->stringList();
    if (read) {
        const QStringList disk = RecordFile::parseListFile(*read);
        names = added ? ListMerge::withName(disk, name) : ListMerge::withoutName(disk, name);
    }
    const bool vehicleList = path == VehicleFiles::inData(VehicleFiles::listFile());
    if (!reportSave(path, vehicleList ? VehicleFiles::SaveVehicleList(names)
                                      : VehicleFiles::writeRecord(path, RecordFile::listFile(names))))
        return false;
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
    for (qsizetype row = before.size() - 1; row >= 0; --row) {
        if (!disk.contains(before.at(row)) && before.at(row) != keep) {
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

void tellSharedOnce(const QString& path, const QString& mine, const QString& other, const QString& what)
{
    static QSet<QString> told;
    const QString key = QDir::cleanPath(path);
    if (told.contains(key))
        return;
    told.insert(key);
    platform().messageBox(
        QStringLiteral("%1 and %2 share one file, \"%3\", because their names run together in the file name. "
                       "Gearbook shows the values but saves neither of them here, so that one does not overwrite "
                       "the other.\n\nTo separate them, add a new %4 under another name, copy the values into it "
                       "and remove the old one.")
            .arg(mine, other, QDir::toNativeSeparators(path), what),
        QString(), MsgButtons::Ok, MsgIcon::Warning);
}
