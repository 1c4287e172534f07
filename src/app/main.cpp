#include "DataFolder.h"
#include "Fonts.h"
#include "Icon.h"
#include "SaveReport.h"
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
    QApplication::setWindowIcon(gearbookIcon());

    // Before anything can be written, credential files included: one copy per data folder.
    DataFolder::Lock lock;
    if (!takeDataFolderOrTell(lock))
        return 1;

    // The login window is the only way in; it shows the main window itself.
    frmLogin::instance()->start();
    return app.exec();
}
