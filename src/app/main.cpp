#include "AppId.h"
#include "CredentialStore.h"
#include "DataFolder.h"
#include "Fonts.h"
#include "Icon.h"
#include "QuitAfterFirstPaint.h"
#include "SaveReport.h"
#include "StartUp.h"
#include "frmAutoMain.h"
#include "modGlobalVars.h"

#include <QApplication>
#include <QDir>

int main(int argc, char* argv[])
{
    QApplication app(argc, argv);
    QuitAfterFirstPaint::installIfRequested(&app);
    QApplication::setApplicationName(QStringLiteral("Gearbook"));
    // Shells find the menu entry, and so the icon, of our windows by this name.
    QApplication::setDesktopFileName(AppId::gearbook());
    modGlobalVars::StartDir = QDir::currentPath();
    modGlobalVars::ApplicationTitle = QStringLiteral("Venbry's Gearbook");
    registerFontSubstitutions();
    QApplication::setWindowIcon(gearbookIcon());

    // Before anything can be written, credential files included: one copy per data folder.
    DataFolder::Lock lock;
    if (!takeDataFolderOrTell(lock))
        return 1;
    // The credential files are saved the same way, in the working folder they are read from.
    lock.removeSaveLeftovers(modGlobalVars::StartDir, CredentialStore::FileNames);

    // Once the main window is shown, a worker reads what is due and the
    // overview opens when something is.
    frmAutoMain::setDueCheckAtStart(true);
    startGearbook();
    return app.exec();
}
