#pragma once

#include <QObject>

class QWidget;

// A window's menu commands win over the keys its text boxes claim for
// themselves: Ctrl+X is File > Exit, not Cut, and Ctrl+A is About, not Select
// All, as they were in the original windows. Installs itself application-wide
// for one window and goes away with it.
class MenuShortcutFilter final : public QObject {
public:
    explicit MenuShortcutFilter(QWidget* window);
    ~MenuShortcutFilter() override;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QWidget* m_window;
};
