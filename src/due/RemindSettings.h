#pragma once

#include <QSettings>
#include <QString>
#include <QTime>

#include <memory>

// The settings of what is due and of reminders, in the user's config folder
// (never the data folder): the Due Maintenance window writes them, --due and
// --remind read them.
namespace RemindSettings {

// The file is named explicitly: QSettings keeps the first config path it sees for the whole run.
std::unique_ptr<QSettings> open();

inline const QString SpanKey = QStringLiteral("DueMaintenance/SpanDays");
inline const QString RemindKey = QStringLiteral("DueMaintenance/RemindOnDesktop");
inline const QString RemindTimeKey = QStringLiteral("DueMaintenance/RemindAt");
constexpr int DefaultSpan = 30;

// How many days ahead counts as due (the Due window's span).
int spanDays();
// The time of day the reminder runs (09:00 unless chosen).
QTime remindAt();

} // namespace RemindSettings
