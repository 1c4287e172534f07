// Draws the main window, with a sample vehicle chosen, into a PNG file:
//   mainwindow_screenshot <file.png> [page: 0 Vehicle Info., 1 Maintenance, 2 Parts]
// It works in a private data home, so the user's vehicles are never touched.
#include "DataFolder.h"
#include "Fonts.h"
#include "ScriptedPlatform.h"
#include "TestEnvironment.h"
#include "frmAutoMain.h"

#include <QApplication>
#include <QFileInfo>
#include <QTextStream>

int main(int argc, char* argv[])
{
    if (argc != 2 && argc != 3) {
        QTextStream(stderr) << "usage: mainwindow_screenshot <file.png> [page]\n";
        return 2;
    }
    // Before the private environment moves the working folder.
    const QString target = QFileInfo(QString::fromLocal8Bit(argv[1])).absoluteFilePath();
    TestEnvironment environment;
    QApplication app(argc, argv);
    registerFontSubstitutions();
    ScriptedPlatform dialogs;

    environment.dataFolder();
    writeAll(VehicleFiles::inData(VehicleFiles::listFile()), "\"Family Van\"\r\n\"Pickup\"\r\n");
    writeAll(VehicleFiles::inData(VehicleFiles::vehicleFile("Family Van")),
             "\"Ford\",\"Transit\",\"2004\",\"White\",\"2.4 TDCi\",\"4\",\"86,000\",#FALSE#,#TRUE#,"
             "\"Dealer in Leeds\",\"12/03/2011\",\"2 years\",\"Acme Insurance\",\"04/2011\",#FALSE#,#TRUE#,"
             "\"Timing belt changed at 120,000.\r\nRoof rack in the garage.\"\r\n");

    frmAutoMain window;
    window.show();
    window.cboVehicle->setCurrentIndex(0);
    window.cboVehicle_Click();
    if (argc == 3)
        window.SSTab1->setCurrentIndex(QString::fromLocal8Bit(argv[2]).toInt());
    QCoreApplication::processEvents();
    if (!window.grab().save(target)) {
        QTextStream(stderr) << "could not write " << target << "\n";
        return 1;
    }
    return 0;
}
