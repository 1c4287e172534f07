#include "remind/RemindCommand.h"

#include "common/Console.h"
#include "common/RecordFile.h"
#include "common/SafeFile.h"
#include "due/RemindSettings.h"
#include "remind/DueCalendar.h"
#include "remind/DueLines.h"
#include "remind/Notification.h"
#include "remind/ReminderTimer.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLocale>
#include <QProcess>

#include <cstdio>

namespace RemindCommand {

namespace {

// How long --remind waits for the user's answer before it ends (the
// notification may stay on screen; only its "Open" then does nothing).
constexpr std::chrono::minutes AnswerLimit{15};

using Console::print;

} // namespace

int due(QDate today, int span)
{
    const DueScan::Result result = DueScan::scan(QLocale(), today);
    const QList<DueScan::Row> rows = DueScan::rows(result, today, span);
    bool anyDue = false;
    bool anyUnreadable = false;
    for (const DueScan::Row& row : rows) {
        if (row.kind == DueScan::Row::FileUnreadable) {
            anyUnreadable = true;
            print(stderr, DueLines::unreadableLine(row));
            continue;
        }
        anyDue = anyDue || row.kind == DueScan::Row::Due;
        print(stdout, DueLines::line(row, today));
    }
    // Unreadable records may hold what is due: "nothing due" cannot be said then.
    return anyDue ? SomethingDue : anyUnreadable ? 1 : 0;
}

namespace {

// The day --remind last told, from the first line of its state file; nothing
// when it never did, or when the file holds anything else (it is replaced).
std::optional<QDate> lastTold()
{
    // Only its first bytes mean anything: a bounded read, and never of a FIFO.
    constexpr qint64 MaxStateBytes = 256;
    const QString path = stateFile();
    QFile file(path);
    if (!QFileInfo(path).isFile() || !file.open(QIODevice::ReadOnly))
        return std::nullopt;
    const QByteArray head = file.read(MaxStateBytes);
    const QDate day = QDate::fromString(QString::fromLatin1(head.left(head.indexOf('\n'))), Qt::ISODate);
    return day.isValid() ? std::optional(day) : std::nullopt;
}

} // namespace

int remind(QDate today, int span)
{
    if (lastTold() == today)
        return 0; // at most once a day
    const Reminder reminder = reminderFor(today, span);
    if (reminder.items.isEmpty())
        return 0;
    Notification notification;
    QString error;
    if (!notification.show(reminder.summary, reminder.body, &error)) {
        print(stderr, QStringLiteral("Gearbook: the reminder could not be shown. %1").arg(error));
        return 1; // so the timer's journal says so, and it comes again
    }
    int status = 0;
    const QString state = stateFile();
    const QByteArray told =
        (today.toString(Qt::ISODate) + QLatin1Char('\n') + reminder.items.join(QLatin1Char('\n')) + QLatin1Char('\n'))
            .toUtf8();
    // What is there and no file (a FIFO, a socket) would refuse the write.
    if (const QFileInfo there(state); there.exists() && !there.isFile() && !there.isDir())
        QFile::remove(state);
    if (!QDir().mkpath(QFileInfo(state).absolutePath()) || !writeFileSafely(state, told)) {
        print(stderr, QStringLiteral("Gearbook: \"%1\" could not be written, so the reminder may come again today.")
                          .arg(QDir::toNativeSeparators(state)));
        status = 1;
    }
    if (notification.wait(AnswerLimit) == Notification::End::Opened && !openGearbook())
        status = 1;
    return status;
}

int exportCalendar(const QString& value, QDate today)
{
    const QString file = DueCalendar::withExtension(value);
    const DueCalendar::Outcome outcome = DueCalendar::exportTo(file, today);
    if (!outcome) {
        print(stderr, QStringLiteral("Gearbook: %1").arg(outcome.error));
        return 1;
    }
    print(stdout, QStringLiteral("Wrote %1 to \"%2\".")
                      .arg(outcome.events == 1 ? QStringLiteral("1 due date")
                                               : QStringLiteral("%1 due dates").arg(outcome.events),
                           QDir::toNativeSeparators(file)));
    for (const DueScan::Unreadable& u : outcome.unreadable)
        print(stderr, DueLines::unreadableLine(u));
    return 0;
}

ReminderTimer::Start openedStart()
{
    // Whoever ran --remind, from wherever: the program's own folder, not the caller's.
    return ReminderTimer::startOf(QCoreApplication::applicationFilePath(), QCoreApplication::applicationDirPath());
}

bool openGearbook(const ReminderTimer::Start& start)
{
    // The package's command makes the user's program folder on its first start.
    const QString folder = QFileInfo(start.folder).isDir() ? start.folder : QDir::homePath();
    if (!QProcess::startDetached(start.program, {QStringLiteral("--show-due")}, folder)) {
        print(stderr,
              QStringLiteral("Gearbook: \"%1\" could not be started.").arg(QDir::toNativeSeparators(start.program)));
        return false;
    }
    print(stdout, QStringLiteral("Opening Gearbook."));
    return true;
}

QString stateFile()
{
    // XDG_STATE_HOME when it is an absolute path, else ~/.local/state.
    QString home = qEnvironmentVariable("XDG_STATE_HOME");
    if (home.isEmpty() || QDir::isRelativePath(home))
        home = QDir::homePath() + QStringLiteral("/.local/state");
    return home + QStringLiteral("/Venbry Software/Gearbook/reminded");
}

Reminder reminderFor(QDate today, int spanDays)
{
    const QList<DueScan::Row> due = DueLines::dueOnly(DueScan::rows(DueScan::scan(QLocale(), today), today, spanDays));
    Reminder reminder{DueLines::summary(due, today), DueLines::body(due, today), {}};
    for (const DueScan::Row& row : due)
        reminder.items << row.vehicle + QLatin1Char('/') + row.entry;
    return reminder;
}

} // namespace RemindCommand
