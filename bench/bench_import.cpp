#include "BenchEnvironment.h"

#include "common/DataFolder.h"
#include "common/RecordFile.h"
#include "import/Import.h"

#include <QDir>
#include <QFile>
#include <benchmark/benchmark.h>

// Targets: previewing and importing 10,000 maintenance rows into one vehicle
// in under 2 s of CPU time (the safety backup and 10,000 record saves
// included); the preview of a 64 MiB file in under 3 s.
namespace {

QByteArray maintenanceRows(int rows, int notesBytes)
{
    QByteArray csv = "Date;Service;Odometer;Shop;Cost;Notes\r\n";
    const QByteArray notes(notesBytes, 'n');
    for (int i = 0; i < rows; ++i)
        csv += "2024-01-02;Service " + QByteArray::number(i) + ";" + QByteArray::number(1000 + i) +
               ";\"Garage M\xC3\xBCller; Main St\";45.90;\"" + notes + "\"\r\n";
    return csv;
}

Import::Source source(const QByteArray& bytes)
{
    CsvTable::Result read = CsvTable::parse(bytes);
    Import::Source s{QStringLiteral("log.csv"), std::move(*read.table), {}};
    s.mapping = ImportMapping::prefilled(ImportMapping::Kind::Maintenance, s.table.headers);
    s.mapping.vehicle = QStringLiteral("Ford");
    return s;
}

void emptyFolder()
{
    QDir(DataFolder::path()).removeRecursively();
    DataFolder::CreateDataFolder();
    QFile list(DataFolder::path() + VehicleFiles::listFile());
    if (list.open(QIODevice::WriteOnly))
        list.write(RecordFile::listFile({QStringLiteral("Ford")}));
}

void BM_PreviewAndImport10000Rows(benchmark::State& state)
{
    benchDataFolder();
    const QByteArray csv = maintenanceRows(10000, 40);
    for (auto _ : state) {
        state.PauseTiming();
        emptyFolder();
        state.ResumeTiming();
        const Import::Source s = source(csv);
        const Import::Preview preview = Import::preview({s}, Import::Existing::Skip);
        const Import::Outcome outcome = Import::run({s}, Import::Existing::Skip);
        if (!outcome || preview.entries != 10000 || outcome.done.entries != 10000)
            state.SkipWithError("the import failed");
    }
}
BENCHMARK(BM_PreviewAndImport10000Rows)->Unit(benchmark::kMillisecond)->MeasureProcessCPUTime()->Iterations(3);

void BM_Preview64MiB(benchmark::State& state)
{
    benchDataFolder();
    emptyFolder();
    // 150,000 rows with long notes: just under the size cap and the row cap.
    QByteArray csv = maintenanceRows(150000, 380);
    csv.truncate(csv.lastIndexOf("\r\n", CsvTable::MaxFileBytes - 1) + 2);
    state.counters["MiB"] = double(csv.size()) / (1 << 20);
    for (auto _ : state) {
        const Import::Source s = source(csv);
        const Import::Preview preview = Import::preview({s}, Import::Existing::Skip);
        benchmark::DoNotOptimize(preview.entries);
    }
}
BENCHMARK(BM_Preview64MiB)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(2);

} // namespace
