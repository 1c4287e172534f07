#pragma once

#include <QObject>

#include <functional>

class QWidget;

// Runs `then` a moment after `window`'s first paint, so that work begun then
// never competes with the window's first appearance and the events that
// follow it; or after a while when no paint comes (a window shown minimised).
// Deletes itself once it has run; dies with the window before that.
class AfterFirstPaint : public QObject {
public:
    static constexpr int SettleMs = 100;

    AfterFirstPaint(QWidget* window, std::function<void()> then);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void run();

    std::function<void()> m_then;
    bool m_done = false;
};
