#pragma once

#include <QDate>
#include <QLocale>
#include <QStringView>

#include <optional>

// The next-inspection fields are free text as the user typed it. These read
// them for the overview of what is due, and never change what is stored.
namespace DueReading {

// A date typed in any common way: ISO 8601 ("2025-03-14"), numeric forms with
// '/', '-' or '.', and the locale's short and long formats (month names,
// weekday names). A two-digit year is taken in the century that puts the date
// nearest to `today`; a day/month order that numbers alone cannot settle
// follows the locale. Nothing when the text is not a date.
std::optional<QDate> readDate(QStringView text, const QLocale& locale, QDate today);

// A mileage typed leniently: digits with group separators (',', '.', ''',
// spaces), an optional fraction and an optional unit ("12,345 km",
// "98 500 mi"). Nothing when the text holds no such number.
std::optional<qint64> readMileage(QStringView text);

} // namespace DueReading
