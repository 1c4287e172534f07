#include "common/modGlobalVars.h"

#include <QDir>

namespace modGlobalVars {

QString CurrentAddress;
QString StartDir;
QString RememberFlag;
QVariant SkipLoginFlag;
QVariant SavedSkipLogin;
QVariant SavedRemember;
int SavedChangeLogin = 0;
QString ApplicationTitle = QStringLiteral("Venbry's Gearbook");

void RestoreStartDir()
{
    if (!StartDir.isEmpty())
        QDir::setCurrent(StartDir);
}

} // namespace modGlobalVars
