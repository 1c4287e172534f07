#include "EntryLog.h"
#include "MainWindowFixture.h"
#include "frmAutoPic.h"

#include <QDir>

// Saves write what changed on screen over the files as they are on disk now:
// another computer's changes (delivered by a sync tool) are kept.
class TestFieldWise : public MainWindowFixture {
    Q_OBJECT

    QByteArray vanRecord(const QByteArray& make, const QByteArray& model) const
    {
        return "\"" + make + "\",\"" + model + "\"" + EmptyVehicleRecord.mid(5);
    }

    void prepareVan()
    {
        env->dataFolder();
        writeAll(data("MainList.gbx"), "\"Van\"\r\n");
        writeAll(data("Van.gbx"), vanRecord("", ""));
        writeAll(data("VanMaint.gbx"), "\"Oil\"\r\n");
        writeAll(data("VanOil.gbx"), "\"1\",\"2\",\"3\",\"4\",\"5\",\"6\"\r\n");
    }

    void typeAndLeave(QLineEdit* field, const QString& text)
    {
        field->setFocus();
        field->selectAll();
        QTest::keyClicks(field, text);
        QTest::keyClick(field, Qt::Key_Tab);
    }

private slots:
    void aFieldChangedOnDiskSurvivesAnEditOfAnother()
    {
        prepareVan();
        QVERIFY(open());
        pick("Van");
        writeAll(data("Van.gbx"), vanRecord("", "Transit")); // the laptop's change arrives
        typeAndLeave(w->txtIMake, "Ford");
        QCOMPARE(readAll(data("Van.gbx")), vanRecord("Ford", "Transit"));
        QCOMPARE(w->txtIModel->text(), QStringLiteral("Transit"));

        w->SSTab1->setCurrentIndex(1);
        ListRows::select(w->lstMaintList, "Oil");
        writeAll(data("VanOil.gbx"), "\"1\",\"2\",\"3\",\"4\",\"Garage\",\"6\"\r\n");
        typeAndLeave(w->txtMLastInsp, "today");
        QCOMPARE(readAll(data("VanOil.gbx")), QByteArray("\"today\",\"2\",\"3\",\"4\",\"Garage\",\"6\"\r\n"));
        QCOMPARE(w->txtMShop->text(), QStringLiteral("Garage"));
        QCOMPARE(dialogs->messages(), QStringList());
    }

    void theSameFieldChangedOnBothSidesIsReportedAndTheUsersValueWritten()
    {
        prepareVan();
        QVERIFY(open());
        pick("Van");
        writeAll(data("Van.gbx"), vanRecord("Opel", ""));
        typeAndLeave(w->txtIMake, "Ford");
        QCOMPARE(readAll(data("Van.gbx")), vanRecord("Ford", ""));
        QCOMPARE(dialogs->messages().size(), 1);
        QVERIFY(
            dialogs->messages().first().contains(QStringLiteral("Make: \u201COpel\u201D (saved: \u201CFord\u201D)")));

        w->SSTab1->setCurrentIndex(1);
        ListRows::select(w->lstMaintList, "Oil");
        writeAll(data("VanOil.gbx"), "\"1\",\"2\",\"3\",\"4\",\"Garage\",\"6\"\r\n");
        typeAndLeave(w->txtMShop, "Dealer");
        QCOMPARE(readAll(data("VanOil.gbx")), QByteArray("\"1\",\"2\",\"3\",\"4\",\"Dealer\",\"6\"\r\n"));
        QCOMPARE(dialogs->messages().size(), 2);
        QVERIFY(dialogs->messages().last().contains(QStringLiteral("Location Inspected: \u201CGarage\u201D")));
    }

    void namesAddedOnDiskSurviveAnAddOnScreen()
    {
        prepareVan();
        QVERIFY(open());
        writeAll(data("MainList.gbx"), "\"Car\"\r\n\"Van\"\r\n"); // added on the laptop
        add("Bus");
        QCOMPARE(readAll(data("MainList.gbx")), QByteArray("\"Bus\"\r\n\"Car\"\r\n\"Van\"\r\n"));
        QCOMPARE(w->cboVehicle->findText("Car"), 1);
        QCOMPARE(w->selectedVehicle(), QStringLiteral("Bus"));

        pick("Van");
        writeAll(data("VanMaint.gbx"), "\"Belt\"\r\n\"Oil\"\r\n");
        dialogs->inputAnswers.enqueue("Wipers");
        w->cmdAddMaint->click();
        QCOMPARE(readAll(data("VanMaint.gbx")), QByteArray("\"Belt\"\r\n\"Oil\"\r\n\"Wipers\"\r\n"));
        QCOMPARE(w->maintLog()->names(), QStringList({"Belt", "Oil", "Wipers"}));
        QCOMPARE(w->CurrentMaint(), QStringLiteral("Wipers"));

        // A removal takes out its one name, and keeps one added meanwhile.
        writeAll(data("VanMaint.gbx"), "\"Belt\"\r\n\"Oil\"\r\n\"Tires\"\r\n\"Wipers\"\r\n");
        dialogs->messageAnswers.enqueue(MsgAnswer::Yes);
        w->cmdRemMaint->click();
        QCOMPARE(readAll(data("VanMaint.gbx")), QByteArray("\"Belt\"\r\n\"Oil\"\r\n\"Tires\"\r\n"));
    }

