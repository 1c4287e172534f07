#include "CommandLine.h"

#include "Archive.h"
#include "BackupFiles.h"
#include "CsvExport.h"
#include "DataFolder.h"
#include "DisplayCheck.h"
#include "Restore.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>

#include <algorithm>
#include <csignal>
#include <cstdio>
#include <cstdlib>

#ifndef GEARBOOK_VERSION
#define GEARBOOK_VERSION "0"
#endif

namespace CommandLine {

namespace {

void print(FILE* stream, const QString& text)
{
    std::fputs(qPrintable(text + QLatin1Char('\n')), stream);
    std::fflush(stream);
}

QString native(const QString& path)
{
    return QDir::toNativeSeparators(path);
}

int backUp(const QString& value, const QCommandLineParser&)
{
    const QString file = Backup::withBackupSuffix(value);
    if (!QFileInfo(DataFolder::path()).isDir()) {
        print(
            stderr,
            QStringLiteral("Gearbook: there is no data folder to back up at \"%1\".").arg(native(DataFolder::path())));
        return 1;
    }
    if (const QString found = Restore::removeUnfinishedUnlessInUse(); !found.isEmpty())
        print(stderr, QStringLiteral("Gearbook: %1").arg(found));
    const Backup::Outcome result = Backup::writeBackup(DataFolder::path(), file);
    if (!result) {
        print(stderr, QStringLiteral("Gearbook: %1").arg(result.error));
        return 1;
    }
    print(stdout, QStringLiteral("Backed up %1 files to \"%2\" and checked the backup.")
                      .arg(result.manifest.members.size())
                      .arg(native(file)));
    if (!result.leftOut.isEmpty())
        print(stdout, QStringLiteral("Not records, so %1.").arg(Backup::describe(result.leftOut)));
    return 0;
}

int check(const QString& file, const QCommandLineParser&)
{
    const Backup::Outcome result = Backup::checkArchive(file);
    if (!result) {
        print(stderr, QStringLiteral("Gearbook: \"%1\" would not restore whole. %2").arg(native(file), result.error));
        return 1;
    }
    if (result.manifest.partial) {
        print(stderr, QStringLiteral("Gearbook: \"%1\" is intact, but it would not be restored. %2")
                          .arg(native(file), Backup::describePartial(result.manifest)));
        return 1;
    }
    print(stdout, QStringLiteral("\"%1\" is a whole Gearbook backup of %2 files, made on %3 UTC; it would restore "
                                 "whole.")
                      .arg(native(file))
                      .arg(result.manifest.members.size())
                      .arg(result.manifest.created.toString(QStringLiteral("yyyy-MM-dd HH:mm"))));
    return 0;
}

int exportTo(const QString& folder, const QCommandLineParser&)
{
    const QFileInfo info(folder);
    if (info.exists() && !info.isDir()) {
        print(stderr, QStringLiteral("Gearbook: \"%1\" is not a folder.").arg(native(folder)));
        return 1;
    }
    if (!info.exists() && !QDir().mkpath(folder)) {
        print(stderr, QStringLiteral("Gearbook: the folder \"%1\" could not be made.").arg(native(folder)));
        return 1;
    }
    if (const QString found = Restore::removeUnfinishedUnlessInUse(); !found.isEmpty())
        print(stderr, QStringLiteral("Gearbook: %1").arg(found));
    const CsvExport::Outcome result = CsvExport::exportTo(folder);
    if (!result) {
        print(stderr, QStringLiteral("Gearbook: %1").arg(result.error));
        return 1;
    }
    print(stdout, QStringLiteral("Exported %1 vehicles, %2 maintenance entries and %3 parts to \"%4\".")
                      .arg(result.vehicles)
                      .arg(result.entries)
                      .arg(result.parts)
                      .arg(native(folder)));
    return 0;
}

// Gearbook's options. One with a task runs it for each value given, in this
// order; one without only gives a value to the tasks (read from the parser).
struct Option {
    const char* name;
    const char* valueName;
    const char* description;
    int (*task)(const QString& value, const QCommandLineParser& parser);
};

const Option Options[] = {
    {"backup", "FILE", "Backs up every record into FILE (a .tar.gz archive), reads it back and checks it.", backUp},
    {"check", "FILE", "Reads the backup FILE in full and checks it; exits 0 only when it would restore whole.", check},
    {"export", "FOLDER",
     "Writes the records as vehicles.csv, maintenance.csv and parts.csv into FOLDER (made when "
     "missing).",
     exportTo},
    // Run by the report's own command line, which main() asks first (it needs Qt Gui); listed here for --help.
    {"report", "FILE",
     "Writes the history of the vehicle named by --vehicle as a PDF into FILE, without a window or a "
     "display.",
     nullptr},
    {"vehicle", "NAME", "The vehicle of --report, or of --import's entries and parts, its name exactly as listed.",
     nullptr},
    // Run by the import's own command line (src/import), which main() asks first; listed here for --help.
    {"import", "FILE",
     "Shows what importing the spreadsheet FILE (and the files after it) would add; with --yes, imports it after a "
     "safety backup of the data folder.",
     nullptr},
    {"kind", "KIND", "What a spreadsheet of --import holds: vehicles, maintenance or parts.", nullptr},
    {"yes", nullptr, "Makes --import write what it showed.", nullptr},
    {"fill-empty", nullptr, "Makes --import fill the empty fields of records that exist (else they are skipped).",
     nullptr},
    // Reminders: run by src/remind's command line, which main() asks first; listed here for --help.
    {"due", nullptr,
     "Lists the maintenance due within the Due Maintenance window's span (or --days N), overdue or due by mileage, "
     "one line each, and names the records that could not be read; exits 0 when nothing is due, 3 when something "
     "is, 1 on an error and 2 on a usage error. Takes no lock and writes nothing.",
     nullptr},
    {"days", "N", "The span of --due and --remind: what is due within N days.", nullptr},
    {"remind", nullptr,
     "Shows what is due as one desktop notification, at most once a day, with an action that opens Gearbook; "
     "run daily when \"Remind me on the desktop\" is on. Exits 1 when the notification could not be shown (no "
     "notification service answers), 0 when it was shown, when nothing is due or when it was shown today.",
     nullptr},
    {"calendar", "FILE", "Writes each entry's next inspection as an all-day event into FILE (.ics appended).", nullptr},
    {"show-due", nullptr, "Opens the window with the Due Maintenance window shown.", nullptr},
};

// What the exit status tells a script, for --help and so the manual page; a task with a status of its own adds it.
const struct {
    int status;
    const char* meaning;
} ExitStatuses[] = {
    {0, "Done, and the result checked (or the window was closed)."},
    {1, "Failed; the reason is on standard error. Also when there is no display for the window."},
    {2, "An argument is neither Gearbook's nor Qt's."},
    {3, "--due: something is due."},
};

// Qt's text, under the command's name instead of the program's path behind it
// (/usr/lib/gearbook/Gearbook), and with the exit statuses.
QString helpText(const QCommandLineParser& parser)
{
    QString text = parser.helpText();
    const QString usage = QStringLiteral("Usage: ") + QCoreApplication::arguments().value(0);
    if (text.startsWith(usage))
        text.replace(0, usage.size(), QStringLiteral("Usage: gearbook"));
    text += QStringLiteral("\nExit status:\n");
    for (const auto& s : ExitStatuses)
        text += QStringLiteral("  %1  %2\n").arg(s.status).arg(QString::fromUtf8(s.meaning));
    return text;
}

// Qt's own options, which desktops and session managers pass: the window
// takes them. Those that take a value take the next argument unless given as `-name=value`.
constexpr const char* QtOptionsWithValue[] = {"platform",
                                              "platformpluginpath",
                                              "platformtheme",
                                              "plugin",
                                              "qwindowgeometry",
                                              "qwindowicon",
                                              "qwindowtitle",
                                              "style",
                                              "stylesheet",
                                              "session",
                                              "display",
                                              "geometry",
                                              "title",
                                              "name",
                                              "qmljsdebugger",
                                              "font",
                                              "fn",
                                              "background",
                                              "bg",
                                              "foreground",
                                              "fg",
                                              "button",
                                              "btn",
                                              "im",
                                              "inputstyle",
                                              "visual",
                                              "ncols",
                                              "cmap",
                                              "graphicssystem"};
constexpr const char* QtOptionsAlone[] = {"reverse", "widgetcount", "nograb", "dograb", "sync", "testability"};

// The option's name (without dashes and value) when `arg` is one of Qt's.
bool isQtOption(QByteArrayView arg, bool* takesNext)
{
    if (!arg.startsWith('-') || arg == "-" || arg == "--")
        return false;
    arg = arg.sliced(arg.startsWith("--") ? 2 : 1);
    const qsizetype equals = arg.indexOf('=');
    const QByteArrayView name = equals < 0 ? arg : arg.first(equals);
    *takesNext = false;
    for (const char* option : QtOptionsWithValue)
        if (name == option) {
            *takesNext = equals < 0;
            return true;
        }
    return equals < 0 && std::any_of(std::begin(QtOptionsAlone), std::end(QtOptionsAlone),
                                     [&name](const char* option) { return name == option; });
}

} // namespace

std::optional<int> run(int argc, char* argv[])
{
    // Qt's options go to the window; every other argument is ours.
    QStringList ours, qts;
    ours << QString::fromLocal8Bit(argv[0]);
    for (int i = 1; i < argc; ++i) {
        bool takesNext = false;
        if (isQtOption(argv[i], &takesNext)) {
            qts << QString::fromLocal8Bit(argv[i]);
            if (takesNext && i + 1 < argc)
                qts << QString::fromLocal8Bit(argv[++i]);
        } else {
            ours << QString::fromLocal8Bit(argv[i]);
        }
    }
    if (ours.size() == 1) {
        if (DisplayCheck::reachable(qts))
            return std::nullopt;
        print(stderr, QStringLiteral("Gearbook needs a graphical display; the command-line options (see --help) work "
                                     "without one."));
        return 1;
    }

    // A write past a file size limit (`ulimit -f`) fails and is reported, instead of ending the program.
    std::signal(SIGXFSZ, SIG_IGN);
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("Gearbook"));
    QCoreApplication::setApplicationVersion(QStringLiteral(GEARBOOK_VERSION));
    QCommandLineParser parser;
    parser.setApplicationDescription(
        QStringLiteral("Venbry's Gearbook keeps the records of your vehicles. Without options it opens its window."));
    parser.addHelpOption();
    parser.addVersionOption();
    QList<QCommandLineOption> options;
    for (const Option& o : Options) {
        options.append(QCommandLineOption(QString::fromLatin1(o.name), QString::fromUtf8(o.description),
                                          o.valueName ? QString::fromLatin1(o.valueName) : QString()));
        parser.addOption(options.last());
    }
    if (!parser.parse(ours)) {
        print(stderr, QStringLiteral("Gearbook: %1\n\n%2").arg(parser.errorText(), helpText(parser)));
        return 2;
    }
    if (parser.isSet(QStringLiteral("help")) || parser.isSet(QStringLiteral("help-all"))) {
        print(stdout, helpText(parser));
        return 0;
    }
    // An empty value names no file: it would read standard input or the working folder.
    for (const QCommandLineOption& option : std::as_const(options))
        if (parser.values(option).contains(QString())) {
            print(stderr, QStringLiteral("Gearbook: --%1 needs a value.\n\n%2")
                              .arg(option.names().constFirst(), parser.helpText()));
            return 2;
        }
    if (parser.isSet(QStringLiteral("version"))) {
        print(stdout, QStringLiteral("Gearbook %1").arg(QCoreApplication::applicationVersion()));
        return 0;
    }
    bool ran = false;
    int status = 0;
    for (qsizetype i = 0; i < options.size(); ++i) {
        if (!Options[i].task)
            continue;
        for (const QString& value : parser.values(options[i])) {
            ran = true;
            status = std::max(status, Options[i].task(value, parser));
        }
    }
    if (!ran) {
        print(stderr, QStringLiteral("Gearbook: \"%1\" is not an option.\n\n%2")
                          .arg(parser.positionalArguments().value(0, ours.value(1)), helpText(parser)));
        return 2;
    }
    return status;
}

} // namespace CommandLine
