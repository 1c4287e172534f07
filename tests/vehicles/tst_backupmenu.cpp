#include "MainWindowFixture.h"
#include "backup/Archive.h"
#include "backup/Restore.h"
#include "sync/ConflictResolution.h"
#include "vehicles/frmRestoreData.h"

#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QLocale>
#include <QStandardPaths>

// File > "Back Up Data...", "Restore Data..." and "Export to CSV..." through the real window.
class TestBackupMenu : public MainWindowFixture {
    Q_OBJECT

    QString documents() const { return QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation); }

private slots:
    void backUpThenRestoreReloadsTheWindow()
    {
        QVERIFY(QDir().mkpath(documents()));
        QVERIFY(open());
        add("Ford");
        w->txtIMake->setFocus();
        QTest::keyClicks(w->txtIMake, "Model T"); // still being edited when the backup starts
        dialogs->clear();
        const QString archive = env->home() + "/b.tar.gz";
        dialogs->fileAnswers.enqueue(archive);
        w->mnuBackup->trigger();
        QCOMPARE(dialogs->shown.first().kind, ScriptedPlatform::Kind::FileSave);
        QCOMPARE(dialogs->shown.first().initial,
                 documents() + QDate::currentDate().toString("/'Gearbook backup 'yyyy-MM-dd'.tar.gz'"));
        QVERIFY2(dialogs->messages().last().contains("backed up to"), qPrintable(dialogs->messages().last()));
        const QByteArray saved = readAll(data("Ford.gbx"));
        QVERIFY(saved.startsWith("\"Model T\""));

        add("Chevy");
        dialogs->clear();
        dialogs->fileAnswers.enqueue(archive);
        dialogs->messageAnswers.enqueue(MsgAnswer::Yes);
        w->mnuRestore->trigger();
        QVERIFY2(dialogs->messages().last().contains("safety backup"), qPrintable(dialogs->messages().last()));
        QCOMPARE(w->cboVehicle->count(), 1);
        QCOMPARE(w->cboVehicle->currentIndex(), -1);
        QVERIFY(!w->txtIMake->isEnabled());
        QVERIFY(w->txtIMake->text().isEmpty());
        QVERIFY(!QFileInfo::exists(data("Chevy.gbx")));
        QCOMPARE(readAll(data("Ford.gbx")), saved);
        pick("Ford");
        QCOMPARE(w->txtIMake->text(), "Model T");
    }

    // No ~/Documents: all three dialogs start in the home folder. A name
    // without .tar.gz gets it, so that the Restore dialog shows the backup.
    void dialogsStartAtHomeAndBackupsEndInTarGz()
    {
        QVERIFY(open());
        add("Ford");
        QVERIFY(QDir().mkpath(data(".stfolder")));
        dialogs->clear();
        dialogs->fileAnswers.enqueue(env->home() + "/my backup");
        w->mnuBackup->trigger();
        QCOMPARE(QFileInfo(dialogs->shown.first().initial).path(), QDir::homePath());
        QVERIFY(Backup::checkArchive(env->home() + "/my backup.tar.gz"));
        QVERIFY(!QFileInfo::exists(env->home() + "/my backup"));
        QVERIFY2(dialogs->messages().last().contains("left out: .stfolder (a folder)"),
                 qPrintable(dialogs->messages().last()));

        dialogs->clear();
        dialogs->fileAnswers.enqueue(std::nullopt);
        w->mnuRestore->trigger();
        dialogs->fileAnswers.enqueue(std::nullopt);
        w->mnuExport->trigger();
        QCOMPARE(dialogs->shown.size(), 2);
        QCOMPARE(dialogs->shown[0].initial, QDir::homePath());
        QCOMPARE(dialogs->shown[1].initial, QDir::homePath());

        // The real dialog starts in the folder it is given, not in the folder's parent.
        const QString documents = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
        QVERIFY(QDir().mkpath(documents));
        const auto dialog = makeOpenFileDialog("Gearbook Backups (*.tar.gz)|*.tar.gz", documents);
        QCOMPARE(dialog->directory().absolutePath(), documents);
    }

    void restoreOfADamagedFileChangesNothing()
    {
        QVERIFY(open());
        add("Ford");
        writeAll(env->home() + "/bad.tar.gz", "not an archive");
        dialogs->fileAnswers.enqueue(env->home() + "/bad.tar.gz");
        w->mnuRestore->trigger();
        QCOMPARE(dialogs->messages().size(), 1);
        QVERIFY(dialogs->messages().first().contains("cannot be restored"));
        QCOMPARE(w->cboVehicle->currentText(), "Ford");
        QVERIFY(w->txtIMake->isEnabled());
    }

    // The safety backup a conflict's resolution writes holds two files: Restore
    // Data says what it holds, asks nothing and changes nothing.
    void safetyBackupOfAConflictIsNotRestoredWhole()
    {
        QVERIFY(open());
        add("Ford");
        add("Chevy");
        writeAll(data("Ford.sync-conflict-20261201-101010-ABCDEFG.gbx"), readAll(data("Ford.gbx")));
        const QList<SyncConflicts::Conflict> found = SyncConflicts::scan();
        QCOMPARE(found.size(), 1);
        const SyncConflicts::Resolution resolved = SyncConflicts::resolve(found.first(), SyncConflicts::Keep::Record);
        QVERIFY2(resolved.ok, qPrintable(resolved.error));
        const QStringList before = QDir(DataFolder::path()).entryList(QDir::Files);
        dialogs->clear();
        dialogs->fileAnswers.enqueue(resolved.safetyBackup);
        dialogs->messageAnswers.enqueue(MsgAnswer::Yes);
        w->mnuRestore->trigger();
        // Listed as what it is; chosen as a file, as any other backup.
        QVERIFY(frmRestoreData::existing()->lstSafetyBackups->item(0)->text().endsWith(
            ": before a sync conflict was resolved (both versions of one record)"));
        frmRestoreData::existing()->cmdChooseFile->click();
        QCOMPARE(dialogs->messages().size(), 1);
        QVERIFY2(dialogs->messages().first().contains("it holds only 2 files (\"Ford.gbx\", "
                                                      "\"Ford.sync-conflict-20261201-101010-ABCDEFG.gbx\")"),
                 qPrintable(dialogs->messages().first()));
        QCOMPARE(QDir(DataFolder::path()).entryList(QDir::Files), before);
        QCOMPARE(w->cboVehicle->count(), 2);
    }

    // Undo in two clicks: Restore Data lists the safety backups, newest first, with what each was made before.
    void restoreDataListsTheSafetyBackups()
    {
        QVERIFY(open());
        add("Ford");
        const QString beforeImport = Restore::safetyBackupPath(
            DataFolder::path(), QDateTime(QDate(2026, 12, 1), QTime(9, 30)), Restore::MadeBefore::Import);
        QVERIFY(Backup::writeBackup(DataFolder::path(), beforeImport));
        add("Chevy");
        const QString beforeRestore =
            Restore::safetyBackupPath(DataFolder::path(), QDateTime(QDate(2026, 11, 30), QTime(8, 0)));
        QVERIFY(Backup::writeBackup(DataFolder::path(), beforeRestore));
        writeAll(env->home() + "/elsewhere.tar.gz", "not listed");

        dialogs->clear();
        w->mnuRestore->trigger();
        frmRestoreData* list = frmRestoreData::existing();
        QVERIFY(list && list->isVisible());
        QVERIFY(dialogs->shown.isEmpty()); // no file dialog unless asked for
        QCOMPARE(list->lstSafetyBackups->count(), 2);
        const QLocale locale;
        QCOMPARE(list->lstSafetyBackups->item(0)->text(),
                 locale.toString(QDate(2026, 12, 1), QLocale::LongFormat) + ", " +
                     locale.toString(QTime(9, 30), QLocale::ShortFormat) + ": before an import");
        QVERIFY(list->lstSafetyBackups->item(1)->text().endsWith(": before a restore"));
        QCOMPARE(list->lstSafetyBackups->currentRow(), 0);
        QCOMPARE(list->cmdChooseFile->text(), "Choose a backup &file...");

        // Restore: the newest, after the question; Chevy came after it and goes.
        dialogs->messageAnswers.enqueue(MsgAnswer::Yes);
        list->cmdRestore->click();
        QVERIFY(!list->isVisible());
        QVERIFY2(dialogs->messages().last().contains("File > Restore Data lists it."),
                 qPrintable(dialogs->messages().last()));
        QCOMPARE(w->cboVehicle->count(), 1);
        QVERIFY(!QFileInfo::exists(data("Chevy.gbx")));

        // The restore's own safety backup is listed now, first; the file dialog is one click away.
        dialogs->clear();
        w->mnuRestore->trigger();
        list = frmRestoreData::existing();
        QCOMPARE(list->lstSafetyBackups->count(), 3);
        QVERIFY(list->lstSafetyBackups->item(0)->text().endsWith(": before a restore"));
        dialogs->fileAnswers.enqueue(std::nullopt);
        list->cmdChooseFile->click();
        QCOMPARE(dialogs->shown.size(), 1);
        QCOMPARE(dialogs->shown[0].kind, ScriptedPlatform::Kind::FileOpen);
        QCOMPARE(w->cboVehicle->count(), 1);
    }

    void exportWritesTheThreeFiles()
    {
        QVERIFY(open());
        add("Ford");
        dialogs->clear();
        dialogs->fileAnswers.enqueue(env->home());
        w->mnuExport->trigger();
        QCOMPARE(dialogs->shown.first().kind, ScriptedPlatform::Kind::Folder);
        QVERIFY2(dialogs->messages().last().startsWith("1 vehicles"), qPrintable(dialogs->messages().last()));
        for (const char* name : {"vehicles.csv", "maintenance.csv", "parts.csv"})
            QVERIFY(QFileInfo::exists(env->home() + "/" + name));
        // A second export asks before it replaces them; No keeps them.
        writeAll(env->home() + "/parts.csv", "mine");
        dialogs->fileAnswers.enqueue(env->home());
        w->mnuExport->trigger();
        QVERIFY(dialogs->messages().last().contains("already holds"));
        QCOMPARE(readAll(env->home() + "/parts.csv"), "mine");
    }
};

GEARBOOK_TEST_MAIN(TestBackupMenu)
#include "tst_backupmenu.moc"
