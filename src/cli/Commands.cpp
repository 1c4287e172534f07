#include "cli/Commands.h"

#include "backup/BackupCommand.h"
#include "common/Console.h"
#include "due/RemindSettings.h"
#include "import/ImportCommand.h"
#include "remind/RemindCommand.h"
#include "report/ReportCommand.h"

#include <QDate>

#include <algorithm>

namespace Cli {

namespace {

using Console::print;

QCommandLineOption option(const char* name, const char* description, const char* valueName = nullptr)
{
    return QCommandLineOption(QString::fromLatin1(name), QString::fromUtf8(description),
                              valueName ? QString::fromLatin1(valueName) : QString());
}

// The report's and the import's.
QCommandLineOption vehicleOption()
{
    return option("vehicle", "The vehicle of --report, or of --import's entries and parts, its name exactly as listed.",
                  "NAME");
}

// Each value of `name` in turn; the worst status is the command's.
int forEachValue(const QCommandLineParser& parser, const char* name, int (*task)(const QString& value))
{
    int status = 0;
    for (const QString& value : parser.values(QString::fromLatin1(name)))
        status = std::max(status, task(value));
    return status;
}

Command backup()
{
    Command c;
    c.options = {
        option("backup", "Backs up every record into FILE (a .tar.gz archive), reads it back and checks it.", "FILE")};
    c.askedBy = {c.name()};
    c.runsWithOthers = true;
    c.execute = [](const QCommandLineParser& parser) { return forEachValue(parser, "backup", BackupCommand::backUp); };
    return c;
}

Command check()
{
    Command c;
    c.options = {option(
        "check", "Reads the backup FILE in full and checks it; exits 0 only when it would restore whole.", "FILE")};
    c.askedBy = {c.name()};
    c.runsWithOthers = true;
    c.execute = [](const QCommandLineParser& parser) { return forEachValue(parser, "check", BackupCommand::check); };
    return c;
}

Command exportCsv()
{
    Command c;
    c.options = {option("export",
                        "Writes the records as vehicles.csv, maintenance.csv and parts.csv into FOLDER (made when "
                        "missing).",
                        "FOLDER")};
    c.askedBy = {c.name()};
    c.runsWithOthers = true;
    c.execute = [](const QCommandLineParser& parser) {
        return forEachValue(parser, "export", BackupCommand::exportTo);
    };
    return c;
}

Command report()
{
    Command c;
    c.options = {
        option("report",
               "Writes the history of the vehicle named by --vehicle as a PDF into FILE, without a window or a "
               "display.",
               "FILE"),
        vehicleOption()};
    c.askedBy = {QStringLiteral("report"), QStringLiteral("vehicle")};
    c.application = Application::OffscreenGui;
    c.execute = [](const QCommandLineParser& parser) {
        const QString report = QStringLiteral("report");
        const QString vehicle = QStringLiteral("vehicle");
        if (parser.values(report).size() != 1 || parser.values(vehicle).size() != 1 || parser.value(report).isEmpty() ||
            parser.value(vehicle).isEmpty() || !parser.positionalArguments().isEmpty()) {
            print(stderr,
                  QStringLiteral("Gearbook: a report is made with --report FILE.pdf --vehicle NAME, each once."));
            return 2;
        }
        return ReportCommand::write(parser.value(report), parser.value(vehicle));
    };
    return c;
}

const char* const ImportUsage = "An import is --import FILE.csv... [--kind vehicles|maintenance|parts] "
                                "[--vehicle NAME] [--yes] [--fill-empty].";

Command import()
{
    Command c;
    c.options = {
        option("import",
               "Shows what importing the spreadsheet FILE (and the files after it) would add; with --yes, imports it "
               "after a safety backup of the data folder.",
               "FILE"),
        vehicleOption(),
        option("kind", "What a spreadsheet of --import holds: vehicles, maintenance or parts.", "KIND"),
        option("yes", "Makes --import write what it showed."),
        option("fill-empty", "Makes --import fill the empty fields of records that exist (else they are skipped)."),
    };
    c.askedBy = {c.name()};
    c.usage = QString::fromLatin1(ImportUsage);
    c.execute = [](const QCommandLineParser& parser) {
        const QString usage = QString::fromLatin1(ImportUsage);
        const QString kind = QStringLiteral("kind");
        const QString vehicle = QStringLiteral("vehicle");
        std::optional<ImportMapping::Kind> chosenKind;
        if (parser.isSet(kind) && !(chosenKind = ImportMapping::kindNamed(parser.value(kind)))) {
            print(stderr,
                  QStringLiteral("Gearbook: \"%1\" is not a kind of record. %2").arg(parser.value(kind), usage));
            return 2;
        }
        if (parser.values(vehicle).size() > 1 || parser.values(kind).size() > 1) {
            print(stderr, QStringLiteral("Gearbook: --kind and --vehicle are given once. %1").arg(usage));
            return 2;
        }
        return ImportCommand::run({parser.values(QStringLiteral("import")) + parser.positionalArguments(), chosenKind,
                                   parser.value(vehicle), parser.isSet(QStringLiteral("yes")),
                                   parser.isSet(QStringLiteral("fill-empty"))});
    };
    return c;
}

const char* const RemindUsage =
    "Use --due [--days N], --remind or --calendar FILE.ics, one at a time; --help lists every option.";

int remindUsage(const QString& why)
{
    print(stderr, QStringLiteral("Gearbook: %1\n%2").arg(why, QString::fromLatin1(RemindUsage)));
    return 2;
}

Command reminders()
{
    Command c;
    c.options = {
        option("due",
               "Lists the maintenance due within the Due Maintenance window's span (or --days N), overdue or due by "
               "mileage, one line each, and names the records that could not be read; exits 0 when nothing is due, 3 "
               "when something is, 1 on an error and 2 on a usage error. Takes no lock and writes nothing."),
        option("days", "The span of --due and --remind: what is due within N days.", "N"),
        option("remind",
               "Shows what is due as one desktop notification, at most once a day, with an action that opens "
               "Gearbook; run daily when \"Remind me on the desktop\" is on. Exits 1 when the notification could not "
               "be shown (no notification service answers), 0 when it was shown, when nothing is due or when it was "
               "shown today."),
        option("calendar", "Writes each entry's next inspection as an all-day event into FILE (.ics appended).",
               "FILE"),
    };
    for (const QCommandLineOption& o : std::as_const(c.options))
        c.askedBy << o.names().constFirst();
    c.usage = QString::fromLatin1(RemindUsage);
    c.statuses = {{RemindCommand::SomethingDue, QStringLiteral("--due: something is due.")}};
    c.execute = [](const QCommandLineParser& parser) {
        const QString due = QStringLiteral("due");
        const QString days = QStringLiteral("days");
        const QString remind = QStringLiteral("remind");
        const QString calendar = QStringLiteral("calendar");
        const int tasks = int(parser.isSet(due)) + int(parser.isSet(remind)) + int(parser.isSet(calendar));
        if (tasks != 1 || parser.values(calendar).size() > 1 || parser.values(days).size() > 1 ||
            !parser.positionalArguments().isEmpty())
            return remindUsage(QStringLiteral("these options do not go together."));
        if (parser.isSet(days) && parser.isSet(calendar))
            return remindUsage(QStringLiteral("--days goes with --due or --remind."));
        int span = RemindSettings::spanDays();
        if (parser.isSet(days)) {
            bool ok = false;
            span = parser.value(days).toInt(&ok);
            if (!ok || span < 0 || span > 36500)
                return remindUsage(QStringLiteral("--days takes a number of days from 0 to 36500."));
        }
        const QDate today = QDate::currentDate();
        if (parser.isSet(due))
            return RemindCommand::due(today, span);
        if (parser.isSet(remind))
            return RemindCommand::remind(today, span);
        return RemindCommand::exportCalendar(parser.value(calendar), today);
    };
    return c;
}

} // namespace

const QList<Command>& commands()
{
    static const QList<Command> all{backup(), check(), exportCsv(), report(), import(), reminders()};
    return all;
}

} // namespace Cli
