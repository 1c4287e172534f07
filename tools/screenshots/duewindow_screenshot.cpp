// Draws the "Due Maintenance" window over a few sample vehicles into a PNG:
//   duewindow_screenshot <file.png>
// It works in a private data home, so the user's vehicles are never touched.
#include "TestEnvironment.h"
#include "common/DataFolder.h"
#include "common/RecordFile.h"
#include "due/DueScan.h"
#include "duewindow/frmDueMaint.h"
#include "ui/Fonts.h"

#include <QApplication>
#include <QFileInfo>
#include <QTextStream>

namespace {

void entry(const QString& vehicle, const QString& name, const QStringList& values)
{
    writeAll(VehicleFiles::inData(VehicleFiles::recordFile(vehicle, name)), RecordFile::textRecord(values));
}

} // namespace

int main(int argc, char* argv[])
{
    if (argc != 2) {
        QTextStream(stderr) << "usage: duewindow_screenshot <file.png>\n";
        return 2;
    }
    const QString target = QFileInfo(QString::fromLocal8Bit(argv[1])).absoluteFilePath();
    TestEnvironment environment;
    QApplication app(argc, argv);
    registerFontSubstitutions();

    environment.dataFolder();
    const QDate today = QDate::currentDate();
    const auto on = [&](int days) { return QLocale().toString(today.addDays(days), QLocale::ShortFormat); };
    writeAll(VehicleFiles::inData(VehicleFiles::listFile()), "\"Family Van\"\r\n\"Pickup\"\r\n");
    writeAll(VehicleFiles::inData("Family VanMaint.gbx"), "\"Brakes\"\r\n\"Oil change\"\r\n\"Tyres\"\r\n");
    entry("Family Van", "Brakes", {on(-20), on(12), "86,200", "", "Quick Fit", ""});
    entry("Family Van", "Oil change", {on(-200), on(160), "80,100", "85,000", "Dealer", ""});
    entry("Family Van", "Tyres", {on(-700), "after the winter", "62,000", "", "", ""});
    writeAll(VehicleFiles::inData("PickupMaint.gbx"), "\"Inspection\"\r\n\"Timing belt\"\r\n");
    entry("Pickup", "Inspection", {on(-365), on(-4), "", "", "Test centre", ""});
    entry("Pickup", "Timing belt", {on(-900), on(25), "118,000", "120,000", "", ""});

    frmDueMaint window;
    window.showResult(DueScan::scan(QLocale(), today));
    QCoreApplication::processEvents();
    if (!window.grab().save(target)) {
        QTextStream(stderr) << "could not write " << target << "\n";
        return 1;
    }
    return 0;
}
