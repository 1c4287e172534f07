#include "StartUp.h"

#include "DiskWatcher.h"
#include "DueDatesMenu.h"
#include "frmAutoMain.h"
#include "frmLogin.h"
#include "frmSyncConflicts.h"

#include <utility>

namespace {

bool g_conflictCheckAtStart = false;
bool g_showDueAtStart = false;

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

void showMainWindow()
{
    frmAutoMain* main = frmAutoMain::instance();
    wireConflicts(main);
    DueDatesMenu::addTo(main);
    main->show();
    main->raise();
    main->activateWindow();
    DiskWatcher::watchAfterFirstPaint(main);
    if (std::exchange(g_showDueAtStart, false))
        main->mnuDueMaint_Click();
}

} // namespace

void setConflictCheckAtStart(bool check)
{
    g_conflictCheckAtStart = check;
}

void setShowDueAtStart(bool show)
{
    g_showDueAtStart = show;
}

void startGearbook()
{
    frmLogin* login = frmLogin::instance();
    QObject::connect(login, &frmLogin::loggedIn, login, showMainWindow);
    login->start();
}
