#pragma once

#include "import/CsvTable.h"

#include <QDate>
#include <QLocale>
#include <QString>
#include <QStringView>

#include <optional>

// Dates as spreadsheets hold them, read by the order their own column shows,
// and written back in the one form every computer reads the same, whatever
// its language: ISO 8601 ("2028-10-03").
namespace ImportDates {

enum class Order { DayFirst, MonthFirst };

struct ColumnOrder {
    Order order = Order::DayFirst;
    int decidingRow = 0; // the spreadsheet row whose day above 12 settled it; 0: the desktop's language; -1: the user
};

// The desktop's order of day and month ("en_US": month first).
Order orderOf(const QLocale& locale);
// The order of a column: a row whose first number is above 12 (and the second
// not) shows days first, the other way round months first; when no row (or
// rows both ways) settles it, the order of `desktop`.
ColumnOrder columnOrder(const CsvTable::Table& table, qsizetype column, const QLocale& desktop = QLocale());

// A date in a common written form: ISO 8601 (with or without a time of day),
// three numbers with '/', '.' or '-' in `order`, a month by name (English,
// German, French, Spanish, Italian, Dutch, or the desktop's language) with its
// day and year. A two-digit year is this century's unless that is over 20
// years ahead. Nothing when the text is not a date.
std::optional<QDate> read(QStringView text, Order order);

// "2028-10-03".
QString iso(QDate date);

// How the preview describes an order: "day before month (row 7 has 25.10.2019)".
QString describe(const ColumnOrder& order);

} // namespace ImportDates
