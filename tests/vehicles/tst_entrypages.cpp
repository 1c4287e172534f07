#include "MainWindowFixture.h"
#include "common/RecordFile.h"
#include "vehicles/EntryLog.h"

#include <QAction>
#include <QDir>
#include <QFile>

// The "Maintenance" and "Parts" pages in the real main window.
class TestEntryPages : public MainWindowFixture {
    Q_OBJECT

    QList<QWidget*> maintFields() const
    {
        return {w->txtMLastInsp, w->txtMNextInsp, w->txtMPMileage, w->txtMNMileage, w->txtMShop, w->txtMNotes};
    }
    QList<QWidget*> partFields() const
    {
        return {w->txtPLocation, w->txtPDatePurch, w->txtPBrand,    w->txtPWarranty,
                w->txtPSpecs,    w->txtPDateInst,  w->txtPNumParts, w->txtPNotes};
    }

    static void selectEntry(QListView* list, const QString& name) { ListRows::select(list, name); }

    // The state after choosing a vehicle or removing an entry: lists usable, nothing selected.
    void verifyNoEntrySelected()
    {
        QCOMPARE(w->lblMaintSelected->text(), QStringLiteral("Please select maintenance"));
        QCOMPARE(w->lblPPartSelected->text(), QStringLiteral("Please select a part"));
        for (QWidget* f : maintFields() + partFields())
            QVERIFY2(!f->isEnabled(), qPrintable(f->objectName()));
        for (QWidget* f : {w->txtMLastInsp, w->txtMShop, w->txtPBrand, w->txtPDateInst})
            QVERIFY(qobject_cast<QLineEdit*>(f)->text().isEmpty());
        QVERIFY(w->txtMNotes->toPlainText().isEmpty());
        QVERIFY(w->txtPSpecs->toPlainText().isEmpty());
        QVERIFY(!w->cmdRemMaint->isEnabled());
        QVERIFY(!w->cmdPRemPart->isEnabled());
        QVERIFY(!w->mnuRemMaint->isEnabled());
        QVERIFY(!w->mnuRemPart->isEnabled());
        QVERIFY(w->cmdAddMaint->isEnabled());
        QVERIFY(w->mnuAddMaint->isEnabled());
        QVERIFY(w->cmdPAddPart->isEnabled());
        QVERIFY(w->mnuAddPart->isEnabled());
        QVERIFY(w->lstMaintList->isEnabled());
        QVERIFY(w->lstPParts->isEnabled());
        QVERIFY(ListRows::selected(w->lstMaintList).isEmpty());
        QVERIFY(ListRows::selected(w->lstPParts).isEmpty());
        QVERIFY(w->CurrentMaint().isEmpty());
        QVERIFY(w->CurrentPart().isEmpty());
    }

    void prepareVan()
    {
        env->dataFolder();
        writeAll(data("MainList.gbx"), "\"Van\"\r\n");
        writeAll(data("Van.gbx"), EmptyVehicleRecord);
        writeAll(data("VanMaint.gbx"), "\"Tires\"\r\n\"Oil\"\r\n");
        writeAll(data("VanParts.gbx"), "\"Belt\"\r\n\"air filter\"\r\n");
        writeAll(data("VanOil.gbx"), "\"1\",\"2\",\"3\",\"4\",\"5\",\"6\"\r\n");
        writeAll(data("VanBelt.gbx"), "\"a\",\"b\",\"c\",\"d\",\"e\",\"f\",\"g\",\"h\"\r\n");
    }

private slots:
    void choosingAVehicleLoadsBothListsSorted()
    {
        prepareVan();
        QVERIFY(open());
        QVERIFY(!w->mnuAddMaint->isEnabled());
        QVERIFY(!w->mnuAddPart->isEnabled());
        pick("Van");
        QCOMPARE(w->maintLog()->names(), QStringList({"Oil", "Tires"}));
        QCOMPARE(w->partsLog()->names(), QStringList({"air filter", "Belt"}));
        verifyNoEntrySelected();

        selectEntry(w->lstPParts, "Belt");
        QCOMPARE(w->txtPLocation->text(), QStringLiteral("a"));
        QCOMPARE(w->txtPNotes->toPlainText(), QStringLiteral("h"));
        QCOMPARE(w->CurrentPart(), QStringLiteral("Belt"));
        QVERIFY(w->mnuRemPart->isEnabled());
        QVERIFY(!w->mnuRemMaint->isEnabled());

        // Choosing the vehicle again leaves no entry selected.
        pick("Van");
        verifyNoEntrySelected();
    }

