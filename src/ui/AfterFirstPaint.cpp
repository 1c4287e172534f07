#include "ui/AfterFirstPaint.h"

#include <QEvent>
#include <QTimer>
#include <QWidget>

AfterFirstPaint::AfterFirstPaint(QWidget* window, std::function<void()> then) : QObject(window), m_then(std::move(then))
{
    window->installEventFilter(this);
    QTimer::singleShot(2000, this, [this] { run(); });
}

bool AfterFirstPaint::eventFilter(QObject*, QEvent* event)
{
    if (event->type() == QEvent::Paint)
        QTimer::singleShot(SettleMs, this, [this] { run(); });
    return false;
}

void AfterFirstPaint::run()
{
    if (m_done)
        return;
    m_done = true;
    parent()->removeEventFilter(this);
    m_then();
    deleteLater();
}
