#include "MainWindowFixture.h"

#include "common/RecordFile.h"
#include "common/modGlobalVars.h"
#include "help/frmAutoAbout.h"

#include <QApplication>
#include <QDir>
#include <QFileInfo>
#include <QMenuBar>
#include <QTabWidget>

class TestMainWindow : public MainWindowFixture {
    Q_OBJECT

    struct Expect {
        QList<QWidget*> widgets;
        QList<QAction*> actions;
    };

    // The rows of the enabled-state table.
    QList<QWidget*> pageInfoControls() const
    {
        return {w->txtIMake,    w->txtIModel,   w->txtIYear,   w->txtIColor,    w->txtIEngine,    w->txtIDoors,
                w->txtIMileage, w->optIAuto,    w->optIManual, w->txtILocation, w->txtIDatePurch, w->txtIWarranty,
                w->txtIInsName, w->txtIInsDate, w->optINew,    w->optIUsed,     w->txtINotes,     w->chkPic};
    }
    QList<QWidget*> detailFields() const
    {
        return {w->txtMLastInsp, w->txtMNextInsp, w->txtMPMileage,  w->txtMNMileage, w->txtMShop,
                w->txtMNotes,    w->txtPLocation, w->txtPDatePurch, w->txtPBrand,    w->txtPWarranty,
                w->txtPSpecs,    w->txtPDateInst, w->txtPNumParts,  w->txtPNotes};
    }

    // Checks one column of the table: always-enabled rows, then the rows that
    // vary, each with the state it must have.
    void checkStates(bool removeEnabled, bool infoEnabled, bool listsEnabled, bool addEntryEnabled)
    {
        for (QWidget* c : {static_cast<QWidget*>(w->cboVehicle), static_cast<QWidget*>(w->cmdAddVehicle),
                           static_cast<QWidget*>(w->cmdPrint), static_cast<QWidget*>(w->cmdClose)})
            QVERIFY2(c->isEnabled(), qPrintable(c->objectName()));
        for (QAction* a : {w->mnuPrint, w->mnuExit, w->mnuAddVehicle, w->mnuPassword, w->mnuReadme, w->mnuAbout})
            QVERIFY2(a->isEnabled(), qPrintable(a->objectName()));
        QCOMPARE(w->cmdRemove->isEnabled(), removeEnabled);
        QCOMPARE(w->mnuRemVehicle->isEnabled(), removeEnabled);
        for (QWidget* c : pageInfoControls())
            QVERIFY2(c->isEnabled() == infoEnabled, qPrintable(c->objectName()));
        QCOMPARE(w->lstMaintList->isEnabled(), listsEnabled);
        QCOMPARE(w->lstPParts->isEnabled(), listsEnabled);
        for (QWidget* c : {static_cast<QWidget*>(w->cmdAddMaint), static_cast<QWidget*>(w->cmdPAddPart)})
            QVERIFY2(c->isEnabled() == addEntryEnabled, qPrintable(c->objectName()));
        QCOMPARE(w->mnuAddMaint->isEnabled(), addEntryEnabled);
        QCOMPARE(w->mnuAddPart->isEnabled(), addEntryEnabled);
        for (QWidget* c : {static_cast<QWidget*>(w->cmdRemMaint), static_cast<QWidget*>(w->cmdPRemPart)})
            QVERIFY2(!c->isEnabled(), qPrintable(c->objectName()));
        QVERIFY(!w->mnuRemMaint->isEnabled());
        QVERIFY(!w->mnuRemPart->isEnabled());
        for (QWidget* c : detailFields())
            QVERIFY2(!c->isEnabled(), qPrintable(c->objectName()));
    }

private slots:
    void firstStartCreatesTheFoldersAndShowsNothing()
    {
        QVERIFY(!QFileInfo::exists(DataFolder::path()));
        QVERIFY(open());
        QVERIFY(QFileInfo(DataFolder::path()).isDir());
        QCOMPARE(w->cboVehicle->count(), 0);
        QCOMPARE(w->selectedVehicle(), QString());
        QCOMPARE(w->SSTab1->currentIndex(), 0);
        QVERIFY(QDir(DataFolder::path()).isEmpty()); // opening writes nothing
        QVERIFY(dialogs->shown.isEmpty());
    }

