#include "MainWindowFixture.h"
#include "access/frmLogin.h"
#include "app/StartUp.h"
#include "common/RecordFile.h"
#include "importwindow/frmImport.h"

#include <QComboBox>
#include <QHeaderView>

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

    // The vehicle shown in the main window is the one chosen; Enter does not import what nobody has looked at.
    void shownVehicleChosenEnterDoesNotImport()
    {
        env->dataFolder();
        writeAll(data("MainList.gbx"), RecordFile::listFile({"Audi", "Ford"}));
        startGearbook();
        emit frmLogin::instance()->loggedIn();
        w.reset(frmAutoMain::instance());
        w->cboVehicle->setCurrentIndex(w->cboVehicle->findText("Ford"));
        dialogs->fileAnswers.enqueue(QStringLiteral(TEST_DATA "/libreoffice-semicolon-bom.csv"));
        w->mnuImport->trigger();
        frmImport* d = frmImport::existing();
        QVERIFY(d && d->isVisible());
        QCOMPARE(d->cboVehicle->currentText(), "Ford");
        QVERIFY(d->cmdImport->isEnabled());
        for (QWidget* focus : {static_cast<QWidget*>(d->cboKind), static_cast<QWidget*>(d->cmdImport)}) {
            focus->setFocus();
            QTest::keyClick(focus, Qt::Key_Return);
            QTest::keyClick(focus, Qt::Key_Enter);
        }
        QVERIFY(d->isVisible());
        QVERIFY(!QFileInfo::exists(data("FordMaint.gbx")));
        QVERIFY(!QFileInfo::exists(data("AudiMaint.gbx")));
    }

    // At the dialog's own size every column of the mapping is in view, however long the values; a name no file
    // can hold is offered, and the user can give another.
    void everyColumnInViewNamesChangeable()
    {
        env->dataFolder();
        writeAll(data("MainList.gbx"), RecordFile::listFile({"Golf"}));
        const QString csv = env->home() + "/log.csv";
        writeAll(csv, "Date,Service,Notes\n2024-01-02,T\xC3\x9CV/HU," + QByteArray(400, 'x') + "\n");
        startGearbook();
        emit frmLogin::instance()->loggedIn();
        w.reset(frmAutoMain::instance());
        dialogs->fileAnswers.enqueue(csv);
        w->mnuImport->trigger();
        frmImport* d = frmImport::existing();
        QVERIFY(d && d->isVisible());
        QCoreApplication::processEvents();
        const QHeaderView* header = d->tblMapping->horizontalHeader();
        for (int c = 0; c < 3; ++c) {
            QVERIFY2(header->sectionSize(c) > 20, qPrintable(QString::number(c)));
            QVERIFY2(header->sectionViewportPosition(c) + header->sectionSize(c) <= d->tblMapping->viewport()->width(),
                     qPrintable(QString::number(c)));
        }
        d->cboDates->setCurrentIndex(2);
        emit d->cboDates->activated(2);
        QVERIFY2(d->txtPreview->toPlainText().contains("log.csv, Date: month before day (as chosen)"),
                 qPrintable(d->txtPreview->toPlainText()));
        QVERIFY(d->tblNames->isVisible());
        QCOMPARE(d->tblNames->item(0, 0)->text(), "T\u00DCV/HU");
        QCOMPARE(d->tblNames->item(0, 1)->text(), "T\u00DCV-HU");
        d->tblNames->item(0, 1)->setText("Hauptuntersuchung");
        QVERIFY2(d->txtPreview->toPlainText().contains("stored as \u201CHauptuntersuchung\u201D"),
                 qPrintable(d->txtPreview->toPlainText()));
        d->cmdImport->click();
        QVERIFY(QFileInfo::exists(data("GolfHauptuntersuchung.gbx")));
    }
};

GEARBOOK_TEST_MAIN(TestImportDialog)
#include "tst_importdialog.moc"
