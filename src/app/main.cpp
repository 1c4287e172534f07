#include "modGlobalVars.h"

#include <QApplication>
#include <QDir>

int main(int argc, char* argv[])
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Gearbook"));
    modGlobalVars::StartDir = QDir::currentPath();
    return 0;
}