    void enabledStatesAtStartAfterSelectingAndAfterRemoving()
    {
        QVERIFY(open());
        checkStates(false, false, false, false);

        add("Van");
        checkStates(true, true, true, true);
        QCOMPARE(w->lblMaintSelected->text(), QString("Please select maintenance"));
        QCOMPARE(w->lblPPartSelected->text(), QString("Please select a part"));

        dialogs->messageAnswers.enqueue(MsgAnswer::Yes);
        w->cmdRemove->click();
        checkStates(false, false, true, false);
        QCOMPARE(ListRows::count(w->lstMaintList), 0);
        QCOMPARE(ListRows::count(w->lstPParts), 0);
        for (QWidget* c : detailFields()) {
            if (auto* line = qobject_cast<QLineEdit*>(c))
                QVERIFY(line->text().isEmpty());
            else
                QVERIFY(qobject_cast<QPlainTextEdit*>(c)->toPlainText().isEmpty());
        }
    }

    void loadingShowsTheListSortedWithNothingSelected()
    {
        env->dataFolder();
        writeAll(data("MainList.gbx"), "\"van\"\r\n\"Car\"\r\n\"truck\"\r\n\"Boat\"\r\n");
        QVERIFY(open());
        QStringList shown;
        for (int i = 0; i < w->cboVehicle->count(); ++i)
            shown << w->cboVehicle->itemText(i);
        QCOMPARE(shown, QStringList({"Boat", "Car", "truck", "van"}));
        QCOMPARE(w->cboVehicle->currentIndex(), -1);
        QVERIFY(!w->cmdRemove->isEnabled());
        // Opening leaves the file alone.
        QCOMPARE(readAll(data("MainList.gbx")), QByteArray("\"van\"\r\n\"Car\"\r\n\"truck\"\r\n\"Boat\"\r\n"));
    }

    void addingKeepsTheNameAsTypedAndSortsIt()
    {
        QVERIFY(open());
        add("bravo");
        add(" Alpha ");
        const Shown& input = dialogs->shown.first();
        QCOMPARE(input.kind, ScriptedPlatform::Kind::Input);
        QCOMPARE(input.text,
                 QString("Please enter a name or description of the new vehicle being added to the database."));
        QCOMPARE(input.title, QString("Add Vehicle"));
        QCOMPARE(input.initial, QString());

        QCOMPARE(w->cboVehicle->itemText(0), QString(" Alpha "));
        QCOMPARE(w->cboVehicle->itemText(1), QString("bravo"));
        QCOMPARE(w->selectedVehicle(), QString(" Alpha "));
        QCOMPARE(readAll(data("MainList.gbx")), QByteArray("\" Alpha \"\r\n\"bravo\"\r\n"));
        QCOMPARE(readAll(data(" Alpha .gbx")), EmptyVehicleRecord);
        QVERIFY(QFileInfo::exists(data("bravo.gbx")));
        QCOMPARE(dialogs->messages(), QStringList());
    }

    void cancelOrBlanksChangeNothing()
    {
        QVERIFY(open());
        add("Car");
        const QByteArray list = readAll(data("MainList.gbx"));
        add(QString()); // Cancel
        add("    ");    // blanks only
        QCOMPARE(w->cboVehicle->count(), 1);
        QCOMPARE(w->selectedVehicle(), QString("Car"));
        QCOMPARE(readAll(data("MainList.gbx")), list);
        QCOMPARE(QDir(DataFolder::path()).entryList(QDir::Files).size(), 2);
        QCOMPARE(dialogs->messages(), QStringList());
    }

    void aDuplicateNameShowsTwice()
    {
        QVERIFY(open());
        add("Van");
        add("Van");
        QCOMPARE(w->cboVehicle->count(), 2);
        QCOMPARE(w->cboVehicle->itemText(0), QString("Van"));
        QCOMPARE(w->cboVehicle->itemText(1), QString("Van"));
        QCOMPARE(readAll(data("MainList.gbx")), QByteArray("\"Van\"\r\n\"Van\"\r\n"));
    }

