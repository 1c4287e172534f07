#pragma once

#include <QStandardPaths>
#include <QString>

// The names the install gives the two programs' menu entries (without
// ".desktop"); Gearbook's is also its icon's name in the icon theme. The build
// defines them once (top CMakeLists.txt), so the installed files, the windows
// and Linksmith's shortcuts always agree.
namespace AppId {

inline QString gearbook()
{
    return QStringLiteral(GEARBOOK_APP_ID);
}

inline QString linksmith()
{
    return QStringLiteral(LINKSMITH_APP_ID);
}

// The icon the menu entries and shortcuts to Gearbook name; shells show it for
// our windows too, finding the entry by the desktop file name. (The windows'
// own icon draws the same pictures from the resources: no theme look-up at start.)
inline QString iconName()
{
    return gearbook();
}

// The program's own settings (the reminder's, the help window's choice of
// view): one INI file under the configuration home, read with QSettings.
inline QString settingsFile()
{
    return QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) +
           QStringLiteral("/Venbry Software/Gearbook.conf");
}

} // namespace AppId
