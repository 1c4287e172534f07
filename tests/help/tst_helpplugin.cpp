#include "MappedLibrary.h"
#include "ScriptedPlatform.h"
#include "TestEnvironment.h"
#include "access/frmLogin.h"
#include "common/modGlobalVars.h"
#include "help/HelpBrowser.h"
#include "help/HelpView.h"
#include "help/frmBrowser.h"
#include "vehicles/frmAutoMain.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QLibraryInfo>
#include <QLineEdit>
#include <QPointer>
#include <QSettings>
#include <QStackedWidget>
#include <QStandardPaths>
#include <QTest>
#include <QTextBrowser>
#include <QUrl>

#include <sys/stat.h>
#include <unistd.h>

// The optional web-engine module as it ships: loaded from its file at the first web address.
class TestHelpPlugin : public QObject {
    Q_OBJECT

private slots:
    void initTestCase()
    {
        // As root Chromium runs only without its sandbox. Take away what the test
        // runner sets, so the page loads only if the module allows it itself.
        if (::geteuid() == 0) {
            qunsetenv("QTWEBENGINE_DISABLE_SANDBOX");
            qputenv("QTWEBENGINE_CHROMIUM_FLAGS", "--disable-gpu");
        }
    }
    void init() { modGlobalVars::CurrentAddress.clear(); }
    void cleanup() { unload(); }

    // Run first: a module that loaded stays loaded for the rest of the process.
    void unusableModuleLeavesTheHelpWorking_data()
    {
        QTest::addColumn<QString>("kind");
        QTest::newRow("missing") << "missing";
        QTest::newRow("a folder at its path") << "folder";
        QTest::newRow("not a library") << "text";
        QTest::newRow("a FIFO at its path") << "fifo";
        QTest::newRow("another Qt plugin") << "plugin";
    }
    void unusableModuleLeavesTheHelpWorking()
    {
        QFETCH(QString, kind);
        const QString path = m_dir.filePath(QStringLiteral("GearbookBrowser-%1.so").arg(kind));
        if (kind == QLatin1String("folder"))
            QVERIFY(QDir().mkpath(path));
        else if (kind == QLatin1String("text"))
            writeAll(path, "not a module\n");
        else if (kind == QLatin1String("fifo"))
            QCOMPARE(::mkfifo(QFile::encodeName(path).constData(), 0600), 0);
        HelpBrowser::setModulePath(kind == QLatin1String("plugin") ? anotherQtPlugin() : path);
        const QString readme = writeReadMe();

        ScriptedPlatform dialogs;
        frmAutoMain* w = frmAutoMain::instance();
        w->show();
        w->mnuReadme->trigger();
        // The help shows our page, and nothing says the help is broken.
        QCOMPARE(modGlobalVars::CurrentAddress, readme);
        QPointer<frmBrowser> browser = frmBrowser::instance();
        QTRY_COMPARE(browser->txtURL->text(), QUrl::fromLocalFile(readme).toString());
        // The vendor's page goes to the desktop's browser.
        browser->mnuVenbry->trigger();
        QCOMPARE(dialogs.startedPrograms, QStringList{QStringLiteral("xdg-open")});
        QCOMPARE(browser->txtURL->text(), QStringLiteral("Opened in your web browser: https://www.venbry.example/"));
        QVERIFY(dialogs.messages().isEmpty());
        QVERIFY(w->isVisible());
        w->mnuAbout->trigger();
        QVERIFY(dialogs.messages().isEmpty());
        QVERIFY(!libraryMapped("WebEngine"));
        w->hide();
    }

    void localPagesDoNotLoadTheEngine()
    {
        ScriptedPlatform dialogs;
        const QString readme = writeReadMe();
        HelpBrowser::setModulePath(QStringLiteral(GEARBOOK_BROWSER_MODULE));
        frmLogin::instance()->start();
        frmAutoMain::instance()->show();
        frmAutoMain::instance()->mnuReadme->trigger();
        QTRY_COMPARE(frmBrowser::instance()->txtURL->text(), QUrl::fromLocalFile(readme).toString());
        QVERIFY(!libraryMapped("WebEngine"));
        frmLogin::instance()->hide();
        frmAutoMain::instance()->hide();
    }

