#include "MainWindowFixture.h"
#include "backup/Archive.h"
#include "common/RecordFile.h"
#include "due/DueScan.h"
#include "duewindow/frmDueMaint.h"
#include "vehicles/EntryLog.h"

#include <QDir>
#include <QFutureWatcherBase>
#include <QSignalSpy>
#include <QTreeWidget>

#include <sys/stat.h>

// What is due across all vehicles: the scan on its own, and the window as the
// main window opens it.
class TestDueMaint : public MainWindowFixture {
    Q_OBJECT

    using Row = DueScan::Row;
    static QString inDays(int days) { return QDate::currentDate().addDays(days).toString(Qt::ISODate); }

    void vehicles(const QByteArray& list) { writeAll(data("MainList.gbx"), list); }
    void vehicle(const QString& name, const QString& mileageWhenBought)
    {
        QStringList fields(17);
        fields[6] = mileageWhenBought;
        writeAll(data(name + ".gbx"), RecordFile::textRecord(fields));
    }
    // Entries as {name, next date, last mileage, next mileage}.
    void entries(const QString& vehicle, const QList<QStringList>& records)
    {
        QStringList names;
        for (const QStringList& r : records) {
            names << r[0];
            writeAll(data(vehicle + r[0] + ".gbx"), RecordFile::textRecord({"", r[1], r[2], r[3], "", ""}));
        }
        writeAll(data(vehicle + "Maint.gbx"), RecordFile::listFile(names));
    }

    static QStringList summary(const QList<Row>& rows)
    {
        QStringList out;
        for (const Row& r : rows)
            out << QStringLiteral("%1 %2/%3%4%5")
                       .arg(r.kind)
                       .arg(r.vehicle, r.entry, r.byMileage ? QStringLiteral(" miles") : QString(),
                            r.file.isEmpty() ? QString() : QStringLiteral(" \"%1\": %2").arg(r.file, r.reason));
        return out;
    }
    static QList<Row> rowsNow(int span = 30)
    {
        return DueScan::rows(DueScan::scan(QLocale(), QDate::currentDate()), QDate::currentDate(), span);
    }

    QTreeWidgetItem* dueItem(QTreeWidget* tree, const QString& vehicle, const QString& entry)
    {
        for (QTreeWidgetItem* item : tree->findItems(entry, Qt::MatchExactly | Qt::MatchRecursive, 1))
            if (item->text(0) == vehicle)
                return item;
        return nullptr;
    }

    // Waits until the check at start has run its course, shown or not.
    bool startCheckDone()
    {
        return QTest::qWaitFor([this] { return w->findChildren<QFutureWatcherBase*>().isEmpty(); });
    }
    static frmDueMaint* shownDueWindow()
    {
        for (QWidget* top : QApplication::topLevelWidgets())
            if (auto* due = qobject_cast<frmDueMaint*>(top); due && due->isVisible())
                return due;
        return nullptr;
    }

private slots:
    void cleanup()
    {
        frmAutoMain::setDueCheckAtStart(false);
        for (QWidget* top : QApplication::topLevelWidgets())
            if (qobject_cast<frmDueMaint*>(top))
                delete top;
        MainWindowFixture::cleanup();
    }

    void dueByDateWithinTheSpanAndByMileage()
    {
        env->dataFolder();
        vehicles("\"Van\"\r\n\"Car\"\r\n");
        vehicle("Van", "86,000 km");
        entries("Van", {{"Oil", "", "91 200", "90,000"},       // mileage only: reached
                        {"Tyres", "", "", "120000"},           // mileage not reached
                        {"Belt", inDays(400), "", "85000 km"}, // far date, mileage reached
                        {"Brakes", inDays(10), "", ""},
                        {"Wipers", "after winter", "", ""},
                        {"Lights", "", "", ""}});
        vehicle("Car", "");
        entries("Car", {{"MOT", inDays(-3), "", ""}, {"Filter", inDays(20), "", "1"}});

        QCOMPARE(summary(rowsNow()), QStringList({"0 Van/Oil miles", "0 Car/MOT", "0 Van/Brakes", "0 Car/Filter",
                                                  "0 Van/Belt miles", "1 Van/Wipers"}));
        // A shorter span leaves out what can wait; the mileage still counts.
        QCOMPARE(summary(rowsNow(5)),
                 QStringList({"0 Van/Oil miles", "0 Car/MOT", "0 Van/Belt miles", "1 Van/Wipers"}));
    }

    void unreadableDatesAloneAreNotDue()
    {
        env->dataFolder();
        vehicles("\"Van\"\r\n");
        entries("Van", {{"Wipers", "when it rains", "", ""}});
        const QList<Row> rows = rowsNow();
        QCOMPARE(summary(rows), QStringList{"1 Van/Wipers"});
        QVERIFY(!DueScan::anythingDue(rows));
    }

