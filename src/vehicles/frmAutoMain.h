#pragma once

#include "common/FileClaims.h"
#include "common/RecordStore.h"
#include "sync/FieldMerge.h"
#include "ui/SingleInstance.h"
#include "ui_frmAutoMain.h"

#include <QHash>
#include <QMainWindow>
#include <QPersistentModelIndex>
#include <QPoint>

#include <functional>

class EntryLog;
class VehicleInfoPage;
class VehicleList;
class frmDueMaint;

// The main window: the vehicle selector with its buttons, the tabbed pages
// "Vehicle Info.", "Maintenance" and "Parts", printing and ending the program.
// The selector and its file are a VehicleList, the pages a VehicleInfoPage
// and two EntryLogs; the window ties them together and keeps the named
// procedures that the other windows call.
// Controls are public members named as in the form, so the other windows and
// the pages' code reach them as `frmAutoMain::instance()->chkPic`.
class frmAutoMain : public QMainWindow, public Ui::frmAutoMain, public SingleInstance<frmAutoMain> {
    Q_OBJECT

public:
    // A window made directly (tests) becomes the instance when there is none yet.
    explicit frmAutoMain(QWidget* parent = nullptr);
    ~frmAutoMain() override;

    // The selection: the chosen vehicle's name, empty when none is chosen.
    QString selectedVehicle() const;

    // Page-state procedures, also used by the maintenance and parts pages.
    void ClearAllFields();
    void EnableVehicleControls();
    void DisableEntryDetails();
    void DisableVehicleInfo();

    // The "Vehicle Info." page and the vehicle file of the selection.
    void LoadVehicleInfo();
    void SaveVehicleInfo();

    // The vehicle list file and the selector. A save changes the list on disk
    // by the one name added or removed, keeping names added elsewhere.
    void LoadVehicleList();
    void SaveVehicleList(const QString& name, bool added);
    // Files of the selection changed on disk (another computer, a sync tool):
    // the selector and the pages show them; what the user changed and has not
    // stored stays. True when anything shown changed.
    bool reloadFromDisk();

    // Who claims which file: the vehicles, and the selection's lists as shown.
    FileClaims fileClaims() const;

    // Fills lstMaintList from the selection's maintenance list file (maintenance page).
    void LoadMaintList();
    // Fills lstPParts from the selection's parts list file (parts page).
    void LoadPartsList();
    // The entry whose record the maintenance fields show and save; the part of the parts fields.
    QString CurrentMaint() const;
    QString CurrentPart() const;
    // The pages' logic (VehicleList.h, VehicleInfoPage.h, EntryLog.h).
    VehicleList* vehicleList() const { return m_vehicles; }
    VehicleInfoPage* infoPage() const { return m_infoPage; }
    EntryLog* maintLog() const { return m_maintLog; }
    EntryLog* partsLog() const { return m_partsLog; }
    // Shows the selection's picture in the picture window (picture window).
    void LoadVehiclePicture();
    // Runs whenever chkPic changes: shows or hides the picture window (picture window).
    void chkPic_Click();

    // Event handlers.
    void cboVehicle_Click(); // the selection sequence
    void cmdAddVehicle_Click();
    void cmdRemove_Click();
    void cmdPrint_Click();
    void cmdClose_Click();
    void mnuExit_Click();
    // Opens the login preferences dialog and records its check boxes (login windows).
    void mnuPassword_Click();
    void mnuReadme_Click();
    // Shows the about window (help windows).
    void mnuAbout_Click();
    // File > "Back Up Data...", "Restore Data..." and "Export to CSV..." (BackupMenu.cpp).
    void mnuBackup_Click();
    // Lists the safety backups first (frmRestoreData) when there are any.
    void mnuRestore_Click();
    void mnuExport_Click();
    // Restore Data's file dialog, and the restore of the archive chosen (asked first).
    void chooseBackupToRestore();
    void restoreFrom(const QString& archivePath);
    // File > "Vehicle Report...": the selected vehicle's history as a PDF (ReportMenu.cpp).
    void mnuReport_Click();

    // Opens the overview of the maintenance that is due.
    void mnuDueMaint_Click();
    // After records changed on disk behind the window (a sync conflict
    // resolved): the shown ones read again, and the overview of what is due.
    void reloadRecords();

    // Chooses `vehicle` and shows its maintenance entry `entry` selected on the
    // "Maintenance" page, as the user would. False when either is not listed.
    bool selectMaintEntry(const QString& vehicle, const QString& entry);
    // The program's start asks for the overview to be shown after this window
    // opens when something is due (read on a worker thread, after the show).
    static void setDueCheckAtStart(bool check);

    // Field saves. A registered field runs `save` when it loses the focus,
    // before whatever the focus change leads to (a click on a list entry, a
    // button's action). Disabled fields, and fields that lose the focus while
    // saves are held (see FieldSaveHold), save nothing.
    void registerFieldSaver(QWidget* field, std::function<void()> save);
    // Runs the save of the registered field that has the focus, if any: an
    // edit in progress is stored before a menu command, a shortcut or the end
    // of the program acts (menus take no focus). Every menu entry and button
    // of this window calls it before its own handler.
    void commitPendingEdit();

    // Holds field saves while the window changes its own state (selection,
    // removal): moving the focus off a field that is being emptied or disabled
    // must not write it into another vehicle's files.
    class FieldSaveHold {
    public:
        explicit FieldSaveHold(frmAutoMain* window) : m_window(window) { ++m_window->m_savesHeld; }
        ~FieldSaveHold() { --m_window->m_savesHeld; }
        FieldSaveHold(const FieldSaveHold&) = delete;
        FieldSaveHold& operator=(const FieldSaveHold&) = delete;

    private:
        frmAutoMain* m_window;
    };

protected:
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void Form_Load();
    void endProgram();
    void connectHandlers();
    void runSaver(QWidget* field);
    void placePages();

    void setUpInfoPage();
    void setUpEntryLogs();
    void repairTabOrder();
    void refreshAfterEntryRemoval();
    // No vehicle selected: fields empty, vehicle and entry controls disabled.
    void showNoVehicle();
    // After a restore: the window as at start, showing the restored records.
    void reloadAsAtStart();
    bool holdAfterFailedSave();
    void forgetFailedSaves();
    frmDueMaint* dueWindow();

    QHash<QObject*, std::function<void()>> m_savers;
    // The selector, the "Vehicle Info." page, the "Maintenance" and "Parts" pages.
    VehicleList* m_vehicles = nullptr;
    VehicleInfoPage* m_infoPage = nullptr;
    EntryLog* m_maintLog = nullptr;
    EntryLog* m_partsLog = nullptr;
    int m_savesHeld = 0;
    bool m_saving = false;
    bool m_loaded = false;
    bool m_ending = false;
    // The vehicle the pages show.
    QPersistentModelIndex m_shownVehicle;
    // Page controls where the form puts them, measured from SSTab1's corner.
    QHash<QWidget*, QPoint> m_pagePositions;
    QWidget* m_pageStack = nullptr;
    QObject* m_menuShortcuts = nullptr;
};
