#include "BenchEnvironment.h"

#include "common/DataFolder.h"
#include "vehicles/frmAutoMain.h"

#include <QRandomGenerator>
#include <benchmark/benchmark.h>

#include <algorithm>

// Filling the vehicle selector from a full vehicle list (32,767 names) should
// cost at most three times reading and parsing the file alone.
namespace {

QStringList fullList(bool shuffled)
{
    QStringList names;
    names.reserve(VehicleFiles::MaxVehicles);
    for (int i = 0; i < VehicleFiles::MaxVehicles; ++i)
        names << QStringLiteral("Vehicle number %1, blue").arg(i, 5, 10, QLatin1Char('0'));
    if (shuffled)
        std::shuffle(names.begin(), names.end(), *QRandomGenerator::global());
    return names;
}

void writeList(bool shuffled)
{
    benchDataFolder();
    VehicleFiles::SaveVehicleList(fullList(shuffled));
}

// The baseline: the vehicle list file read and parsed, nothing shown.
void BM_ParseVehicleList(benchmark::State& state)
{
    writeList(false);
    for (auto _ : state)
        benchmark::DoNotOptimize(VehicleFiles::LoadVehicleList());
}
BENCHMARK(BM_ParseVehicleList)->Unit(benchmark::kMillisecond);

// The same file loaded into the main window's selector, as the window does when it opens.
// Arg 0: the file in the selector's order (as the program writes it); 1: in random order.
void BM_LoadVehicleSelector(benchmark::State& state)
{
    writeList(state.range(0) != 0);
    frmAutoMain window;
    for (auto _ : state) {
        state.PauseTiming();
        window.cboVehicle->clear();
        state.ResumeTiming();
        window.LoadVehicleList();
    }
    if (window.cboVehicle->count() != VehicleFiles::MaxVehicles)
        state.SkipWithError("the selector did not receive every name");
}
BENCHMARK(BM_LoadVehicleSelector)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

} // namespace
