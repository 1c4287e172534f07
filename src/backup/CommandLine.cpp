#include "CommandLine.h"

#include "Archive.h"
#include "CsvExport.h"
#include "DataFolder.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>

#include <algorithm>
#include <cstdio>

namespace CommandLine {

namespace {

void print(FILE* stream, const QString& text)
{
    std::fputs(qPrintable(text + QLatin1Char('\n')), stream);
    std::fflush(stream);
}

int backUp(const QString& file)
{
    if (!QFileInfo(DataFolder::path()).isDir()) {
        print(stderr, QStringLiteral("Gearbook: there is no data folder to back up at \"%1\".")
                          .arg(QDir::toNativeSeparators(DataFolder::path())));
        return 1;
    }
    const Backup::Outcome result = Backup::writeBackup(DataFolder::path(), file);
    if (!result) {
        print(stderr, QStringLiteral("Gearbook: %1").arg(result.error));
        return 1;
    }
    print(stdout, QStringLiteral("Backed up %1 files to \"%2\" and checked the backup.")
                      .arg(result.manifest.members.size())
                      .arg(QDir::toNativeSeparators(file)));
    return 0;
}

int exportTo(const QString& folder)
{
    if (!QFileInfo(folder).isDir()) {
        print(stderr, QStringLiteral("Gearbook: \"%1\" is not a folder.").arg(QDir::toNativeSeparators(folder)));
        return 1;
    }
    const CsvExport::Outcome result = CsvExport::exportTo(folder);
    if (!result) {
        print(stderr, QStringLiteral("Gearbook: %1").arg(result.error));
        return 1;
    }
    print(stdout, QStringLiteral("Exported %1 vehicles, %2 maintenance entries and %3 parts to \"%4\".")
                      .arg(result.vehicles)
                      .arg(result.entries)
                      .arg(result.parts)
                      .arg(QDir::toNativeSeparators(folder)));
    return 0;
}

} // namespace

std::optional<int> run(int argc, char* argv[])
{
    bool wanted = false;
    for (int i = 1; i < argc; ++i) {
        const QByteArrayView arg(argv[i]);
        for (const QByteArrayView option : {"--backup", "--export", "--help", "--help-all", "-h", "-?"})
            wanted = wanted || arg == option || arg.startsWith(option.toByteArray() + '=');
    }
    if (!wanted)
        return std::nullopt;

    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("Gearbook"));
    QCommandLineParser parser;
    parser.setApplicationDescription(
        QStringLiteral("Venbry's Gearbook keeps the records of your vehicles. Without options it opens its window."));
    parser.addHelpOption();
    const QCommandLineOption backup(
        QStringLiteral("backup"),
        QStringLiteral("Backs up every record into FILE (a .tar.gz archive), reads it back and checks it."),
        QStringLiteral("FILE"));
    const QCommandLineOption csv(QStringLiteral("export"),
                                 QStringLiteral("Writes the records as vehicles.csv, maintenance.csv and parts.csv "
                                                "into FOLDER."),
                                 QStringLiteral("FOLDER"));
    parser.addOption(backup);
    parser.addOption(csv);
    // Made by the report's own command line (main() asks it first); listed here for --help.
    parser.addOption(QCommandLineOption(QStringLiteral("report"),
                                        QStringLiteral("Writes the history of the vehicle named by --vehicle as a PDF "
                                                       "into FILE, without a window or a display."),
                                        QStringLiteral("FILE")));
    parser.addOption(QCommandLineOption(QStringLiteral("vehicle"),
                                        QStringLiteral("The vehicle of --report, its name exactly as listed."),
                                        QStringLiteral("NAME")));
    if (!parser.parse(QCoreApplication::arguments())) {
        print(stderr, QStringLiteral("Gearbook: %1").arg(parser.errorText()));
        return 2;
    }
    if (parser.isSet(QStringLiteral("help")) || parser.isSet(QStringLiteral("help-all"))) {
        print(stdout, parser.helpText());
        return 0;
    }
    int status = 0;
    for (const QString& file : parser.values(backup))
        status = std::max(status, backUp(file));
    for (const QString& folder : parser.values(csv))
        status = std::max(status, exportTo(folder));
    return status;
}

} // namespace CommandLine
