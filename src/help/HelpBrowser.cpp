#include "help/HelpBrowser.h"

#include "common/AppId.h"
#include "common/modGlobalVars.h"
#include "help/HelpBrowserInterface.h"
#include "help/frmBrowser.h"
#include "ui/Module.h"

#include <QFileInfo>
#include <QSettings>

namespace {

QString s_modulePath;
HelpBrowserInterface* s_engine = nullptr;
bool s_lookedForEngine = false;

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
    if (!s_engine)
        s_lookedForEngine = false;
}

HelpBrowserInterface* HelpBrowser::webEngine()
{
    if (!s_lookedForEngine) {
        s_lookedForEngine = true;
        QString error;
        // The module is optional (a package of its own): without it the help works as well.
        s_engine = Module::load<HelpBrowserInterface>(modulePath(), QStringLiteral("Gearbook's web view"), &error);
        if (!s_engine && QFileInfo::exists(modulePath()))
            qInfo("Gearbook: the web view module was not loaded, web pages open in the desktop's browser: %s",
                  qPrintable(error));
    }
    return s_engine; // a module that loaded stays loaded for the rest of the run
}

bool HelpBrowser::webEngineForLocalPages()
{
    const QSettings settings(AppId::settingsFile(), QSettings::IniFormat);
    return settings.value(WebEngineForLocalPagesKey, false).toBool();
}

void HelpBrowser::showAddress(const QString& address)
{
    modGlobalVars::CurrentAddress = address;
    frmBrowser::showBrowser();
}
