#pragma once

#include <QFileSystemWatcher>
#include <QObject>
#include <QStringList>
#include <QTimer>

class frmAutoMain;

// Watches the data folder and the files the main window shows, and has the
// window show them again when they change on disk (another computer, a sync
// tool). Our own saves change nothing shown: the window compares the disk
// with what it loaded or wrote.
class DiskWatcher : public QObject {
    Q_OBJECT
public:
    // Starts watching once `window` has been painted, so the start does not pay for it.
    static void watchAfterFirstPaint(frmAutoMain* window);

    explicit DiskWatcher(frmAutoMain* window);
    QStringList watchedFiles() const { return m_watcher.files(); }

signals:
    // The window shows something that changed on disk.
    void reloaded();

private:
    void changed();
    void reload();
    // The shown files, again: a save by rename drops the watch of the file it replaces.
    void rewatch();

    frmAutoMain* m_window;
    QFileSystemWatcher m_watcher;
    QTimer m_settle;
};
