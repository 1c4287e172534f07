#include "frmAutoAbout.h"
#include "frmAutoMain.h"
#include "frmBrowser.h"
#include "frmLogin.h"

#include "ScriptedPlatform.h"
#include "TestEnvironment.h"
#include "WebEngineProbe.h"
#include "modGlobalVars.h"

#include <QApplication>
#include <QGroupBox>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QTest>
#include <QUrl>
#include <QWebEngineView>
#include <QtPlugin>

#include <unistd.h>

// The browser is built in: the help commands reach this copy, whose controls the test reads.
Q_IMPORT_PLUGIN(BrowserPlugin)

// One process, one browser engine: the functions run in order and share it.
class TestBrowser : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanupTestCase();
    void cleanup();

    void othersDoNotStartTheEngine();
    void windowDesign();
    void loadShowsAddressAfterLoading();
    void showingAgainKeepsThePage();
    void enterBackAndForward();
    void goToTheAddressOnView();
    void layoutFollowsTheWindow();
    void narrowWindowLeavesAddressRowAlone();
    void exitUnloadsAndNextShowNavigatesAnew();
    void readmeMenuOpensTheWorkingFolderPage();

private:
    QString page(const QString& name);
    static QString address(const QString& path) { return QUrl::fromLocalFile(path).toString(); }
    static void unload();
    static bool inPage(frmBrowser* w)
    {
        QWidget* f = QApplication::focusWidget();
        return f && (f == w->wbsReadme || w->wbsReadme->isAncestorOf(f));
    }
    // Resizes the window so that its outer size, frame included, is `outer`.
    static void resizeOuter(frmBrowser* w, QSize outer)
    {
        const QSize frame = w->frameGeometry().size() - w->size();
        w->resize(outer - frame);
        QTRY_COMPARE(w->frameGeometry().size(), outer);
    }

    ScriptedPlatform m_platform;
};

void TestBrowser::initTestCase()
{
    // As root Chromium runs only without its sandbox. Take away what the test
    // runner sets, so the page loads only if the program allows it itself.
    if (::geteuid() == 0) {
        qunsetenv("QTWEBENGINE_DISABLE_SANDBOX");
        qputenv("QTWEBENGINE_CHROMIUM_FLAGS", "--disable-gpu");
    }
}

void TestBrowser::cleanupTestCase()
{
    unload();
}

void TestBrowser::cleanup()
{
    unload();
    modGlobalVars::CurrentAddress.clear();
}

void TestBrowser::unload()
{
    if (QPointer<frmBrowser> w = frmBrowser::isLoaded() ? frmBrowser::instance() : nullptr) {
        w->close();
        QTRY_VERIFY(w.isNull());
    }
    QVERIFY(!frmBrowser::isLoaded());
}

QString TestBrowser::page(const QString& name)
{
    const QString path = modGlobalVars::StartDir + QLatin1Char('/') + name;
    writeAll(path, "<!DOCTYPE html><html><head><title>" + name.toUtf8() + "</title></head><body><p>" + name.toUtf8() +
                       "</p></body></html>");
    return path;
}

void TestBrowser::othersDoNotStartTheEngine()
{
    // The program's start (the login window, then the main window) and the about
    // window, which shares the library, must not start the engine.
    QVERIFY(!chromiumStarted());
    frmLogin::instance()->start();
    frmAutoMain::instance()->show();
    QTest::qWait(50);
    QVERIFY(!chromiumStarted());
    frmAutoMain::instance()->mnuAbout->trigger();
    QVERIFY(frmAutoAbout::existing());
    QVERIFY(frmAutoAbout::existing()->isVisible());
    QTest::qWait(50);
    QVERIFY(!chromiumStarted());
    frmAutoAbout::existing()->reject();

    // Help > "View ReadMe" does, and the probe sees it.
    const QString readme = page(QStringLiteral("ReadMe.htm"));
    frmAutoMain::instance()->mnuReadme->trigger();
    QVERIFY(frmBrowser::isLoaded());
    QVERIFY(frmBrowser::instance()->isVisible());
    QTRY_VERIFY(chromiumStarted());
    QTRY_COMPARE(frmBrowser::instance()->txtURL->text(), address(readme));

    // The login window's Help menu opens the same windows.
    unload();
    frmLogin::instance()->mnuReadMe->trigger();
    QVERIFY(frmBrowser::isLoaded());
    QTRY_COMPARE(frmBrowser::instance()->txtURL->text(), address(readme));
    frmLogin::instance()->mnuAbout->trigger();
    QVERIFY(frmAutoAbout::existing());
    frmAutoAbout::existing()->reject();
    frmLogin::instance()->hide();
    frmAutoMain::instance()->hide();
}

