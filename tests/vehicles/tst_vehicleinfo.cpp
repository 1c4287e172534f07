#include "MainWindowFixture.h"

#include <QDir>
#include <QFileInfo>

class TestVehicleInfo : public MainWindowFixture {
    Q_OBJECT

    QByteArray vanFile() const { return readAll(data("Van.gbx")); }

    // Tabs from `from` through the given number of fields.
    void tabFrom(QWidget* from, int steps)
    {
        from->setFocus();
        QVERIFY(from->hasFocus());
        for (int i = 0; i < steps; ++i)
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    }

private slots:
    void aNewVehicleGetsTheEmptyRecord()
    {
        QVERIFY(open());
        add("Van");
        QCOMPARE(vanFile(), EmptyVehicleRecord);
        QCOMPARE(vanFile().size(), 72);
        QVERIFY(!w->optIAuto->isChecked());
        QVERIFY(!w->optIManual->isChecked());
    }

    void loadingFillsEveryControlAndSavesNothing()
    {
        env->dataFolder();
        const QByteArray record = "\"Ford\",\"Transit, long\",\"1999\",\"White\",\"2.5 D\",\"4\",\"120000\",#FALSE#,"
                                  "#TRUE#,\"Dealer\",\"1/2/2003\",\"None\",\"ACME\",\"2003\",#FALSE#,#TRUE#,"
                                  "\"First line\r\nsecond, third\"\r\n";
        writeAll(data("MainList.gbx"), "\"Van\"\r\n");
        writeAll(data("Van.gbx"), record);
        QVERIFY(open());
        pick("Van");
        QCOMPARE(w->txtIMake->text(), QString("Ford"));
        QCOMPARE(w->txtIModel->text(), QString("Transit, long"));
        QCOMPARE(w->txtIMileage->text(), QString("120000"));
        QVERIFY(!w->optIAuto->isChecked());
        QVERIFY(w->optIManual->isChecked());
        QCOMPARE(w->txtIInsDate->text(), QString("2003"));
        QVERIFY(w->optIUsed->isChecked());
        QCOMPARE(w->txtINotes->toPlainText(), QString("First line\nsecond, third"));
        // The selection's own save writes back exactly what was read.
        QCOMPARE(vanFile(), record);
        QCOMPARE(dialogs->messages(), QStringList());
    }

    void aValueOfAnyLengthLoadsAndSavesWhole()
    {
        env->dataFolder();
        const QByteArray make(40000, 'M');
        const QByteArray record = "\"" + make + "\"" + EmptyVehicleRecord.mid(2);
        writeAll(data("MainList.gbx"), "\"Van\"\r\n");
        writeAll(data("Van.gbx"), record);
        QVERIFY(open());
        pick("Van");
        QCOMPARE(w->txtIMake->text().size(), make.size());
        QCOMPARE(vanFile(), record); // the selection's save wrote it back whole
        for (const QLineEdit* edit : w->findChildren<QLineEdit*>())
            QVERIFY2(edit->maxLength() > make.size(), qPrintable(edit->objectName()));
    }

    void tabbingThroughTheFieldsRewritesTheSameContent()
    {
        QVERIFY(open());
        add("Van");
        w->txtIMake->setText("Ford");
        w->txtINotes->setPlainText("a\nb");
        w->SaveVehicleInfo();
        const QByteArray before = vanFile();
        QVERIFY(QFile::remove(data("Van.gbx")));
        tabFrom(w->txtIMake, 1);
        QCOMPARE(vanFile(), before); // written again by the focus loss
        tabFrom(w->txtIModel, 5);
        QCOMPARE(vanFile(), before);
        QVERIFY(QFile::remove(data("Van.gbx")));
        tabFrom(w->txtINotes, 1);
        QCOMPARE(vanFile(), before);
    }

    void typingAloneSavesNothing()
    {
        QVERIFY(open());
        add("Van");
        w->txtIMake->setFocus();
        QTest::keyClicks(w->txtIMake, "Ford");
        QCOMPARE(vanFile(), EmptyVehicleRecord);
        QTest::keyClick(w->txtIMake, Qt::Key_Tab);
        QCOMPARE(fieldsOf(vanFile()).at(0), QByteArray("\"Ford\""));
    }

