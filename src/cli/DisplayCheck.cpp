#include "cli/DisplayCheck.h"

#include <QByteArray>

#include <algorithm>
#include <cstring>
#include <netinet/in.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

namespace DisplayCheck {

namespace {

bool connects(int family, const sockaddr* address, socklen_t length)
{
    const int fd = ::socket(family, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0)
        return false;
    const bool ok = ::connect(fd, address, length) == 0;
    ::close(fd);
    return ok;
}

// A Unix socket by its path, or in the abstract namespace (a leading '@').
bool unixSocketAnswers(const QByteArray& path)
{
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    if (path.isEmpty() || size_t(path.size()) >= sizeof address.sun_path)
        return false;
    std::memcpy(address.sun_path, path.constData(), size_t(path.size()));
    if (path.startsWith('@'))
        address.sun_path[0] = '\0';
    return connects(AF_UNIX, reinterpret_cast<const sockaddr*>(&address),
                    socklen_t(offsetof(sockaddr_un, sun_path) + size_t(path.size())));
}

bool waylandAnswers()
{
    if (!qEnvironmentVariableIsEmpty("WAYLAND_SOCKET")) // a connection handed over already
        return true;
    const QByteArray name = qgetenv("WAYLAND_DISPLAY");
    if (name.isEmpty())
        return false;
    if (name.startsWith('/'))
        return unixSocketAnswers(name);
    const QByteArray runtime = qgetenv("XDG_RUNTIME_DIR");
    return !runtime.isEmpty() && unixSocketAnswers(runtime + '/' + name);
}

// "[host]:display[.screen]", as X clients read it.
bool x11Answers(const QByteArray& display)
{
    const qsizetype colon = display.lastIndexOf(':');
    if (colon < 0)
        return false;
    const QByteArray host = display.first(colon);
    QByteArray number = display.sliced(colon + 1);
    if (const qsizetype dot = number.indexOf('.'); dot >= 0)
        number.truncate(dot);
    bool ok = false;
    const int n = number.toInt(&ok);
    if (!ok || n < 0 || n > 59535)
        return false;
    if (host.isEmpty() || host == "unix") {
        const QByteArray path = "/tmp/.X11-unix/X" + QByteArray::number(n);
        return unixSocketAnswers('@' + path) || unixSocketAnswers(path);
    }
    if (host == "localhost" || host == "127.0.0.1") { // a display forwarded by ssh
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_port = htons(quint16(6000 + n));
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        return connects(AF_INET, reinterpret_cast<const sockaddr*>(&address), sizeof address);
    }
    return true; // another host, or a socket path: asking could take long
}

} // namespace

bool reachable(const QStringList& qtArguments)
{
    if (!qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        return true;
    QByteArray display = qgetenv("DISPLAY");
    for (qsizetype i = 0; i < qtArguments.size(); ++i) {
        const QString& arg = qtArguments[i];
        if (arg == QLatin1String("-platform") || arg == QLatin1String("--platform") ||
            arg.startsWith(QLatin1String("-platform=")) || arg.startsWith(QLatin1String("--platform=")))
            return true;
        if ((arg == QLatin1String("-display") || arg == QLatin1String("--display")) && i + 1 < qtArguments.size())
            display = qtArguments[i + 1].toLocal8Bit();
        else if (arg.startsWith(QLatin1String("-display=")) || arg.startsWith(QLatin1String("--display=")))
            display = arg.sliced(arg.indexOf(QLatin1Char('=')) + 1).toLocal8Bit();
    }
    return waylandAnswers() || (!display.isEmpty() && x11Answers(display));
}

} // namespace DisplayCheck