    void forbiddenNamesAreRefusedAndNothingChanges_data()
    {
        QTest::addColumn<QString>("name");
        QTest::newRow("slash") << "Car/Van";
        QTest::newRow("quote") << "The \"big\" one";
        QTest::newRow("star") << "Car*";
        QTest::newRow("tab") << "Car\tVan";
        QTest::newRow("not in the code page") << QString::fromUtf8("Škoda \u0150");
    }
    void forbiddenNamesAreRefusedAndNothingChanges()
    {
        QFETCH(QString, name);
        QVERIFY(open());
        add("Car");
        const QByteArray list = readAll(data("MainList.gbx"));
        dialogs->clear();
        add(name);
        QCOMPARE(dialogs->messages().size(), 1);
        QCOMPARE(dialogs->shown.last().title, QString("Add Vehicle"));
        QCOMPARE(w->cboVehicle->count(), 1);
        QCOMPARE(w->selectedVehicle(), QString("Car"));
        QCOMPARE(readAll(data("MainList.gbx")), list);
        QCOMPARE(QDir(DataFolder::path()).entryList(QDir::Files).size(), 2);
    }

    void removingWithNothingSelected()
    {
        env->dataFolder();
        writeAll(data("MainList.gbx"), "\"Car\"\r\n");
        QVERIFY(open());
        w->mnuRemVehicle->setEnabled(true); // the button is disabled; reach the command anyway
        w->mnuRemVehicle->trigger();
        QCOMPARE(dialogs->shown.size(), 1);
        const Shown& m = dialogs->shown.first();
        QCOMPARE(m.text, QString("Please select a vehicle to remove."));
        QVERIFY(m.title.isEmpty()); // the application title
        QCOMPARE(modGlobalVars::ApplicationTitle, QString("Venbry's Gearbook"));
        QCOMPARE(m.buttons, MsgButtons::Ok);
        QCOMPARE(m.icon, MsgIcon::None);
        QCOMPARE(w->cboVehicle->count(), 1);
    }

    void answeringNoChangesNothing()
    {
        QVERIFY(open());
        add("Van");
        const QStringList before = QDir(DataFolder::path()).entryList(QDir::Files);
        dialogs->clear();
        dialogs->messageAnswers.enqueue(MsgAnswer::No);
        w->cmdRemove->click();
        QCOMPARE(dialogs->shown.size(), 1);
        const Shown& m = dialogs->shown.first();
        QCOMPARE(m.text, QString("You are about to remove Van. Are you sure you want to do this?"));
        QCOMPARE(m.title, QString("Remove Vehicle"));
        QCOMPARE(m.buttons, MsgButtons::YesNo);
        QCOMPARE(m.icon, MsgIcon::None);
        QCOMPARE(QDir(DataFolder::path()).entryList(QDir::Files), before);
        QCOMPARE(w->selectedVehicle(), QString("Van"));
        QVERIFY(w->txtIMake->isEnabled());
    }

    void removingOneOfTwinsKeepsTheirFiles()
    {
        QVERIFY(open());
        add("Ford");
        w->txtIMake->setText("Ford");
        w->SaveVehicleInfo();
        add("Ford");
        QCOMPARE(w->cboVehicle->count(), 2);
        const QByteArray record = readAll(data("Ford.gbx"));
        dialogs->messageAnswers.enqueue(MsgAnswer::Yes);
        w->cmdRemove->click();
        QCOMPARE(w->cboVehicle->count(), 1);
        QCOMPARE(readAll(data("MainList.gbx")), QByteArray("\"Ford\"\r\n"));
        QCOMPARE(readAll(data("Ford.gbx")), record); // the twin still lives in it
    }

    void anUnreadableVehicleListIsNeverWritten()
    {
        env->dataFolder();
        QVERIFY(QDir().mkdir(data("MainList.gbx")));
        QVERIFY(open());
        QCOMPARE(dialogs->messages().size(), 1);
        QVERIFY(dialogs->messages()[0].contains(data("MainList.gbx")));
        add("Bus");
        QCOMPARE(dialogs->messages().size(), 2); // refused, saying why
        QCOMPARE(w->cboVehicle->count(), 0);
        QVERIFY(QFileInfo(data("MainList.gbx")).isDir());
        QVERIFY(!QFileInfo::exists(data("Bus.gbx")));
    }

