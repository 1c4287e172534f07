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
// The file fCreateShellLink writes for that place and name, or an empty text when it writes none.
QString entryPath(const QString& folder, const QString& linkName, const QString& base);

// Whether target starts Gearbook (its file is named "Gearbook", or it is the
// packaged `gearbook` command, found on PATH as its menu entry finds it). Only such an
// entry shows Gearbook's icon, by its name in the icon theme, and says what it
// starts, where it belongs in the menu and which windows are its own; a
// shortcut to another program shows no icon of ours.
bool startsGearbook(const QString& target);

// One argument of an Exec= line, quoted by the desktop entry rules
// (before the string escapes of escapeValue are applied).
QString quoteExecArgument(const QString& argument);
// The escapes of a desktop entry's string values: \\ \n \t \r, and \s for a leading space.
QString escapeValue(const QString& value);
// The whole file.
QByteArray desktopEntry(const QString& name, const QString& target, const QString& arguments);

} // namespace ShellLink
