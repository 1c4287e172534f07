#include "StartUp.h"

#include "DiskWatcher.h"
#include "frmAutoMain.h"
#include "frmImport.h"
#include "frmLogin.h"
#include "frmSyncConflicts.h"

namespace {

bool g_conflictCheckAtStart = false;

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
        dialog->start();
    });
}

void showMainWindow()
{
    frmAutoMain* main = frmAutoMain::instance();
    wireConflicts(main);
    wireImport(main);
    main->show();
    main->raise();
    main->activateWindow();
    DiskWatcher::watchAfterFirstPaint(main);
}

} // namespace

void setConflictCheckAtStart(bool check)
{
    g_conflictCheckAtStart = check;
}

void startGearbook()
{
    frmLogin* login = frmLogin::instance();
    QObject::connect(login, &frmLogin::loggedIn, login, showMainWindow);
    login->start();
}
