#include "frmLinksmith.h"
#include "modGlobalVars.h"

#include <QApplication>
#include <QFont>

int main(int argc, char* argv[])
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Linksmith"));
    modGlobalVars::ApplicationTitle = QStringLiteral("Linksmith");
    // The form keeps its designer's font name; this is the one installed here.
    QFont::insertSubstitution(QStringLiteral("Abbess"), QStringLiteral("DejaVu Serif"));

    frmLinksmith::instance()->show();
    return app.exec();
}
