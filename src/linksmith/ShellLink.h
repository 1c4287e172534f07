#pragma once

#include <QByteArray>
#include <QString>
#include <QtGlobal>

// Creates one shortcut, as a freedesktop desktop entry "<linkName>.desktop".
//
// folder names the place, relative to base (always "$(Programs)"):
//   "..\..\Desktop"  -> the desktop folder (made executable there and, where gio can, marked
//                       trusted: desktops start only such entries),
//   "$(Programs)"    -> <data home>/applications (the applications menu),
//   "Startup"        -> <config home>/autostart.
// The place's folder is created when missing. target is the program the entry
// starts, arguments its command line (may be empty). flag asks for the user's
// own folders rather than everyone's; only the user's exist here, so it changes
// nothing. Returns nonzero only when the entry was written; an existing entry
// of the same name is replaced.
qint32 fCreateShellLink(const QString& folder, const QString& linkName, const QString& target, const QString& arguments,
                        qint32 flag, const QString& base);

namespace ShellLink {

// The folder a place argument stands for, or an empty text for a place we do not know.
QString placeFolder(const QString& folder, const QString& base);

// The icon every entry shows: Gearbook's icon in its installed program folder.
QString iconPath();

// One argument of an Exec= line, quoted by the desktop entry rules
// (before the string escapes of escapeValue are applied).
QString quoteExecArgument(const QString& argument);
// The escapes of a desktop entry's string values: \\ \n \t \r, and \s for a leading space.
QString escapeValue(const QString& value);
// The whole file.
QByteArray desktopEntry(const QString& name, const QString& target, const QString& arguments, const QString& icon);

} // namespace ShellLink
