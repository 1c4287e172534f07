#include "Fonts.h"
#include "frmAutoMain.h"
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

    // Until the login window exists, the main window opens directly.
    frmAutoMain::instance()->show();
    return app.exec();
}
