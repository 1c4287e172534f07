#include "BenchEnvironment.h"

#include "common/DataFolder.h"
#include "common/RecordFile.h"
#include "common/SafeFile.h"
#include "report/HistoryReport.h"

#include <QDate>
#include <QImage>
#include <benchmark/benchmark.h>

// The vehicle report of a vehicle with 50 maintenance entries and 50 parts
// should take under 0.5 s of CPU time, one with 2,000 of each under 5 s: read
// the records, lay out, draw and save the PDF.
namespace {

QString fill(int entries)
{
    const QString vehicle = QStringLiteral("Report %1").arg(entries);
    static QStringList written;
    if (written.contains(vehicle))
        return vehicle;
    written << vehicle;
    benchDataFolder();
    const auto save = [](const QString& file, const QByteArray& bytes) {
        writeFileSafely(VehicleFiles::inData(file), bytes);
    };
    QStringList vehicles = RecordFile::parseListFile(RecordFile::readFile(VehicleFiles::inData("MainList.gbx")).bytes);
    vehicles << vehicle;
    save(VehicleFiles::listFile(), RecordFile::listFile(vehicles));

    const QString picture = benchHome().path() + QStringLiteral("/car.jpg");
    QImage image(1600, 1200, QImage::Format_RGB32);
    image.fill(QColor(0x40, 0x70, 0xa0));
    image.save(picture);
    save(VehicleFiles::pictureFile(vehicle), RecordFile::plainLine(picture));
    save(VehicleFiles::vehicleFile(vehicle), RecordFile::Writer()
                                                 .text(u"Ford")
                                                 .text(u"Model T")
                                                 .text(u"1925")
                                                 .text(u"Black")
                                                 .text(u"2.9 l")
                                                 .text(u"2")
                                                 .text(u"12,000")
                                                 .truth(false)
                                                 .truth(true)
                                                 .text(u"Detroit")
                                                 .text(u"1990-05-01")
                                                 .text(u"None")
                                                 .text(u"Acme")
                                                 .text(u"1990")
                                                 .truth(false)
                                                 .truth(true)
                                                 .text(u"Restored.\r\nKept in a barn.")
                                                 .endRecord()
                                                 .bytes());
    const QDate start(1990, 6, 1);
    QStringList maint, parts;
    for (int i = 0; i < entries; ++i) {
        const QString name = QStringLiteral("Service %1").arg(i, 4, 10, QLatin1Char('0'));
        maint << name;
        save(VehicleFiles::recordFile(vehicle, name),
             RecordFile::textRecord(
                 {start.addDays(i * 11).toString(Qt::ISODate), start.addDays(i * 11 + 365).toString(Qt::ISODate),
                  QString::number(12000 + i * 250), QString::number(22000 + i * 250),
                  QStringLiteral("Main Street Garage"), QStringLiteral("Oil and filter changed,\r\nbrakes checked.")}));
        const QString part = QStringLiteral("Part %1").arg(i, 4, 10, QLatin1Char('0'));
        parts << part;
        save(VehicleFiles::recordFile(vehicle, part),
             RecordFile::textRecord({QStringLiteral("Parts Shop"), start.addDays(i * 11).toString(Qt::ISODate),
                                     QStringLiteral("Bosch"), QStringLiteral("2 years"),
                                     QStringLiteral("14 x 5.5, 4 bolts"),
                                     start.addDays(i * 11 + 2).toString(Qt::ISODate), QStringLiteral("4"),
                                     QStringLiteral("Fitted by the garage.")}));
    }
    save(VehicleFiles::maintListFile(vehicle), RecordFile::listFile(maint));
    save(VehicleFiles::partsListFile(vehicle), RecordFile::listFile(parts));
    return vehicle;
}

void BM_VehicleReport(benchmark::State& state)
{
    const QString vehicle = fill(int(state.range(0)));
    const QString path = benchHome().path() + QStringLiteral("/report.pdf");
    int pages = 0;
    for (auto _ : state) {
        const HistoryReport::Outcome result = HistoryReport::write(vehicle, path);
        if (!result)
            state.SkipWithError(qPrintable(result.error));
        pages = result.pages;
    }
    state.counters["pages"] = pages;
}
BENCHMARK(BM_VehicleReport)->Arg(50)->Arg(2000)->Unit(benchmark::kMillisecond)->MeasureProcessCPUTime();

} // namespace