    // After a save fails, the first attempt to leave keeps the text on screen; the second moves on.
    void aFailedSaveHoldsTheSelectionOnce()
    {
        prepareVan();
        writeAll(data("MainList.gbx"), "\"Car\"\r\n\"Van\"\r\n");
        QVERIFY(open());
        pick("Van");
        w->SSTab1->setCurrentIndex(1);
        selectEntry(w->lstMaintList, "Oil");
        QVERIFY(QFile::remove(data("VanOil.gbx")));
        QVERIFY(QDir().mkdir(data("VanOil.gbx"))); // the record cannot be written
        w->txtMShop->setFocus();
        QTest::keyClicks(w->txtMShop, "Garage");
        QTest::mouseClick(w->lstMaintList->viewport(), Qt::LeftButton, {}, ListRows::centre(w->lstMaintList, "Tires"));
        QCOMPARE(dialogs->shown.size(), 2); // the failure, then the hold
        QVERIFY(dialogs->shown.at(1).text.contains(QStringLiteral("\"Oil\" is still on screen and not stored")));
        QCOMPARE(ListRows::selected(w->lstMaintList), QStringList{"Oil"});
        QCOMPARE(w->CurrentMaint(), QStringLiteral("Oil"));
        QCOMPARE(w->txtMShop->text(), QStringLiteral("5Garage"));
        QTest::mouseClick(w->lstMaintList->viewport(), Qt::LeftButton, {}, ListRows::centre(w->lstMaintList, "Tires"));
        QCOMPARE(w->CurrentMaint(), QStringLiteral("Tires"));

        // The vehicle the same way.
        dialogs->shown.clear();
        w->SSTab1->setCurrentIndex(0);
        QVERIFY(QFile::remove(data("Van.gbx")));
        QVERIFY(QDir().mkdir(data("Van.gbx")));
        w->txtIMake->setFocus();
        QTest::keyClicks(w->txtIMake, "Ford");
        w->cboVehicle->setFocus();
        pick("Car");
        QCOMPARE(dialogs->shown.size(), 2);
        QCOMPARE(w->selectedVehicle(), QStringLiteral("Van"));
        QCOMPARE(w->txtIMake->text(), QStringLiteral("Ford"));
        pick("Car");
        QCOMPARE(w->selectedVehicle(), QStringLiteral("Car"));
        QVERIFY(w->txtIMake->text().isEmpty());
    }

    void removalOnEitherPageResetsBothPages_data()
    {
        QTest::addColumn<bool>("onParts");
        QTest::newRow("maintenance") << false;
        QTest::newRow("parts") << true;
    }
    void removalOnEitherPageResetsBothPages()
    {
        QFETCH(bool, onParts);
        prepareVan();
        QVERIFY(open());
        pick("Van");
        selectEntry(w->lstMaintList, "Oil");
        selectEntry(w->lstPParts, "Belt");
        QVERIFY(w->txtMShop->isEnabled());
        QVERIFY(w->txtPBrand->isEnabled());

        dialogs->messageAnswers << MsgAnswer::Yes;
        (onParts ? w->mnuRemPart : w->mnuRemMaint)->trigger();
        QCOMPARE(dialogs->shown.size(), 1);
        QCOMPARE(dialogs->shown.first().title,
                 onParts ? QStringLiteral("Remove Part") : QStringLiteral("Remove Maintenance"));
        QCOMPARE(dialogs->shown.first().text,
                 QStringLiteral("You are about to remove %1. Are you sure you want to do this?")
                     .arg(onParts ? "Belt" : "Oil"));

        verifyNoEntrySelected();
        QCOMPARE(w->maintLog()->names(), onParts ? QStringList({"Oil", "Tires"}) : QStringList({"Tires"}));
        QCOMPARE(w->partsLog()->names(), onParts ? QStringList({"air filter"}) : QStringList({"air filter", "Belt"}));
        QCOMPARE(QFile::exists(data("VanOil.gbx")), onParts);
        QCOMPARE(QFile::exists(data("VanBelt.gbx")), !onParts);
        QCOMPARE(readAll(data(onParts ? "VanParts.gbx" : "VanMaint.gbx")),
                 onParts ? QByteArray("\"air filter\"\r\n") : QByteArray("\"Tires\"\r\n"));
        QCOMPARE(readAll(data("Van.gbx")), EmptyVehicleRecord);
    }

