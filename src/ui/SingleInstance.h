#pragma once

// The one window of its kind, reached as Window::instance() from any other
// window: made on first use and forgotten as soon as it is destroyed, so the
// next instance() makes a fresh one. A window class inherits
// SingleInstance<itself> after its Qt base class, and befriends it when its
// constructor is private.
template <class Window> class SingleInstance {
public:
    // The window, made now when there is none.
    static Window* instance()
    {
        if (!s_window)
            s_window = new Window;
        return static_cast<Window*>(s_window);
    }
    // The window if there is one; never makes it.
    static Window* existing() { return static_cast<Window*>(s_window); }
    static bool exists() { return s_window != nullptr; }
    // Hides and forgets the window now and deletes it once control is back in
    // the event loop: the caller may be one of its own handlers.
    static void discard()
    {
        if (Window* window = existing()) {
            s_window = nullptr;
            window->hide();
            window->deleteLater();
        }
    }

    SingleInstance(const SingleInstance&) = delete;
    SingleInstance& operator=(const SingleInstance&) = delete;

protected:
    SingleInstance() = default;
    // Runs before the Qt base class deletes the controls: nothing reaches a
    // half-destroyed window through instance().
    ~SingleInstance() { forgetInstance(); }

    // A window made directly (by a test) becomes the one when there is none yet.
    void adoptAsInstance()
    {
        if (!s_window)
            s_window = this;
    }
    // For a window that is on its way out (closed for good).
    void forgetInstance()
    {
        if (s_window == this)
            s_window = nullptr;
    }

private:
    static inline SingleInstance* s_window = nullptr;
};
