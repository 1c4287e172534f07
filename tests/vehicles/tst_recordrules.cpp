#include "MainWindowFixture.h"
#include "import/Import.h"
#include "vehicles/EntryLog.h"
#include "vehicles/frmAutoPic.h"

#include <QDir>

// The window's writes keep the data folder's rules through the record store:
// values as the import stored them, names never written, files of others.
class TestRecordRules : public MainWindowFixture {
    Q_OBJECT

private slots:
    // An imported value with straight quotes is shown whole, and a focus
    // change without typing writes nothing.
    void anImportedQuoteIsShownWholeAndNotRewritten()
    {
        env->dataFolder();
        CsvTable::Result read =
            CsvTable::parse("Name,Make,Model,Notes\r\n"
                            "Ford,Ford,\"Focus \"\"ST\"\"\",\"Auto \"\"Meier\"\", Inh. K. Meier\"\r\n");
        QVERIFY(read.table);
        Import::Source source{"v.csv", std::move(*read.table), {}};
        source.mapping = ImportMapping::prefilled(ImportMapping::Kind::Vehicles, source.table.headers);
        QVERIFY(Import::run({source}, Import::Existing::Skip));
        const QByteArray stored = readAll(data("Ford.gbx"));
        QVERIFY(open());
        pick("Ford");
        QCOMPARE(w->txtIModel->text(), QStringLiteral("Focus \u201DST\u201D"));
        QCOMPARE(w->txtINotes->toPlainText(), QStringLiteral("Auto \u201DMeier\u201D, Inh. K. Meier"));
        w->txtIModel->setFocus();
        w->txtIMake->setFocus();
        QCOMPARE(readAll(data("Ford.gbx")), stored);
        QCOMPARE(dialogs->messages(), QStringList());
    }

    // A name whose list could not be written goes with its vehicle: a new
    // vehicle of the same name starts empty.
    void aPendingNameGoesWithItsVehicle()
    {
        env->dataFolder();
        writeAll(data("MainList.gbx"), "\"Van\"\r\n\"VanMaint\"\r\n");
        writeAll(data("VanMaint.gbx"), EmptyVehicleRecord); // VanMaint's record, and Van's list
        QVERIFY(open());
        pick("Van");
        w->SSTab1->setCurrentIndex(1);
        dialogs->inputAnswers.enqueue("X");
        w->cmdAddMaint->click(); // its list write is refused: X stays pending
        QVERIFY(dialogs->messages().last().contains("share one file"));
        w->txtMLastInsp->setFocus();
        QTest::keyClicks(w->txtMLastInsp, "secret");
        w->lstMaintList->setFocus();
        QVERIFY(readAll(data("VanX.gbx")).contains("secret"));

        for (const char* vehicle : {"VanMaint", "Van"}) {
            pick(vehicle);
            dialogs->messageAnswers.enqueue(MsgAnswer::Yes);
            w->cmdRemove->click();
        }
        QVERIFY(!QFileInfo::exists(data("VanX.gbx")));
        add("Van");
        QCOMPARE(w->maintLog()->names(), QStringList());
        w->SSTab1->setCurrentIndex(1);
        dialogs->inputAnswers.enqueue("Oil");
        w->cmdAddMaint->click();
        QCOMPARE(readAll(data("VanMaint.gbx")), QByteArray("\"Oil\"\r\n"));
    }

    // The picture file that cannot be read is set aside only when it is the
    // vehicle's alone: here it is CarPic's record too.
    void anUnreadablePictureFileOfAnotherRecordStays()
    {
        env->dataFolder();
        writeAll(data("MainList.gbx"), "\"Car\"\r\n\"CarPic\"\r\n");
        writeAll(env->home() + "/outside.gbx", EmptyVehicleRecord);
        QVERIFY(QFile::link(env->home() + "/outside.gbx", data("CarPic.gbx")));
        QVERIFY(open());
        pick("Car");
        QVERIFY(QFileInfo(data("CarPic.gbx")).isSymLink());
        QVERIFY(!QFileInfo::exists(data("CarPic.gbx.unreadable")));
        QVERIFY(!dialogs->messages().isEmpty());
        QVERIFY2(dialogs->messages().last().contains("share one file"), qPrintable(dialogs->messages().last()));
        pick("CarPic");
        QVERIFY(QFileInfo(data("CarPic.gbx")).isSymLink());
        QVERIFY(!QFileInfo::exists(data("CarPic.gbx.unreadable")));
    }

    // A new name that differs from another record's only by letter case is
    // refused: on exFAT or a folder synced with Windows or macOS it is one file.
    void namesDifferingOnlyByCaseAreRefused_data()
    {
        QTest::addColumn<QString>("writer");
        QTest::addColumn<QString>("name");
        QTest::newRow("vehicle") << "vehicle"
                                 << "ford";
        QTest::newRow("vehicle whose list is another's record") << "vehicle"
                                                                << "FORDOIL";
        QTest::newRow("maintenance entry") << "maint"
                                           << "OIL";
        QTest::newRow("part named like an entry") << "part"
                                                  << "oil";
    }
    void namesDifferingOnlyByCaseAreRefused()
    {
        QFETCH(QString, writer);
        QFETCH(QString, name);
        env->dataFolder();
        writeAll(data("MainList.gbx"), "\"Ford\"\r\n");
        writeAll(data("FordMaint.gbx"), "\"Oil\"\r\n");
        const QByteArray list = readAll(data("MainList.gbx"));
        QVERIFY(open());
        if (writer == "vehicle") {
            add(name);
        } else {
            pick("Ford");
            w->SSTab1->setCurrentIndex(writer == "maint" ? 1 : 2);
            dialogs->inputAnswers.enqueue(name);
            (writer == "maint" ? w->cmdAddMaint : w->cmdPAddPart)->click();
        }
        QVERIFY(!dialogs->messages().isEmpty());
        QVERIFY2(dialogs->messages().last().contains("letter case"), qPrintable(dialogs->messages().last()));
        QCOMPARE(readAll(data("MainList.gbx")), list);
        QCOMPARE(readAll(data("FordMaint.gbx")), QByteArray("\"Oil\"\r\n"));
        QVERIFY(!QFileInfo::exists(data("FordParts.gbx")));
        // Names already on disk are read as they are.
        pick("Ford");
        QCOMPARE(w->maintLog()->names(), QStringList{"Oil"});
    }
};

GEARBOOK_TEST_MAIN(TestRecordRules)
#include "tst_recordrules.moc"