    void removingAnEntryNeverSavedLeavesBothPagesEmpty()
    {
        prepareVan();
        QVERIFY(open());
        pick("Van");
        dialogs->inputAnswers << QStringLiteral("Wipers");
        w->cmdPAddPart->click();
        QCOMPARE(w->CurrentPart(), QStringLiteral("Wipers"));
        selectEntry(w->lstMaintList, "Tires");
        dialogs->messageAnswers << MsgAnswer::Yes;
        w->cmdPRemPart->click();
        QVERIFY(!QFile::exists(data("VanWipers.gbx")));
        QCOMPARE(readAll(data("VanParts.gbx")), QByteArray("\"air filter\"\r\n\"Belt\"\r\n"));
        verifyNoEntrySelected();
    }

    void menuCommandsStoreTheEditInProgressFirst()
    {
        prepareVan();
        QVERIFY(open());
        pick("Van");
        w->SSTab1->setCurrentWidget(w->tabMaint);
        selectEntry(w->lstMaintList, "Oil");
        w->txtMShop->setFocus();
        QVERIFY(w->txtMShop->hasFocus());
        QTest::keyClick(w->txtMShop, Qt::Key_End);
        QTest::keyClicks(w->txtMShop, " Main St");

        dialogs->inputAnswers << QStringLiteral("Brakes");
        QTest::keyClick(w->txtMShop, Qt::Key_F3); // the menu's shortcut; the focus stays in the field
        QCOMPARE(readAll(data("VanOil.gbx")), QByteArray("\"1\",\"2\",\"3\",\"4\",\"5 Main St\",\"6\"\r\n"));
        QCOMPARE(w->CurrentMaint(), QStringLiteral("Brakes"));
        QCOMPARE(w->lblMaintSelected->text(), QStringLiteral("Brakes"));
        QVERIFY(w->txtMShop->text().isEmpty());
        QVERIFY(!QFile::exists(data("VanBrakes.gbx")));
        QCOMPARE(readAll(data("VanMaint.gbx")), QByteArray("\"Brakes\"\r\n\"Oil\"\r\n\"Tires\"\r\n"));
    }

    void exitStoresTheEditInProgress()
    {
        prepareVan();
        QVERIFY(open());
        pick("Van");
        w->SSTab1->setCurrentWidget(w->tabParts);
        selectEntry(w->lstPParts, "Belt");
        w->txtPNotes->setFocus();
        QVERIFY(w->txtPNotes->hasFocus());
        QTest::keyClicks(w->txtPNotes, "x");
        w->mnuExit->trigger();
        QCOMPARE(quits, 1);
        QCOMPARE(RecordFile::parseTextRecord(readAll(data("VanBelt.gbx")), 8)->at(7), QStringLiteral("xh"));
    }

