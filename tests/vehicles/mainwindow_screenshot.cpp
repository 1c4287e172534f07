// Draws the main window, with a sample vehicle chosen, into a PNG file:
//   mainwindow_screenshot <file.png>
// It works in a private data home, so the user's vehicles are never touched.
#include "DataFolder.h"
#include "Fonts.h"
#include "ScriptedPlatform.h"
#include "TestEnvironment.h"
#include "frmAutoMain.h"

#include <QApplication>
#include <QTextStream>

int main(int argc, char* argv[])
{
    TestEnvironment environment;
    QApplication app(argc, argv);
    if (argc != 2) {
        QTextStream(stderr) << "usage: mainwindow_screenshot <file.png>\n";
        return 2;
    }
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
    QCoreApplication::processEvents();
    if (!window.grab().save(QString::fromLocal8Bit(argv[1]))) {
        QTextStream(stderr) << "could not write " << argv[1] << "\n";
        return 1;
    }
    return 0;
}
