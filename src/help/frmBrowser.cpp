#include "help/frmBrowser.h"

#include "common/modGlobalVars.h"
#include "help/HelpBrowser.h"
#include "help/HelpBrowserInterface.h"
#include "help/HelpView.h"
#include "help/TextHelpView.h"
#include "ui/Icon.h"
#include "ui/LengthLimits.h"
#include "ui/PlatformServices.h"
#include "ui/WindowLook.h"

#include <QApplication>
#include <QCloseEvent>
#include <QDir>
#include <QStackedWidget>

namespace {

constexpr int kTwipsPerPixel = 15;

int toPixels(int twips)
{
    return qRound(double(twips) / kTwipsPerPixel);
}

// The desktop's way to open an address in the user's web browser (it asks the portal in a sandbox).
const QString DesktopOpener = QStringLiteral("xdg-open");

} // namespace

const QString frmBrowser::VendorHomePage = QString::fromLatin1(VendorHomePageAddress);
bool frmBrowser::isLoaded()
{
    return exists();
}

void frmBrowser::showBrowser()
{
    frmBrowser* w = instance();
    if (w->isMinimized())
        w->setWindowState(w->windowState() & ~Qt::WindowMinimized);
    w->show();
    w->raise();
    w->activateWindow();
}

frmBrowser::frmBrowser(QWidget* parent) : QMainWindow(parent)
{
    // The window is the instance before it loads: whatever the loading reaches finds it.
    adoptAsInstance();
    setupUi(this);
    liftLengthLimits(this);
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowIcon(gearbookIcon());
    QFont f = font();
    f.setPointSizeF(8.25);
    setFont(f);

    // The design client area is 11160 x 7545 twips below the menu bar.
    resize(toPixels(11160), toPixels(7545) + menuBar()->sizeHint().height());

    connect(cmdGo, &QPushButton::clicked, this, &frmBrowser::cmdGo_Click);
    connect(cmdBack, &QPushButton::clicked, this, &frmBrowser::cmdBack_Click);
    connect(mnuBack, &QAction::triggered, this, &frmBrowser::cmdBack_Click);
    connect(cmdForward, &QPushButton::clicked, this, &frmBrowser::cmdForward_Click);
    connect(mnuForward, &QAction::triggered, this, &frmBrowser::cmdForward_Click);
    connect(cmdStop, &QPushButton::clicked, this, &frmBrowser::cmdStop_Click);
    connect(mnuStop, &QAction::triggered, this, &frmBrowser::cmdStop_Click);
    connect(cmdRefresh, &QPushButton::clicked, this, &frmBrowser::cmdRefresh_Click);
    connect(mnuRefresh, &QAction::triggered, this, &frmBrowser::cmdRefresh_Click);
    connect(mnuInventoryTools, &QAction::triggered, this, &frmBrowser::mnuInventoryTools_Click);
    connect(mnuVenbry, &QAction::triggered, this, &frmBrowser::mnuVenbry_Click);
    connect(mnuExit, &QAction::triggered, this, &frmBrowser::mnuExit_Click);

    // A window still open when the program ends goes first, so a web view's engine shuts down cleanly.
    connect(qApp, &QCoreApplication::aboutToQuit, this, &QObject::deleteLater);
    WindowLook::apply(this);
    Form_Load();
}

frmBrowser::~frmBrowser()
{
    // The views go before the page area that holds their widgets.
    m_current = nullptr;
    m_web.reset();
    m_text.reset();
}

QUrl frmBrowser::pageAddress() const
{
    return m_at >= 0 ? m_history.value(m_at) : QUrl();
}

void frmBrowser::createBrowserControl()
{
    if (m_text)
        return;
    // The page area stands in the tab order itself and hands the focus on to the view on show.
    wbsReadme->setFocusPolicy(Qt::StrongFocus);
    m_text = std::make_unique<TextHelpView>(wbsReadme);
    adopt(m_text.get());
    showView(m_text.get());
    m_webForLocalPages = HelpBrowser::webEngineForLocalPages();
    setTabOrder(cmdGo, wbsReadme);
    setTabOrder(wbsReadme, cmdBack);
}

void frmBrowser::adopt(HelpView* view)
{
    wbsReadme->addWidget(view->widget());
    view->navigated = [this, view](const QUrl& url) { navigated(view, url); };
    view->loadFinished = [this, view] { loadFinished(view); };
    view->linkActivated = [this](const QUrl& url) { open(url); };
}

void frmBrowser::showView(HelpView* view)
{
    m_current = view;
    wbsReadme->setCurrentWidget(view->widget());
    wbsReadme->setFocusProxy(view->widget());
}

HelpView* frmBrowser::viewFor(const QUrl& url)
{
    const bool local = TextHelpView::canShow(url);
    if (local && !m_webForLocalPages)
        return m_text.get();
    if (!m_web) {
        if (HelpBrowserInterface* engine = HelpBrowser::webEngine()) {
            m_web.reset(engine->createView(wbsReadme));
            adopt(m_web.get());
        }
    }
    if (m_web)
        return m_web.get();
    return local ? m_text.get() : nullptr;
}