    void valuesAreReadWithTheirReferences()
    {
        env->dataFolder();
        vehicles("\"Van\"\r\n");
        entries("Van", {{"Wipers", "", "", ""}});
        writeAll(data("VanWipers.gbx"), "\"\",\"&#1079;&#1080;&#1084;&#1072;\",\"\",\"&#65;\",\"\",\"\"\r\n");
        const QList<Row> rows = rowsNow();
        QCOMPARE(rows.size(), 1);
        QCOMPARE(rows[0].nextDate, QString::fromUtf8("зима"));
        QCOMPARE(rows[0].nextMileage, QString("&#65;"));
    }

    void unreadableFilesAreRowsNotBoxes()
    {
        env->dataFolder();
        vehicles("\"Car\"\r\n\"Bike\"\r\n");
        // A FIFO would block whoever opens it; a folder cannot be read.
        QVERIFY(mkfifo(QFile::encodeName(data("Car.gbx")).constData(), 0600) == 0);
        QVERIFY(QDir().mkdir(data("CarMaint.gbx")));
        entries("Bike", {{"Chain", inDays(1), "", ""}, {"Oil", inDays(2), "", ""}, {"Seat", inDays(3), "", ""}});
        QFile::remove(data("BikeChain.gbx"));
        QVERIFY(QDir().mkdir(data("BikeChain.gbx")));
        writeAll(data("BikeOil.gbx"), "\"1.1.2020\"\r\n");

        QCOMPARE(summary(rowsNow()), QStringList({"0 Bike/Seat", "2 Car/ \"Car.gbx\": It is not a regular file.",
                                                  "2 Car/ \"CarMaint.gbx\": It is a folder, not a file.",
                                                  "2 Bike/Chain \"BikeChain.gbx\": It is a folder, not a file.",
                                                  "2 Bike/Oil \"BikeOil.gbx\": It holds too few values."}));
        QVERIFY(dialogs->shown.isEmpty());
        QVERIFY(QFileInfo(data("BikeOil.gbx")).isFile()); // nothing moved or written
    }

    void openOverviewFollowsARestore()
    {
        env->dataFolder();
        vehicles("\"Car\"\r\n");
        entries("Car", {{"Oil", inDays(1), "", ""}});
        const QString archive = env->home() + "/b.tar.gz";
        QVERIFY(Backup::writeBackup(DataFolder::path(), archive));
        vehicles("\"Van\"\r\n");
        entries("Van", {{"Belt", inDays(2), "", ""}});
        QVERIFY(open());
        frmDueMaint* due = frmDueMaint::instance();
        QSignalSpy scanned(due, &frmDueMaint::scanFinished);
        due->showAndRefresh();
        QTRY_COMPARE(scanned.count(), 1);
        QVERIFY(dueItem(due->tvwDue, "Van", "Belt"));

        dialogs->fileAnswers.enqueue(archive);
        dialogs->messageAnswers.enqueue(MsgAnswer::Yes);
        w->mnuRestore->trigger();
        QTRY_COMPARE(scanned.count(), 2);
        QVERIFY(dueItem(due->tvwDue, "Car", "Oil"));
        QVERIFY(!dueItem(due->tvwDue, "Van", "Belt"));
    }

    // Leaving a field saves it unchanged: only a change to what the scan read counts.
    void aScanKnowsWhichSavesChangeIt()
    {
        env->dataFolder();
        vehicles("\"Car\"\r\n");
        entries("Car", {{"Oil", inDays(1), "", ""}});
        const DueScan::Result result = DueScan::scan(QLocale(), QDate::currentDate());
        entries("Car", {{"Oil", inDays(1), "", ""}});
        QVERIFY(!DueScan::changedSince(result, "CarOil.gbx"));
        QVERIFY(!DueScan::changedSince(result, "CarMaint.gbx"));
        writeAll(data("CarTyres.gbx"), "\"x\"\r\n"); // a part's record: never read
        QVERIFY(!DueScan::changedSince(result, "CarTyres.gbx"));
        vehicle("Car", "1000"); // missing when scanned
        QVERIFY(DueScan::changedSince(result, "Car.gbx"));
        entries("Car", {{"Oil", inDays(90), "", ""}});
        QVERIFY(DueScan::changedSince(result, "CarOil.gbx"));
    }

    void openOverviewFollowsASave()
    {
        env->dataFolder();
        vehicles("\"Car\"\r\n");
        entries("Car", {{"Oil", "", "91000", "90000"}}); // due by mileage
        QVERIFY(open());
        frmDueMaint* due = frmDueMaint::instance();
        QSignalSpy scanned(due, &frmDueMaint::scanFinished);
        due->showAndRefresh();
        QTRY_COMPARE(scanned.count(), 1);
        QVERIFY(dueItem(due->tvwDue, "Car", "Oil"));

        QVERIFY(w->selectMaintEntry("Car", "Oil"));
        w->txtMNMileage->setText("100000");
        w->maintLog()->SaveRecord();
        QTRY_VERIFY(!dueItem(due->tvwDue, "Car", "Oil"));
    }