void TestBrowser::windowDesign()
{
    frmBrowser::showBrowser();
    frmBrowser* w = frmBrowser::instance();
    QCOMPARE(w->windowTitle(), QStringLiteral("Venbry Browser 1.0"));
    QCOMPARE(w->font().family(), QStringLiteral("Comic Sans MS"));
    QCOMPARE(w->font().pointSizeF(), 8.25);
    QVERIFY(!w->windowIcon().isNull());
    QVERIFY(w->wbsReadme);
    QCOMPARE(w->wbsReadme->objectName(), QStringLiteral("wbsReadme"));
    QCOMPARE(w->findChild<QWebEngineView*>(QStringLiteral("wbsReadme")), w->wbsReadme);
    QVERIFY(w->cmdGo->isDefault());
    QCOMPARE(w->cmdBack->text(), QStringLiteral("<-- Back"));
    QCOMPARE(w->cmdForward->text(), QStringLiteral("Forward -->"));
    QVERIFY(w->cmdBack->styleSheet().contains(QStringLiteral("rgb(192, 255, 255)")));
    QVERIFY(w->cmdStop->styleSheet().contains(QStringLiteral("rgb(255, 192, 192)")));
    QVERIFY(w->cmdRefresh->styleSheet().contains(QStringLiteral("rgb(192, 255, 192)")));
    QVERIFY(w->cmdGo->styleSheet().contains(QStringLiteral("rgb(192, 255, 192)")));
    QCOMPARE(w->cmdGo->parentWidget(), static_cast<QWidget*>(w->fraURL));
    QCOMPARE(w->cmdBack->parentWidget(), static_cast<QWidget*>(w->fraNavigate));

    // Menus in order, separators named.
    const QList<QAction*> bar = w->menuBar()->actions();
    QCOMPARE(bar.size(), 2);
    QCOMPARE(bar[0]->text(), QStringLiteral("File"));
    QCOMPARE(bar[1]->text(), QStringLiteral("Navigate"));
    QCOMPARE(w->mnuFile->actions(), QList<QAction*>{w->mnuExit});
    const QList<QAction*> nav = w->mnuNavigate->actions();
    const QList<QAction*> expected{
        w->mnuGoTo->menuAction(), w->mnyHyphen2, w->mnuBack, w->mnuForward, w->mnuHyphen1, w->mnuStop, w->mnuRefresh};
    QCOMPARE(nav, expected);
    QCOMPARE(w->mnuGoTo->title(), QStringLiteral("Go To"));
    QCOMPARE(w->mnuGoTo->actions(), (QList<QAction*>{w->mnuInventoryTools, w->mnuHyphen3, w->mnuVenbry}));
    QCOMPARE(w->mnuInventoryTools->text(), QStringLiteral("Help/ReadMe"));
    QCOMPARE(w->mnuVenbry->text(), QStringLiteral("www.venbry.example"));
    QVERIFY(w->mnyHyphen2->isSeparator() && w->mnuHyphen1->isSeparator() && w->mnuHyphen3->isSeparator());
    QCOMPARE(frmBrowser::VendorHomePage, QStringLiteral("https://www.venbry.example/"));

    // Tab order: address box, Go, the page, then the navigation buttons.
    QVERIFY(QTest::qWaitForWindowActive(w));
    w->txtURL->setFocus();
    QTest::keyClick(w->txtURL, Qt::Key_Tab);
    QCOMPARE(QApplication::focusWidget(), static_cast<QWidget*>(w->cmdGo));
    QTest::keyClick(w->cmdGo, Qt::Key_Tab);
    QVERIFY(inPage(w));
    w->cmdRefresh->setFocus();
    QTest::keyClick(w->cmdRefresh, Qt::Key_Backtab);
    QCOMPARE(QApplication::focusWidget(), static_cast<QWidget*>(w->cmdStop));
}

