#include "BenchEnvironment.h"

#include "common/DataFolder.h"
#include "common/RecordFile.h"
#include "common/SafeFile.h"
#include "due/DueScan.h"
#include "duewindow/frmDueMaint.h"
#include "vehicles/frmAutoMain.h"

#include <QCoreApplication>
#include <QThreadPool>
#include <benchmark/benchmark.h>

// The overview of what is due across 1,000 vehicles with 10 maintenance
// entries each should be ready in at most twice the time that reading and
// parsing those files alone takes; opening the main window should cost the
// same with the overview's check at start as without it.
namespace {

constexpr int Vehicles = 1000;
constexpr int EntriesPerVehicle = 10;

QString vehicleName(int i)
{
    return QStringLiteral("Vehicle %1").arg(i, 4, 10, QLatin1Char('0'));
}

// Half of the entries due within a month, some by mileage, the dates typed in several ways.
void writeFleet()
{
    static bool written = false;
    if (written)
        return;
    written = true;
    benchDataFolder();
    const QDate today = QDate::currentDate();
    QStringList vehicles;
    for (int v = 0; v < Vehicles; ++v) {
        const QString vehicle = vehicleName(v);
        vehicles << vehicle;
        QStringList info(17);
        info[6] = QStringLiteral("%L1 km").arg(20000 + v * 37);
        writeFileSafely(VehicleFiles::inData(VehicleFiles::vehicleFile(vehicle)), RecordFile::textRecord(info));
        QStringList entries;
        for (int e = 0; e < EntriesPerVehicle; ++e) {
            const QString entry = QStringLiteral("Service %1").arg(e);
            entries << entry;
            const QDate next = today.addDays((v * 7 + e * 13) % 120 - 30);
            const QString nextText = e % 3 == 0   ? next.toString(Qt::ISODate)
                                     : e % 3 == 1 ? QLocale().toString(next, QLocale::ShortFormat)
                                                  : QLocale().toString(next, QLocale::LongFormat);
            const QStringList record{today.addYears(-1).toString(Qt::ISODate),
                                     nextText,
                                     QStringLiteral("%L1").arg(18000 + v * 31 + e * 100),
                                     QStringLiteral("%L1 km").arg(21000 + v * 37 + e * 500),
                                     QStringLiteral("Garage %1").arg(e),
                                     QStringLiteral("Checked and topped up.")};
            writeFileSafely(VehicleFiles::inData(VehicleFiles::recordFile(vehicle, entry)),
                            RecordFile::textRecord(record));
        }
        writeFileSafely(VehicleFiles::inData(VehicleFiles::maintListFile(vehicle)), RecordFile::listFile(entries));
    }
    VehicleFiles::SaveVehicleList(vehicles);
}

// The baseline: every file the overview needs, read and parsed, nothing more.
void BM_ParseFleetFiles(benchmark::State& state)
{
    writeFleet();
    const QString folder = DataFolder::path();
    for (auto _ : state) {
        qsizetype fields = 0;
        for (const QString& vehicle : VehicleFiles::LoadVehicleList()) {
            if (const auto bytes = RecordFile::readFile(folder + VehicleFiles::vehicleFile(vehicle)))
                fields += RecordFile::parseTextRecord(*bytes, 17).value_or(QStringList()).size();
            const auto list = RecordFile::readFile(folder + VehicleFiles::maintListFile(vehicle));
            for (const QString& entry : RecordFile::parseListFile(list.bytes))
                if (const auto bytes = RecordFile::readFile(folder + VehicleFiles::recordFile(vehicle, entry)))
                    fields += RecordFile::parseTextRecord(*bytes, 6).value_or(QStringList()).size();
        }
        benchmark::DoNotOptimize(fields);
    }
}
BENCHMARK(BM_ParseFleetFiles)->Unit(benchmark::kMillisecond);

// The same files scanned for what is due, and the window filled with the result.
void BM_DueOverviewReady(benchmark::State& state)
{
    writeFleet();
    frmDueMaint window;
    qsizetype rows = 0;
    for (auto _ : state) {
        window.showResult(DueScan::scan(QLocale(), QDate::currentDate()));
        rows = window.tvwDue->topLevelItem(0)->childCount();
    }
    state.counters["due rows"] = double(rows);
}
BENCHMARK(BM_DueOverviewReady)->Unit(benchmark::kMillisecond);

// The scan alone, without the window: the worker thread's share.
void BM_DueScan(benchmark::State& state)
{
    writeFleet();
    for (auto _ : state)
        benchmark::DoNotOptimize(DueScan::scan(QLocale(), QDate::currentDate()));
}
BENCHMARK(BM_DueScan)->Unit(benchmark::kMillisecond);

// Opening the main window over that data folder, until it is shown. Arg 0:
// without the check at start; 1: with it (its scan runs on a worker, waited
// for outside the timing).
void BM_OpenMainWindow(benchmark::State& state)
{
    writeFleet();
    frmAutoMain::setDueCheckAtStart(state.range(0) != 0);
    for (auto _ : state) {
        auto window = std::make_unique<frmAutoMain>();
        window->show();
        QCoreApplication::processEvents();
        state.PauseTiming();
        window.reset();
        QThreadPool::globalInstance()->waitForDone();
        state.ResumeTiming();
    }
    frmAutoMain::setDueCheckAtStart(false);
}
BENCHMARK(BM_OpenMainWindow)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

} // namespace
