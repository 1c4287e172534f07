#include "BenchEnvironment.h"

#include "common/DataFolder.h"
#include "common/RecordStore.h"
#include "vehicles/frmAutoMain.h"

#include <QFile>
#include <QSaveFile>
#include <benchmark/benchmark.h>

#include <ctime>

namespace {

// A value as saves wrote it before the record store: truth values at their positions.
void writeValue(RecordFile::Writer& writer, int position, const QString& value)
{
    if (RecordLayout::isTruth(RecordLayout::Kind::Vehicle, position))
        writer.truth(value == u"True");
    else
        writer.text(value);
}

double threadCpuSeconds()
{
    timespec t{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
    return double(t.tv_sec) + double(t.tv_nsec) / 1e9;
}

QStringList fullList()
{
    QStringList names;
    names.reserve(VehicleFiles::MaxVehicles);
    for (int i = 0; i < VehicleFiles::MaxVehicles; ++i)
        names << QStringLiteral("Vehicle number %1, blue").arg(i, 5, 10, QLatin1Char('0'));
    return names;
}

// Every save writes: two lists of one size take turns, so each is compared and then written.
void BM_SaveVehicleList(benchmark::State& state)
{
    benchDataFolder();
    const QStringList names = fullList();
    QStringList other = names;
    other.last().replace(QLatin1Char('b'), QLatin1Char('B'));
    bool turn = false;
    for (auto _ : state)
        benchmark::DoNotOptimize(VehicleFiles::SaveVehicleList((turn = !turn) ? names : other).ok);
}
BENCHMARK(BM_SaveVehicleList)->Unit(benchmark::kMillisecond);

// A save that changes nothing against one read of the file (the full vehicle
// list, 32,767 names): the goal is unchanged_save_per_read at most about 1.
void BM_UnchangedSavePerRead(benchmark::State& state)
{
    benchDataFolder();
    const QByteArray bytes = RecordFile::listFile(fullList());
    const QString path = VehicleFiles::inData(VehicleFiles::listFile());
    writeFileSafely(path, bytes);
    double read = 0, save = 0;
    for (auto _ : state) {
        const double t0 = threadCpuSeconds();
        benchmark::DoNotOptimize(RecordFile::readFile(path));
        const double t1 = threadCpuSeconds();
        benchmark::DoNotOptimize(writeFileSafely(path, bytes).ok);
        const double t2 = threadCpuSeconds();
        read += t1 - t0;
        save += t2 - t1;
    }
    state.counters["unchanged_save_per_read"] = read > 0 ? save / read : 0;
}
BENCHMARK(BM_UnchangedSavePerRead)->Unit(benchmark::kMillisecond);

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

// A vehicle record saved through the record store (claims asked, value rule,
// count of values, compared with the disk) against the bytes written straight
// as saves were before it, in turns under the same load; each save writes.
// The goal: store_per_direct at most 1.05.
void BM_SaveThroughStore(benchmark::State& state)
{
    benchDataFolder();
    QStringList vehicles;
    for (int i = 0; i < 1000; ++i)
        vehicles << QStringLiteral("Vehicle %1").arg(i);
    VehicleFiles::SaveVehicleList(vehicles);
    const FileClaims::Claim mine{FileClaims::Claim::Vehicle, vehicles.at(500), {}};
    const QString path = VehicleFiles::inData(VehicleFiles::vehicleFile(mine.vehicle));
    QStringList values(RecordLayout::Vehicle::Count, QStringLiteral("a value \u201Dquoted\u201D\r\nover two lines"));
    for (int i : {RecordLayout::Vehicle::Automatic, RecordLayout::Vehicle::Manual, RecordLayout::Vehicle::New,
                  RecordLayout::Vehicle::Used})
        values[i] = QStringLiteral("False");
    double direct = 0, store = 0;
    int turn = 0;
    for (auto _ : state) {
        values[0] = QString::number(++turn);
        const double t0 = threadCpuSeconds();
        {
            const auto read = VehicleFiles::readRecord(path);
            RecordFile::Writer writer;
            for (int i = 0; i < values.size(); ++i)
                writeValue(writer, i, values.at(i));
            writer.endRecord();
            // As the window saved before the store: it asked the claims itself (mayChange).
            if ((!read || *read != writer.bytes()) &&
                FileClaims(vehicles).othersThan(VehicleFiles::vehicleFile(mine.vehicle), mine).isEmpty())
                benchmark::DoNotOptimize(VehicleFiles::writeRecord(path, writer.bytes()).ok);
        }
        values[0] = QString::number(++turn);
        const double t1 = threadCpuSeconds();
        {
            RecordStore records([&vehicles] { return FileClaims(vehicles); });
            benchmark::DoNotOptimize(records.writeRecord(mine, values).ok());
        }
        const double t2 = threadCpuSeconds();
        direct += t1 - t0;
        store += t2 - t1;
    }
    state.counters["store_per_direct"] = direct > 0 ? store / direct : 0;
}
BENCHMARK(BM_SaveThroughStore)->Unit(benchmark::kMillisecond);

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

// A vehicle record as the user fills it: every text set, one option of each pair chosen.
const QStringList VehicleValues = {"Ford",
                                   "Transit, long",
                                   "1999",
                                   "White",
                                   "2.5 D",
                                   "4",
                                   "120000",
                                   "False",
                                   "True",
                                   "Dealer",
                                   "1/2/2003",
                                   "3 years",
                                   "ACME",
                                   "2003",
                                   "False",
                                   "True",
                                   "First line\r\nsecond, third"};

QByteArray vehicleRecord()
{
    RecordFile::Writer record;
    for (qsizetype i = 0; i < VehicleValues.size(); ++i) {
        if (i == 7 || i == 8 || i == 14 || i == 15)
            record.truth(VehicleValues.at(i) == QLatin1String("True"));
        else
            record.text(VehicleValues.at(i));
    }
    record.endRecord();
    return record.bytes();
}

const QString BenchVan = QStringLiteral("Bench van");

// The baseline for the next one: a save as it was before saves were field-wise,
// the page's values written whole over the vehicle file.
void BM_SaveVehicleRecordWhole(benchmark::State& state)
{
    benchDataFolder();
    const QString path = VehicleFiles::inData(VehicleFiles::vehicleFile(BenchVan));
    for (auto _ : state)
        benchmark::DoNotOptimize(VehicleFiles::writeRecord(path, vehicleRecord()).ok);
}
BENCHMARK(BM_SaveVehicleRecordWhole)->Unit(benchmark::kMicrosecond);

// The vehicle page's save in the real window, field-wise: the record read as
// it is on disk, the field changed on screen merged over it, written. Target:
// within 1.5 times the one above.
void BM_SaveVehicleRecordFieldWise(benchmark::State& state)
{
    benchDataFolder();
    VehicleFiles::SaveVehicleList({BenchVan});
    VehicleFiles::writeRecord(VehicleFiles::inData(VehicleFiles::vehicleFile(BenchVan)), vehicleRecord());
    frmAutoMain window;
    window.LoadVehicleList();
    window.cboVehicle->setCurrentIndex(0);
    window.cboVehicle_Click();
    if (window.txtIMake->text() != VehicleValues.at(0))
        state.SkipWithError("the vehicle was not loaded");
    bool flip = false;
    for (auto _ : state) {
        window.txtIModel->setText((flip = !flip) ? QStringLiteral("Transit") : VehicleValues.at(1));
        window.SaveVehicleInfo();
    }
}
BENCHMARK(BM_SaveVehicleRecordFieldWise)->Unit(benchmark::kMicrosecond);

} // namespace
