#pragma once

#include "ui/SingleInstance.h"
#include "ui_frmBrowser.h"

#include <QList>
#include <QMainWindow>
#include <QString>
#include <QUrl>

#include <memory>

class HelpView;
class TextHelpView;

// The small browser that shows the help pages and the vendor's home page.
// Other windows set modGlobalVars::CurrentAddress and call showBrowser(); the
// window navigates there when it is loaded, and from then on is a plain browser.
// Our own pages are shown by Qt's rich-text browser (TextHelpView), which starts
// at once; web addresses by the web-engine module when it is installed
// (HelpBrowser::webEngine()), else in the desktop's web browser, which the
// address box then says. The page area `wbsReadme` holds the view on show.
// frmBrowser::instance() is the loaded window, made and loaded (which navigates to
// CurrentAddress) when there is none.
class frmBrowser : public QMainWindow, public Ui::frmBrowser, public SingleInstance<frmBrowser> {
    Q_OBJECT

public:
    // The vendor's home page, the target of "Go To" > www.venbry.example.
    static const QString VendorHomePage;

    // True while a window is loaded (between its first show and Exit or its frame's close).
    static bool isLoaded();
    // What every other window calls: loads the window when needed, shows it and brings it forward.
    // Showing a window that is already loaded leaves its page as it is.
    static void showBrowser();

    ~frmBrowser() override;
    // The window's menu bar, not the form's member of the same name.
    using QMainWindow::menuBar;

    // The address of the page on view; empty before the first page.
    QUrl pageAddress() const;
    // The view that shows the page now (the text view until a web page needs the module).
    HelpView* currentView() const { return m_current; }

public slots:
    void Form_Load();
    void Form_Resize();
    void cmdGo_Click();
    void cmdBack_Click();
    void cmdForward_Click();
    void cmdStop_Click();
    void cmdRefresh_Click();
    void mnuInventoryTools_Click();
    void mnuVenbry_Click();
    void mnuExit_Click();
    void wbsReadme_NavigateComplete2();

protected:
    void showEvent(QShowEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    friend class SingleInstance<frmBrowser>;
    explicit frmBrowser(QWidget* parent = nullptr);
    void createBrowserControl();
    // Navigates to the address typed or given; false (and nothing done) when the text names no address.
    bool navigate(const QString& address);
    // Shows `url` in the view that can, or opens it in the desktop's browser; `historyIndex`
    // is the history entry a Back or Forward goes to, -1 for a new page.
    void open(const QUrl& url, qsizetype historyIndex = -1);
    // The view for `url`, made when needed; null when only the desktop's browser can show it.
    HelpView* viewFor(const QUrl& url);
    void adopt(HelpView* view);
    void showView(HelpView* view);
    void openOutside(const QUrl& url);
    void navigated(HelpView* view, const QUrl& url);
    void loadFinished(HelpView* view);

    std::unique_ptr<TextHelpView> m_text;
    std::unique_ptr<HelpView> m_web;
    HelpView* m_current = nullptr;
    // Read when the window loads: our own pages in the web view too, when there is one.
    bool m_webForLocalPages = false;

    // One history for both views, so Back and Forward cross between them.
    QList<QUrl> m_history;
    qsizetype m_at = -1;
    qsizetype m_goingTo = -1;

    // Set by Load and Go, cleared when the navigation completes: a page that is
    // reloaded at the address already shown completes without changing the address.
    bool m_awaitingNavigation = false;
};
