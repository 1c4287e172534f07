#pragma once

#include "sync/ConflictScan.h"

#include <QFutureWatcher>
#include <QObject>
#include <QSet>
#include <QTimer>

#include <functional>

// Tells the user of each conflict copy a sync tool makes of a record while
// Gearbook runs, at once: naming the record and offering the Sync Conflicts
// window. Once per copy; the copies there when it starts are the start's
// check's. Never over an open dialog: it waits until that closes.
class ConflictAlert : public QObject {
    Q_OBJECT
public:
    // Reads the folder once (on a worker thread) for the copies already there.
    ConflictAlert(QObject* parent, std::function<void()> openConflicts);
    ~ConflictAlert() override;

    // The data folder changed: reads it again for new copies.
    void check();
    bool isReading() const { return m_scan.isRunning() || m_again; }

private:
    void scanned();
    void tell();

    std::function<void()> m_open;
    QFutureWatcher<QList<SyncConflicts::Conflict>> m_scan;
    bool m_again = false;  // the folder changed while it was read
    bool m_first = true;   // the first reading only notes what is there
    QSet<QString> m_known; // the copies told, or there at the start
    QList<SyncConflicts::Conflict> m_untold;
    QTimer m_dialogOpen; // asks again until no dialog is open
};
