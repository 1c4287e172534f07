#include "BenchEnvironment.h"

#include "DataFolder.h"

#include <QFile>
#include <QSaveFile>
#include <benchmark/benchmark.h>

namespace {

QStringList fullList()
{
    QStringList names;
    names.reserve(VehicleFiles::MaxVehicles);
    for (int i = 0; i < VehicleFiles::MaxVehicles; ++i)
        names << QStringLiteral("Vehicle number %1, blue").arg(i, 5, 10, QLatin1Char('0'));
    return names;
}

void BM_SaveVehicleList(benchmark::State& state)
{
    benchDataFolder();
    const QStringList names = fullList();
    for (auto _ : state)
        benchmark::DoNotOptimize(VehicleFiles::SaveVehicleList(names).ok);
}
BENCHMARK(BM_SaveVehicleList)->Unit(benchmark::kMillisecond);

// The baseline for the one above: the same bytes through QSaveFile without
// flushing and checking them before the rename (what a full disk defeats).
void BM_SaveVehicleListUnchecked(benchmark::State& state)
{
    benchDataFolder();
    const QByteArray bytes = RecordFile::listFile(fullList());
    const QString path = VehicleFiles::inData(VehicleFiles::listFile());
    for (auto _ : state) {
        QSaveFile f(path);
        f.open(QIODevice::WriteOnly);
        f.write(bytes);
        benchmark::DoNotOptimize(f.commit());
    }
}
BENCHMARK(BM_SaveVehicleListUnchecked)->Unit(benchmark::kMillisecond);

// The baseline for the next one: the same bytes read raw.
void BM_ReadVehicleListRaw(benchmark::State& state)
{
    benchDataFolder();
    VehicleFiles::SaveVehicleList(fullList());
    const QString path = VehicleFiles::inData(VehicleFiles::listFile());
    for (auto _ : state) {
        QFile f(path);
        f.open(QIODevice::ReadOnly);
        benchmark::DoNotOptimize(f.readAll());
    }
}
BENCHMARK(BM_ReadVehicleListRaw)->Unit(benchmark::kMillisecond);

void BM_LoadVehicleList(benchmark::State& state)
{
    benchDataFolder();
    VehicleFiles::SaveVehicleList(fullList());
    for (auto _ : state)
        benchmark::DoNotOptimize(VehicleFiles::LoadVehicleList());
}
BENCHMARK(BM_LoadVehicleList)->Unit(benchmark::kMillisecond);

} // namespace
