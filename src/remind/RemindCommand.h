#pragma once

#include "remind/ReminderTimer.h"

#include <QDate>
#include <QString>
#include <QStringList>

// What `--due [--days N]`, `--remind` and `--calendar FILE.ics` do, without a
// window or a display, once src/cli has read the arguments. None of them
// takes the data folder's lock or writes the data folder.
namespace RemindCommand {

// Exit statuses of --due: something is due (0 is nothing, 1 an error, 2 a usage error).
constexpr int SomethingDue = 3;

// Each returns the exit status. --due: what is due within `span` days, one
// line each; --remind: the desktop notification, at most once a day;
// --calendar: each next inspection as an event in the file `value` names (.ics appended).
int due(QDate today, int span);
int remind(QDate today, int span);
int exportCalendar(const QString& value, QDate today);

// What --remind tells on `today`: summary and body, empty when nothing is due.
struct Reminder {
    QString summary;
    QString body;
    QStringList items; // "vehicle/entry" of each item told
};
Reminder reminderFor(QDate today, int spanDays);

// The reminder's "Open": Gearbook as its menu entry starts it (openedStart()),
// with the Due Maintenance window; false, said on standard error, when it
// cannot be started.
ReminderTimer::Start openedStart();
bool openGearbook(const ReminderTimer::Start& start = openedStart());

// Where --remind notes the day it last told: <state home>/Venbry Software/Gearbook/reminded.
QString stateFile();

} // namespace RemindCommand
