#include "access/frmLogin.h"
#include "help/frmAutoAbout.h"
#include "help/frmBrowser.h"
#include "vehicles/frmAutoMain.h"

#include "MappedLibrary.h"
#include "ScriptedPlatform.h"
#include "TestEnvironment.h"
#include "WebEngineProbe.h"
#include "common/modGlobalVars.h"
#include "help/HelpBrowser.h"
#include "help/HelpView.h"

#include <QApplication>
#include <QGroupBox>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QPixmap>
#include <QPushButton>
#include <QStackedWidget>
#include <QTest>
#include <QTextBlock>
#include <QTextBrowser>
#include <QTextDocument>
#include <QTextFrame>
#include <QTextTable>
#include <QUrl>

#include <sys/stat.h>

// The window with its own view, as an install without the web-engine module has it:
// our pages in Qt's rich-text browser, web addresses in the desktop's browser.
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
    void webAddressesOpenInTheDesktopBrowser_data();
    void webAddressesOpenInTheDesktopBrowser();
    void noDesktopBrowserIsSaid();
    void linksAndBackCrossBothWays();
    void pageThatCannotBeReadIsSaid_data();
    void pageThatCannotBeReadIsSaid();
    void refreshReadsThePageAgain();
    void shippedReadMeReadsInTheView();

private:
    QString page(const QString& name);
    static QString address(const QString& path) { return QUrl::fromLocalFile(path).toString(); }
    static void unload();
    static bool inPage(frmBrowser* w)
    {
        QWidget* f = QApplication::focusWidget();
        return f && (f == w->wbsReadme || w->wbsReadme->isAncestorOf(f));
    }
    static QTextBrowser* view(frmBrowser* w)
    {
        return w->wbsReadme->findChild<QTextBrowser*>(QStringLiteral("txtPage"));
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
    // No web-engine module here: web addresses go to the desktop's browser.
    HelpBrowser::setModulePath(QDir::current().filePath(QStringLiteral("no-such-module.so")));
}

void TestBrowser::cleanupTestCase()
{
    unload();
}

void TestBrowser::cleanup()
{
    unload();
    modGlobalVars::CurrentAddress.clear();
    // Nothing of the help ever needs the browser engine or a message box.
    QVERIFY(!chromiumStarted());
    QVERIFY(!libraryMapped("WebEngine"));
    QVERIFY(m_platform.messages().isEmpty());
    m_platform.clear();
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

    // Neither does Help > "View ReadMe": our own page is shown by the window's own view.
    const QString readme = page(QStringLiteral("ReadMe.htm"));
    frmAutoMain::instance()->mnuReadme->trigger();
    QVERIFY(frmBrowser::isLoaded());
    QVERIFY(frmBrowser::instance()->isVisible());
    QTRY_COMPARE(frmBrowser::instance()->txtURL->text(), address(readme));
    QVERIFY(view(frmBrowser::instance())->toPlainText().contains(QStringLiteral("ReadMe.htm")));
    QVERIFY(!chromiumStarted());

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
    QCOMPARE(w->findChild<QStackedWidget*>(QStringLiteral("wbsReadme")), w->wbsReadme);
    QVERIFY(view(w));
    QCOMPARE(w->wbsReadme->currentWidget(), static_cast<QWidget*>(view(w)));
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
    QCOMPARE(w->pageAddress(), QUrl::fromLocalFile(first));
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
    QCOMPARE(w->pageAddress(), QUrl::fromLocalFile(first));
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
    QCOMPARE(w->pageAddress(), QUrl::fromLocalFile(first));
    QCOMPARE(w->txtURL->text(), address(first));

    // Enter in the address box goes there, through "Loading...".
    w->txtURL->setFocus();
    w->txtURL->setText(second);
    QTest::keyClick(w->txtURL, Qt::Key_Return);
    QCOMPARE(w->txtURL->text(), QStringLiteral("Loading..."));
    QTRY_COMPARE(w->txtURL->text(), address(second));
    QCOMPARE(w->pageAddress(), QUrl::fromLocalFile(second));

    // Forward on the last page does nothing.
    w->cmdForward->click();
    QTest::qWait(300);
    QCOMPARE(w->pageAddress(), QUrl::fromLocalFile(second));

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
    QTRY_COMPARE(w->pageAddress(), QUrl::fromLocalFile(readme));
    QTRY_COMPARE(w->txtURL->text(), address(readme));
}

void TestBrowser::webAddressesOpenInTheDesktopBrowser_data()
{
    QTest::addColumn<QString>("how");
    QTest::newRow("Go") << "go";
    QTest::newRow("Go To > www.venbry.example") << "menu";
    QTest::newRow("a link on a page") << "link";
    QTest::newRow("the address the window loads") << "load";
}

