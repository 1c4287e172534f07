#include "remind/Notification.h"

#include "common/AppId.h"

#include <QDBusMessage>
#include <QDBusReply>
#include <QEventLoop>
#include <QTimer>
#include <QVariantMap>

#include <utility>

namespace {

const QString Service = QStringLiteral("org.freedesktop.Notifications");
const QString Path = QStringLiteral("/org/freedesktop/Notifications");
const QString Interface = QStringLiteral("org.freedesktop.Notifications");
// "default" is the action a click on the notification takes; it is captioned "Open".
const QString OpenKey = QStringLiteral("default");
constexpr int CallTimeoutMs = 5000;

} // namespace

Notification::Notification(QDBusConnection bus) : m_bus(std::move(bus)) {}

bool Notification::show(const QString& summary, const QString& body, QString* error)
{
    if (!m_bus.isConnected()) {
        const QString reason = m_bus.lastError().message();
        *error = QStringLiteral("There is no desktop session bus%1.")
                     .arg(reason.isEmpty() ? QString() : QStringLiteral(" (%1)").arg(reason));
        return false;
    }
    // Listened to before the call: a quick click must not come before we listen.
    m_bus.connect(Service, Path, Interface, QStringLiteral("ActionInvoked"), this, SLOT(actionInvoked(uint, QString)));
    m_bus.connect(Service, Path, Interface, QStringLiteral("NotificationClosed"), this,
                  SLOT(notificationClosed(uint, uint)));

    // A server that reads markup in the body would take a "<" or "&" of a name for it.
    QString text = body;
    const QDBusMessage capabilities =
        m_bus.call(QDBusMessage::createMethodCall(Service, Path, Interface, QStringLiteral("GetCapabilities")),
                   QDBus::Block, CallTimeoutMs);
    if (capabilities.type() == QDBusMessage::ReplyMessage && !capabilities.arguments().isEmpty() &&
        capabilities.arguments().first().toStringList().contains(QStringLiteral("body-markup")))
        text = body.toHtmlEscaped();

    QDBusMessage notify = QDBusMessage::createMethodCall(Service, Path, Interface, QStringLiteral("Notify"));
    const QVariantMap hints{{QStringLiteral("desktop-entry"), AppId::gearbook()},
                            {QStringLiteral("urgency"), QVariant::fromValue(uchar(1))}};
    notify << QStringLiteral("Gearbook") << uint(0) << AppId::iconName() << summary << text
           << QStringList{OpenKey, QStringLiteral("Open")} << hints << int(-1);
    const QDBusReply<uint> reply = m_bus.call(notify, QDBus::Block, CallTimeoutMs);
    if (!reply.isValid()) {
        *error = QStringLiteral("No desktop notification service answered (%1).").arg(reply.error().message());
        return false;
    }
    m_id = reply.value();
    m_shown = true;
    return true;
}

Notification::End Notification::wait(std::chrono::milliseconds limit)
{
    if (!m_shown)
        return End::Closed;
    if (!m_end) {
        QEventLoop loop;
        QTimer::singleShot(limit, &loop, [this] {
            if (!m_end) {
                m_end = End::TimedOut;
                emit ended();
            }
        });
        connect(this, &Notification::ended, &loop, &QEventLoop::quit);
        loop.exec();
    }
    return *m_end;
}

void Notification::actionInvoked(uint id, const QString& key)
{
    if (id == m_id && key == OpenKey && !m_end) {
        m_end = End::Opened;
        emit ended();
    }
}

void Notification::notificationClosed(uint id, uint)
{
    if (id == m_id && !m_end) {
        m_end = End::Closed;
        emit ended();
    }
}