void TestBrowser::loadShowsAddressAfterLoading()
{
    const QString first = page(QStringLiteral("first.htm"));
    modGlobalVars::CurrentAddress = first;
    frmBrowser::showBrowser();
    frmBrowser* w = frmBrowser::instance();
    QCOMPARE(w->txtURL->text(), QStringLiteral("Loading..."));
    QTRY_COMPARE(w->txtURL->text(), address(first));
    QCOMPARE(w->wbsReadme->url(), QUrl::fromLocalFile(first));
    // The completed navigation gave the page the focus.
    QVERIFY(QTest::qWaitForWindowActive(w));
    QVERIFY(inPage(w));
}

void TestBrowser::showingAgainKeepsThePage()
{
    const QString first = page(QStringLiteral("first.htm"));
    modGlobalVars::CurrentAddress = first;
    frmBrowser::showBrowser();
    frmBrowser* w = frmBrowser::instance();
    QTRY_COMPARE(w->txtURL->text(), address(first));

    modGlobalVars::CurrentAddress = page(QStringLiteral("second.htm"));
    frmBrowser::showBrowser();
    QCOMPARE(frmBrowser::instance(), w);
    QTest::qWait(300);
    QCOMPARE(w->wbsReadme->url(), QUrl::fromLocalFile(first));
    QCOMPARE(w->txtURL->text(), address(first));
}

void TestBrowser::enterBackAndForward()
{
    const QString first = page(QStringLiteral("first.htm"));
    const QString second = page(QStringLiteral("second.htm"));
    modGlobalVars::CurrentAddress = first;
    frmBrowser::showBrowser();
    frmBrowser* w = frmBrowser::instance();
    QVERIFY(QTest::qWaitForWindowActive(w));
    QTRY_COMPARE(w->txtURL->text(), address(first));

    // Back on the first page does nothing.
    w->cmdBack->click();
    w->mnuBack->trigger();
    QTest::qWait(300);
    QCOMPARE(w->wbsReadme->url(), QUrl::fromLocalFile(first));
    QCOMPARE(w->txtURL->text(), address(first));

    // Enter in the address box goes there, through "Loading...".
    w->txtURL->setFocus();
    w->txtURL->setText(second);
    QTest::keyClick(w->txtURL, Qt::Key_Return);
    QCOMPARE(w->txtURL->text(), QStringLiteral("Loading..."));
    QTRY_COMPARE(w->txtURL->text(), address(second));
    QCOMPARE(w->wbsReadme->url(), QUrl::fromLocalFile(second));

    // Forward on the last page does nothing.
    w->cmdForward->click();
    QTest::qWait(300);
    QCOMPARE(w->wbsReadme->url(), QUrl::fromLocalFile(second));

    w->cmdBack->click();
    QTRY_COMPARE(w->txtURL->text(), address(first));
    w->mnuForward->trigger();
    QTRY_COMPARE(w->txtURL->text(), address(second));
}

void TestBrowser::goToTheAddressOnView()
{
    // Going to the page already shown ends with its address again, not with "Loading...".
    const QString first = page(QStringLiteral("first.htm"));
    modGlobalVars::CurrentAddress = first;
    frmBrowser::showBrowser();
    frmBrowser* w = frmBrowser::instance();
    QTRY_COMPARE(w->txtURL->text(), address(first));
    w->cmdGo->click();
    QCOMPARE(w->txtURL->text(), QStringLiteral("Loading..."));
    QTRY_COMPARE(w->txtURL->text(), address(first));
}

