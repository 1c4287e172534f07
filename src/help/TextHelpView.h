#pragma once

#include "help/HelpView.h"

class QTextBrowser;

// The help browser's own view: Qt's rich-text browser, which shows our local
// pages (ReadMe.htm, its style and pictures) and starts in milliseconds. It
// shows local files only; every link is handed to the window.
class TextHelpView final : public HelpView {
public:
    explicit TextHelpView(QWidget* parent);
    ~TextHelpView() override;

    // True for the addresses this view can show: local files.
    static bool canShow(const QUrl& url);

    QWidget* widget() override;
    void load(const QUrl& url) override;
    void reload() override;
    void stop() override {}
    QUrl url() const override { return m_url; }

    // Shows a short note of our own instead of a page (the address stays as it was).
    void showNote(const QString& text);

private:
    // Shows the page at `url`; a page already on view is read again only when asked.
    void show(const QUrl& url, bool readAgain);
    // Tells the window after load() or reload() has returned, as a browser would.
    void completeLater(bool navigation);

    QTextBrowser* m_browser;
    QUrl m_url;
    // The page whose file the browser shows (no fragment); empty for a note.
    QUrl m_shown;
};
