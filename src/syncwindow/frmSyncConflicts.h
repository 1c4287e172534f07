#pragma once

#include "sync/ConflictResolution.h"
#include "ui/SingleInstance.h"
#include "ui_frmSyncConflicts.h"

#include <QFutureWatcher>
#include <QWidget>

#include <functional>

// The "Sync Conflicts" window: each conflict copy a sync tool made of a
// record, beside the record with the captions of the main window, the values
// that differ marked and the date of each file. The user keeps one version
// (or, for a list, both lists as one); both files go into a safety backup
// first. The folder is read on a worker thread.
class frmSyncConflicts : public QWidget, public Ui::frmSyncConflicts, public SingleInstance<frmSyncConflicts> {
    Q_OBJECT

public:
    // A window made directly (tests) becomes the instance when there is none yet.
    explicit frmSyncConflicts(QWidget* parent = nullptr);
    ~frmSyncConflicts() override;

    // Edit > "Sync Conflicts...": shows the window and reads the folder anew.
    void showAndRefresh();
    // Starts reading the folder; scanFinished() follows.
    void refresh();
    bool isScanning() const { return m_watcher.isRunning(); }
    // Shows the window with a scan made elsewhere (the one at start).
    void showResult(const QList<SyncConflicts::Conflict>& conflicts);
    const QList<SyncConflicts::Conflict>& conflicts() const { return m_conflicts; }

    // Once `window` (the main window, being shown) has painted, reads the
    // folder on a worker thread and calls `whenFound` if there is a conflict.
    static void checkAtStart(QWidget* window, std::function<void(const QList<SyncConflicts::Conflict>&)> whenFound);

    void cmdKeepRecord_Click();
    void cmdKeepCopy_Click();
    void cmdKeepBoth_Click();

signals:
    // A conflict was resolved: the records of `vehicle` (empty: the vehicle list) changed on disk.
    void resolved(const QString& vehicle);
    void scanFinished();

private:
    void fill();
    void showConflict();
    void keep(SyncConflicts::Keep keep);
    const SyncConflicts::Conflict* current() const;

    QFutureWatcher<QList<SyncConflicts::Conflict>> m_watcher;
    QList<SyncConflicts::Conflict> m_conflicts;
    QString m_resolvedNote; // where the last resolution's safety backup went
};
