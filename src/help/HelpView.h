#pragma once

#include <QUrl>

#include <functional>

class QWidget;

// One page view of the help browser window: the operations the window needs of
// it. The window keeps the history itself, so that pages shown by different
// views go back and forward as one list.
class HelpView {
public:
    virtual ~HelpView() = default;

    // The widget that shows the page; the window places and sizes it.
    virtual QWidget* widget() = 0;
    // Navigates to `url`; `navigated` follows once the page has been reached.
    virtual void load(const QUrl& url) = 0;
    virtual void reload() = 0;
    // Stops a page that is still loading; nothing when there is nothing to stop.
    virtual void stop() = 0;
    // The address of the page now shown.
    virtual QUrl url() const = 0;

    // Set by the window: a navigation reached its page (one the window asked for,
    // or a link the page followed itself), never before load() has returned.
    std::function<void(const QUrl&)> navigated;
    // Set by the window: a link the user followed that the view leaves to the
    // window to open (it decides which view, or the desktop's browser, shows it).
    std::function<void(const QUrl&)> linkActivated;
    // Set by the window: a page finished loading (the address may be the same as before).
    std::function<void()> loadFinished;
};