    void automaticThenManualFlipsFields8And9()
    {
        QVERIFY(open());
        add("Van");
        QTest::mouseClick(w->optIAuto, Qt::LeftButton);
        QList<QByteArray> f = fieldsOf(vanFile());
        QCOMPARE(f.at(7), QByteArray("#TRUE#"));
        QCOMPARE(f.at(8), QByteArray("#FALSE#"));
        QTest::mouseClick(w->optIManual, Qt::LeftButton);
        f = fieldsOf(vanFile());
        QCOMPARE(f.at(7), QByteArray("#FALSE#"));
        QCOMPARE(f.at(8), QByteArray("#TRUE#"));
        QTest::mouseClick(w->optIUsed, Qt::LeftButton);
        f = fieldsOf(vanFile());
        QCOMPARE(f.at(14), QByteArray("#FALSE#"));
        QCOMPARE(f.at(15), QByteArray("#TRUE#"));
    }

    void bothOptionsChosenInTheFileShowsTheSecond()
    {
        env->dataFolder();
        writeAll(data("MainList.gbx"), "\"Van\"\r\n");
        writeAll(data("Van.gbx"),
                 "\"\",\"\",\"\",\"\",\"\",\"\",\"\",#TRUE#,#TRUE#,\"\",\"\",\"\",\"\",\"\",#TRUE#,#TRUE#,"
                 "\"\"\r\n");
        QVERIFY(open());
        pick("Van");
        QVERIFY(!w->optIAuto->isChecked());
        QVERIFY(w->optIManual->isChecked());
        QVERIFY(!w->optINew->isChecked());
        QVERIFY(w->optIUsed->isChecked());
    }

    void notesWithSeveralLinesAndCommasSurvive()
    {
        QVERIFY(open());
        add("Van");
        add("Car");
        pick("Van");
        const QString notes = "Bought from a friend, cheap.\nNew tyres, 2019\n\n  indented, \"quoted\"";
        w->txtINotes->setFocus();
        const QStringList lines = notes.split('\n');
        for (int i = 0; i < lines.size(); ++i) {
            if (i > 0)
                QTest::keyClick(w->txtINotes, Qt::Key_Return);
            QTest::keyClicks(w->txtINotes, lines[i]);
        }
        QTest::keyClick(w->txtINotes, Qt::Key_Tab);
        QVERIFY(vanFile().endsWith(
            ",\"Bought from a friend, cheap.\r\nNew tyres, 2019\r\n\r\n  indented, \x94quoted\x94\"\r\n"));
        pick("Car");
        QVERIFY(w->txtINotes->toPlainText().isEmpty());
        pick("Van");
        QCOMPARE(w->txtINotes->toPlainText(), QString(notes).replace('"', QChar(0x201D)));
    }

    void aStraightQuoteBecomesTheClosingQuoteAsTyped()
    {
        QVERIFY(open());
        add("Van");
        w->txtIModel->setFocus();
        QTest::keyClicks(w->txtIModel, "17\" wheels");
        QCOMPARE(w->txtIModel->text(), QString::fromUtf8("17\u201D wheels"));
        QTest::keyClick(w->txtIModel, Qt::Key_Tab);
        QCOMPARE(fieldsOf(vanFile()).at(1), QByteArray("\"17\x94 wheels\""));
        QCOMPARE(fieldsOf(vanFile()).size(), 17); // nothing shifted
    }

    void lettersOutsideWindows1252AreSavedAndReloadedWhole()
    {
        QVERIFY(open());
        add("Van");
        w->txtIMake->setFocus();
        for (const char* key : {"Ł", "ó", "d", "ź", " ", "🚗", "&", "#"})
            QTest::sendKeyEvent(QTest::Click, w->txtIMake, Qt::Key_unknown, QString::fromUtf8(key), Qt::NoModifier);
        const QString make = QString::fromUtf8("Łódź 🚗&#");
        QCOMPARE(w->txtIMake->text(), make);
        QTest::keyClick(w->txtIMake, Qt::Key_Tab);
        QCOMPARE(fieldsOf(vanFile()).at(0), QByteArray("\"&#321;\xF3") + "d&#378; &#128663;&#38;#\"");
        w->txtINotes->setFocus();
        w->txtINotes->insertPlainText(QString::fromUtf8("Жигули\nPřerov")); // as a paste does
        tabFrom(w->txtINotes, 1);

        w.reset();
        QVERIFY(open());
        pick("Van");
        QCOMPARE(w->txtIMake->text(), make);
        QCOMPARE(w->txtINotes->toPlainText(), QString::fromUtf8("Жигули\nPřerov"));
        QCOMPARE(dialogs->messages(), QStringList());
    }

