#include "access/CredentialStore.h"
#include "app/LockMessages.h"
#include "app/RaiseRunning.h"
#include "app/StartUp.h"
#include "backup/Restore.h"
#include "cli/CommandLine.h"
#include "common/AppId.h"
#include "common/DataFolder.h"
#include "common/QuitAfterFirstPaint.h"
#include "common/modGlobalVars.h"
#include "import/ImportCommand.h"
#include "import/ImportJournal.h"
#include "ui/Fonts.h"
#include "ui/Icon.h"
#include "ui/WindowLook.h"
#include "vehicles/frmAutoMain.h"

#include <QApplication>
#include <QDir>

int main(int argc, char* argv[])
{
    // A command that may write finds the records whole: an import killed half way is put back first.
    if (argc > 1)
        ImportCommand::recoverUnlessInUse();
    // The commands of the registry (src/cli) run without a window and need no
    // display; without a display, and without options, this ends with a
    // message instead of Qt's abort.
    bool showDue = false;
    if (const auto status = Cli::run(&argc, argv, &showDue))
        return *status;
    // The reminder's "Open": the window as usual, then the Due Maintenance window.
    setShowDueAtStart(showDue);

    QApplication app(argc, argv);
    QuitAfterFirstPaint::installIfRequested(&app);
    QApplication::setApplicationName(QStringLiteral("Gearbook"));
    // Shells find the menu entry, and so the icon, of our windows by this name.
    QApplication::setDesktopFileName(AppId::gearbook());
    modGlobalVars::StartDir = QDir::currentPath();
    modGlobalVars::ApplicationTitle = QStringLiteral("Venbry's Gearbook");
    registerFontSubstitutions();
    QApplication::setWindowIcon(gearbookIcon());
    WindowLook::installStyle();

    // Before anything can be written, credential files included: one copy per data folder.
    DataFolder::Lock lock;
    const DataFolder::Lock::Result taken = lock.take();
    // Started again on this computer: the open Gearbook comes to the front instead.
    if (taken == DataFolder::Lock::Result::InUse && RaiseRunning::askToRaise(DataFolder::path()))
        return 0;
    if (!tellDataFolderLock(lock, taken))
        return 1;
    // The credential files are saved the same way, in the working folder they are read from.
    lock.removeSaveLeftovers(modGlobalVars::StartDir, CredentialStore::FileNames);
    // With the lock held: a restore that was interrupted leaves a folder beside
    // the records (the records themselves are whole), which goes now.
    Restore::removeUnfinished(DataFolder::path());
    // And an import killed half way is put back; the user is told once the main window shows.
    setImportRecoveredAtStart(ImportJournal::recover());

    // Once the main window is shown, a worker reads what is due and the
    // overview opens when something is.
    frmAutoMain::setDueCheckAtStart(true);
    // And one reads the folder for conflict copies a sync tool made.
    setConflictCheckAtStart(true);
    startGearbook();
    listenForLaterStarts();
    return QApplication::exec();
}
