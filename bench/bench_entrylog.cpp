#include "BenchEnvironment.h"

#include "common/DataFolder.h"
#include "common/NameOrder.h"
#include "common/RecordFile.h"
#include "vehicles/EntryLog.h"
#include "vehicles/frmAutoMain.h"

#include <QAction>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QPushButton>
#include <QWidget>
#include <benchmark/benchmark.h>

#include <algorithm>
#include <ctime>
#include <memory>

// Choosing a vehicle with very long maintenance and parts lists: loading both
// lists into their list widgets should cost little more than parsing the two
// list files, and grow in step with the number of entries.
namespace {

const QString BenchVehicle = QStringLiteral("Bench van");

// Names of mixed case, in no particular order unless sorted as the program writes them.
QStringList names(int count, const QString& stem, bool sorted)
{
    QStringList out;
    out.reserve(count);
    for (int i = 0; i < count; ++i) {
        const int scrambled = int((quint64(i) * 7919u) % quint64(count));
        out << ((i % 2 ? stem.toUpper() : stem) + QStringLiteral(" %1, item").arg(scrambled, 6, 10, QLatin1Char('0')));
    }
    if (sorted)
        std::stable_sort(out.begin(), out.end(), &NameOrder::lessThan);
    return out;
}

void writeLists(int count, bool sorted = true)
{
    benchDataFolder();
    writeFileSafely(VehicleFiles::inData(VehicleFiles::maintListFile(BenchVehicle)),
                    RecordFile::listFile(names(count, QStringLiteral("oil change"), sorted)));
    writeFileSafely(VehicleFiles::inData(VehicleFiles::partsListFile(BenchVehicle)),
                    RecordFile::listFile(names(count, QStringLiteral("brake pad"), sorted)));
}

struct Page {
    QListView list;
    QPushButton add, rem;
    QAction addAction, remAction;
    QLabel label;
    std::vector<std::unique_ptr<QLineEdit>> fields;
    std::unique_ptr<EntryLog> log;

