#include "BenchEnvironment.h"

#include "backup/Archive.h"
#include "backup/Restore.h"
#include "common/DataFolder.h"
#include "common/RecordFile.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <benchmark/benchmark.h>

// Backing up and restoring 1,000 vehicles with 10 maintenance entries and 10
// parts each (23,001 files), side by side with a plain `tar czf` / `tar xzf`
// of the same folder. Each should take at most 3 times as long as tar. Wall
// time: tar runs in a child process.
namespace {

QString root()
{
    return benchHome().path() + QStringLiteral("/backup-bench");
}
QString dataFolder()
{
    return root() + QStringLiteral("/Gearshed/Data/");
}
QString archive()
{
    return root() + QStringLiteral("/backup.tar.gz");
}

void fillFolder(const QString& folder)
{
    QDir().mkpath(folder);
    const auto put = [&folder](const QString& name, const QByteArray& bytes) {
        QFile f(folder + name);
        if (f.open(QIODevice::WriteOnly))
            f.write(bytes);
    };
    QStringList vehicles;
    for (int v = 0; v < 1000; ++v) {
        const QString vehicle = QStringLiteral("Vehicle %1").arg(v, 4, 10, QLatin1Char('0'));
        vehicles << vehicle;
        RecordFile::Writer info;
        for (const char* text : {"Ford", "Transit", "2004", "White", "2.4 TDCi", "4", "182000"})
            info.text(QString::fromLatin1(text));
        info.truth(false).truth(true);
        for (const char* text : {"Dealer in town", "3/4/2005", "3 years", "ACME Insurance", "2005"})
            info.text(QString::fromLatin1(text));
        info.truth(false).truth(true).text(QStringLiteral("Bought from a neighbour.\r\nNew tyres in spring."));
        put(VehicleFiles::vehicleFile(vehicle), info.endRecord().bytes());
        QStringList maint, parts;
        for (int e = 0; e < 10; ++e) {
            maint << QStringLiteral("Oil change %1").arg(e);
            parts << QStringLiteral("Brake pad %1").arg(e);
            put(VehicleFiles::recordFile(vehicle, maint.last()),
                RecordFile::textRecord({"1/2/2020", "1/2/2021", "100000", "110000", "Garage down the road",
                                        "Changed the oil and the filter.\r\nChecked the brakes."}));
            put(VehicleFiles::recordFile(vehicle, parts.last()),
                RecordFile::textRecord({"Parts shop", "1/1/2020", "Bosch", "2 years", "Front, 17 mm", "2/1/2020", "2",
                                        "Squeaks a little."}));
        }
        put(VehicleFiles::maintListFile(vehicle), RecordFile::listFile(maint));
        put(VehicleFiles::partsListFile(vehicle), RecordFile::listFile(parts));
    }
    put(VehicleFiles::listFile(), RecordFile::listFile(vehicles));
}

QString tarArchive()
{
    return root() + QStringLiteral("/tar.tar.gz");
}

bool tar(const QStringList& arguments)
{
    return QProcess::execute(QStringLiteral("tar"), arguments) == 0;
}

void prepare()
{
    static bool done = false;
    if (done)
        return;
    done = true;
    fillFolder(dataFolder());
    tar({QStringLiteral("czf"), tarArchive(), QStringLiteral("-C"), dataFolder(), QStringLiteral(".")});
    Backup::writeBackup(dataFolder(), archive());
}

void BM_TarCzf(benchmark::State& state)
{
    prepare();
    for (auto _ : state)
        if (!tar({QStringLiteral("czf"), tarArchive(), QStringLiteral("-C"), dataFolder(), QStringLiteral(".")}))
            state.SkipWithError("tar failed");
}
BENCHMARK(BM_TarCzf)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(3);

void BM_Backup(benchmark::State& state)
{
    prepare();
    for (auto _ : state)
        if (!Backup::writeBackup(dataFolder(), archive()))
            state.SkipWithError("backup failed");
}
BENCHMARK(BM_Backup)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(3);

// Each run unpacks into a new folder: removing the last run's 23,000 files
// just before would slow the file system's next creations for both alike.
QString freshFolder(const char* stem)
{
    static int n = 0;
    const QString folder = root() + QStringLiteral("/%1-%2").arg(QLatin1String(stem)).arg(++n);
    QDir().mkpath(folder);
    return folder;
}

void BM_TarXzf(benchmark::State& state)
{
    prepare();
    for (auto _ : state) {
        state.PauseTiming();
        const QString into = freshFolder("untarred");
        state.ResumeTiming();
        if (!tar({QStringLiteral("xzf"), tarArchive(), QStringLiteral("-C"), into}))
            state.SkipWithError("tar failed");
    }
}
BENCHMARK(BM_TarXzf)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(3);

// A restore over a data folder as full as the backup: the check and unpack,
// the safety backup of the current records, one sync, the exchange and the
// removal of the old records.
void BM_Restore(benchmark::State& state)
{
    prepare();
    const QString safety = root() + QStringLiteral("/Gearshed/safety.tar.gz");
    for (auto _ : state) {
        state.PauseTiming();
        QFile::remove(safety);
        Restore::waitForCleanup(); // the old records' removal runs after the restore, on its own
        state.ResumeTiming();
        if (!Restore::restore(archive(), dataFolder(), safety))
            state.SkipWithError("restore failed");
    }
    Restore::waitForCleanup();
}
BENCHMARK(BM_Restore)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(3);

// The check and unpack alone, the part that compares with tar xzf.
void BM_CheckAndUnpack(benchmark::State& state)
{
    prepare();
    for (auto _ : state) {
        state.PauseTiming();
        const QString into = freshFolder("unpacked");
        state.ResumeTiming();
        if (!Backup::checkArchive(archive(), into))
            state.SkipWithError("check failed");
    }
}
BENCHMARK(BM_CheckAndUnpack)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(3);

} // namespace
