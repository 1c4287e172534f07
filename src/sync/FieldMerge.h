#pragma once

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>

#include <functional>
#include <optional>

// One record as a page loaded it, and what a save writes when the file may
// have changed on disk since (another computer, a sync tool): the fields
// changed on screen over the record as it is on disk now; the disk keeps the
// others. Values are texts; a truth value is "True" or "False", as the
// record reader gives it.
class FieldMerge {
public:
    struct Field {
        QString caption;    // as the user knows the field
        bool truth = false; // stored as #TRUE# / #FALSE#
        // What the field on screen gives back for a value it is given (a
        // multi-line field's line breaks, say); empty: the value itself. A
        // value as loaded is compared with the screen's in this form.
        std::function<QString(const QString&)> shownAs;
    };
    // A field changed on screen and, differently, on disk: the screen's value is written.
    struct Conflict {
        QString caption;
        QString written;
        QString other;
    };
    struct Merged {
        QStringList values;
        QList<Conflict> conflicts;
    };

    explicit FieldMerge(QList<Field> fields = {});

    qsizetype size() const { return m_fields.size(); }
    const QList<Field>& fields() const { return m_fields; }

    // The record's values; nothing when it is short or a truth value is not one.
    std::optional<QStringList> parse(const QByteArray& bytes) const;
    // Every text empty, every truth value false: a record not written yet.
    QStringList emptyValues() const;

    // What the page shows was loaded as `values` (or written, after a save).
    void setLoaded(QStringList values) { m_loaded = std::move(values); }
    const QStringList& loaded() const { return m_loaded; }

    // What a save writes: each field changed on screen since the load takes
    // the screen's value, every other one the disk's. With no record on disk,
    // the screen's values whole.
    Merged merge(const QStringList& screen, const std::optional<QStringList>& disk) const;

    // The record changed on disk while shown: what the page shows now. A
    // field the user has changed keeps the screen's text (and its loaded
    // value, so its save still sees both sides); every other one takes the
    // disk's value, which becomes its loaded value.
    QStringList reload(const QStringList& screen, const QStringList& disk);

    // Tells which values of `record` from elsewhere were replaced by the user's.
    QString conflictMessage(const QString& record, const QList<Conflict>& conflicts) const;

private:
    QString shown(const Conflict& conflict, const QString& value) const;
    QString shownAs(qsizetype field, const QString& value) const;

    QList<Field> m_fields;
    QStringList m_loaded;
};

// A list file (the vehicle list, an entry list) changed by one name over the
// list as it is on disk now, so names added elsewhere stay.
namespace ListMerge {

// Both give the list sorted, as list files are written.
// `names` with `name` at its sorted place (after names that sort equal).
QStringList withName(QStringList names, const QString& name);
// `names` without the first `name`.
QStringList withoutName(QStringList names, const QString& name);

} // namespace ListMerge
