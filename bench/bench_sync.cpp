#include "BenchEnvironment.h"

#include "common/DataFolder.h"
#include "common/RecordFile.h"
#include "common/SafeFile.h"
#include "sync/ConflictScan.h"

#include <QFile>
#include <benchmark/benchmark.h>

#include <dirent.h>

// The scan for conflict copies of a data folder of 20,000 record files with
// 100 conflicts should take at most twice the time that listing the folder
// and reading those 200 files alone takes.
namespace {

constexpr int Vehicles = 100;
constexpr int EntriesPerList = 99; // 100 vehicles x (3 own files + 2 x 99 records) = 20,100 files
constexpr int Conflicts = 100;

// A data home of its own: the other benchmarks fill the shared one with their records.
class OwnDataHome {
public:
    OwnDataHome() : m_old(qgetenv("XDG_DATA_HOME"))
    {
        static QTemporaryDir home;
        qputenv("XDG_DATA_HOME", QFile::encodeName(home.path()));
    }
    ~OwnDataHome() { qputenv("XDG_DATA_HOME", m_old); }
    OwnDataHome(const OwnDataHome&) = delete;
    OwnDataHome& operator=(const OwnDataHome&) = delete;

private:
    QByteArray m_old;
};

QString vehicleName(int i)
{
    return QStringLiteral("Vehicle %1").arg(i, 3, 10, QLatin1Char('0'));
}

// The records, and for each vehicle one conflict copy: of its vehicle file or
// of a maintenance record, named as Syncthing or Nextcloud names them.
// Returns the 200 files of the conflicts.
QStringList writeFolder()
{
    static QStringList conflictFiles;
    if (!conflictFiles.isEmpty())
        return conflictFiles;
    benchDataFolder();
    QStringList vehicles;
    QStringList info(17);
    const QByteArray entry = RecordFile::textRecord({"2026-01-01", "2027-01-01", "1,000", "2,000", "Garage", "Done."});
    for (int v = 0; v < Vehicles; ++v) {
        const QString vehicle = vehicleName(v);
        vehicles << vehicle;
        info[0] = QStringLiteral("Make %1").arg(v);
        writeFileSafely(VehicleFiles::inData(VehicleFiles::vehicleFile(vehicle)), RecordFile::textRecord(info));
        for (const QString& kind : {QStringLiteral("Service "), QStringLiteral("Part ")}) {
            QStringList names;
            for (int e = 0; e < EntriesPerList; ++e) {
                names << kind + QString::number(e);
                writeFileSafely(VehicleFiles::inData(VehicleFiles::recordFile(vehicle, names.last())), entry);
            }
            writeFileSafely(VehicleFiles::inData(kind == QLatin1String("Part ") ? VehicleFiles::partsListFile(vehicle)
                                                                                : VehicleFiles::maintListFile(vehicle)),
                            RecordFile::listFile(names));
        }
    }
    VehicleFiles::SaveVehicleList(vehicles);
    for (int c = 0; c < Conflicts; ++c) {
        const QString vehicle = vehicleName(c);
        const QString record =
            c % 2 ? VehicleFiles::recordFile(vehicle, QStringLiteral("Service 7")) : VehicleFiles::vehicleFile(vehicle);
        const QString stem = record.chopped(4);
        const QString copy = c % 4 < 2 ? stem + QStringLiteral(".sync-conflict-20261201-101010-ABCDEFG.gbx")
                                       : stem + QStringLiteral(" (conflicted copy 2026-12-01 101010).gbx");
        info[0] = QStringLiteral("Changed elsewhere %1").arg(c);
        writeFileSafely(VehicleFiles::inData(copy), RecordFile::textRecord(info));
        conflictFiles << record << copy;
    }
    return conflictFiles;
}

// The baseline: the folder's names listed, and the 200 files of the conflicts read.
void BM_ListFolderAndReadConflictFiles(benchmark::State& state)
{
    const OwnDataHome home;
    const QStringList files = writeFolder();
    const QByteArray folder = QFile::encodeName(DataFolder::path());
    for (auto _ : state) {
        QList<QByteArray> names;
        DIR* dir = ::opendir(folder.constData());
        while (const dirent* e = ::readdir(dir))
            names << QByteArray(e->d_name);
        ::closedir(dir);
        qsizetype bytes = 0;
        for (const QString& file : files)
            bytes += RecordFile::readFile(VehicleFiles::inData(file)).bytes.size();
        benchmark::DoNotOptimize(bytes);
        state.counters["files"] = double(names.size());
    }
}
BENCHMARK(BM_ListFolderAndReadConflictFiles)->Unit(benchmark::kMillisecond);

// The scan: every copy found, mapped to its record by the lists, both read.
void BM_ConflictScan(benchmark::State& state)
{
    const OwnDataHome home;
    writeFolder();
    for (auto _ : state) {
        const auto found = SyncConflicts::scan();
        state.counters["conflicts"] = double(found.size());
    }
}
BENCHMARK(BM_ConflictScan)->Unit(benchmark::kMillisecond);

} // namespace