    explicit Page(const EntryLogKind& kind)
    {
        QList<QWidget*> widgets;
        for (int i = 0; i < kind.fieldCount; ++i) {
            fields.push_back(std::make_unique<QLineEdit>());
            widgets << fields.back().get();
        }
        EntryLogHooks hooks;
        hooks.vehicle = [] { return BenchVehicle; };
        log = std::make_unique<EntryLog>(
            kind, EntryLogWidgets{&list, &add, &rem, &addAction, &remAction, &label, widgets}, hooks);
    }
};

// The baseline: reading and parsing the two list files, nothing shown.
void BM_ParseBothLists(benchmark::State& state)
{
    const int count = int(state.range(0));
    writeLists(count);
    for (auto _ : state) {
        for (const QString& file :
             {VehicleFiles::maintListFile(BenchVehicle), VehicleFiles::partsListFile(BenchVehicle)}) {
            const auto bytes = RecordFile::readFile(VehicleFiles::inData(file));
            benchmark::DoNotOptimize(RecordFile::parseListFile(*bytes));
        }
    }
    state.SetItemsProcessed(state.iterations() * 2 * count);
}
BENCHMARK(BM_ParseBothLists)->Arg(10000)->Arg(20000)->Unit(benchmark::kMillisecond);

// Loading both lists into their list widgets, as choosing the vehicle does
// after emptying them (the emptying is not timed here; the next one times it).
// Arg 1 = 0 loads list files out of order (written by hand), which must be sorted.
void BM_LoadBothLists(benchmark::State& state)
{
    const int count = int(state.range(0));
    writeLists(count, state.range(1) != 0);
    Page maint(EntryLogKind::maintenance());
    Page parts(EntryLogKind::parts());
    for (auto _ : state) {
        state.PauseTiming();
        maint.log->clearList();
        parts.log->clearList();
        state.ResumeTiming();
        maint.log->LoadList();
        parts.log->LoadList();
    }
    if (maint.log->names().size() != count || parts.log->names().size() != count)
        state.SkipWithError("lists not loaded");
    state.SetItemsProcessed(state.iterations() * 2 * count);
}
BENCHMARK(BM_LoadBothLists)
    ->Args({10000, 1})
    ->Args({20000, 1})
    ->Args({10000, 0})
    ->Args({20000, 0})
    ->Unit(benchmark::kMillisecond);

// The one vehicle with `count` maintenance entries and parts, chosen once in
// `window`: a new vehicle, so this first choice writes its vehicle file.
void chooseBenchVehicle(frmAutoMain& window, int count)
{
    writeLists(count);
    VehicleFiles::SaveVehicleList({BenchVehicle});
    window.LoadVehicleList();
    window.cboVehicle->setCurrentIndex(0);
    window.cboVehicle_Click();
}

// Choosing the vehicle in the real main window: every page emptied, the
// vehicle file read and written back, both lists loaded.
void BM_SelectVehicleWithLongLists(benchmark::State& state)
{
    const int count = int(state.range(0));
    frmAutoMain window;
    chooseBenchVehicle(window, count);
    for (auto _ : state)
        window.cboVehicle_Click();
    if (window.maintLog()->names().size() != count || window.partsLog()->names().size() != count)
        state.SkipWithError("lists not loaded");
    state.SetItemsProcessed(state.iterations() * 2 * count);
}
BENCHMARK(BM_SelectVehicleWithLongLists)->Arg(10000)->Arg(20000)->Unit(benchmark::kMillisecond);

double threadCpuSeconds()
{
    timespec t{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
    return double(t.tv_sec) + double(t.tv_nsec) / 1e9;
}

// The figure itself: choosing the vehicle (10,000 maintenance entries and
// 10,000 parts) against parsing its two list files, measured alternately in
// thread CPU time. The goal: select_per_parse at most 1.5.
void BM_SelectVehiclePerParse(benchmark::State& state)
{
    const int count = int(state.range(0));
    frmAutoMain window;
    chooseBenchVehicle(window, count);
    double parse = 0, select = 0;
    for (auto _ : state) {
        const double t0 = threadCpuSeconds();
        for (const QString& file :
             {VehicleFiles::maintListFile(BenchVehicle), VehicleFiles::partsListFile(BenchVehicle)}) {
            const auto bytes = RecordFile::readFile(VehicleFiles::inData(file));
            benchmark::DoNotOptimize(RecordFile::parseListFile(*bytes));
        }
        const double t1 = threadCpuSeconds();
        window.cboVehicle_Click();
        select += threadCpuSeconds() - t1;
        parse += t1 - t0;
    }
    state.counters["select_per_parse"] = parse > 0 ? select / parse : 0;
}
BENCHMARK(BM_SelectVehiclePerParse)->Arg(10000)->Unit(benchmark::kMillisecond);

// A selection asks no one (nothing is written when nothing changed); a save
// that writes asks once who claims its file. That one question against
// choosing the vehicle: the goal is claims_per_select at most 0.05.
void BM_ClaimsPerSelect(benchmark::State& state)
{
    const int count = int(state.range(0));
    frmAutoMain window;
    chooseBenchVehicle(window, count);
    const FileClaims::Claim entry{FileClaims::Claim::MaintEntry, BenchVehicle, window.maintLog()->names().last()};
    double select = 0, claims = 0;
    for (auto _ : state) {
        const double t0 = threadCpuSeconds();
        window.cboVehicle_Click();
        const double t1 = threadCpuSeconds();
        benchmark::DoNotOptimize(
            window.fileClaims().othersThan(VehicleFiles::recordFile(BenchVehicle, entry.entry), entry));
        claims += threadCpuSeconds() - t1;
        select += t1 - t0;
    }
    state.counters["claims_per_select"] = select > 0 ? claims / select : 0;
}
BENCHMARK(BM_ClaimsPerSelect)->Arg(10000)->Unit(benchmark::kMillisecond);

} // namespace
