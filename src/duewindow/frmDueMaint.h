#pragma once

#include "due/DueScan.h"
#include "ui/SingleInstance.h"
#include "ui_frmDueMaint.h"

#include <QFutureWatcher>
#include <QSet>
#include <QWidget>

#include <functional>

// The "Due Maintenance" window: across all vehicles, the maintenance entries
// whose next inspection is due by date (within the chosen span) or by
// mileage, the entries whose next date could not be read, and the files that
// could not be read. The files are read on a worker thread. Activating a row
// (double-click or Enter) asks for that vehicle and entry to be selected.
// While shown, it reads the files again after a save of this program into the
// data folder (SavedFiles), so an entry whose next inspection was moved goes.
// The one window of the program is frmDueMaint::instance(), created on first use.
class frmDueMaint : public QWidget, public Ui::frmDueMaint, public SingleInstance<frmDueMaint> {
    Q_OBJECT

public:
    // A window made directly (tests) becomes the instance when there is none yet.
    explicit frmDueMaint(QWidget* parent = nullptr);
    ~frmDueMaint() override;

    // Edit > "Due Maintenance...": shows the window and reads the files anew.
    void showAndRefresh();
    // Starts reading the files; scanFinished() follows.
    void refresh();
    bool isScanning() const { return m_watcher.isRunning(); }
    // Shows the window with a scan made elsewhere (the one at start).
    void showResult(const DueScan::Result& result);

    // Once `window` (the main window, being shown) has painted: when "Show at
    // start" is on, reads the files on a worker thread and then calls
    // `whenDue` if something is due by date or mileage.
    static void checkAtStart(QWidget* window, std::function<void(const DueScan::Result&)> whenDue);

    // "Remind me on the desktop": installs or removes the daily reminder (src/remind).
    void chkRemind_Click(bool on);
    // The reminder's time changed: kept, and the reminder installed anew when on.
    void tmeRemindAt_Change();

signals:
    void entryChosen(const QString& vehicle, const QString& entry);
    void scanFinished();

private:
    void fill();
    void rowActivated(QTreeWidgetItem* item);

    void fileSaved(const QString& path);
    void recheckSavedFiles();

    QFutureWatcher<DueScan::Result> m_watcher;
    bool m_scanPending = false; // started, its result not yet taken
    QSet<QString> m_savedFiles; // saved since the last check, by name
    DueScan::Result m_result;
    bool m_haveResult = false;
};
