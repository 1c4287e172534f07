#include "import/ImportGroups.h"

#include <QDate>
#include <QHash>
#include <QLocale>
#include <QRegularExpression>

#include <algorithm>
#include <tuple>

namespace ImportGroups {

namespace {

using ImportMapping::Kind;

// Where the values sit in a maintenance entry and a part.
struct Fields {
    int date, laterDate, mileage, shop, notes;
};

Fields fieldsOf(Kind kind)
{
    return kind == Kind::Maintenance ? Fields{0, -1, 2, 4, 5} : Fields{1, 5, -1, 0, 7};
}

QDate dateOf(const Row& row, const Fields& f)
{
    for (int at : {f.date, f.laterDate})
        if (at >= 0)
            if (const QDate d = QDate::fromString(row.values.value(at).trimmed(), Qt::ISODate); d.isValid())
                return d;
    return {};
}

// A plain count of miles, group separators and a unit allowed; -1 if none.
qint64 mileageOf(const Row& row, const Fields& f)
{
    if (f.mileage < 0)
        return -1;
    QString digits;
    for (const QChar c : row.values.value(f.mileage)) {
        if (c.isDigit())
            digits += c;
        else if (!(c == u',' || c == u'.' || c == u'\'' || c.isSpace() || c.isLetter()))
            return -1;
    }
    return digits.isEmpty() || digits.size() > 15 ? -1 : digits.toLongLong();
}

QString oneLine(const QString& text)
{
    QStringList lines = text.split(QRegularExpression(QStringLiteral("[\r\n]+")), Qt::SkipEmptyParts);
    return lines.join(QStringLiteral("; "));
}

// "2019-05-10, 75,000 km, Shop 2019: notes"
QString visitLine(const Row& row, const Fields& f, const QString& unit)
{
    QStringList head;
    head << row.values.value(f.date).trimmed();
    if (f.mileage >= 0) {
        QString miles = row.values.value(f.mileage).trimmed();
        bool plain = !miles.isEmpty();
        for (const QChar c : miles)
            plain = plain && c.isDigit();
        if (plain && miles.size() <= 15)
            miles = QLocale(QLocale::English, QLocale::UnitedStates).toString(miles.toLongLong()) +
                    (unit.isEmpty() ? QString() : QLatin1Char(' ') + unit);
        head << miles;
    }
    head << oneLine(row.values.value(f.shop).trimmed());
    head.removeAll(QString());
    const QString notes = oneLine(row.values.value(f.notes));
    if (notes.isEmpty())
        return head.join(QStringLiteral(", "));
    return head.isEmpty() ? notes : head.join(QStringLiteral(", ")) + QStringLiteral(": ") + notes;
}

} // namespace

QString Group::summary() const
{
    const int earlier = rows - 1;
    return QStringLiteral("%1 rows \u2192 %2, %3 kept in its notes")
        .arg(rows)
        .arg(row.name, QStringLiteral("%1 earlier %2")
                           .arg(earlier)
                           .arg(QLatin1String(kind == Kind::Parts ? (earlier == 1 ? "purchase" : "purchases")
                                                                  : (earlier == 1 ? "visit" : "visits"))));
}

QList<Group> group(Kind kind, const QList<Row>& rows, const QString& mileageUnit)
{
    const Fields f = fieldsOf(kind);
    QHash<QString, qsizetype> at; // vehicle and name, folded -> group
    QList<QList<const Row*>> members;
    for (const Row& row : rows) {
        const QString key = row.vehicle.toCaseFolded() + QChar(0) + row.name.simplified().toCaseFolded();
        auto it = at.constFind(key);
        if (it == at.cend() || row.name.isEmpty())
            it = at.insert(key, members.size()), members.append(QList<const Row*>());
        members[*it] << &row;
    }
    QList<Group> groups;
    groups.reserve(members.size());
    for (QList<const Row*>& m : members) {
        // Newest first; rows without a date after every dated one.
        const auto key = [&](const Row* r) {
            const QDate d = dateOf(*r, f);
            return std::tuple(d.isValid(), d.isValid() ? d.toJulianDay() : 0, mileageOf(*r, f), r->index);
        };
        std::stable_sort(m.begin(), m.end(), [&](const Row* a, const Row* b) { return key(a) > key(b); });
        Group g{*m.first(), int(m.size()), kind};
        if (m.size() > 1) {
            QStringList lines;
            for (qsizetype i = 1; i < m.size(); ++i)
                if (const QString line = visitLine(*m[i], f, mileageUnit); !line.isEmpty())
                    lines << line;
            QString& notes = g.row.values[f.notes];
            if (!lines.isEmpty())
                notes += (notes.isEmpty() ? QString() : QStringLiteral("\r\n")) + lines.join(QStringLiteral("\r\n"));
        }
        groups << std::move(g);
    }
    return groups;
}

} // namespace ImportGroups
