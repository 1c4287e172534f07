#include "remind/DueLines.h"

#include <algorithm>

namespace DueLines {

namespace {

QString days(qint64 n)
{
    return n == 1 ? QStringLiteral("1 day") : QStringLiteral("%1 days").arg(n);
}

QString relative(QDate day, QDate today)
{
    const qint64 ahead = today.daysTo(day);
    if (ahead < 0)
        return QStringLiteral("overdue %1").arg(days(-ahead));
    if (ahead == 0)
        return QStringLiteral("due today");
    return QStringLiteral("due in %1").arg(days(ahead));
}

// The item as the reminder names it: "Oil change (Van), overdue 3 days".
QString item(const DueScan::Row& row, QDate today)
{
    return QStringLiteral("%1 (%2), %3").arg(row.entry, row.vehicle, when(row, today));
}

constexpr int MostItemsInBody = 10;

} // namespace

QString when(const DueScan::Row& row, QDate today)
{
    QStringList parts;
    if (row.date && (!row.byMileage || *row.date <= today))
        parts << relative(*row.date, today);
    if (row.byMileage)
        parts << QStringLiteral("mileage reached");
    else if (row.estimate && (row.byEstimate || !row.date))
        parts << QStringLiteral("%1 (estimate), %2")
                     .arg(DueScan::estimateText(*row.estimate), relative(*row.estimate, today));
    if (parts.isEmpty() && row.kind == DueScan::Row::DateNotUnderstood)
        parts << QStringLiteral("next date not understood");
    return parts.join(QStringLiteral("; "));
}

QString line(const DueScan::Row& row, QDate today)
{
    QStringList next;
    if (!row.nextDate.trimmed().isEmpty())
        next << row.nextDate.trimmed();
    if (!row.nextMileage.trimmed().isEmpty())
        next << row.nextMileage.trimmed();
    return QStringLiteral("%1: %2; next %3; %4")
        .arg(row.vehicle, row.entry, next.join(QStringLiteral(", ")), when(row, today));
}

QString unreadableLine(const DueScan::Row& row)
{
    return unreadableLine(DueScan::Unreadable{row.vehicle, row.entry, row.file, row.reason});
}

QString unreadableLine(const DueScan::Unreadable& row)
{
    QStringList whose;
    for (const QString& name : {row.vehicle, row.entry})
        if (!name.isEmpty())
            whose << name;
    return QStringLiteral("Could not read \"%1\"%2: %3")
        .arg(row.file, whose.isEmpty() ? QString() : QStringLiteral(" (%1)").arg(whose.join(QStringLiteral(", "))),
             row.reason);
}

QString summary(const QList<DueScan::Row>& due, QDate today)
{
    if (due.isEmpty())
        return {};
    const QString count = due.size() == 1 ? QStringLiteral("1 maintenance item due")
                                          : QStringLiteral("%1 maintenance items due").arg(due.size());
    return QStringLiteral("%1: %2%3")
        .arg(count, item(due.first(), today), due.size() > 1 ? QStringLiteral("; …") : QString());
}

QString body(const QList<DueScan::Row>& due, QDate today)
{
    QStringList lines;
    for (qsizetype i = 0; i < due.size() && i < MostItemsInBody; ++i)
        lines << item(due[i], today);
    if (due.size() > MostItemsInBody)
        lines << QStringLiteral("and %1 more").arg(due.size() - MostItemsInBody);
    return lines.join(QLatin1Char('\n'));
}

QList<DueScan::Row> dueOnly(const QList<DueScan::Row>& rows)
{
    QList<DueScan::Row> due;
    std::copy_if(rows.cbegin(), rows.cend(), std::back_inserter(due),
                 [](const DueScan::Row& r) { return r.kind == DueScan::Row::Due; });
    return due;
}

} // namespace DueLines
