#include "HelpBrowser.h"

#include "HelpBrowserInterface.h"
#include "PlatformServices.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QPluginLoader>

namespace {

QString s_modulePath;
HelpBrowserInterface* s_browser = nullptr;

// The loaded module's browser; null (and `error` set) when it cannot be had.
HelpBrowserInterface* loadBrowser(QString* error)
{
    if (s_browser)
        return s_browser;
    // A browser built into the program itself (as in the tests that reach its controls) comes first.
    for (QObject* instance : QPluginLoader::staticInstances()) {
        if (auto* browser = qobject_cast<HelpBrowserInterface*>(instance))
            return s_browser = browser;
    }
    // Only a regular file is opened: reading a FIFO would wait for a writer forever.
    const QFileInfo module(HelpBrowser::modulePath());
    if (!module.isFile()) {
        *error = module.exists() ? QStringLiteral("It is not a file.") : QStringLiteral("It does not exist.");
        return nullptr;
    }
    QPluginLoader loader(module.filePath());
    QObject* instance = loader.instance();
    if (auto* browser = qobject_cast<HelpBrowserInterface*>(instance))
        return s_browser = browser; // stays loaded for the rest of the run
    *error = instance ? QStringLiteral("It is not Gearbook's help browser.") : loader.errorString();
    loader.unload();
    return nullptr;
}

} // namespace

QString HelpBrowser::modulePath()
{
    if (!s_modulePath.isEmpty())
        return s_modulePath;
    return QCoreApplication::applicationDirPath() + QLatin1Char('/') + ModuleFileName;
}

void HelpBrowser::setModulePath(const QString& path)
{
    s_modulePath = path;
}

bool HelpBrowser::showAddress(const QString& address)
{
    QString error;
    HelpBrowserInterface* browser = loadBrowser(&error);
    if (!browser) {
        platform().messageBox(QStringLiteral("The help browser could not be started: its module \"%1\" is missing "
                                             "or could not be loaded. Everything else works as usual.\n\n%2")
                                  .arg(modulePath(), error),
                              QString(), MsgButtons::Ok, MsgIcon::Warning);
        return false;
    }
    browser->showAddress(address);
    return true;
}