    void linksOutOfTheFolderAreUnreadable()
    {
        env->dataFolder();
        vehicles("\"Van\"\r\n");
        entries("Van", {{"Oil", inDays(1), "", ""}, {"Belt", inDays(2), "", ""}});
        // A due record elsewhere: followed, the link would make it count as Van's.
        const QString outside = env->workDir() + "/VanBelt.gbx";
        QVERIFY(QFile::rename(data("VanBelt.gbx"), outside));
        QVERIFY(QFile::link(outside, data("VanBelt.gbx")));
        // A link inside the folder is read as ever.
        QVERIFY(QFile::rename(data("VanOil.gbx"), data("Oil record")));
        QVERIFY(QFile::link(data("Oil record"), data("VanOil.gbx")));

        QCOMPARE(summary(rowsNow()),
                 QStringList({"0 Van/Oil", "2 Van/Belt \"VanBelt.gbx\": It is a link leading out of the data folder, "
                                           "to \"" +
                                               QFileInfo(outside).canonicalFilePath() + "\"."}));
    }

    void rowSelectsItsVehicleAndEntry()
    {
        env->dataFolder();
        vehicles("\"Car\"\r\n\"Van\"\r\n");
        entries("Car", {{"Oil", inDays(1), "", ""}});
        entries("Van", {{"Belt", inDays(5), "", ""}, {"Oil", inDays(2), "", "9,000"}});
        QVERIFY(open());
        pick("Car");

        QSignalSpy scanned(frmDueMaint::instance(), &frmDueMaint::scanFinished);
        // Ctrl+D opens it even from a text box, where it would delete a character.
        w->txtIMake->setFocus();
        QTest::keyClick(w->txtIMake, Qt::Key_D, Qt::ControlModifier);
        frmDueMaint* due = shownDueWindow();
        QVERIFY(due);
        QTRY_COMPARE(scanned.count(), 1);
        QCOMPARE(due->tvwDue->topLevelItemCount(), 1);
        QCOMPARE(due->tvwDue->topLevelItem(0)->childCount(), 3);

        // Enter on a row.
        QTreeWidgetItem* vanOil = dueItem(due->tvwDue, "Van", "Oil");
        QVERIFY(vanOil);
        QCOMPARE(vanOil->text(3), QStringLiteral("9,000"));
        due->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(due));
        due->tvwDue->setFocus();
        due->tvwDue->setCurrentItem(vanOil);
        QTest::keyClick(due->tvwDue, Qt::Key_Return);
        QCOMPARE(w->selectedVehicle(), QStringLiteral("Van"));
        QCOMPARE(w->SSTab1->currentWidget(), w->tabMaint);
        QCOMPARE(w->CurrentMaint(), QStringLiteral("Oil"));
        QCOMPARE(w->txtMNextInsp->text(), inDays(2));
        QCOMPARE(w->lblMaintSelected->text(), QStringLiteral("Oil"));

        // A double-click on another vehicle's row.
        QTreeWidgetItem* carOil = dueItem(due->tvwDue, "Car", "Oil");
        QVERIFY(carOil);
        const QPoint at = due->tvwDue->visualItemRect(carOil).center();
        QTest::mouseClick(due->tvwDue->viewport(), Qt::LeftButton, {}, at); // the first click of the two
        QTest::mouseDClick(due->tvwDue->viewport(), Qt::LeftButton, {}, at);
        QCOMPARE(w->selectedVehicle(), QStringLiteral("Car"));
        QCOMPARE(w->CurrentMaint(), QStringLiteral("Oil"));
        QCOMPARE(w->txtMNextInsp->text(), inDays(1));
    }

    void shownAtStartOnlyWhenSomethingIsDue_data()
    {
        QTest::addColumn<QString>("nextDate");
        QTest::addColumn<bool>("showAtStart");
        QTest::addColumn<bool>("shown");
        QTest::newRow("due") << inDays(3) << true << true;
        QTest::newRow("due, not wanted at start") << inDays(3) << false << false;
        QTest::newRow("later") << inDays(90) << true << false;
        QTest::newRow("date not understood") << "some day" << true << false;
    }

    void shownAtStartOnlyWhenSomethingIsDue()
    {
        QFETCH(QString, nextDate);
        QFETCH(bool, showAtStart);
        QFETCH(bool, shown);
        env->dataFolder();
        vehicles("\"Van\"\r\n");
        entries("Van", {{"Oil", nextDate, "", ""}});
        if (!showAtStart) {
            // The check box remembers its state in the user's config folder.
            frmDueMaint box;
            box.chkShowAtStart->setChecked(false);
            QVERIFY(readAll(env->configHome() + "/Venbry Software/Gearbook.conf").contains("ShowAtStart=false"));
        }

        frmAutoMain::setDueCheckAtStart(true);
        w = std::make_unique<frmAutoMain>();
        w->show();
        QVERIFY(QTest::qWaitForWindowExposed(w.get()));
        QVERIFY(startCheckDone());
        frmDueMaint* due = shownDueWindow();
        QCOMPARE(due != nullptr, shown);
        if (due) {
            QCOMPARE(due->tvwDue->topLevelItem(0)->child(0)->text(1), QStringLiteral("Oil"));
            QVERIFY(due->chkShowAtStart->isChecked());
        }
    }
};

GEARBOOK_TEST_MAIN(TestDueMaint)
#include "tst_duemaint.moc"