void TestBrowser::webAddressesOpenInTheDesktopBrowser()
{
    QFETCH(QString, how);
    const QString first = page(QStringLiteral("first.htm"));
    const QString web =
        how == QLatin1String("menu") ? frmBrowser::VendorHomePage : QStringLiteral("https://example.org/page?a=1&b=2");
    modGlobalVars::CurrentAddress = how == QLatin1String("load") ? web : first;
    frmBrowser::showBrowser();
    frmBrowser* w = frmBrowser::instance();
    if (how != QLatin1String("load")) {
        QTRY_COMPARE(w->txtURL->text(), address(first));
        if (how == QLatin1String("go")) {
            w->txtURL->setText(web);
            w->cmdGo->click();
        } else if (how == QLatin1String("menu")) {
            w->mnuVenbry->trigger();
        } else {
            emit view(w)->anchorClicked(QUrl(web));
        }
    }
    // The desktop's browser is asked, once, with the address whole; the window says so and keeps its page.
    QCOMPARE(m_platform.startedPrograms, QStringList{QStringLiteral("xdg-open")});
    QCOMPARE(m_platform.shown.last().captions, QStringList{web});
    const QString said = QStringLiteral("Opened in your web browser: ") + web;
    QCOMPARE(w->txtURL->text(), said);
    QTest::qWait(50);
    QCOMPARE(w->txtURL->text(), said);
    if (how == QLatin1String("load")) {
        QVERIFY(w->pageAddress().isEmpty());
        QVERIFY(view(w)->toPlainText().contains(said));
    } else {
        QCOMPARE(w->pageAddress(), QUrl::fromLocalFile(first));
        QVERIFY(view(w)->toPlainText().contains(QStringLiteral("first.htm")));
        // Back goes nowhere new: the web page was never a page of this window.
        w->cmdBack->click();
        QTest::qWait(50);
        QCOMPARE(w->pageAddress(), QUrl::fromLocalFile(first));
    }
}

void TestBrowser::noDesktopBrowserIsSaid()
{
    m_platform.startSucceeds = false;
    modGlobalVars::CurrentAddress = page(QStringLiteral("first.htm"));
    frmBrowser::showBrowser();
    frmBrowser* w = frmBrowser::instance();
    QTRY_COMPARE(w->txtURL->text(), address(modGlobalVars::CurrentAddress));
    w->mnuVenbry->trigger();
    QCOMPARE(w->txtURL->text(), QStringLiteral("No web browser could be started for https://www.venbry.example/"));
    m_platform.startSucceeds = true;
}

void TestBrowser::linksAndBackCrossBothWays()
{
    const QString second = page(QStringLiteral("second.htm"));
    const QString first = modGlobalVars::StartDir + QStringLiteral("/first.htm");
    writeAll(first, "<html><body><p><a href=\"second.htm\">on</a></p><p id=\"end\">end</p></body></html>");
    modGlobalVars::CurrentAddress = first;
    frmBrowser::showBrowser();
    frmBrowser* w = frmBrowser::instance();
    QTRY_COMPARE(w->txtURL->text(), address(first));

    // A relative link opens its page in the view, and an anchor keeps the page.
    emit view(w)->anchorClicked(QUrl(QStringLiteral("second.htm")));
    QTRY_COMPARE(w->txtURL->text(), address(second));
    QVERIFY(view(w)->toPlainText().contains(QStringLiteral("second.htm")));
    w->cmdBack->click();
    QTRY_COMPARE(w->txtURL->text(), address(first));
    emit view(w)->anchorClicked(QUrl(QStringLiteral("#end")));
    QTRY_COMPARE(w->pageAddress().fragment(), QStringLiteral("end"));
    QVERIFY(view(w)->toPlainText().contains(QStringLiteral("end")));
    w->cmdBack->click();
    QTRY_COMPARE(w->pageAddress(), QUrl::fromLocalFile(first));
    w->cmdForward->click();
    QTRY_COMPARE(w->pageAddress().fragment(), QStringLiteral("end"));
    // A new page after Back drops the pages ahead.
    w->cmdBack->click();
    QTRY_COMPARE(w->pageAddress(), QUrl::fromLocalFile(first));
    emit view(w)->anchorClicked(QUrl(QStringLiteral("second.htm")));
    QTRY_COMPARE(w->pageAddress(), QUrl::fromLocalFile(second));
    w->cmdForward->click();
    QTest::qWait(50);
    QCOMPARE(w->pageAddress(), QUrl::fromLocalFile(second));
    // Stop has nothing to stop and changes nothing.
    w->cmdStop->click();
    w->mnuStop->trigger();
    QCOMPARE(w->txtURL->text(), address(second));
}

void TestBrowser::pageThatCannotBeReadIsSaid_data()
{
    QTest::addColumn<QString>("kind");
    QTest::newRow("missing") << "missing";
    QTest::newRow("a folder") << "folder";
    QTest::newRow("a FIFO") << "fifo";
}

