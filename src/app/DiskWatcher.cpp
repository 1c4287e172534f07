#include "app/DiskWatcher.h"

#include "common/DataFolder.h"
#include "ui/AfterFirstPaint.h"
#include "vehicles/EntryLog.h"
#include "vehicles/frmAutoMain.h"

#include <QApplication>
#include <QFileInfo>
#include <QItemSelectionModel>
#include <QListView>

namespace {

// A save arrives as several changes (temporary, rename); they are taken as one.
constexpr int SettleMs = 50;

} // namespace

void DiskWatcher::watchAfterFirstPaint(frmAutoMain* window, std::function<void(DiskWatcher*)> started)
{
    const QString pending = QStringLiteral("diskWatcherPending");
    if (window->findChild<DiskWatcher*>() || window->findChild<QObject*>(pending, Qt::FindDirectChildrenOnly))
        return;
    auto* start = new AfterFirstPaint(window, [window, started = std::move(started)] {
        auto* watcher = new DiskWatcher(window);
        if (started)
            started(watcher);
    });
    start->setObjectName(pending);
}

DiskWatcher::DiskWatcher(frmAutoMain* window) : QObject(window), m_window(window)
{
    m_settle.setSingleShot(true);
    m_settle.setInterval(SettleMs);
    connect(&m_settle, &QTimer::timeout, this, &DiskWatcher::reload);
    connect(&m_watcher, &QFileSystemWatcher::directoryChanged, this, &DiskWatcher::changed);
    connect(&m_watcher, &QFileSystemWatcher::fileChanged, this, &DiskWatcher::changed);
    // Another vehicle or entry shown: its files are watched from then on.
    const auto queuedRewatch = [this] { QMetaObject::invokeMethod(this, &DiskWatcher::rewatch, Qt::QueuedConnection); };
    connect(window->cboVehicle, &QComboBox::currentIndexChanged, this, queuedRewatch);
    for (const EntryLog* log : {window->maintLog(), window->partsLog()})
        connect(log->widgets().list->selectionModel(), &QItemSelectionModel::currentChanged, this, queuedRewatch);
    rewatch();
}

void DiskWatcher::changed()
{
    m_settle.start();
}

void DiskWatcher::reload()
{
    // Never in the middle of a dialog (a save's message, a question): later.
    if (QApplication::activeModalWidget() || QApplication::activePopupWidget()) {
        m_settle.start();
        return;
    }
    if (m_window->reloadFromDisk())
        emit reloaded();
    rewatch();
    emit folderChanged();
}

void DiskWatcher::rewatch()
{
    const QString folder = DataFolder::path();
    if (!m_watcher.directories().contains(folder) && QFileInfo(folder).isDir())
        m_watcher.addPath(folder); // a file that does not exist yet is seen through the folder

    QStringList shown{VehicleFiles::listFile()};
    if (const QString vehicle = m_window->selectedVehicle(); !vehicle.isEmpty()) {
        shown << VehicleFiles::vehicleFile(vehicle) << VehicleFiles::maintListFile(vehicle)
              << VehicleFiles::partsListFile(vehicle);
        for (const QString& entry : {m_window->CurrentMaint(), m_window->CurrentPart()})
            if (!entry.isEmpty())
                shown << VehicleFiles::recordFile(vehicle, entry);
    }
    QStringList wanted;
    for (const QString& file : std::as_const(shown))
        if (QFileInfo::exists(VehicleFiles::inData(file)))
            wanted << VehicleFiles::inData(file);
    QStringList gone;
    for (const QString& file : m_watcher.files())
        if (!wanted.contains(file))
            gone << file;
    if (!gone.isEmpty())
        m_watcher.removePaths(gone);
    QStringList added;
    for (const QString& file : std::as_const(wanted))
        if (!m_watcher.files().contains(file))
            added << file;
    if (!added.isEmpty())
        m_watcher.addPaths(added);
}
