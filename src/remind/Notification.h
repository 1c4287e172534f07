#pragma once

#include <QDBusConnection>
#include <QObject>
#include <QString>

#include <chrono>
#include <optional>

// One desktop notification through the freedesktop Notifications service on
// the session bus, with the action "Open"; it waits for the action or the
// notification's end, never longer than a limit.
class Notification : public QObject {
    Q_OBJECT

public:
    explicit Notification(QDBusConnection bus = QDBusConnection::sessionBus());

    // Shows it; false with the reason when no notification service answered.
    bool show(const QString& summary, const QString& body, QString* error);

    enum class End { Opened, Closed, TimedOut };
    // After show(): what the user did with it, or TimedOut after `limit`.
    End wait(std::chrono::milliseconds limit);

signals:
    void ended();

private slots:
    void actionInvoked(uint id, const QString& key);
    void notificationClosed(uint id, uint reason);

private:
    QDBusConnection m_bus;
    uint m_id = 0;
    bool m_shown = false;
    std::optional<End> m_end;
};