    void webAddressesOpenInTheWindow()
    {
        ScriptedPlatform dialogs;
        const QString readme = writeReadMe();
        HelpBrowser::setModulePath(QStringLiteral(GEARBOOK_BROWSER_MODULE));
        modGlobalVars::CurrentAddress = readme;
        frmBrowser::showBrowser();
        QPointer<frmBrowser> w = frmBrowser::instance();
        QTRY_COMPARE(w->txtURL->text(), QUrl::fromLocalFile(readme).toString());

        // An address of the web (one that needs no network) is shown by the module's view, in the window.
        const QString web = QStringLiteral("data:text/html,<title>web</title><p>web page</p>");
        w->txtURL->setText(web);
        w->cmdGo->click();
        QCOMPARE(w->txtURL->text(), QStringLiteral("Loading..."));
        QTRY_VERIFY(libraryMapped("libQt6WebEngineCore"));
        QTRY_COMPARE(w->pageAddress(), QUrl(web));
        QTRY_COMPARE(w->txtURL->text(), QUrl(web).toString());
        QVERIFY(dialogs.startedPrograms.isEmpty());
        QVERIFY(dialogs.messages().isEmpty());
        QCOMPARE(w->wbsReadme->currentWidget()->objectName(), QStringLiteral("webPage"));

        // Back returns to our page in the window's own view; Forward to the web view.
        w->cmdBack->click();
        QTRY_COMPARE(w->txtURL->text(), QUrl::fromLocalFile(readme).toString());
        QCOMPARE(w->wbsReadme->currentWidget()->objectName(), QStringLiteral("txtPage"));
        w->cmdForward->click();
        QTRY_COMPARE(w->txtURL->text(), QUrl(web).toString());
        QCOMPARE(w->wbsReadme->currentWidget()->objectName(), QStringLiteral("webPage"));
    }

    void settingShowsLocalPagesInTheEngine()
    {
        ScriptedPlatform dialogs;
        const QString readme = writeReadMe();
        HelpBrowser::setModulePath(QStringLiteral(GEARBOOK_BROWSER_MODULE));
        {
            QSettings settings(QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) +
                                   QStringLiteral("/Venbry Software/Gearbook.conf"),
                               QSettings::IniFormat);
            settings.setValue(HelpBrowser::WebEngineForLocalPagesKey, true);
        }
        QVERIFY(HelpBrowser::webEngineForLocalPages());
        modGlobalVars::CurrentAddress = readme;
        frmBrowser::showBrowser();
        frmBrowser* w = frmBrowser::instance();
        QTRY_COMPARE(w->txtURL->text(), QUrl::fromLocalFile(readme).toString());
        QCOMPARE(w->wbsReadme->currentWidget()->objectName(), QStringLiteral("webPage"));
        QVERIFY(dialogs.messages().isEmpty());
    }

private:
    static QString writeReadMe()
    {
        const QString readme = QDir::currentPath() + QStringLiteral("/ReadMe.htm");
        writeAll(readme, "<!DOCTYPE html><html><head><title>ReadMe</title></head><body>ReadMe</body></html>");
        return readme;
    }
    static void unload()
    {
        if (QPointer<frmBrowser> w = frmBrowser::existing()) {
            w->close();
            QTRY_VERIFY(w.isNull());
        }
    }
    static QString anotherQtPlugin()
    {
        const QDir formats(QLibraryInfo::path(QLibraryInfo::PluginsPath) + QStringLiteral("/imageformats"));
        const QStringList found = formats.entryList({QStringLiteral("*.so")}, QDir::Files);
        return found.isEmpty() ? QString() : formats.filePath(found.first());
    }

    QTemporaryDir m_dir;
};

GEARBOOK_TEST_MAIN(TestHelpPlugin)
#include "tst_helpplugin.moc"
