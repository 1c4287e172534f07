#include "HelpBrowser.h"
#include "MappedLibrary.h"
#include "ScriptedPlatform.h"
#include "TestEnvironment.h"
#include "frmAutoMain.h"
#include "frmLogin.h"
#include "modGlobalVars.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QLibraryInfo>
#include <QLineEdit>
#include <QMainWindow>
#include <QPointer>
#include <QTest>
#include <QUrl>

#include <sys/stat.h>

namespace {

// The browser window, found as a user would: a top-level window, not through the module's code.
QMainWindow* browserWindow()
{
    for (QWidget* w : QApplication::topLevelWidgets())
        if (w->objectName() == QLatin1String("frmBrowser") && w->isVisible())
            return qobject_cast<QMainWindow*>(w);
    return nullptr;
}

} // namespace

// The program as it ships: the browser is the module beside it, loaded at the first help command.
class TestHelpPlugin : public QObject {
    Q_OBJECT

private slots:
    void init() { modGlobalVars::CurrentAddress.clear(); }

    // Run first: a module that loaded stays loaded for the rest of the process.
    void unusableModuleIsReported_data()
    {
        QTest::addColumn<QString>("kind");
        QTest::newRow("missing") << "missing";
        QTest::newRow("a folder at its path") << "folder";
        QTest::newRow("not a library") << "text";
        QTest::newRow("a FIFO at its path") << "fifo";
        QTest::newRow("another Qt plugin") << "plugin";
    }
    void unusableModuleIsReported()
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

        ScriptedPlatform dialogs;
        frmAutoMain* w = frmAutoMain::instance();
        w->show();
        w->mnuReadme->trigger();
        QCOMPARE(dialogs.messages().size(), 1);
        QVERIFY2(dialogs.messages().first().contains(HelpBrowser::modulePath()),
                 qPrintable(dialogs.messages().first()));
        QCOMPARE(dialogs.shown.first().icon, MsgIcon::Warning);
        // Nothing else changed: the address is set, the folder restored, the window still works.
        QCOMPARE(modGlobalVars::CurrentAddress, QDir::currentPath() + QStringLiteral("/ReadMe.htm"));
        QVERIFY(!browserWindow());
        QVERIFY(w->isVisible());
        w->mnuAbout->trigger();
        QCOMPARE(dialogs.messages().size(), 1);
        QVERIFY(!libraryMapped("WebEngine"));
    }

    void helpCommandsShowThePageThroughTheModule()
    {
        ScriptedPlatform dialogs;
        const QString readme = QDir::currentPath() + QStringLiteral("/ReadMe.htm");
        writeAll(readme, "<!DOCTYPE html><html><head><title>ReadMe</title></head><body>ReadMe</body></html>");
        const QString address = QUrl::fromLocalFile(readme).toString();

        // The program runs without the browser engine until a help command needs it.
        QVERIFY(!libraryMapped("WebEngine"));
        frmLogin::instance()->start();
        frmAutoMain::instance()->show();
        QVERIFY(!libraryMapped("WebEngine"));

        HelpBrowser::setModulePath(QStringLiteral(GEARBOOK_BROWSER_MODULE));
        frmAutoMain::instance()->mnuReadme->trigger();
        QPointer<QMainWindow> browser = browserWindow();
        QVERIFY(browser);
        QVERIFY(libraryMapped("libQt6WebEngineCore"));
        auto* url = browser->findChild<QLineEdit*>(QStringLiteral("txtURL"));
        QVERIFY(url);
        QTRY_COMPARE(url->text(), address);

        // The login window's Help menu reaches the same module; a closed browser opens anew there.
        browser->close();
        QTRY_VERIFY(browser.isNull());
        frmLogin::instance()->mnuReadMe->trigger();
        browser = browserWindow();
        QVERIFY(browser);
        QTRY_COMPARE(browser->findChild<QLineEdit*>(QStringLiteral("txtURL"))->text(), address);
        QVERIFY(dialogs.messages().isEmpty());
        browser->close();
        QTRY_VERIFY(browser.isNull());
        frmLogin::instance()->hide();
        frmAutoMain::instance()->hide();
    }

private:
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