    // Old data: a maintenance entry and a part of one name, and an entry named
    // after the parts list, share their files with another record.
    void recordsThatShareAFileAreShownNeverWrittenAndToldOnce()
    {
        prepareVan();
        const QByteArray battery = "\"a\",\"b\",\"c\",\"d\",\"e\",\"f\",\"g\",\"h\"\r\n";
        writeAll(data("VanMaint.gbx"), "\"Battery\"\r\n\"Parts\"\r\n");
        writeAll(data("VanParts.gbx"), "\"Battery\"\r\n");
        writeAll(data("VanBattery.gbx"), battery);
        QVERIFY(open());
        pick("Van");
        w->SSTab1->setCurrentIndex(1);
        ListRows::select(w->lstMaintList, "Battery");
        QCOMPARE(w->txtMLastInsp->text(), QStringLiteral("a"));
        QCOMPARE(dialogs->messages().size(), 1);
        QVERIFY(dialogs->messages().first().contains(QStringLiteral("the part \"Battery\"")));
        typeAndLeave(w->txtMLastInsp, "typed");
        ListRows::select(w->lstMaintList, "Parts"); // the parts list: told, not set aside
        typeAndLeave(w->txtMShop, "typed");
        QCOMPARE(dialogs->messages().size(), 2);
        QVERIFY(dialogs->messages().last().contains(QStringLiteral("the parts list of \"Van\"")));

        w->SSTab1->setCurrentIndex(2);
        ListRows::select(w->lstPParts, "Battery");
        typeAndLeave(w->txtPLocation, "typed");
        QCOMPARE(dialogs->messages().size(), 2); // once per file
        QCOMPARE(readAll(data("VanBattery.gbx")), battery);
        QCOMPARE(readAll(data("VanParts.gbx")), QByteArray("\"Battery\"\r\n"));
        QVERIFY(!QFile::exists(data("VanParts.gbx.unreadable")));
    }

    // Vehicles "X", "XPic" and "XMaint": the picture file and the maintenance
    // list of X are the vehicle files of the other two.
    void vehiclesThatShareAFileAreNeverWritten()
    {
        env->dataFolder();
        const QByteArray xPic = "C:\\pictures\\x.jpg\r\n";
        writeAll(data("MainList.gbx"), "\"X\"\r\n\"XMaint\"\r\n\"XPic\"\r\n");
        writeAll(data("XPic.gbx"), xPic);
        writeAll(data("XMaint.gbx"), EmptyVehicleRecord);
        QVERIFY(open());
        pick("XPic");
        QCOMPARE(dialogs->messages().size(), 1);
        QVERIFY(dialogs->messages().first().contains(QStringLiteral("the picture file of \"X\"")));
        typeAndLeave(w->txtIMake, "Ford");
        QCOMPARE(readAll(data("XPic.gbx")), xPic);
        QVERIFY(!QFile::exists(data("XPic.gbx.unreadable")));

        pick("X");
        QCOMPARE(dialogs->messages().size(), 2);
        QVERIFY(dialogs->messages().last().contains(QStringLiteral("the vehicle file of \"XMaint\"")));
        dialogs->inputAnswers.enqueue("Oil");
        w->cmdAddMaint->click(); // refused, with a message
        QImage picture(2, 2, QImage::Format_RGB32);
        picture.fill(Qt::red);
        QVERIFY(picture.save(env->home() + "/x.png"));
        dialogs->fileAnswers.enqueue(env->home() + "/x.png");
        frmAutoPic::instance()->cmdAddPic->click();
        QVERIFY(!frmAutoPic::instance()->picItem->pixmap().isNull()); // shown for this run
        QCOMPARE(dialogs->messages().size(), 3);                      // the refused add; the file was told
        QCOMPARE(readAll(data("XMaint.gbx")), EmptyVehicleRecord);
        QCOMPARE(readAll(data("XPic.gbx")), xPic);
    }

    void choosingTheSameVehicleAfterAFailedSaveKeepsTheText()
    {
        prepareVan();
        QVERIFY(open());
        pick("Van");
        QVERIFY(QFile::remove(data("Van.gbx")));
        QVERIFY(QDir().mkdir(data("Van.gbx"))); // the vehicle file cannot be written
        typeAndLeave(w->txtIMake, "Ford");
        QCOMPARE(dialogs->messages().size(), 1);
        pick("Van");
        QCOMPARE(w->txtIMake->text(), QStringLiteral("Ford"));
        QCOMPARE(dialogs->messages().size(), 2);
        QVERIFY(dialogs->messages().last().contains(QStringLiteral("\"Van\" is still on screen and not stored")));
    }
};

GEARBOOK_TEST_MAIN(TestFieldWise)
#include "tst_fieldwise.moc"
