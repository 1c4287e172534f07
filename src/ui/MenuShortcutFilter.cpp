#include "ui/MenuShortcutFilter.h"

#include <QAction>
#include <QCoreApplication>
#include <QKeyEvent>
#include <QWidget>

MenuShortcutFilter::MenuShortcutFilter(QWidget* window) : QObject(window), m_window(window)
{
    QCoreApplication::instance()->installEventFilter(this);
}

MenuShortcutFilter::~MenuShortcutFilter()
{
    QCoreApplication::instance()->removeEventFilter(this);
}

bool MenuShortcutFilter::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() != QEvent::ShortcutOverride || !watched->isWidgetType())
        return false;
    if (static_cast<QWidget*>(watched)->window() != m_window)
        return false;
    auto* key = static_cast<QKeyEvent*>(event);
    const QKeySequence pressed(key->keyCombination());
    for (const QAction* action : m_window->findChildren<QAction*>()) {
        if (action->isEnabled() && !action->shortcut().isEmpty() && action->shortcut() == pressed) {
            key->ignore(); // not claimed by the widget: the shortcut map delivers it to the menu
            return true;
        }
    }
    return false;
}
