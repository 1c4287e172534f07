#include "Fonts.h"
#include "frmLogin.h"
#include "modGlobalVars.h"

#include <QApplication>
#include <QDir>

int main(int argc, char* argv[])
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Gearbook"));
    modGlobalVars::StartDir = QDir::currentPath();
    modGlobalVars::ApplicationTitle = QStringLiteral("Venbry's Gearbook");
    registerFontSubstitutions();

    // The login window is the only way in; it shows the main window itself.
    frmLogin::instance()->start();
    return app.exec();
}
