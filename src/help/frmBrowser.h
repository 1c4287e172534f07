#pragma once

#include <QMainWindow>
#include <QPointer>
#include <QString>

#include <memory>

namespace Ui {
class frmBrowser;
}
class QAction;
class QGroupBox;
class QLineEdit;
class QMenu;
class QPushButton;
class QUrl;
class QWebEngineView;
class QWidget;

// The small web browser that shows the help pages and the vendor's home page.
// Other windows set modGlobalVars::CurrentAddress and call showBrowser(); the
// window navigates there when it is loaded, and from then on is a plain browser.
// The web view (and with it Chromium) is created only when the window is first
// loaded, so the rest of the program never pays for it.
class frmBrowser : public QMainWindow {
    Q_OBJECT

public:
    // The vendor's home page, the target of "Go To" > www.venbry.example.
    static const QString VendorHomePage;

    // The loaded window, loading it (which navigates to CurrentAddress) when it is not.
    static frmBrowser* instance();
    // True while a window is loaded (between its first show and Exit or its frame's close).
    static bool isLoaded();
    // What every other window calls: loads the window when needed, shows it and brings it forward.
    // Showing a window that is already loaded leaves its page as it is.
    static void showBrowser();

    ~frmBrowser() override;

    QMenu* mnuFile = nullptr;
    QAction* mnuExit = nullptr;
    QMenu* mnuNavigate = nullptr;
    QMenu* mnuGoTo = nullptr;
    QAction* mnuInventoryTools = nullptr;
    QAction* mnuHyphen3 = nullptr;
    QAction* mnuVenbry = nullptr;
    QAction* mnyHyphen2 = nullptr;
    QAction* mnuBack = nullptr;
    QAction* mnuForward = nullptr;
    QAction* mnuHyphen1 = nullptr;
    QAction* mnuStop = nullptr;
    QAction* mnuRefresh = nullptr;

    QGroupBox* fraNavigate = nullptr;
    QPushButton* cmdBack = nullptr;
    QPushButton* cmdForward = nullptr;
    QPushButton* cmdStop = nullptr;
    QPushButton* cmdRefresh = nullptr;
    QGroupBox* fraURL = nullptr;
    QLineEdit* txtURL = nullptr;
    QPushButton* cmdGo = nullptr;
    // Created by Form_Load; null before.
    QWebEngineView* wbsReadme = nullptr;

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
    explicit frmBrowser(QWidget* parent = nullptr);
    void createBrowserControl();
    // Navigates the browser control; false (and nothing done) when the text names no address.
    bool navigate(const QString& address);
    void loadFinished();

    std::unique_ptr<Ui::frmBrowser> ui;
    // Set by Load and Go, cleared when the navigation completes: a page that is
    // reloaded at the address already shown completes without changing the address.
    bool m_awaitingNavigation = false;

    static QPointer<frmBrowser> s_instance;
};
