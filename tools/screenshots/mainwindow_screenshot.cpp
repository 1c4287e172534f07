// Draws a window of Gearbook, with a sample vehicle chosen, into a PNG file:
//   mainwindow_screenshot <file.png> [what] [dark]
// what: 0 (default), 1 or 2 for the main window on "Vehicle Info.",
// "Maintenance" or "Parts"; "prefs" for the login preferences dialog.
// "dark" draws under a dark colour scheme, as a dark desktop theme gives it.
// It works in a private data home, so the user's vehicles are never touched.
#include "ScriptedPlatform.h"
#include "TestEnvironment.h"
#include "access/frmChangePass.h"
#include "common/DataFolder.h"
#include "ui/Fonts.h"
#include "vehicles/EntryLog.h"
#include "vehicles/frmAutoMain.h"

#include <QApplication>
#include <QFileInfo>
#include <QStyleFactory>
#include <QTextStream>

namespace {

QPalette darkScheme()
{
    QPalette p;
    p.setColor(QPalette::Window, QColor(53, 53, 53));
    p.setColor(QPalette::WindowText, QColor(230, 230, 230));
    p.setColor(QPalette::Base, QColor(35, 35, 35));
    p.setColor(QPalette::AlternateBase, QColor(53, 53, 53));
    p.setColor(QPalette::Text, QColor(230, 230, 230));
    p.setColor(QPalette::Button, QColor(60, 60, 60));
    p.setColor(QPalette::ButtonText, QColor(230, 230, 230));
    p.setColor(QPalette::Highlight, QColor(42, 130, 218));
    p.setColor(QPalette::HighlightedText, Qt::black);
    p.setColor(QPalette::Disabled, QPalette::Text, QColor(127, 127, 127));
    p.setColor(QPalette::Disabled, QPalette::WindowText, QColor(127, 127, 127));
    p.setColor(QPalette::Disabled, QPalette::ButtonText, QColor(127, 127, 127));
    return p;
}

void writeSample()
{
    writeAll(VehicleFiles::inData(VehicleFiles::listFile()), "\"Family Van\"\r\n\"Pickup\"\r\n");
    writeAll(VehicleFiles::inData(VehicleFiles::vehicleFile("Family Van")),
             "\"Ford\",\"Transit\",\"2004\",\"White\",\"2.4 TDCi\",\"4\",\"86,000\",#FALSE#,#TRUE#,"
             "\"Dealer in Leeds\",\"12/03/2011\",\"2 years\",\"Acme Insurance\",\"04/2011\",#FALSE#,#TRUE#,"
             "\"Timing belt changed at 120,000.\r\nRoof rack in the garage.\"\r\n");
    writeAll(VehicleFiles::inData("Family VanMaint.gbx"), "\"Brakes\"\r\n\"Oil change\"\r\n\"Tyres\"\r\n");
    writeAll(VehicleFiles::inData("Family VanOil change.gbx"),
             "\"03/02/2012\",\"03/08/2012\",\"91,000\",\"96,000\",\"Kwik Fit\",\"5W-30, new filter\"\r\n");
    writeAll(VehicleFiles::inData("Family VanParts.gbx"), "\"Battery\"\r\n\"Wiper blades\"\r\n");
    writeAll(VehicleFiles::inData("Family VanBattery.gbx"),
             "\"Halfords\",\"01/10/2011\",\"Bosch\",\"01/10/2014\",\"S4 74Ah\",\"02/10/2011\",\"1\",\"\"\r\n");
}

} // namespace

int main(int argc, char* argv[])
{
    if (argc < 2 || argc > 4) {
        QTextStream(stderr) << "usage: mainwindow_screenshot <file.png> [0|1|2|prefs] [dark]\n";
        return 2;
    }
    // Before the private environment moves the working folder.
    const QString target = QFileInfo(QString::fromLocal8Bit(argv[1])).absoluteFilePath();
    const QString what = argc >= 3 ? QString::fromLocal8Bit(argv[2]) : QStringLiteral("0");
    const bool dark = argc == 4 && QString::fromLocal8Bit(argv[3]) == QLatin1String("dark");
    TestEnvironment environment;
    QApplication app(argc, argv);
    registerFontSubstitutions();
    if (dark) {
        QApplication::setStyle(QStyleFactory::create(QStringLiteral("Fusion")));
        QApplication::setPalette(darkScheme());
    }
    ScriptedPlatform dialogs;
    environment.dataFolder();
    writeSample();

    frmAutoMain window;
    window.show();
    window.cboVehicle->setCurrentIndex(0);
    window.cboVehicle_Click();
    QWidget* shot = &window;
    if (what == QLatin1String("prefs")) {
        window.mnuPassword_Click();
        frmChangePass* prefs = frmChangePass::instance();
        prefs->txtOldName->setText(QStringLiteral("admin"));
        prefs->chkChangePass->setChecked(true);
        prefs->txtNewName->setText(QStringLiteral("new name"));
        shot = prefs;
    } else {
        window.SSTab1->setCurrentIndex(what.toInt());
        if (what == QLatin1String("1"))
            window.maintLog()->select(QStringLiteral("Oil change"));
        else if (what == QLatin1String("2"))
            window.partsLog()->select(QStringLiteral("Battery"));
    }
    QCoreApplication::processEvents();
    if (!shot->grab().save(target)) {
        QTextStream(stderr) << "could not write " << target << "\n";
        return 1;
    }
    return 0;
}
