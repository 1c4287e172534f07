#include "sync/FieldMerge.h"

#include "common/NameOrder.h"
#include "common/RecordFile.h"

#include <algorithm>

namespace {

bool isTrue(const QString& value)
{
    return RecordFile::truthOf(value).value_or(false);
}

bool isTruth(const QString& value)
{
    return RecordFile::truthOf(value).has_value();
}

} // namespace

FieldMerge::FieldMerge(QList<Field> fields) : m_fields(std::move(fields)), m_loaded(emptyValues()) {}

std::optional<QStringList> FieldMerge::parse(const QByteArray& bytes) const
{
    RecordFile::Reader reader(bytes);
    QStringList values;
    values.reserve(m_fields.size());
    for (const Field& field : m_fields) {
        auto value = reader.text();
        if (!value || (field.truth && !isTruth(*value)))
            return std::nullopt;
        values << (field.truth ? QString::fromLatin1(isTrue(*value) ? "True" : "False") : std::move(*value));
    }
    return values;
}

QStringList FieldMerge::emptyValues() const
{
    QStringList values;
    for (const Field& field : m_fields)
        values << (field.truth ? QStringLiteral("False") : QString());
    return values;
}

QString FieldMerge::shownAs(qsizetype field, const QString& value) const
{
    const auto& as = m_fields.at(field).shownAs;
    return as ? as(value) : value;
}

FieldMerge::Merged FieldMerge::merge(const QStringList& screen, const std::optional<QStringList>& disk) const
{
    Merged merged{screen, {}};
    if (!disk)
        return merged;
    for (qsizetype i = 0; i < m_fields.size(); ++i) {
        // Like with like: an untouched field is the loaded value as the field shows it.
        const QString& base = m_loaded.at(i);
        const QString& theirs = disk->at(i);
        if (screen.at(i) == shownAs(i, base))
            merged.values[i] = theirs;
        else if (theirs != base && shownAs(i, theirs) != screen.at(i))
            merged.conflicts.append({m_fields.at(i).caption, screen.at(i), theirs});
    }
    return merged;
}

QStringList FieldMerge::reload(const QStringList& screen, const QStringList& disk)
{
    QStringList shown = screen;
    for (qsizetype i = 0; i < m_fields.size(); ++i) {
        if (screen.at(i) != shownAs(i, m_loaded.at(i)))
            continue; // the user's change, not saved yet
        shown[i] = disk.at(i);
        m_loaded[i] = disk.at(i);
    }
    return shown;
}

QString FieldMerge::shown(const Conflict& conflict, const QString& value) const
{
    for (const Field& field : m_fields)
        if (field.caption == conflict.caption && field.truth)
            return isTrue(value) ? QStringLiteral("chosen") : QStringLiteral("not chosen");
    return QStringLiteral("\u201C%1\u201D").arg(value);
}

QString FieldMerge::conflictMessage(const QString& record, const QList<Conflict>& conflicts) const
{
    QString lines;
    for (const Conflict& conflict : conflicts)
        lines += QStringLiteral("\n%1: %2 (saved: %3)")
                     .arg(conflict.caption, shown(conflict, conflict.other), shown(conflict, conflict.written));
    return QStringLiteral("\"%1\" was also changed elsewhere (on another computer or by another program) since it "
                          "was shown. Your values are saved; these values from elsewhere were replaced:\n%2")
        .arg(record, lines);
}

namespace ListMerge {

namespace {

// Lists are written sorted, whatever order a file on disk had.
QStringList sorted(QStringList names)
{
    const NameOrder::Less less;
    if (!std::is_sorted(names.cbegin(), names.cend(), less))
        std::stable_sort(names.begin(), names.end(), less);
    return names;
}

} // namespace

QStringList withName(QStringList names, const QString& name)
{
    names = sorted(std::move(names));
    const auto at = std::upper_bound(names.cbegin(), names.cend(), name, NameOrder::Less());
    names.insert(at - names.cbegin(), name);
    return names;
}

QStringList withoutName(QStringList names, const QString& name)
{
    names.removeOne(name);
    return sorted(std::move(names));
}

} // namespace ListMerge
