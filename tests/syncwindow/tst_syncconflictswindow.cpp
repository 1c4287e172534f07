#include "MainWindowFixture.h"
#include "access/frmLogin.h"
#include "app/ConflictAlert.h"
#include "app/StartUp.h"
#include "common/RecordCaptions.h"
#include "common/RecordFile.h"
#include "sync/ConflictScan.h"
#include "syncwindow/frmSyncConflicts.h"

#include <QDialog>
#include <QLabel>
#include <QRadioButton>
#include <QSignalSpy>

// The "Sync Conflicts" window over the real main window: both versions under
// the form's captions, a resolution shown in the main window, and the window
// opened at start and from the Edit menu.
class TestSyncConflictsWindow : public MainWindowFixture {
    Q_OBJECT

    static QString copy() { return QStringLiteral("Car.sync-conflict-20261201-101010-ABCDEFG.gbx"); }

    void writeCar(const QString& make, const QString& copyMake)
    {
        writeAll(data("MainList.gbx"), RecordFile::listFile({"Car"}));
        // The vehicle's make first, then what a vehicle with nothing else entered holds.
        writeAll(data("Car.gbx"), "\"" + make.toLatin1() + "\"" + EmptyVehicleRecord.mid(2));
        writeAll(data(copy()), "\"" + copyMake.toLatin1() + "\"" + EmptyVehicleRecord.mid(2));
    }

    static QString captionOf(const QWidget* control)
    {
        const auto* label = qobject_cast<const QLabel*>(control);
        QString text = label ? label->text() : static_cast<const QAbstractButton*>(control)->text();
        return text.endsWith(':') ? text.chopped(1) : text;
    }

private slots:
    void cleanup()
    {
        setConflictCheckAtStart(false);
        frmSyncConflicts::discard();
        frmLogin::discard();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        MainWindowFixture::cleanup();
    }

    // One caption table serves every place without the window; it must say what the form says.
    void captionsAreTheFormsCaptions()
    {
        QVERIFY(open());
        QStringList vehicle, maintenance, parts;
        for (QWidget* c : std::initializer_list<QWidget*>{
                 w->lblIMake, w->lblIModel, w->lblIYear, w->lblIColor, w->lblIEngine, w->lblIDoors, w->lblIMileage,
                 w->optIAuto, w->optIManual, w->lblILocation, w->lblIDatePurch, w->lblIWarranty, w->lblIInsName,
                 w->lblIInsDate, w->optINew, w->optIUsed, w->lblINotes})
            vehicle << captionOf(c);
        for (QWidget* c : {w->Label1, w->Label3, w->Label20, w->Label21, w->Label2, w->lblMNotes})
            maintenance << captionOf(c);
        for (QWidget* c : {w->Label5, w->Label6, w->Label8, w->Label7, w->Label9, w->Label11, w->Label12, w->Label10})
            parts << captionOf(c);
        QCOMPARE(vehicle, RecordCaptions::vehicle());
        QCOMPARE(maintenance, RecordCaptions::maintenance());
        QCOMPARE(parts, RecordCaptions::parts());
    }

    void keptVersionShownInTheMainWindow()
    {
        env->dataFolder();
        writeCar("Ford", "Fiat");
        QVERIFY(open());
        pick("Car");
        QCOMPARE(w->txtIMake->text(), QStringLiteral("Ford"));

        frmSyncConflicts window;
        connect(&window, &frmSyncConflicts::resolved, w.get(), &frmAutoMain::reloadRecords);
        window.showResult(SyncConflicts::scan());
        QCOMPARE(window.lstConflicts->count(), 1);
        QTreeWidgetItem* make = window.tvwCompare->topLevelItem(0);
        QCOMPARE((QStringList{make->text(0), make->text(1), make->text(2)}), (QStringList{"Make", "Ford", "Fiat"}));
        QVERIFY(make->font(1).bold());
        QVERIFY(!window.tvwCompare->topLevelItem(1)->font(1).bold()); // "Model", the same in both
        QVERIFY(window.lblRecord->text().startsWith("Car.gbx\nchanged 2"));
        QVERIFY(window.lblCopy->text().startsWith(copy()));
        QVERIFY(window.cmdKeepBoth->isHidden());

        window.cmdKeepCopy->click();
        QVERIFY2(dialogs->messages().isEmpty(), qPrintable(dialogs->messages().join('\n')));
        QCOMPARE(window.lstConflicts->count(), 0);
        QCOMPARE(w->selectedVehicle(), QStringLiteral("Car"));
        QCOMPARE(w->txtIMake->text(), QStringLiteral("Fiat"));
        QVERIFY(RecordFile::readFile(data("Car.gbx"))->startsWith("\"Fiat\""));
        QVERIFY(!QFileInfo::exists(data(copy())));
    }

