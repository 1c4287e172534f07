// Draws the "Sync Conflicts" window over a vehicle changed on two computers
// into a PNG, and writes a sample vehicle report whose parts table
// tools/screenshot.sh renders:
//   conflicts_screenshot <conflicts.png> <report.pdf>
// It works in a private data home, so the user's vehicles are never touched.
#include "TestEnvironment.h"
#include "common/DataFolder.h"
#include "common/RecordFile.h"
#include "report/HistoryReport.h"
#include "sync/ConflictScan.h"
#include "syncwindow/frmSyncConflicts.h"
#include "ui/Fonts.h"

#include <QApplication>
#include <QFileInfo>
#include <QTextStream>

namespace {

void save(const QString& file, const QByteArray& bytes)
{
    writeAll(VehicleFiles::inData(file), bytes);
}

QByteArray vehicle(const char* model, const char* mileage, bool automatic, const QString& notes)
{
    return "\"Volkswagen\",\"" + QByteArray(model) + "\",\"2019\",\"Grey\",\"2.0 TDI\",\"5\",\"" + mileage + "\"," +
           (automatic ? "#TRUE#,#FALSE#" : "#FALSE#,#TRUE#") +
           ",\"Autohaus Nord\",\"2019-06-14\",\"3 years\",\"Allianz\",\"2019-06-14\",#TRUE#,#FALSE#,\"" +
           notes.toLatin1() + "\"\r\n";
}

} // namespace

int main(int argc, char* argv[])
{
    if (argc != 3) {
        QTextStream(stderr) << "usage: conflicts_screenshot <conflicts.png> <report.pdf>\n";
        return 2;
    }
    const QString picture = QFileInfo(QString::fromLocal8Bit(argv[1])).absoluteFilePath();
    const QString report = QFileInfo(QString::fromLocal8Bit(argv[2])).absoluteFilePath();
    TestEnvironment environment;
    QApplication app(argc, argv);
    registerFontSubstitutions();
    environment.dataFolder();

    save("MainList.gbx", "\"Van\"\r\n");
    const QString notes = QStringLiteral("Bought from the first owner with a full service history. The tow bar was "
                                         "fitted in 2021; the winter tyres are stored at the dealer, who also keeps "
                                         "the spare key.");
    save("Van.gbx", vehicle("Transporter T6", "12,400", false, notes));
    save("Van.sync-conflict-20261201-101010-LAPTOP7.gbx",
         vehicle("Transporter T6.1", "12,400", true,
                 notes + QStringLiteral(" Roof rack and ladder added in 2026 for the new job; receipts in the glove "
                                        "box.")));
    save("VanParts.gbx", "\"Brake pads\"\r\n\"Wiper blades\"\r\n\"Battery\"\r\n");
    save("VanBrake pads.gbx", RecordFile::textRecord({"Autoteile Meier", "2026-03-10", "Brembo", "2028-03-10",
                                                      "P 85 152", "2026-03-12", "4", "Front axle"}));
    save("VanWiper blades.gbx", RecordFile::textRecord({"Online shop", "2025-11-02", "Bosch/Aerotwin", "2026-11-02",
                                                        "650/475 mm", "2025-11-04", "2", ""}));
    save("VanBattery.gbx", RecordFile::textRecord({"Dealer", "2024-01-20", "Varta", "2028-01-20", "95 Ah AGM",
                                                   "2024-01-20", "1", "Old one taken back by the dealer"}));

    frmSyncConflicts window;
    window.showResult(SyncConflicts::scan());
    QCoreApplication::processEvents();
    if (!window.grab().save(picture)) {
        QTextStream(stderr) << "could not write " << picture << "\n";
        return 1;
    }
    const HistoryReport::Outcome written = HistoryReport::write(QStringLiteral("Van"), report);
    if (!written) {
        QTextStream(stderr) << written.error << "\n";
        return 1;
    }
    return 0;
}
