#include "report/ReportCommand.h"

#include "common/Console.h"
#include "report/HistoryReport.h"

#include <QDir>

namespace ReportCommand {

using Console::print;

int write(const QString& file, const QString& vehicle)
{
    const HistoryReport::Outcome result = HistoryReport::write(vehicle, file);
    if (!result) {
        print(stderr, QStringLiteral("Gearbook: %1").arg(result.error));
        return 1;
    }
    print(stdout, QStringLiteral("Wrote the history of \"%1\" (%2 pages) to \"%3\".")
                      .arg(vehicle)
                      .arg(result.pages)
                      .arg(QDir::toNativeSeparators(file)));
    for (const VehicleHistory::Problem& problem : result.problems)
        print(stdout, QStringLiteral("The report names a record it could not read: %1").arg(problem.text()));
    return 0;
}

} // namespace ReportCommand