void TestBrowser::pageThatCannotBeReadIsSaid()
{
    QFETCH(QString, kind);
    const QString path = modGlobalVars::StartDir + QStringLiteral("/gone.htm");
    if (kind == QLatin1String("folder"))
        QVERIFY(QDir().mkpath(path));
    else if (kind == QLatin1String("fifo"))
        QCOMPARE(::mkfifo(QFile::encodeName(path).constData(), 0600), 0);
    modGlobalVars::CurrentAddress = path;
    frmBrowser::showBrowser(); // a FIFO read would block here
    frmBrowser* w = frmBrowser::instance();
    QTRY_COMPARE(w->txtURL->text(), address(path));
    QVERIFY(view(w)->toPlainText().startsWith(QStringLiteral("There is no page at")));
    if (kind == QLatin1String("folder"))
        QVERIFY(QDir(path).removeRecursively());
    else if (kind == QLatin1String("fifo"))
        QVERIFY(QFile::remove(path));
}

void TestBrowser::refreshReadsThePageAgain()
{
    const QString first = page(QStringLiteral("first.htm"));
    modGlobalVars::CurrentAddress = first;
    frmBrowser::showBrowser();
    frmBrowser* w = frmBrowser::instance();
    QTRY_COMPARE(w->txtURL->text(), address(first));
    writeAll(first, "<html><body><p>changed</p></body></html>");
    w->cmdRefresh->click();
    QCOMPARE(view(w)->toPlainText(), QStringLiteral("changed"));
    QTest::qWait(50);
    QCOMPARE(w->txtURL->text(), address(first));
}

void TestBrowser::shippedReadMeReadsInTheView()
{
    // The page as installed: ReadMe.htm with its pictures beside it.
    const QDir source(QStringLiteral(GEARBOOK_SOURCE_DIR));
    const QString readme = modGlobalVars::StartDir + QStringLiteral("/ReadMe.htm");
    QFile::remove(readme);
    QVERIFY(QFile::copy(source.filePath(QStringLiteral("install/ReadMe.htm")), readme));
    const QStringList pictures =
        QDir(source.filePath(QStringLiteral("docs"))).entryList({QStringLiteral("*.png")}, QDir::Files);
    for (const QString& picture : pictures) {
        QFile::remove(modGlobalVars::StartDir + QLatin1Char('/') + picture);
        QVERIFY(QFile::copy(source.filePath(QStringLiteral("docs/") + picture),
                            modGlobalVars::StartDir + QLatin1Char('/') + picture));
    }
    modGlobalVars::CurrentAddress = readme;
    frmBrowser::showBrowser();
    frmBrowser* w = frmBrowser::instance();
    QTRY_COMPARE(w->txtURL->text(), address(readme));
    QTextDocument* doc = view(w)->document();
    QCOMPARE(doc->metaInformation(QTextDocument::DocumentTitle), QStringLiteral("Venbry's Gearbook 1.1 - ReadMe"));
    // The page's text whole, its accented letters decoded.
    const QString text = view(w)->toPlainText();
    QVERIFY(text.contains(QStringLiteral("Getting started")));
    QVERIFY(!text.contains(QChar::ReplacementCharacter));
    QVERIFY(!text.contains(QStringLiteral("<style")));
    QVERIFY(!text.contains(QStringLiteral("{")));
    // Its tables are tables, its headings headings, and every picture it names is read.
    int tables = 0;
    int headings = 0;
    QStringList images;
    QColor title;
    for (QTextBlock b = doc->begin(); b.isValid(); b = b.next()) {
        if (b.blockFormat().headingLevel() > 0)
            ++headings;
        if (b.blockFormat().headingLevel() == 1 && !title.isValid())
            title = b.begin().fragment().charFormat().foreground().color();
        for (auto it = b.begin(); !it.atEnd(); ++it)
            if (it.fragment().charFormat().isImageFormat())
                images << it.fragment().charFormat().toImageFormat().name();
    }
    for (QTextFrame* frame : doc->rootFrame()->childFrames())
        tables += qobject_cast<QTextTable*>(frame) ? 1 : 0;
    QVERIFY2(tables >= 2, qPrintable(QString::number(tables)));
    QVERIFY2(headings >= 10, qPrintable(QString::number(headings)));
    // Its style sheet applies: the title in its own green.
    QCOMPARE(title, QColor(0, 0x60, 0));
    QVERIFY(!images.isEmpty());
    for (const QString& image : images) {
        const QVariant loaded = doc->resource(QTextDocument::ImageResource, QUrl(image));
        // The view keeps a picture it has read as a pixmap.
        QVERIFY2(loaded.typeId() == QMetaType::QPixmap && !loaded.value<QPixmap>().isNull(), qPrintable(image));
    }
    // Its links within the page lead to places that are there.
    const QString html = doc->toHtml();
    for (const QString& anchor : {QStringLiteral("start"), QStringLiteral("data"), QStringLiteral("keys")})
        QVERIFY2(html.contains(QStringLiteral("name=\"%1\"").arg(anchor)), qPrintable(anchor));
}

GEARBOOK_TEST_MAIN(TestBrowser)
#include "tst_browser.moc"
