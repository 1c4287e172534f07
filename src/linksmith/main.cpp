#include "AppId.h"
#include "Fonts.h"
#include "Icon.h"
#include "WindowLook.h"
#include "frmLinksmith.h"
#include "modGlobalVars.h"

#include <QApplication>

int main(int argc, char* argv[])
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Linksmith"));
    // Shells find the menu entry, and so the icon, of our window by this name.
    QApplication::setDesktopFileName(AppId::linksmith());
    modGlobalVars::ApplicationTitle = QStringLiteral("Linksmith");
    registerFontSubstitutions();
    QApplication::setWindowIcon(gearbookIcon());
    WindowLook::installStyle();

    frmLinksmith::instance()->show();
    return app.exec();
}