bool frmBrowser::navigate(const QString& address)
{
    if (!m_text || address.trimmed().isEmpty())
        return false;
    const QUrl url = QUrl::fromUserInput(address, QDir::currentPath(), QUrl::AssumeLocalFile);
    if (!url.isValid())
        return false;
    open(url);
    return true;
}

void frmBrowser::open(const QUrl& url, qsizetype historyIndex)
{
    HelpView* view = viewFor(url);
    if (!view) {
        openOutside(url);
        return;
    }
    m_goingTo = historyIndex;
    m_awaitingNavigation = true;
    showView(view);
    view->load(url);
}

void frmBrowser::openOutside(const QUrl& url)
{
    // Without the web view the desktop's browser shows web pages; the window keeps its page and says so.
    m_awaitingNavigation = false;
    const QString address = url.toString();
    const bool started = platform().startProgram(DesktopOpener, {address});
    const QString said = started ? QStringLiteral("Opened in your web browser: %1").arg(address)
                                 : QStringLiteral("No web browser could be started for %1").arg(address);
    txtURL->setText(said);
    if (m_at < 0)
        m_text->showNote(said + QLatin1Char('.'));
}

void frmBrowser::navigated(HelpView* view, const QUrl& url)
{
    if (view != m_current)
        return; // a view put aside still finishing its page
    if (m_goingTo >= 0 && m_goingTo < m_history.size()) {
        m_at = m_goingTo;
        m_history[m_at] = url;
    } else if (m_at < 0 || m_history.value(m_at) != url) {
        m_history.resize(m_at + 1);
        m_history.append(url);
        m_at = m_history.size() - 1;
    }
    m_goingTo = -1;
    wbsReadme_NavigateComplete2();
}

void frmBrowser::Form_Load()
{
    createBrowserControl();
    // An address that names nothing leaves the browser empty, without a word.
    navigate(modGlobalVars::CurrentAddress);
}

void frmBrowser::Form_Resize()
{
    // Outer size, frame included, as the layout's margins assume.
    const QRect outer = frameGeometry();
    const int W = outer.width() * kTwipsPerPixel;
    const int H = outer.height() * kTwipsPerPixel;

    // In this order; the first step that would give a negative size ends the layout.
    const int browserWidth = W - 325;
    if (browserWidth < 0)
        return;
    wbsReadme->resize(toPixels(browserWidth), wbsReadme->height());

    const int browserHeight = H - 1750;
    if (browserHeight < 0)
        return;
    wbsReadme->resize(wbsReadme->width(), toPixels(browserHeight));

    const int urlFrameWidth = W - 4800;
    if (urlFrameWidth < 0)
        return;
    fraURL->resize(toPixels(urlFrameWidth), fraURL->height());

    const int urlWidth = W - 5650;
    if (urlWidth < 0)
        return;
    txtURL->resize(toPixels(urlWidth), txtURL->height());

    cmdGo->move(toPixels(W - 5450), cmdGo->y());
}

void frmBrowser::cmdGo_Click()
{
    // "Loading..." until the page is reached; a page that opens in the desktop's browser says so instead.
    const QString address = txtURL->text();
    txtURL->setText(QStringLiteral("Loading..."));
    navigate(address);
    wbsReadme->setFocus();
}

void frmBrowser::cmdBack_Click()
{
    // Without an earlier page this does nothing.
    if (m_at > 0)
        open(m_history[m_at - 1], m_at - 1);
}

void frmBrowser::cmdForward_Click()
{
    if (m_at >= 0 && m_at + 1 < m_history.size())
        open(m_history[m_at + 1], m_at + 1);
}

void frmBrowser::cmdStop_Click()
{
    if (m_current)
        m_current->stop(); // our own pages are never still loading
}

void frmBrowser::cmdRefresh_Click()
{
    if (m_current)
        m_current->reload();
}

void frmBrowser::mnuInventoryTools_Click()
{
    navigate(QDir::currentPath() + QStringLiteral("/ReadMe.htm"));
}

void frmBrowser::mnuVenbry_Click()
{
    navigate(VendorHomePage);
}

void frmBrowser::mnuExit_Click()
{
    close();
}

void frmBrowser::wbsReadme_NavigateComplete2()
{
    m_awaitingNavigation = false;
    txtURL->setText(pageAddress().toString());
    wbsReadme->setFocus();
}

void frmBrowser::loadFinished(HelpView* view)
{
    // A navigation to the address already on view never changes the address;
    // it completes here instead, so the address box does not keep "Loading...".
    if (view == m_current && m_awaitingNavigation)
        navigated(view, view->url());
}

void frmBrowser::showEvent(QShowEvent* event)
{
    QMainWindow::showEvent(event);
    Form_Resize();
}

void frmBrowser::resizeEvent(QResizeEvent* event)
{
    QMainWindow::resizeEvent(event);
    Form_Resize();
}

void frmBrowser::closeEvent(QCloseEvent* event)
{
    // Unloaded: the next show loads a new window, which navigates to the then current address.
    forgetInstance();
    event->accept();
}
