#include "../vehicles/MainWindowFixture.h"
#include "app/DiskWatcher.h"
#include "common/SafeFile.h"
#include "vehicles/EntryLog.h"

#include <QSignalSpy>

// The shown vehicle's files and the vehicle list, changed on disk by a sync
// tool while the window shows them.
class TestDiskWatcher : public MainWindowFixture {
    Q_OBJECT

    static QByteArray vanRecord(const QByteArray& make, const QByteArray& model)
    {
        return "\"" + make + "\",\"" + model + "\"" + EmptyVehicleRecord.mid(5);
    }

    // The way sync tools and our own saves write: a new file renamed over the old one.
    static void writeByRename(const QString& path, const QByteArray& bytes) { QVERIFY(writeFileSafely(path, bytes)); }

    void openVan()
    {
        env->dataFolder();
        writeAll(data("MainList.gbx"), "\"Van\"\r\n");
        writeAll(data("Van.gbx"), vanRecord("", ""));
        QVERIFY(open());
        pick("Van");
    }

private slots:
    void aChangeOnDiskIsShownAndOurOwnSaveIsNot()
    {
        openVan();
        DiskWatcher watcher(w.get());
        QSignalSpy reloaded(&watcher, &DiskWatcher::reloaded);

        w->txtIMake->setFocus();
        QTest::keyClicks(w->txtIMake, "Ford");
        QTest::keyClick(w->txtIMake, Qt::Key_Tab); // our save, by rename
        QTest::qWait(300);
        QCOMPARE(reloaded.size(), 0);

        writeByRename(data("Van.gbx"), vanRecord("Ford", "Transit"));
        QTRY_COMPARE(w->txtIModel->text(), QStringLiteral("Transit"));
        QCOMPARE(reloaded.size(), 1);

        // Still watched after the rename: a change written in place is seen too.
        QVERIFY(watcher.watchedFiles().contains(data("Van.gbx")));
        QFile inPlace(data("Van.gbx"));
        QVERIFY(inPlace.open(QIODevice::WriteOnly)); // the same file, emptied and written
        inPlace.write(vanRecord("Ford", "Trabant"));
        inPlace.close();
        QTRY_COMPARE(w->txtIModel->text(), QStringLiteral("Trabant"));
        QCOMPARE(dialogs->messages(), QStringList());
    }

    void theFieldBeingEditedKeepsItsText()
    {
        openVan();
        DiskWatcher watcher(w.get());
        w->txtIMake->setFocus();
        QTest::keyClicks(w->txtIMake, "Fo");
        writeByRename(data("Van.gbx"), vanRecord("Opel", "Astra"));
        QTRY_COMPARE(w->txtIModel->text(), QStringLiteral("Astra"));
        QCOMPARE(w->txtIMake->text(), QStringLiteral("Fo"));
        QVERIFY(w->txtIMake->hasFocus());
    }

    void filesNotThereYetAndTheVehicleListAreSeenThroughTheFolder()
    {
        openVan();
        DiskWatcher watcher(w.get());
        writeByRename(data("MainList.gbx"), "\"Car\"\r\n\"Van\"\r\n");
        QTRY_COMPARE(w->cboVehicle->count(), 2);
        QCOMPARE(w->selectedVehicle(), QStringLiteral("Van"));

        writeByRename(data("VanMaint.gbx"), "\"Oil\"\r\n"); // the list did not exist
        QTRY_COMPARE(w->maintLog()->names(), QStringList({"Oil"}));
        QTRY_VERIFY(watcher.watchedFiles().contains(data("VanMaint.gbx")));
    }
};

GEARBOOK_TEST_MAIN(TestDiskWatcher)
#include "tst_diskwatcher.moc"