    void aNameWhoseFilesHoldOtherRecordsIsRefused_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<bool>("refused");
        QTest::newRow("vehicle list") << QStringLiteral("MainList") << true;
        QTest::newRow("another vehicle's list") << QStringLiteral("FordMaint") << true;
        QTest::newRow("another vehicle's picture") << QStringLiteral("FordPic") << true;
        QTest::newRow("another vehicle's entry") << QStringLiteral("FordOil") << true;
        QTest::newRow("shares nothing") << QStringLiteral("Ford Truck") << false;
    }
    void aNameWhoseFilesHoldOtherRecordsIsRefused()
    {
        QFETCH(QString, name);
        QFETCH(bool, refused);
        QVERIFY(open());
        add("Ford");
        writeAll(data("FordMaint.gbx"), "\"Oil\"\r\n");
        const QStringList before = QDir(env->dataFolder()).entryList(QDir::Files, QDir::Name);
        const QByteArray list = readAll(data("MainList.gbx"));
        dialogs->clear();
        add(name);
        if (!refused) {
            QCOMPARE(w->cboVehicle->count(), 2);
            QVERIFY(dialogs->messages().isEmpty());
            return;
        }
        QCOMPARE(dialogs->messages().size(), 1);
        QCOMPARE(w->cboVehicle->count(), 1);
        QCOMPARE(readAll(data("MainList.gbx")), list);
        QCOMPARE(QDir(env->dataFolder()).entryList(QDir::Files, QDir::Name), before);
    }

    void answeringYesRemovesOnlyThatVehicle()
    {
        QVERIFY(open());
        add("Ford Truck");
        add("Ford");
        w->txtIMake->setText("Ford");
        w->SaveVehicleInfo();
        writeAll(data("FordMaint.gbx"), "\"Oil\"\r\n");
        writeAll(data("FordOil.gbx"), "\"1\",\"2\",\"3\",\"4\",\"5\",\"6\"\r\n");
        writeAll(data("FordPic.gbx"), "/pictures/ford.jpg\r\n");
        const QByteArray truck = readAll(data("Ford Truck.gbx"));

        dialogs->messageAnswers.enqueue(MsgAnswer::Yes);
        w->cmdRemove->click();

        for (const char* gone : {"Ford.gbx", "FordMaint.gbx", "FordOil.gbx", "FordPic.gbx"})
            QVERIFY2(!QFileInfo::exists(data(gone)), gone);
        QCOMPARE(readAll(data("Ford Truck.gbx")), truck);
        QCOMPARE(readAll(data("MainList.gbx")), QByteArray("\"Ford Truck\"\r\n"));
        QCOMPARE(w->cboVehicle->count(), 1);
        QCOMPARE(w->cboVehicle->currentIndex(), -1);
        QCOMPARE(w->selectedVehicle(), QString());
        QVERIFY(w->txtIMake->text().isEmpty());
        QVERIFY(!w->txtIMake->isEnabled());
        QVERIFY(!QFileInfo::exists(data(".gbx"))); // no file for the empty selection

        // The last one: the list file stays, empty.
        pick("Ford Truck");
        dialogs->messageAnswers.enqueue(MsgAnswer::Yes);
        w->mnuRemVehicle->trigger();
        QVERIFY(QFileInfo::exists(data("MainList.gbx")));
        QCOMPARE(QFileInfo(data("MainList.gbx")).size(), 0);
    }

    void functionKeysAndShortcuts()
    {
        QVERIFY(open());
        dialogs->inputAnswers.enqueue("Van");
        QTest::keyClick(w.get(), Qt::Key_F1);
        QCOMPARE(w->selectedVehicle(), QString("Van"));
        QCOMPARE(dialogs->shown.first().kind, ScriptedPlatform::Kind::Input); // not help

        dialogs->messageAnswers.enqueue(MsgAnswer::No);
        QTest::keyClick(w.get(), Qt::Key_F2);
        QCOMPARE(dialogs->shown.last().title, QString("Remove Vehicle"));

        QTest::keyClick(w.get(), Qt::Key_P, Qt::ControlModifier);
        QCOMPARE(dialogs->printed.size(), 1);
    }

    void ctrlXInATextBoxEndsTheProgramAfterSavingTheField()
    {
        QVERIFY(open());
        add("Van");
        w->txtIMake->setFocus();
        QVERIFY(w->txtIMake->hasFocus());
        QTest::keyClicks(w->txtIMake, "Saab");
        w->txtIMake->selectAll();
        QTest::keyClick(w->txtIMake, Qt::Key_X, Qt::ControlModifier);
        QCOMPARE(quits, 1);
        QCOMPARE(w->txtIMake->text(), QString("Saab")); // not cut
        QCOMPARE(fieldsOf(readAll(data("Van.gbx"))).at(0), QByteArray("\"Saab\""));
    }

    void ctrlXInTheNotesEndsTheProgramToo()
    {
        QVERIFY(open());
        add("Van");
        w->txtINotes->setFocus();
        QTest::keyClicks(w->txtINotes, "rust");
        QTest::keyClick(w->txtINotes, Qt::Key_X, Qt::ControlModifier);
        QCOMPARE(quits, 1);
        QVERIFY(readAll(data("Van.gbx")).endsWith(",\"rust\"\r\n"));
    }

    void menuShortcutsWinOverTheTextBoxesKeys()
    {
        QVERIFY(open());
        add("Van");
        w->txtIMake->setFocus();
        QTest::keyClicks(w->txtIMake, "Saab");
        // Ctrl+A is About, not Select All; Ctrl+P prints from inside a text box too.
        QTest::keyClick(w->txtIMake, Qt::Key_A, Qt::ControlModifier);
        QVERIFY(frmAutoAbout::existing());
        QVERIFY(frmAutoAbout::existing()->isVisible());
        frmAutoAbout::existing()->close();
        QTest::keyClick(w->txtIMake, Qt::Key_P, Qt::ControlModifier);
        QCOMPARE(dialogs->printed.size(), 1);
        QCOMPARE(quits, 0);
    }

    void exitButtonAndMenuSaveTheFieldFirst()
    {
        QVERIFY(open());
        add("Van");
        w->txtIModel->setFocus();
        QTest::keyClicks(w->txtIModel, "Transit");
        w->mnuExit->trigger(); // menus take no focus
        QCOMPARE(quits, 1);
        QCOMPARE(fieldsOf(readAll(data("Van.gbx"))).at(1), QByteArray("\"Transit\""));
    }

    void exitButtonEndsTheProgram()
    {
        QVERIFY(open());
        add("Van");
        w->txtIYear->setFocus();
        QTest::keyClicks(w->txtIYear, "1999");
        QTest::mouseClick(w->cmdClose, Qt::LeftButton);
        QCOMPARE(quits, 1);
        QCOMPARE(fieldsOf(readAll(data("Van.gbx"))).at(2), QByteArray("\"1999\""));
    }

    void closingByTheFrameSavesUnchecksThePictureBoxAndEnds()
    {
        QVERIFY(open());
        add("Van");
        w->chkPic->setChecked(true);
        w->txtIColor->setFocus();
        QTest::keyClicks(w->txtIColor, "Red");
        QVERIFY(w->close());
        QCOMPARE(quits, 1);
        QVERIFY(!w->chkPic->isChecked());
        QCOMPARE(fieldsOf(readAll(data("Van.gbx"))).at(3), QByteArray("\"Red\""));
    }

    void aMenuCommandSavesTheEditInProgress()
    {
        QVERIFY(open());
        add("Van");
        w->txtIEngine->setFocus();
        QTest::keyClicks(w->txtIEngine, "V8");
        QTest::keyClick(w.get(), Qt::Key_F1); // Cancel in the input box
        QCOMPARE(fieldsOf(readAll(data("Van.gbx"))).at(4), QByteArray("\"V8\""));
    }

    void aFieldSavesBeforeTheClickThatMovedTheFocusActs()
    {
        QVERIFY(open());
        add("Van");
        QStringList log;
        ListRows::model(w->lstMaintList)->setStringList({"Brakes", "Oil"});
        w->txtMShop->setEnabled(true);
        w->registerFieldSaver(w->txtMShop, [&] { log << "save " + w->txtMShop->text(); });
        connect(w->lstMaintList->selectionModel(), &QItemSelectionModel::currentRowChanged, this,
                [&](const QModelIndex& row) { log << "select " + QString::number(row.row()); });
        w->SSTab1->setCurrentIndex(1);
        w->txtMShop->setFocus();
        QTest::keyClicks(w->txtMShop, "Garage");
        QTest::mouseClick(w->lstMaintList->viewport(), Qt::LeftButton, {}, ListRows::centre(w->lstMaintList, "Oil"));
        QCOMPARE(log, QStringList({"save Garage", "select 1"}));

        // A disabled field saves nothing when it loses the focus.
        log.clear();
        w->txtMShop->setFocus();
        w->DisableEntryDetails();
        QVERIFY(!w->txtMShop->hasFocus());
        QCOMPARE(log, QStringList());
    }

    void printingGrabsTheClientArea()
    {
        QVERIFY(open());
        w->cmdPrint->click();
        QCOMPARE(dialogs->printed.size(), 1);
        QCOMPARE(dialogs->printed.first().size(), QSize(545, 519));
        QCOMPARE(dialogs->messages(), QStringList());

        dialogs->printSucceeds = false;
        w->mnuPrint->trigger();
        QCOMPARE(dialogs->messages().size(), 1);
        QVERIFY(dialogs->messages().first().contains(dialogs->printError));

        // No printer at all: the page can be kept as a PDF instead.
        dialogs->clear();
        dialogs->messageAnswers.enqueue(MsgAnswer::Yes);
        dialogs->fileAnswers.enqueue(env->home() + "/page");
        w->cmdPrint->click();
        QCOMPARE(dialogs->shown.at(1).buttons, MsgButtons::YesNo);
        QCOMPARE(dialogs->shown.at(2).kind, ScriptedPlatform::Kind::FileSave);
        QVERIFY(readAll(env->home() + "/page.pdf").startsWith("%PDF"));
        QCOMPARE(QFileInfo(env->home() + "/page.pdf").permissions(),
                 QFile::ReadOwner | QFile::WriteOwner | QFile::ReadUser | QFile::WriteUser);
    }

    void readMeSetsTheAddressAndRestoresTheFolder()
    {
        QVERIFY(open());
        w->mnuReadme->trigger();
        QCOMPARE(modGlobalVars::CurrentAddress, env->workDir() + "/ReadMe.htm");
        QCOMPARE(QDir::currentPath(), env->workDir());
    }

    void theListIsLimitedTo32767Vehicles()
    {
        env->dataFolder();
        QStringList names;
        for (int i = 0; i < VehicleFiles::MaxVehicles; ++i)
            names << QString("Car %1").arg(i, 5, 10, QChar('0'));
        QVERIFY(VehicleFiles::SaveVehicleList(names));
        QVERIFY(open());
        QCOMPARE(w->cboVehicle->count(), VehicleFiles::MaxVehicles);
        dialogs->inputAnswers.enqueue("One more");
        w->cmdAddVehicle->click();
        QCOMPARE(dialogs->messages().size(), 1);
        QCOMPARE(w->cboVehicle->count(), VehicleFiles::MaxVehicles);
        QCOMPARE(dialogs->inputAnswers.size(), 1); // not even asked
        QCOMPARE(VehicleFiles::LoadVehicleList(), names);
    }

    void windowLayout()
    {
        QVERIFY(open());
        QCOMPARE(w->windowTitle(), QString("Venbry's Gearbook 1.1"));
        QCOMPARE(w->centralWidget()->size(), QSize(545, 519));
        QCOMPARE(w->minimumSize(), w->maximumSize());
        QVERIFY(!(w->windowFlags() & Qt::WindowMaximizeButtonHint));
        QCOMPARE(w->cboVehicle->geometry(), QRect(8, 32, 273, 21));
        QCOMPARE(w->cmdRemove->geometry(), QRect(384, 24, 97, 25));
        QCOMPARE(w->SSTab1->geometry(), QRect(8, 64, 531, 401));
        QCOMPARE(w->cmdClose->mapTo(w->centralWidget(), QPoint()), QPoint(8 + 272, 464 + 16));
        QCOMPARE(w->cmdClose->text(), QString("E&xit"));
        // Page controls are placed from the tab control's corner, on every page.
        QCOMPARE(w->txtIMake->mapTo(w->SSTab1, QPoint()), QPoint(8 + 48, 32 + 40));
        QCOMPARE(w->chkPic->mapTo(w->SSTab1, QPoint()), QPoint(176, 32));
        QCOMPARE(w->txtINotes->mapTo(w->SSTab1, QPoint()), QPoint(184, 240));
        QCOMPARE(w->txtINotes->size(), QSize(329, 145));
        w->SSTab1->setCurrentIndex(1);
        QCOMPARE(w->lstMaintList->mapTo(w->SSTab1, QPoint()), QPoint(16, 56));
        QCOMPARE(w->txtMShop->mapTo(w->SSTab1, QPoint()), QPoint(200 + 24, 56 + 136));
        w->SSTab1->setCurrentIndex(2);
        QCOMPARE(w->txtPDateInst->mapTo(w->SSTab1, QPoint()), QPoint(200 + 208, 56 + 120));
        QCOMPARE(w->lstPParts->geometry().size(), QSize(177, 316));
        QStringList tabs;
        for (int i = 0; i < w->SSTab1->count(); ++i)
            tabs << w->SSTab1->tabText(i);
        QCOMPARE(tabs, QStringList({"Vehicle Info.", "Maintenance", "Parts"}));
    }

    void menus()
    {
        QVERIFY(open());
        QStringList seen;
        for (QAction* menu : w->menuBar()->actions()) {
            seen << menu->text();
            for (QAction* a : menu->menu()->actions())
                seen << (a->isSeparator()
                             ? QString("-") + a->objectName()
                             : QString("%1|%2|%3|%4")
                                   .arg(a->objectName(), a->text(), a->shortcut().toString(QKeySequence::PortableText))
                                   .arg(a->isEnabled()));
        }
        QCOMPARE(seen, QStringList({"&File",
                                    "mnuPrint|Print Page|Ctrl+P|1",
                                    "mnuBackup|Back Up Data...|Ctrl+B|1",
                                    "mnuRestore|Restore Data...||1",
                                    "mnuExport|Export to CSV...||1",
                                    "mnuImport|Import from CSV...||1",
                                    "mnuReport|Vehicle Report...|Ctrl+Shift+P|0",
                                    "-mnuHyphen1",
                                    "mnuExit|Exit|Ctrl+X|1",
                                    "&Edit",
                                    "mnuAddVehicle|Add Vehicle|F1|1",
                                    "mnuRemVehicle|Remove Vehicle|F2|0",
                                    "-mnuHyphen2",
                                    "mnuAddMaint|Add Maintenance|F3|0",
                                    "mnuRemMaint|Remove Maintenance|F4|0",
                                    "-mnuHyphen3",
                                    "mnuAddPart|Add Part|F5|0",
                                    "mnuRemPart|Remove Part|F6|0",
                                    "-mnuHyphen7",
                                    "mnuDueMaint|Due Maintenance...|Ctrl+D|1",
                                    "mnuSyncConflicts|Sync Conflicts...||1",
                                    "-mnuHyphen6",
                                    "mnuPassword|Login/Password Properties|Ctrl+L|1",
                                    "&Help",
                                    "mnuReadme|View ReadMe|Ctrl+R|1",
                                    "-mnuHyphen5",
                                    "mnuAbout|About Gearbook|Ctrl+A|1"}));
    }

    void tabOrderOfTheInformationPage()
    {
        QVERIFY(open());
        add("Van");
        const QList<QWidget*> chain{w->txtIMake,   w->txtIModel, w->txtIYear,   w->txtIColor,
                                    w->txtIEngine, w->txtIDoors, w->txtIMileage};
        QWidget* next = w->cboVehicle;
        for (const char* name : {"cmdAddVehicle", "cmdRemove"}) {
            next = next->nextInFocusChain();
            while (next->focusPolicy() == Qt::NoFocus || !next->isEnabled())
                next = next->nextInFocusChain();
            QCOMPARE(next->objectName(), QString(name));
        }
        w->txtIMake->setFocus();
        for (int i = 1; i < chain.size(); ++i) {
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
            QCOMPARE(QApplication::focusWidget(), chain[i]);
        }
    }
};

GEARBOOK_TEST_MAIN(TestMainWindow)
#include "tst_mainwindow.moc"
