#include "Fonts.h"
#include "Icon.h"
#include "frmLinksmith.h"
#include "modGlobalVars.h"

#include <QApplication>

int main(int argc, char* argv[])
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Linksmith"));
    modGlobalVars::ApplicationTitle = QStringLiteral("Linksmith");
    registerFontSubstitutions();
    QApplication::setWindowIcon(gearbookIcon());

    frmLinksmith::instance()->show();
    return app.exec();
}