    void partsKeyboardOrderEndsWithDateInstalled()
    {
        prepareVan();
        QVERIFY(open());
        pick("Van");
        w->SSTab1->setCurrentWidget(w->tabParts);
        selectEntry(w->lstPParts, "Belt");
        const QList<QWidget*> order = {w->txtPLocation, w->txtPDatePurch, w->txtPBrand, w->txtPWarranty,
                                       w->txtPSpecs,    w->txtPNumParts,  w->txtPNotes, w->txtPDateInst};
        order.first()->setFocus();
        for (int i = 1; i < order.size(); ++i) {
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
            QVERIFY2(order.at(i)->hasFocus(), qPrintable(order.at(i)->objectName()));
        }
        // Leaving the last one writes the record like any other field.
        QFile::remove(data("VanBelt.gbx"));
        QTest::keyClicks(w->txtPDateInst, "5/6/07");
        QTest::keyClick(w->txtPDateInst, Qt::Key_Tab);
        QCOMPARE(QApplication::focusWidget(), w->cmdPrint); // and on to the buttons at the bottom
        QCOMPARE(readAll(data("VanBelt.gbx")), QByteArray("\"a\",\"b\",\"c\",\"d\",\"e\",\"5/6/07\",\"g\",\"h\"\r\n"));

        // The maintenance page: the six fields in record order.
        w->SSTab1->setCurrentWidget(w->tabMaint);
        selectEntry(w->lstMaintList, "Oil");
        const QList<QWidget*> maint = maintFields();
        maint.first()->setFocus();
        for (int i = 1; i < maint.size(); ++i) {
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
            QVERIFY2(maint.at(i)->hasFocus(), qPrintable(maint.at(i)->objectName()));
        }
    }

    void aTypedQuoteKeepsTheRecordWhole()
    {
        prepareVan();
        QVERIFY(open());
        pick("Van");
        w->SSTab1->setCurrentWidget(w->tabMaint);
        selectEntry(w->lstMaintList, "Tires");
        w->txtMLastInsp->setFocus();
        QTest::keyClicks(w->txtMLastInsp, "the \"big\", one");
        w->txtMNotes->setFocus();
        QTest::keyClicks(w->txtMNotes, "say \"hi\"");
        w->txtMLastInsp->setFocus();
        const auto back = RecordFile::parseTextRecord(readAll(data("VanTires.gbx")), 6);
        QVERIFY(back);
        QCOMPARE(back->at(0), QStringLiteral("the \u201Dbig\u201D, one"));
        QCOMPARE(back->at(1), QString());
        QCOMPARE(back->at(5), QStringLiteral("say \u201Dhi\u201D"));
    }

    void namesOfOtherVehiclesFilesAreRefused()
    {
        QVERIFY(open());
        add("Ford Truck");
        add("Ford");
        QCOMPARE(w->selectedVehicle(), QStringLiteral("Ford"));
        dialogs->clear();
        dialogs->inputAnswers << QStringLiteral(" Truck") << QStringLiteral(" TruckMaint") << QStringLiteral("Truck");
        w->cmdAddMaint->click();
        w->cmdPAddPart->click();
        QCOMPARE(dialogs->messages().size(), 2);
        QCOMPARE(w->partsLog()->names(), QStringList());
        w->cmdAddMaint->click();
        QCOMPARE(w->maintLog()->names(), QStringList({"Truck"}));
        QCOMPARE(dialogs->messages().size(), 2);
        QCOMPARE(readAll(data("Ford Truck.gbx")), EmptyVehicleRecord);
    }

    void removingTheVehicleEmptiesBothPages()
    {
        prepareVan();
        QVERIFY(open());
        pick("Van");
        selectEntry(w->lstMaintList, "Oil");
        dialogs->messageAnswers << MsgAnswer::Yes;
        w->cmdRemove->click();
        QCOMPARE(ListRows::count(w->lstMaintList), 0);
        QCOMPARE(ListRows::count(w->lstPParts), 0);
        QVERIFY(w->CurrentMaint().isEmpty());
        for (QAction* a : {w->mnuAddMaint, w->mnuRemMaint, w->mnuAddPart, w->mnuRemPart})
            QVERIFY(!a->isEnabled());
        QCOMPARE(QDir(DataFolder::path()).entryList(QDir::Files), QStringList({"MainList.gbx"}));
    }
};

GEARBOOK_TEST_MAIN(TestEntryPages)
#include "tst_entrypages.moc"
