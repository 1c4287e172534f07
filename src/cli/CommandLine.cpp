#include "cli/CommandLine.h"

#include "cli/Commands.h"
#include "cli/DisplayCheck.h"
#include "common/Console.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QGuiApplication>

#include <algorithm>
#include <csignal>
#include <cstring>
#include <memory>

#ifndef GEARBOOK_VERSION
#define GEARBOOK_VERSION "0"
#endif

namespace Cli {

namespace {

using Cli::Command;
using Console::print;

// What the exit status tells a script, for --help and so the manual page; a command with a status of its own adds it.
QList<Cli::ExitStatus> exitStatuses()
{
    QList<Cli::ExitStatus> statuses{
        {0, QStringLiteral("Done, and the result checked (or the window was closed).")},
        {1, QStringLiteral("Failed; the reason is on standard error. Also when there is no display for the window.")},
        {2, QStringLiteral("An argument is neither Gearbook's nor Qt's.")},
    };
    for (const Command& command : Cli::commands())
        statuses += command.statuses;
    return statuses;
}

// The window's own option: the reminder's "Open".
const char* const ShowDue = "--show-due";

// Every command's options, each once, then the window's.
QList<QCommandLineOption> allOptions()
{
    QList<QCommandLineOption> options;
    QStringList names;
    for (const Command& command : Cli::commands())
        for (const QCommandLineOption& option : command.options)
            if (!names.contains(option.names().constFirst())) {
                names << option.names().constFirst();
                options << option;
            }
    options << QCommandLineOption(QStringLiteral("show-due"),
                                  QStringLiteral("Opens the window with the Due Maintenance window shown."));
    return options;
}

void setUp(QCommandLineParser& parser, const QList<QCommandLineOption>& options)
{
    parser.setApplicationDescription(
        QStringLiteral("Venbry's Gearbook keeps the records of your vehicles. Without options it opens its window."));
    parser.addHelpOption();
    parser.addVersionOption();
    parser.addOptions(options);
}

// Qt's text, under the command's name instead of the program's path behind it
// (/usr/lib/gearbook/Gearbook), and with the exit statuses.
QString helpText(const QCommandLineParser& parser)
{
    QString text = parser.helpText();
    const QString usage = QStringLiteral("Usage: ") + QCoreApplication::arguments().value(0);
    if (text.startsWith(usage))
        text.replace(0, usage.size(), QStringLiteral("Usage: gearbook"));
    text += QStringLiteral("\nExit status:\n");
    for (const Cli::ExitStatus& s : exitStatuses())
        text += QStringLiteral("  %1  %2\n").arg(s.status).arg(s.meaning);
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

// Takes `--show-due` out of the arguments, so the window starts as usual; true when it was there.
bool takeShowDue(int* argc, char* argv[])
{
    bool found = false;
    int kept = 1;
    for (int i = 1; i < *argc; ++i) {
        if (std::strcmp(argv[i], ShowDue) == 0)
            found = true;
        else
            argv[kept++] = argv[i];
    }
    *argc = kept;
    argv[kept] = nullptr;
    return found;
}

bool isHelp(QByteArrayView arg)
{
    return arg == "--help" || arg == "--help-all" || arg == "-h" || arg == "-?";
}

// A command asked for, with the options that asked for it (`--name` or `--name=value`).
struct Asked {
    const Command* command;
    QStringList by;
};

QList<Asked> askedCommands(int argc, char* argv[])
{
    QList<Asked> asked;
    for (const Command& command : Cli::commands()) {
        Asked a{&command, {}};
        for (int i = 1; i < argc; ++i) {
            const QByteArrayView arg(argv[i]);
            for (const QString& name : command.askedBy) {
                const QByteArray option = "--" + name.toLatin1();
                if ((arg == option || arg.startsWith(option + '=')) && !a.by.contains(name))
                    a.by << name;
            }
        }
        if (!a.by.isEmpty())
            asked << a;
    }
    // An option two asked commands take (--vehicle) asks for the other one, not for its own.
    const auto takes = [](const Command* command, const QString& name) {
        return std::any_of(command->options.cbegin(), command->options.cend(),
                           [&name](const QCommandLineOption& o) { return o.names().contains(name); });
    };
    for (qsizetype i = asked.size() - 1; i >= 0 && asked.size() > 1; --i) {
        const bool shared = std::all_of(asked[i].by.cbegin(), asked[i].by.cend(), [&](const QString& name) {
            return std::any_of(asked.cbegin(), asked.cend(), [&](const Asked& other) {
                return other.command != asked[i].command && takes(other.command, name);
            });
        });
        if (shared)
            asked.removeAt(i);
    }
    return asked;
}

std::unique_ptr<QCoreApplication> application(Cli::Application kind, int& argc, char* argv[])
{
    // A write past a file size limit (`ulimit -f`) fails and is reported, instead of ending the program.
    std::signal(SIGXFSZ, SIG_IGN);
    std::unique_ptr<QCoreApplication> app;
    if (kind == Cli::Application::OffscreenGui) {
        // No display is needed: fonts and the PDF writer work offscreen.
        qputenv("QT_QPA_PLATFORM", "offscreen");
        app = std::make_unique<QGuiApplication>(argc, argv);
    } else {
        app = std::make_unique<QCoreApplication>(argc, argv);
    }
    QCoreApplication::setApplicationName(QStringLiteral("Gearbook"));
    QCoreApplication::setApplicationVersion(QStringLiteral(GEARBOOK_VERSION));
    return app;
}

// A command that runs alone, with its own options only.
int runAlone(const Command& command, int& argc, char* argv[])
{
    const auto app = application(command.application, argc, argv);
    QCommandLineParser parser;
    parser.addOptions(command.options);
    if (!parser.parse(QCoreApplication::arguments())) {
        print(stderr, QStringLiteral("Gearbook: %1").arg(parser.errorText()) +
                          (command.usage.isEmpty() ? QString() : QLatin1Char('\n') + command.usage));
        return 2;
    }
    return command.execute(parser);
}

// Options of two commands that each run alone, or of one of them and another.
int refuse(const QList<Asked>& asked, int& argc, char* argv[])
{
    const auto app = application(Cli::Application::Core, argc, argv);
    QCommandLineParser parser;
    setUp(parser, allOptions());
    print(stderr, QStringLiteral("Gearbook: --%1 and --%2 do not go together.\n\n%3")
                      .arg(asked[0].by.constFirst(), asked[1].by.constFirst(), helpText(parser)));
    return 2;
}

// --help, --version, and the commands that run with others.
std::optional<int> runTogether(int* argc, char* argv[], bool* showDue)
{
    *showDue = takeShowDue(argc, argv);
    // Qt's options go to the window; every other argument is ours.
    QStringList ours;
    QStringList qts;
    ours << QString::fromLocal8Bit(argv[0]);
    for (int i = 1; i < *argc; ++i) {
        bool takesNext = false;
        if (isQtOption(argv[i], &takesNext)) {
            qts << QString::fromLocal8Bit(argv[i]);
            if (takesNext && i + 1 < *argc)
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

    const auto app = application(Cli::Application::Core, *argc, argv);
    QCommandLineParser parser;
    const QList<QCommandLineOption> options = allOptions();
    setUp(parser, options);
    if (!parser.parse(ours)) {
        print(stderr, QStringLiteral("Gearbook: %1\n\n%2").arg(parser.errorText(), helpText(parser)));
        return 2;
    }
    if (parser.isSet(QStringLiteral("help")) || parser.isSet(QStringLiteral("help-all"))) {
        print(stdout, helpText(parser));
        return 0;
    }
    // An empty value names no file: it would read standard input or the working folder.
    for (const QCommandLineOption& option : options)
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
    for (const Command& command : Cli::commands()) {
        if (!command.runsWithOthers || !parser.isSet(command.name()))
            continue;
        ran = true;
        status = std::max(status, command.execute(parser));
    }
    if (!ran) {
        print(stderr, QStringLiteral("Gearbook: \"%1\" is not an option.\n\n%2")
                          .arg(parser.positionalArguments().value(0, ours.value(1)), helpText(parser)));
        return 2;
    }
    return status;
}

} // namespace

std::optional<int> run(int* argc, char* argv[], bool* showDue)
{
    *showDue = false;
    // Help lists every command's options, whatever else is given.
    if (std::none_of(argv + 1, argv + *argc, [](const char* arg) { return isHelp(arg); })) {
        const QList<Asked> asked = askedCommands(*argc, argv);
        const bool alone =
            std::any_of(asked.cbegin(), asked.cend(), [](const Asked& a) { return !a.command->runsWithOthers; });
        if (alone && asked.size() > 1)
            return refuse(asked, *argc, argv);
        if (alone)
            return runAlone(*asked.constFirst().command, *argc, argv);
    }
    return runTogether(argc, argv, showDue);
}

} // namespace Cli