    // At the window's own size: the differing fields first, long values wrapped
    // within the view, choices as the page shows them, the record named in words.
    void fieldsReadAtTheDefaultSize()
    {
        env->dataFolder();
        const QByteArray notes = QByteArray("Brakes done at the dealer. ").repeated(40);
        writeAll(data("MainList.gbx"), RecordFile::listFile({"Car"}));
        writeAll(data("Car.gbx"),
                 "\"Ford\"" + EmptyVehicleRecord.mid(2).replace("#FALSE#,\"\"\r\n", "#FALSE#,\"" + notes + "\"\r\n"));
        writeAll(data(copy()),
                 "\"Ford\"" + EmptyVehicleRecord.mid(2).replace(",#FALSE#,#FALSE#,\"\",", ",#TRUE#,#FALSE#,\"\","));
        frmSyncConflicts window;
        window.showResult(SyncConflicts::scan());
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        QCOMPARE(window.lstConflicts->item(0)->text(), QStringLiteral("Vehicle Info. of Car"));
        QCOMPARE(window.tvwCompare->headerItem()->text(1), QStringLiteral("This computer's version"));
        QVERIFY(window.lblCopy->text().contains("from the device ABCDEFG"));

        QTreeWidget* t = window.tvwCompare;
        QCOMPARE(t->topLevelItem(0)->text(0), QStringLiteral("Automatic"));
        QCOMPARE(t->topLevelItem(0)->text(1), QStringLiteral("not ticked"));
        QCOMPARE(t->topLevelItem(0)->text(2), QStringLiteral("ticked"));
        QCOMPARE(t->topLevelItem(1)->text(0), QStringLiteral("Notes"));
        QVERIFY(t->topLevelItem(2)->isHidden()); // the same in both
        window.chkShowSame->click();
        QVERIFY(!t->topLevelItem(2)->isHidden());

        QCoreApplication::processEvents();
        QVERIFY2(t->header()->length() <= t->viewport()->width(), qPrintable(QString::number(t->header()->length())));
        const QRect notesRow = t->visualItemRect(t->topLevelItem(1));
        QVERIFY2(notesRow.height() > 10 * t->fontMetrics().height(), qPrintable(QString::number(notesRow.height())));
    }

    // The note of where the safety backup went outlasts the reading that follows it.
    void safetyBackupStaysSaid()
    {
        env->dataFolder();
        writeCar("Ford", "Fiat");
        frmSyncConflicts window;
        window.showResult(SyncConflicts::scan());
        window.cmdKeepRecord->click();
        QSignalSpy finished(&window, &frmSyncConflicts::scanFinished);
        window.refresh();
        QVERIFY(finished.wait());
        const QString status = window.lblStatus->text();
        QVERIFY2(status.startsWith("Vehicle Info. of Car is resolved. Both versions are in the safety backup \"") &&
                     status.contains(".tar.gz\"."),
                 qPrintable(status));
        QVERIFY(window.lblStatus->text().endsWith("There are no sync conflicts."));
    }

    // The program's start reads the folder after the main window opens and
    // shows the window when there is a conflict; the Edit menu reads it anew.
    void openedAtStartAndFromTheEditMenu()
    {
        env->dataFolder();
        writeCar("Ford", "Fiat");
        setConflictCheckAtStart(true);
        startGearbook();
        emit frmLogin::instance()->loggedIn();
        w.reset(frmAutoMain::instance());
        QVERIFY(
            QTest::qWaitFor([] { return frmSyncConflicts::exists() && frmSyncConflicts::existing()->isVisible(); }));
        frmSyncConflicts* window = frmSyncConflicts::existing();
        QCOMPARE(window->conflicts().size(), 1);

        window->close();
        QFile::remove(data(copy()));
        w->mnuSyncConflicts->trigger();
        QVERIFY(window->isVisible());
        QSignalSpy finished(window, &frmSyncConflicts::scanFinished);
        QVERIFY(finished.wait());
        QCOMPARE(window->lblStatus->text(), QStringLiteral("There are no sync conflicts."));
    }

    // A copy that arrives while the program runs is told at once, naming its
    // record, once, and never over an open dialog; the answer opens the window.
    // A copy there at the start is the start's check's.
    void copyArrivingWhileRunningIsToldAtOnce()
    {
        env->dataFolder();
        writeCar("Ford", "Fiat");
        startGearbook();
        emit frmLogin::instance()->loggedIn();
        w.reset(frmAutoMain::instance());
        ConflictAlert* alert = nullptr;
        QTRY_VERIFY((alert = w->findChild<ConflictAlert*>()) && !alert->isReading());

        QDialog modal(w.get());
        modal.setModal(true);
        modal.show();
        QTRY_COMPARE(QApplication::activeModalWidget(), &modal);
        const QString arrived = QStringLiteral("Car.sync-conflict-20261202-111111-HIJKLMN.gbx");
        writeAll(data(arrived), "\"Opel\"" + EmptyVehicleRecord.mid(2));
        QTest::qWait(500);
        QCOMPARE(dialogs->messages(), QStringList());

        dialogs->choiceAnswers.enqueue(0);
        modal.close();
        QTRY_COMPARE(dialogs->messages().size(), 1);
        QVERIFY2(dialogs->messages().first().contains("The vehicle \"Car\" (" + arrived + ")"),
                 qPrintable(dialogs->messages().first()));
        QVERIFY(!dialogs->messages().first().contains(copy()));
        QCOMPARE(dialogs->shown.first().captions, (QStringList{"Open Sync Conflicts", "Later"}));
        QTRY_VERIFY(frmSyncConflicts::exists() && frmSyncConflicts::existing()->isVisible());

        // Told once: the folder changing again tells nothing more.
        writeAll(data("Unrelated.txt"), "x");
        QTest::qWait(300);
        QTRY_VERIFY(!alert->isReading());
        QCOMPARE(dialogs->messages().size(), 1);
    }
};

GEARBOOK_TEST_MAIN(TestSyncConflictsWindow)
#include "tst_syncconflictswindow.moc"
