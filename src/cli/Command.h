#pragma once

#include <QCommandLineOption>
#include <QCommandLineParser>
#include <QList>
#include <QString>
#include <QStringList>

// One task of Gearbook's command line: its options (the first is the one it
// is named by, whose description is the command's), what it does, and what
// it needs to run. The registry (Commands.h) lists them; --help, the manual
// page and the exit statuses are made from that list.
namespace Cli {

// What a command needs before it runs: Qt Core, or Qt Gui on the offscreen
// platform (fonts and the PDF writer), never a display.
enum class Application { Core, OffscreenGui };

struct ExitStatus {
    int status;
    QString meaning;
};

struct Command {
    QList<QCommandLineOption> options;
    // The options whose presence asks for this command; an option that two
    // asked commands take counts for the other one (--vehicle).
    QStringList askedBy;
    // Several of these run in one call, each for each of its values, in the
    // registry's order; any other command runs alone, with its own options only.
    bool runsWithOthers = false;
    Application application = Application::Core;
    // For a command that runs alone: said after a parser error, under "Gearbook: <error>".
    QString usage;
    QList<ExitStatus> statuses; // its own, besides 0, 1 and 2
    int (*execute)(const QCommandLineParser& parser) = nullptr;

    QString name() const { return options.constFirst().names().constFirst(); }
    QString description() const { return options.constFirst().description(); }
};

} // namespace Cli
