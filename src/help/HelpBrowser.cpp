#include "HelpBrowser.h"

#include "HelpBrowserInterface.h"
#include "Module.h"
#include "PlatformServices.h"

namespace {

QString s_modulePath;
HelpBrowserInterface* s_browser = nullptr;

} // namespace

QString HelpBrowser::modulePath()
{
    if (!s_modulePath.isEmpty())
        return s_modulePath;
    return Module::folder() + QLatin1Char('/') + ModuleFileName;
}

void HelpBrowser::setModulePath(const QString& path)
{
    s_modulePath = path;
}

bool HelpBrowser::showAddress(const QString& address)
{
    QString error;
    if (!s_browser)
        s_browser = Module::load<HelpBrowserInterface>(modulePath(), QStringLiteral("Gearbook's help browser"), &error);
    if (!s_browser) {
        platform().messageBox(QStringLiteral("The help browser could not be started: its module \"%1\" is missing "
                                             "or could not be loaded. Everything else works as usual.\n\n%2")
                                  .arg(modulePath(), error),
                              QString(), MsgButtons::Ok, MsgIcon::Warning);
        return false;
    }
    s_browser->showAddress(address); // the module stays loaded for the rest of the run
    return true;
}
