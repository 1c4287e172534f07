#pragma once

#include "ReminderTimer.h"

#include <QDate>
#include <QString>
#include <QStringList>

#include <optional>

// `--due [--days N]`, `--remind` and `--calendar FILE.ics`, without a window
// or a display. main() asks it before the general command line. None of them
// takes the data folder's lock or writes the data folder.
namespace RemindCommand {

// Exit statuses of --due: something is due (0 is nothing, 1 an error, 2 a usage error).
constexpr int SomethingDue = 3;

// When the arguments ask for one of these, runs it and returns the exit
// status; nothing when none is asked for.
std::optional<int> run(int argc, char* argv[]);

// For main(): takes `--show-due` (the reminder's "Open") out of the arguments,
// so the window starts as usual; true when it was there.
bool takeShowDue(int* argc, char* argv[]);

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
