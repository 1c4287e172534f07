#pragma once

#include <QString>

class HelpBrowserInterface;

// The program's way to the help browser window (frmBrowser) and to its
// optional web-engine module (HelpBrowserInterface.h).
namespace HelpBrowser {

// The module's file name, looked for beside the program.
inline const QString ModuleFileName = QStringLiteral("GearbookBrowser.so");

// Where the module is loaded from: the program's folder unless set.
QString modulePath();
// For tests, which run from other folders. Takes effect until a module has been looked for.
void setModulePath(const QString& path);

// The web-engine module, loaded at the first call that needs it. Null, and
// nothing said, when it is not installed or cannot be loaded: web addresses
// then open in the desktop's web browser. Looked for once a run.
HelpBrowserInterface* webEngine();

// The setting that shows our own pages in the web-engine module's view too,
// when the module is installed (false: Qt's own rich-text view, which starts at once).
inline const QString WebEngineForLocalPagesKey = QStringLiteral("Help/WebEngineForLocalPages");
bool webEngineForLocalPages();

// Shows the browser window at `address` (a window already loaded keeps its page).
void showAddress(const QString& address);

} // namespace HelpBrowser
