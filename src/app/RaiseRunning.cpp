#include "app/RaiseRunning.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QSocketNotifier>
#include <QStandardPaths>

#include <cstring>
#include <optional>
#include <poll.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

namespace RaiseRunning {

namespace {

constexpr char Request[] = "raise\n";
constexpr char Done[] = "raised\n";

std::optional<sockaddr_un> addressOf(const QString& path)
{
    const QByteArray name = QFile::encodeName(path);
    sockaddr_un address{};
    if (path.isEmpty() || size_t(name.size()) >= sizeof address.sun_path)
        return std::nullopt;
    address.sun_family = AF_UNIX;
    std::memcpy(address.sun_path, name.constData(), size_t(name.size()));
    return address;
}

// Waits up to `ms` for `fd` to be readable, then reads what is there.
QByteArray readWithin(int fd, int ms)
{
    pollfd p{fd, POLLIN, 0};
    char buffer[32];
    if (::poll(&p, 1, ms) <= 0)
        return {};
    const ssize_t got = ::read(fd, buffer, sizeof buffer);
    return got > 0 ? QByteArray(buffer, int(got)) : QByteArray();
}

} // namespace

QString socketPath(const QString& dataFolder)
{
    const QString runtime = QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
    if (runtime.isEmpty())
        return {};
    const QByteArray key =
        QCryptographicHash::hash(QFile::encodeName(QDir::cleanPath(dataFolder)), QCryptographicHash::Sha256)
            .toHex()
            .left(16);
    return runtime + QStringLiteral("/gearbook-") + QString::fromLatin1(key);
}

bool askToRaise(const QString& dataFolder)
{
    const auto address = addressOf(socketPath(dataFolder));
    if (!address)
        return false;
    const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0)
        return false;
    const bool raised = ::connect(fd, reinterpret_cast<const sockaddr*>(&*address), sizeof *address) == 0 &&
                        ::write(fd, Request, sizeof Request - 1) == ssize_t(sizeof Request - 1) &&
                        readWithin(fd, 3000) == Done;
    ::close(fd);
    return raised;
}

Listener::Listener(const QString& dataFolder, std::function<void()> raise, QObject* parent)
    : QObject(parent), m_path(socketPath(dataFolder)), m_raise(std::move(raise))
{
    const auto address = addressOf(m_path);
    if (!address)
        return;
    m_fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
    if (m_fd < 0)
        return;
    // The lock is ours, so a socket there is one that a copy left when it ended.
    ::unlink(address->sun_path);
    if (::bind(m_fd, reinterpret_cast<const sockaddr*>(&*address), sizeof *address) != 0 || ::listen(m_fd, 4) != 0) {
        ::close(m_fd);
        m_fd = -1;
        return;
    }
    m_notifier = new QSocketNotifier(m_fd, QSocketNotifier::Read, this);
    connect(m_notifier, &QSocketNotifier::activated, this, &Listener::answer);
}

Listener::~Listener()
{
    if (m_fd < 0)
        return;
    ::close(m_fd);
    ::unlink(QFile::encodeName(m_path).constData());
}

void Listener::answer()
{
    const int client = ::accept4(m_fd, nullptr, nullptr, SOCK_CLOEXEC);
    if (client < 0)
        return;
    // A caller that says nothing within a moment is not a second start.
    if (readWithin(client, 500) == Request) {
        m_raise();
        [[maybe_unused]] const ssize_t sent = ::write(client, Done, sizeof Done - 1);
    }
    ::close(client);
}

} // namespace RaiseRunning
