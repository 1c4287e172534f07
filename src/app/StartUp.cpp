#include "app/StartUp.h"

#include "access/frmLogin.h"
#include "app/ConflictAlert.h"
#include "app/DiskWatcher.h"
#include "app/DueDatesMenu.h"
#include "app/RaiseRunning.h"
#include "common/DataFolder.h"
#include "importwindow/frmImport.h"
#include "syncwindow/frmSyncConflicts.h"
#include "ui/AfterFirstPaint.h"
#include "ui/PlatformServices.h"
#include "vehicles/frmAutoMain.h"

#include <QApplication>

#include <csignal>
#include <utility>

namespace {

bool g_conflictCheckAtStart = false;
bool g_showDueAtStart = false;
QString g_importRecovered;

// The conflicts window, its resolutions shown in the main window.
frmSyncConflicts* conflictsWindow()
{
    frmSyncConflicts* window = frmSyncConflicts::instance();
    QObject::connect(window, &frmSyncConflicts::resolved, frmAutoMain::instance(), &frmAutoMain::reloadRecords,
                     Qt::UniqueConnection);
    return window;
}

// Edit > "Sync Conflicts..." and the check at start, once for each main window.
void wireConflicts(frmAutoMain* main)
{
    const QString name = QStringLiteral("syncConflictsWiring");
    if (main->findChild<QObject*>(name, Qt::FindDirectChildrenOnly))
        return;
    auto* wiring = new QObject(main);
    wiring->setObjectName(name);
    QObject::connect(main->mnuSyncConflicts, &QAction::triggered, wiring, [] { conflictsWindow()->showAndRefresh(); });
    if (g_conflictCheckAtStart)
        frmSyncConflicts::checkAtStart(
            main, [](const QList<SyncConflicts::Conflict>& found) { conflictsWindow()->showResult(found); });
}

// A conflict copy that arrives while the program runs is told at once.
void tellConflictsAsTheyArrive(DiskWatcher* watcher)
{
    auto* alert = new ConflictAlert(watcher, [] { conflictsWindow()->showAndRefresh(); });
    QObject::connect(watcher, &DiskWatcher::folderChanged, alert, &ConflictAlert::check);
}

// File > "Import from CSV...": the dialog made at its first use; an import reloads the main window.
void wireImport(frmAutoMain* main)
{
    const QString name = QStringLiteral("importWiring");
    if (main->findChild<QObject*>(name, Qt::FindDirectChildrenOnly))
        return;
    auto* wiring = new QObject(main);
    wiring->setObjectName(name);
    QObject::connect(main->mnuImport, &QAction::triggered, wiring, [main] {
        frmImport* dialog = frmImport::instance();
        QObject::connect(dialog, &frmImport::imported, main, &frmAutoMain::reloadRecords, Qt::UniqueConnection);
        dialog->start(main->cboVehicle->currentText());
    });
}

void showMainWindow()
{
    frmAutoMain* main = frmAutoMain::instance();
    wireConflicts(main);
    DueDatesMenu::addTo(main);
    wireImport(main);
    main->show();
    main->raise();
    main->activateWindow();
    DiskWatcher::watchAfterFirstPaint(main, tellConflictsAsTheyArrive);
    if (QString told = std::exchange(g_importRecovered, QString()); !told.isEmpty())
        new AfterFirstPaint(main,
                            [told] { platform().messageBox(told, QString(), MsgButtons::Ok, MsgIcon::Information); });
    if (std::exchange(g_showDueAtStart, false))
        main->mnuDueMaint_Click();
}

// What a later start on this computer brings to the front: a dialog that waits
// for an answer, else the main window, else the login window.
void raiseShownWindow()
{
    QWidget* window = QApplication::activeModalWidget();
    if (!window && frmAutoMain::exists() && frmAutoMain::existing()->isVisible())
        window = frmAutoMain::existing();
    if (!window && frmLogin::exists())
        window = frmLogin::existing();
    if (!window)
        return;
    window->setWindowState(window->windowState() & ~Qt::WindowMinimized);
    window->show();
    window->raise();
    window->activateWindow();
}

} // namespace

void listenForLaterStarts()
{
    QWidget* shown = frmAutoMain::exists() && frmAutoMain::existing()->isVisible()
                         ? static_cast<QWidget*>(frmAutoMain::existing())
                         : frmLogin::instance();
    new AfterFirstPaint(shown, [] { new RaiseRunning::Listener(DataFolder::path(), raiseShownWindow, qApp); });
}

void setConflictCheckAtStart(bool check)
{
    g_conflictCheckAtStart = check;
}

void setImportRecoveredAtStart(const QString& message)
{
    g_importRecovered = message;
}

void setShowDueAtStart(bool show)
{
    g_showDueAtStart = show;
}

void startGearbook()
{
    // A write past a file size limit (`ulimit -f`) fails and is reported as a failed save, as on the command line,
    // instead of ending the program with what the user typed.
    std::signal(SIGXFSZ, SIG_IGN);
    frmLogin* login = frmLogin::instance();
    QObject::connect(login, &frmLogin::loggedIn, login, showMainWindow);
    login->start();
}
