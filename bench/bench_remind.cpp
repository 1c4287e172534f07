#include "BenchEnvironment.h"

#include "common/DataFolder.h"
#include "common/RecordFile.h"
#include "common/SafeFile.h"
#include "remind/DueCalendar.h"
#include "remind/RemindCommand.h"

#include <QDir>
#include <benchmark/benchmark.h>

// Targets: what --remind works out for 100 vehicles with 20 maintenance
// entries each in under 0.3 s of CPU; the calendar of the same exported in
// under 0.5 s. Both read a data folder of their own (the other benchmarks'
// fleet is larger).
namespace {

constexpr int Vehicles = 100;
constexpr int EntriesPerVehicle = 20;

// Points the data home at this benchmark's own folder while it runs.
class OwnFleet {
public:
    OwnFleet() : m_old(qgetenv("XDG_DATA_HOME"))
    {
        const QString home = benchHome().path() + QStringLiteral("/remind");
        qputenv("XDG_DATA_HOME", QFile::encodeName(home));
        if (QFileInfo::exists(DataFolder::path()))
            return;
        benchDataFolder();
        const QDate today = QDate::currentDate();
        QStringList vehicles;
        for (int v = 0; v < Vehicles; ++v) {
            const QString vehicle = QStringLiteral("Vehicle %1").arg(v, 3, 10, QLatin1Char('0'));
            vehicles << vehicle;
            QStringList info(17);
            info[6] = QStringLiteral("%L1 km").arg(20000 + v * 37);
            info[10] = today.addYears(-2).toString(Qt::ISODate);
            writeFileSafely(VehicleFiles::inData(VehicleFiles::vehicleFile(vehicle)), RecordFile::textRecord(info));
            QStringList entries;
            for (int e = 0; e < EntriesPerVehicle; ++e) {
                const QString entry = QStringLiteral("Service %1").arg(e);
                entries << entry;
                // Some by date, some by mileage alone (estimated), some both.
                const QDate next = today.addDays((v * 7 + e * 13) % 200 - 30);
                const QStringList record{today.addDays(-(e * 11 % 300)).toString(Qt::ISODate),
                                         e % 3 == 2 ? QString() : next.toString(Qt::ISODate),
                                         QStringLiteral("%L1").arg(30000 + v * 31 + e * 100),
                                         e % 3 == 0 ? QString()
                                                    : QStringLiteral("%L1 km").arg(33000 + v * 37 + e * 500),
                                         QStringLiteral("Garage %1").arg(e),
                                         QStringLiteral("Checked and topped up.")};
                writeFileSafely(VehicleFiles::inData(VehicleFiles::recordFile(vehicle, entry)),
                                RecordFile::textRecord(record));
            }
            writeFileSafely(VehicleFiles::inData(VehicleFiles::maintListFile(vehicle)), RecordFile::listFile(entries));
        }
        VehicleFiles::SaveVehicleList(vehicles);
    }
    ~OwnFleet() { qputenv("XDG_DATA_HOME", m_old); }
    OwnFleet(const OwnFleet&) = delete;
    OwnFleet& operator=(const OwnFleet&) = delete;

private:
    QByteArray m_old;
};

void BM_RemindOverFleet(benchmark::State& state)
{
    const OwnFleet fleet;
    qsizetype items = 0;
    for (auto _ : state)
        items = RemindCommand::reminderFor(QDate::currentDate(), 30).items.size();
    state.counters["items"] = double(items);
}
BENCHMARK(BM_RemindOverFleet)->Unit(benchmark::kMillisecond);

void BM_CalendarExportOverFleet(benchmark::State& state)
{
    const OwnFleet fleet;
    const QString file = benchHome().path() + QStringLiteral("/due.ics");
    qsizetype events = 0;
    for (auto _ : state)
        events = DueCalendar::exportTo(file, QDate::currentDate()).events;
    state.counters["events"] = double(events);
}
BENCHMARK(BM_CalendarExportOverFleet)->Unit(benchmark::kMillisecond);

} // namespace
