#include "frmBrowser.h"

#include "ui_frmBrowser.h"

#include "HelpBrowserInterface.h"
#include "Icon.h"
#include "LengthLimits.h"
#include "WindowLook.h"
#include "modGlobalVars.h"

#include <QApplication>
#include <QCloseEvent>
#include <QDir>
#include <QKeyEvent>
#include <QUrl>
#include <QWebEngineView>

#include <unistd.h>

namespace {

constexpr int kTwipsPerPixel = 15;

int toPixels(int twips)
{
    return qRound(double(twips) / kTwipsPerPixel);
}

// Chromium refuses to start its sandbox as root; the program then runs without it.
void allowRunningAsRoot()
{
    if (::geteuid() == 0)
        qputenv("QTWEBENGINE_DISABLE_SANDBOX", "1");
}

} // namespace

const QString frmBrowser::VendorHomePage = QString::fromLatin1(VendorHomePageAddress);
QPointer<frmBrowser> frmBrowser::s_instance;

frmBrowser* frmBrowser::instance()
{
    if (!s_instance) {
        s_instance = new frmBrowser;
        s_instance->Form_Load();
    }
    return s_instance;
}

bool frmBrowser::isLoaded()
{
    return !s_instance.isNull();
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

frmBrowser::frmBrowser(QWidget* parent) : QMainWindow(parent), ui(std::make_unique<Ui::frmBrowser>())
{
    ui->setupUi(this);
    liftLengthLimits(this);
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowIcon(gearbookIcon());
    QFont f = font();
    f.setPointSizeF(8.25);
    setFont(f);

    mnuFile = ui->mnuFile;
    mnuExit = ui->mnuExit;
    mnuNavigate = ui->mnuNavigate;
    mnuGoTo = ui->mnuGoTo;
    mnuInventoryTools = ui->mnuInventoryTools;
    mnuHyphen3 = ui->mnuHyphen3;
    mnuVenbry = ui->mnuVenbry;
    mnyHyphen2 = ui->mnyHyphen2;
    mnuBack = ui->mnuBack;
    mnuForward = ui->mnuForward;
    mnuHyphen1 = ui->mnuHyphen1;
    mnuStop = ui->mnuStop;
    mnuRefresh = ui->mnuRefresh;
    fraNavigate = ui->fraNavigate;
    cmdBack = ui->cmdBack;
    cmdForward = ui->cmdForward;
    cmdStop = ui->cmdStop;
    cmdRefresh = ui->cmdRefresh;
    fraURL = ui->fraURL;
    txtURL = ui->txtURL;
    cmdGo = ui->cmdGo;

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

    // A window still open when the program ends goes first, so Chromium shuts down cleanly.
    connect(qApp, &QCoreApplication::aboutToQuit, this, &QObject::deleteLater);
    WindowLook::apply(this);
}

frmBrowser::~frmBrowser() = default;

void frmBrowser::createBrowserControl()
{
    if (wbsReadme)
        return;
    allowRunningAsRoot();
    QWidget* site = ui->wbsReadmePlaceholder;
    wbsReadme = new QWebEngineView(site->parentWidget());
    wbsReadme->setObjectName(QStringLiteral("wbsReadme"));
    wbsReadme->setGeometry(site->geometry());
    delete site;
    ui->wbsReadmePlaceholder = nullptr;
    wbsReadme->show();

    // The view hands the focus on to its page once it has one; it stands in the tab order itself.
    wbsReadme->setFocusPolicy(Qt::StrongFocus);
    // Keys the page did not want stay with the page: Enter there never presses Go.
    wbsReadme->setProperty("ownsEnter", true);
    setTabOrder(cmdGo, wbsReadme);
    setTabOrder(wbsReadme, cmdBack);

    connect(wbsReadme, &QWebEngineView::urlChanged, this, &frmBrowser::wbsReadme_NavigateComplete2);
    connect(wbsReadme, &QWebEngineView::loadFinished, this, &frmBrowser::loadFinished);
}

bool frmBrowser::navigate(const QString& address)
{
    if (!wbsReadme || address.trimmed().isEmpty())
        return false;
    const QUrl url = QUrl::fromUserInput(address, QDir::currentPath(), QUrl::AssumeLocalFile);
    if (!url.isValid())
        return false;
    m_awaitingNavigation = true;
    wbsReadme->load(url);
    return true;
}

void frmBrowser::Form_Load()
{
    createBrowserControl();
    // An address that names nothing leaves the browser empty, without a word.
    navigate(modGlobalVars::CurrentAddress);
}

void frmBrowser::Form_Resize()
{
    if (!wbsReadme)
        return;
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
    navigate(txtURL->text());
    txtURL->setText(QStringLiteral("Loading..."));
    if (wbsReadme)
        wbsReadme->setFocus();
}

void frmBrowser::cmdBack_Click()
{
    // Without an earlier page this does nothing.
    if (wbsReadme)
        wbsReadme->back();
}

void frmBrowser::cmdForward_Click()
{
    if (wbsReadme)
        wbsReadme->forward();
}

void frmBrowser::cmdStop_Click()
{
    if (wbsReadme)
        wbsReadme->stop();
}

void frmBrowser::cmdRefresh_Click()
{
    if (wbsReadme)
        wbsReadme->reload();
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
    txtURL->setText(wbsReadme->url().toString());
    wbsReadme->setFocus();
}

void frmBrowser::loadFinished()
{
    // A navigation to the address already on view never changes the address;
    // it completes here instead, so the address box does not keep "Loading...".
    if (m_awaitingNavigation)
        wbsReadme_NavigateComplete2();
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
    if (s_instance == this)
        s_instance = nullptr;
    event->accept();
}