    void addingAnEntryAfterASetAsideKeepsTheListsEntries()
    {
        env->dataFolder();
        writeAll(data("MainList.gbx"), "\"Van\"\r\n");
        writeAll(data("Van.gbx"), "\"too\",\"short\"\r\n");
        writeAll(data("VanMaint.gbx"), "\"Oil\"\r\n");
        QVERIFY(open());
        pick("Van");
        dialogs->inputAnswers.enqueue("Brakes");
        w->cmdAddMaint->click();
        QCOMPARE(readAll(data("VanMaint.gbx")), QByteArray("\"Brakes\"\r\n\"Oil\"\r\n"));
    }

    void aSixteenFieldFileLoadsNothingAndIsSetAside()
    {
        env->dataFolder();
        const QByteArray broken = "\"Ford\",\"\",\"\",\"\",\"\",\"\",\"\",#FALSE#,#FALSE#,\"\",\"\",\"\",\"\",\"\","
                                  "#FALSE#,#FALSE#\r\n";
        writeAll(data("MainList.gbx"), "\"Car\"\r\n\"Van\"\r\n");
        writeAll(data("Van.gbx"), broken);
        writeAll(data("Van.gbx.unreadable"), "an older one");
        writeAll(data("VanMaint.gbx"), "\"Oil\"\r\n");
        writeAll(data("VanParts.gbx"), "\"Tyres\"\r\n");
        QVERIFY(open());
        pick("Van");
        QVERIFY(w->txtIMake->text().isEmpty());
        // The lists still load: left empty, the next add would write them back without their entries.
        QCOMPARE(ListRows::count(w->lstMaintList), 1);
        QCOMPARE(ListRows::count(w->lstPParts), 1);
        QCOMPARE(readAll(data("Van.gbx.unreadable")), QByteArray("an older one"));
        QCOMPARE(readAll(data("Van.gbx.unreadable.2")), broken);
        QCOMPARE(vanFile(), EmptyVehicleRecord);
        QCOMPARE(dialogs->messages().size(), 1);
        QVERIFY(dialogs->messages().first().contains(data("Van.gbx.unreadable.2")));
    }

    void aBrokenTruthValueStopsTheLoadThere()
    {
        env->dataFolder();
        const QByteArray broken = "\"Ford\",\"Ka\",\"\",\"\",\"\",\"\",\"\",maybe,#FALSE#,\"Shop\",\"\",\"\",\"\",\"\","
                                  "#FALSE#,#FALSE#,\"\"\r\n";
        writeAll(data("MainList.gbx"), "\"Van\"\r\n");
        writeAll(data("Van.gbx"), broken);
        QVERIFY(open());
        pick("Van");
        QCOMPARE(w->txtIMake->text(), QString("Ford"));
        QVERIFY(w->txtILocation->text().isEmpty());
        QCOMPARE(readAll(data("Van.gbx.unreadable")), broken);
        QCOMPARE(fieldsOf(vanFile()).at(1), QByteArray("\"Ka\""));
    }

    void aFailedSaveIsReportedOnceAndTheWindowGoesOn()
    {
        QVERIFY(open());
        QVERIFY(QDir().mkpath(data("Van.gbx"))); // a folder where the file goes
        add("Van");
        QCOMPARE(dialogs->messages().size(), 1);
        QVERIFY(dialogs->messages().first().contains(data("Van.gbx")));
        QCOMPARE(readAll(data("MainList.gbx")), QByteArray("\"Van\"\r\n"));

        w->txtIMake->setText("Ford");
        tabFrom(w->txtIMake, 3);
        QTest::mouseClick(w->optIAuto, Qt::LeftButton);
        QCOMPARE(dialogs->messages().size(), 1);
        QCOMPARE(w->txtIMake->text(), QString("Ford"));
        QCOMPARE(quits, 0);

        add("Car");
        QCOMPARE(readAll(data("Car.gbx")), EmptyVehicleRecord);
        QCOMPARE(dialogs->messages().size(), 1);
    }

    void clearingAndDisablingSaveNothing()
    {
        QVERIFY(open());
        add("Van");
        w->txtIMake->setText("Ford");
        w->SaveVehicleInfo();
        const QByteArray saved = vanFile();
        w->txtIMake->setFocus();
        w->ClearAllFields();
        w->DisableVehicleInfo();
        QCOMPARE(vanFile(), saved);
    }
};

GEARBOOK_TEST_MAIN(TestVehicleInfo)
#include "tst_vehicleinfo.moc"
