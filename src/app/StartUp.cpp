#include "StartUp.h"

#include "DiskWatcher.h"
#include "frmAutoMain.h"
#include "frmLogin.h"

namespace {

void showMainWindow()
{
    frmAutoMain* main = frmAutoMain::instance();
    main->show();
    main->raise();
    main->activateWindow();
    DiskWatcher::watchAfterFirstPaint(main);
}

} // namespace

void startGearbook()
{
    frmLogin* login = frmLogin::instance();
    QObject::connect(login, &frmLogin::loggedIn, login, showMainWindow);
    login->start();
}
