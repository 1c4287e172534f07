#pragma once

#include <QString>

// The program's way to the help browser module (HelpBrowserInterface.h).
namespace HelpBrowser {

// The module's file name, looked for beside the program.
inline const QString ModuleFileName = QStringLiteral("GearbookBrowser.so");

// Where the module is loaded from: the program's folder unless set.
QString modulePath();
// For tests, which run from other folders. Takes effect until a module has loaded.
void setModulePath(const QString& path);

// Loads the module at the first call and shows the browser at `address` (see
// HelpBrowserInterface::showAddress). A module that is missing or cannot be
// loaded is reported in a message box naming it; the call then returns false
// and nothing else changes, so the next help command tries again.
bool showAddress(const QString& address);

} // namespace HelpBrowser
