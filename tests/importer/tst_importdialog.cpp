#include "MainWindowFixture.h"
#include "RecordFile.h"
#include "StartUp.h"
#include "frmImport.h"
#include "frmLogin.h"

#include <QComboBox>

// File > "Import from CSV..." through the real main window: the mapping
// pre-filled from a file LibreOffice saved, changed by the user, the preview,
// and the main window showing what was imported.
class TestImportDialog : public MainWindowFixture {
    Q_OBJECT

    static QString fieldOf(frmImport* d, int row)
    {
        return static_cast<QComboBox*>(d->tblMapping->cellWidget(row, 2))->currentText();
    }

private slots:
    void cleanup()
    {
        frmImport::discard();
        frmLogin::discard();
        MainWindowFixture::cleanup();
    }

    void mappingPreviewAndImport()
    {
        env->dataFolder();
        writeAll(data("MainList.gbx"), RecordFile::listFile({"Ford"}));
        startGearbook();
        emit frmLogin::instance()->loggedIn();
        w.reset(frmAutoMain::instance());
        dialogs->fileAnswers.enqueue(QStringLiteral(TEST_DATA "/libreoffice-semicolon-bom.csv"));
        w->mnuImport->trigger();
        frmImport* d = frmImport::existing();
        QVERIFY(d && d->isVisible());
        QCOMPARE(d->cboKind->currentText(), "Maintenance");
        QStringList fields;
        for (int row = 0; row < d->tblMapping->rowCount(); ++row)
            fields << d->tblMapping->item(row, 0)->text() + "=" + fieldOf(d, row);
        QCOMPARE(fields,
                 QStringList({"Date=Last Inspection date", "Service=Maintenance", "Odometer=Mileage last inspection",
                              "Shop=Location Inspected", "Cost=Add to Notes", "Notes=Notes"}));
        QCOMPARE(d->cboVehicle->currentText(), "Ford");
        QVERIFY(d->txtPreview->toPlainText().contains("Cost: 45.90"));
        QVERIFY(!QFileInfo::exists(data("VanMaint.gbx")));

        auto* cost = static_cast<QComboBox*>(d->tblMapping->cellWidget(4, 2));
        cost->setCurrentIndex(cost->findText("Leave out"));
        emit cost->activated(cost->currentIndex());
        d->cboVehicle->setCurrentText("Van");
        QVERIFY(d->txtPreview->toPlainText().contains("To add: 1 vehicle, 2 maintenance entries and 0 parts."));
        QVERIFY(!d->txtPreview->toPlainText().contains("Cost: 45.90"));
        d->cmdImport->click();

        QVERIFY(dialogs->shown.last().text.startsWith("Imported 1 vehicle, 2 maintenance entries and 0 parts."));
        QVERIFY(dialogs->shown.last().text.contains("safety backup"));
        QVERIFY(!d->isVisible());
        QVERIFY(w->cboVehicle->findText("Van") >= 0); // the main window read the records again
        QCOMPARE(RecordFile::parseTextRecord(readAll(data("VanOil change.gbx")), 6)->last(), "Synthetic");
    }
};

GEARBOOK_TEST_MAIN(TestImportDialog)
#include "tst_importdialog.moc"
