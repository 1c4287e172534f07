#pragma once

#include <QStringList>

// Whether the window can open at all: Qt's platform plugin aborts the program
// when the display it is given does not answer, so the start asks first.
namespace DisplayCheck {

// True when a platform is named (QT_QPA_PLATFORM, -platform), or a Wayland or
// X display named by the environment (or -display) accepts a connection: one
// connect on a local socket. A display on another host is taken on trust.
bool reachable(const QStringList& qtArguments);

} // namespace DisplayCheck
