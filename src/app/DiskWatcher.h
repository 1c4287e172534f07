#pragma once

#include <QFileSystemWatcher>
#include <QObject>
#include <QStringList>
#include <QTimer>

#include <functional>

class frmAutoMain;

// Watches the data folder and the files the main window shows, and has the
// window show them again when they change on disk (another computer, a sync
// tool). Our own saves change nothing shown: the window compares the disk
// with what it loaded or wrote.
class DiskWatcher : public QObject {
    Q_OBJECT
public:
    // Starts watching once `window` has been painted, so the start does not pay
    // for it, and then calls `started` with the watcher.
    static void watchAfterFirstPaint(frmAutoMain* window, std::function<void(DiskWatcher*)> started = {});

    explicit DiskWatcher(frmAutoMain* window);
    QStringList watchedFiles() const { return m_watcher.files(); }

signals:
    // The window shows something that changed on disk.
    void reloaded();
    // Something in the data folder changed (once it settled, and no dialog is open).
    void folderChanged();

private:
    void changed();
    void reload();
    // The shown files, again: a save by rename drops the watch of the file it replaces.
    void rewatch();

    frmAutoMain* m_window;
    QFileSystemWatcher m_watcher;
    QTimer m_settle;
};
