// Draws the "Import from CSV" dialog at its mapping step, with a spreadsheet
// LibreOffice saved, into a PNG:  importdialog_screenshot <file.png>
// It works in a private data home, so the user's vehicles are never touched.
#include "TestEnvironment.h"
#include "common/DataFolder.h"
#include "common/RecordFile.h"
#include "importwindow/frmImport.h"
#include "ui/Fonts.h"

#include <QApplication>
#include <QComboBox>
#include <QFileInfo>
#include <QTextStream>

int main(int argc, char* argv[])
{
    if (argc != 2) {
        QTextStream(stderr) << "usage: importdialog_screenshot <file.png>\n";
        return 2;
    }
    const QString target = QFileInfo(QString::fromLocal8Bit(argv[1])).absoluteFilePath();
    TestEnvironment environment;
    QApplication app(argc, argv);
    registerFontSubstitutions();
    environment.dataFolder();
    writeAll(VehicleFiles::inData(VehicleFiles::listFile()), RecordFile::listFile({"Family Van", "Pickup"}));

    frmImport* dialog = frmImport::instance();
    dialog->cboVehicle->addItems(VehicleFiles::LoadVehicleList());
    const QString sheet = environment.home() + QStringLiteral("/car log.csv");
    writeAll(sheet, readAll(QStringLiteral(TEST_DATA "/libreoffice-semicolon-bom.csv")));
    if (!dialog->openFile(sheet))
        return 1;
    dialog->show();
    QCoreApplication::processEvents();
    if (!dialog->grab().save(target)) {
        QTextStream(stderr) << "could not write " << target << "\n";
        return 1;
    }
    return 0;
}
