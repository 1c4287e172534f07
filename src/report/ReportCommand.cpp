#include "ReportCommand.h"

#include "HistoryReport.h"

#include <QCommandLineParser>
#include <QDir>
#include <QGuiApplication>

#include <cstdio>

namespace ReportCommand {

namespace {

void print(FILE* stream, const QString& text)
{
    std::fputs(qPrintable(text + QLatin1Char('\n')), stream);
    std::fflush(stream);
}

bool asked(int argc, char* argv[])
{
    bool report = false;
    for (int i = 1; i < argc; ++i) {
        const QByteArrayView arg(argv[i]);
        // Help is the general command line's, which lists these options too.
        for (const QByteArrayView help : {"--help", "--help-all", "-h", "-?"})
            if (arg == help)
                return false;
        for (const QByteArrayView option : {"--report", "--vehicle"})
            report = report || arg == option || arg.startsWith(option.toByteArray() + '=');
    }
    return report;
}

} // namespace

std::optional<int> run(int argc, char* argv[])
{
    if (!asked(argc, argv))
        return std::nullopt;

    // No display is needed: fonts and the PDF writer work offscreen.
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    QGuiApplication::setApplicationName(QStringLiteral("Gearbook"));
    QCommandLineParser parser;
    const QCommandLineOption report(QStringLiteral("report"), QString(), QStringLiteral("FILE"));
    const QCommandLineOption vehicle(QStringLiteral("vehicle"), QString(), QStringLiteral("NAME"));
    parser.addOption(report);
    parser.addOption(vehicle);
    if (!parser.parse(QCoreApplication::arguments())) {
        print(stderr, QStringLiteral("Gearbook: %1").arg(parser.errorText()));
        return 2;
    }
    if (parser.values(report).size() != 1 || parser.values(vehicle).size() != 1 || parser.value(report).isEmpty() ||
        parser.value(vehicle).isEmpty() || !parser.positionalArguments().isEmpty()) {
        print(stderr, QStringLiteral("Gearbook: a report is made with --report FILE.pdf --vehicle NAME, each once."));
        return 2;
    }
    const QString file = parser.value(report);
    const QString name = parser.value(vehicle);
    const HistoryReport::Outcome result = HistoryReport::write(name, file);
    if (!result) {
        print(stderr, QStringLiteral("Gearbook: %1").arg(result.error));
        return 1;
    }
    print(stdout, QStringLiteral("Wrote the history of \"%1\" (%2 pages) to \"%3\".")
                      .arg(name)
                      .arg(result.pages)
                      .arg(QDir::toNativeSeparators(file)));
    for (const VehicleHistory::Problem& problem : result.problems)
        print(stdout, QStringLiteral("The report names a record it could not read: %1").arg(problem.text()));
    return 0;
}

} // namespace ReportCommand