void TestBrowser::layoutFollowsTheWindow()
{
    frmBrowser::showBrowser();
    frmBrowser* w = frmBrowser::instance();
    resizeOuter(w, QSize(800, 600));
    const int W = w->frameGeometry().width() * 15;
    const int H = w->frameGeometry().height() * 15;
    QCOMPARE(w->wbsReadme->width(), qRound((W - 325) / 15.0));
    QCOMPARE(w->wbsReadme->height(), qRound((H - 1750) / 15.0));
    QCOMPARE(w->fraURL->width(), qRound((W - 4800) / 15.0));
    QCOMPARE(w->txtURL->width(), qRound((W - 5650) / 15.0));
    QCOMPARE(w->cmdGo->x(), qRound((W - 5450) / 15.0));
    // Only sizes and the Go button's place change.
    QCOMPARE(w->wbsReadme->pos(), QPoint(8, 56));
    QCOMPARE(w->fraURL->pos(), QPoint(304, 0));
}

void TestBrowser::narrowWindowLeavesAddressRowAlone()
{
    frmBrowser::showBrowser();
    frmBrowser* w = frmBrowser::instance();
    const QRect fraURL = w->fraURL->geometry();
    const QRect txtURL = w->txtURL->geometry();
    const QRect cmdGo = w->cmdGo->geometry();

    // 300 pixels = 4500 twips: narrower than 4800.
    resizeOuter(w, QSize(300, 400));
    QCOMPARE(w->wbsReadme->width(), qRound((4500 - 325) / 15.0));
    QCOMPARE(w->wbsReadme->height(), qRound((w->frameGeometry().height() * 15 - 1750) / 15.0));
    QCOMPARE(w->fraURL->geometry(), fraURL);
    QCOMPARE(w->txtURL->geometry(), txtURL);
    QCOMPARE(w->cmdGo->geometry(), cmdGo);

    // 5000 twips: the address frame follows, the address box (which would be negative) and Go do not.
    resizeOuter(w, QSize(5000 / 15 + 1, 400));
    QCOMPARE(w->fraURL->width(), qRound(((5000 / 15 + 1) * 15 - 4800) / 15.0));
    QCOMPARE(w->txtURL->geometry(), txtURL);
    QCOMPARE(w->cmdGo->geometry(), cmdGo);

    // Lower than 1750 twips: the width still follows, the height and all after it do not.
    const int height = w->wbsReadme->height();
    resizeOuter(w, QSize(700, 100));
    QCOMPARE(w->wbsReadme->width(), qRound((700 * 15 - 325) / 15.0));
    QCOMPARE(w->wbsReadme->height(), height);
    QCOMPARE(w->txtURL->geometry(), txtURL);
}

void TestBrowser::exitUnloadsAndNextShowNavigatesAnew()
{
    const QString first = page(QStringLiteral("first.htm"));
    const QString second = page(QStringLiteral("second.htm"));
    modGlobalVars::CurrentAddress = first;
    frmBrowser::showBrowser();
    QPointer<frmBrowser> w = frmBrowser::instance();
    QTRY_COMPARE(w->txtURL->text(), address(first));

    w->mnuExit->trigger();
    QVERIFY(!frmBrowser::isLoaded());
    QTRY_VERIFY(w.isNull());

    modGlobalVars::CurrentAddress = second;
    frmBrowser::showBrowser();
    frmBrowser* again = frmBrowser::instance();
    QVERIFY(again->isVisible());
    QCOMPARE(again->txtURL->text(), QStringLiteral("Loading..."));
    QTRY_COMPARE(again->txtURL->text(), address(second));

    // Closing by the frame unloads it too.
    QPointer<frmBrowser> closing = again;
    again->close();
    QVERIFY(!frmBrowser::isLoaded());
    QTRY_VERIFY(closing.isNull());
}

void TestBrowser::readmeMenuOpensTheWorkingFolderPage()
{
    const QString readme = page(QStringLiteral("ReadMe.htm"));
    modGlobalVars::CurrentAddress = page(QStringLiteral("first.htm"));
    frmBrowser::showBrowser();
    frmBrowser* w = frmBrowser::instance();
    QTRY_COMPARE(w->txtURL->text(), address(modGlobalVars::CurrentAddress));
    w->mnuInventoryTools->trigger();
    QTRY_COMPARE(w->wbsReadme->url(), QUrl::fromLocalFile(readme));
    QTRY_COMPARE(w->txtURL->text(), address(readme));
}

GEARBOOK_TEST_MAIN(TestBrowser)
#include "tst_browser.moc"
