#include "frmLinksmith.h"
#include "modGlobalVars.h"

#include <QApplication>
#include <QFont>

int main(int argc, char* argv[])
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Linksmith"));
    modGlobalVars::ApplicationTitle = QStringLiteral("Linksmith");
    // The form keeps its designer's font names; these are the ones installed here.
    QFont::insertSubstitution(QStringLiteral("Abbess"), QStringLiteral("DejaVu Serif"));
    QFont::insertSubstitution(QStringLiteral("Microsoft Sans Serif"), QStringLiteral("DejaVu Sans"));

    frmLinksmith::instance()->show();
    return app.exec();
}
