#pragma once

#include <QCoreApplication>
#include <QEvent>
#include <QObject>

// For the start-up benchmark and tests that start the program: with
// GEARBOOK_QUIT_AFTER_FIRST_PAINT set, the program ends as soon as its first
// window has been painted, so a run measures the start and nothing else.
// Header-only, so the bare comparison program in bench/ ends the same way
// without linking anything of ours.
class QuitAfterFirstPaint final : public QObject {
public:
    // Installs the filter when the variable is set; costs one getenv otherwise.
    static void installIfRequested(QCoreApplication* app)
    {
        if (qEnvironmentVariableIsSet("GEARBOOK_QUIT_AFTER_FIRST_PAINT"))
            app->installEventFilter(new QuitAfterFirstPaint(app));
    }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() == QEvent::Paint && !m_quitting) {
            // Queued: the paint in progress, and the rest of the window's, complete first.
            // exit() rather than quit(): it also ends a message box shown before the main loop.
            m_quitting = true;
            QMetaObject::invokeMethod(
                QCoreApplication::instance(), [] { QCoreApplication::exit(0); }, Qt::QueuedConnection);
        }
        return QObject::eventFilter(watched, event);
    }

private:
    explicit QuitAfterFirstPaint(QObject* parent) : QObject(parent) {}
    bool m_quitting = false;
};
