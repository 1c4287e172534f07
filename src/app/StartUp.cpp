#include "StartUp.h"

#include "frmAutoMain.h"
#include "frmLogin.h"

namespace {

void showMainWindow()
{
    frmAutoMain* main = frmAutoMain::instance();
    main->show();
    main->raise();
    main->activateWindow();
}

} // namespace

void startGearbook()
{
    frmLogin* login = frmLogin::instance();
    QObject::connect(login, &frmLogin::loggedIn, login, showMainWindow);
    login->start();
}
