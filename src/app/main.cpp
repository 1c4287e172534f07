#include "CommandLine.h"
#include "DataFolder.h"
#include "Fonts.h"
#include "Icon.h"
#include "Restore.h"
#include "frmLogin.h"
#include "modGlobalVars.h"

#include <QApplication>
#include <QDir>

int main(int argc, char* argv[])
{
    // --backup, --export and --help run without a window, and need no display.
    if (const auto status = CommandLine::run(argc, argv))
        return *status;

    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Gearbook"));
    modGlobalVars::StartDir = QDir::currentPath();
    modGlobalVars::ApplicationTitle = QStringLiteral("Venbry's Gearbook");
    registerFontSubstitutions();
    QApplication::setWindowIcon(gearbookIcon());

    // A restore that was interrupted leaves a folder beside the records; the records themselves are whole.
    Restore::removeUnfinished(DataFolder::path());

    // The login window is the only way in; it shows the main window itself.
    frmLogin::instance()->start();
    return app.exec();
}
