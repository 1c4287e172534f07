#pragma once

#include "due/DueScan.h"

#include <QDate>
#include <QList>
#include <QString>
#include <QStringList>

// What is due, in words: the lines of --due and the text of the reminder.
namespace DueLines {

// How late or how soon: "overdue 3 days", "due today", "due in 5 days",
// "mileage reached", "by mileage, about 2027-03-10 (estimate), in 40 days".
QString when(const DueScan::Row& row, QDate today);

// One line of --due for a row that is due or whose next date is not understood:
// "Van: Oil change; next 2026-12-04, 90,000 km; overdue 3 days".
QString line(const DueScan::Row& row, QDate today);

// A file that could not be read, named: "Could not read "VanOil.gbx" (Van, Oil): reason".
QString unreadableLine(const DueScan::Row& row);
QString unreadableLine(const DueScan::Unreadable& row);

// The reminder's summary and body for the due rows: "2 maintenance items due:
// Oil change (Van), overdue 3 days; …", and every item on a line of its own.
QString summary(const QList<DueScan::Row>& due, QDate today);
QString body(const QList<DueScan::Row>& due, QDate today);

// The rows due by date, mileage or estimate.
QList<DueScan::Row> dueOnly(const QList<DueScan::Row>& rows);

} // namespace DueLines
