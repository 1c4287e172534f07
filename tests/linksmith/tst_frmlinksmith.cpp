#include "DesktopEntryReader.h"
#include "ScriptedPlatform.h"
#include "TestEnvironment.h"
#include "linksmith/frmLinksmith.h"
#include "ui/PlatformServices.h"
#include "ui/ProgramEnd.h"

#include <QAbstractProxyModel>
#include <QApplication>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QFileSystemModel>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

#include <memory>

class TestLinksmith : public QObject {
    Q_OBJECT
    std::unique_ptr<TestEnvironment> env;
    std::unique_ptr<ScriptedPlatform> ui;
    int quits = 0;

    QString desktopDir() const { return env->home() + "/Desktop"; }
    QString menuDir() const { return env->dataHome() + "/applications"; }
    QString autostartDir() const { return env->configHome() + "/autostart"; }
    QString installed() const { return env->dataHome() + "/Venbry Software/Gearbook/Gearbook"; }

    // Every message box so far was titled "Linksmith", had OK only and no icon.
    void checkMessageStyle() const
    {
        for (const auto& s : ui->shown) {
            if (s.kind != ScriptedPlatform::Kind::Message)
                continue;
            QCOMPARE(s.title, QString("Linksmith"));
            QVERIFY(s.buttons == MsgButtons::Ok);
            QVERIFY(s.icon == MsgIcon::None);
        }
    }
    QStringList entries(const QString& dir) const { return QDir(dir).entryList(QDir::Files); }
    // A success message names the file written.
    static QString created(const QString& what, const QString& dir)
    {
        return what + QStringLiteral("\n\n") + dir + QStringLiteral("/Shortcut to Gearbook.desktop");
    }
    static void makeProgram(const QString& path)
    {
        QVERIFY(QDir().mkpath(QFileInfo(path).path()));
        writeAll(path, "#!/bin/sh\n");
        QVERIFY(QFile::setPermissions(path, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner));
    }

private slots:
    // `linksmith --help` prints its help and ends, without a display and without the window.
    void helpIsPrintedWithoutAWindow_data()
    {
        QTest::addColumn<QString>("option");
        QTest::newRow("--help") << "--help";
        QTest::newRow("-h") << "-h";
    }
    void helpIsPrintedWithoutAWindow()
    {
        QFETCH(QString, option);
        QProcess linksmith;
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        for (const char* variable : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"})
            environment.remove(QString::fromLatin1(variable));
        linksmith.setProcessEnvironment(environment);
        linksmith.start(QStringLiteral(LINKSMITH_PROGRAM), {option});
        QVERIFY(linksmith.waitForFinished(30000));
        QCOMPARE(linksmith.exitStatus(), QProcess::NormalExit);
        QCOMPARE(linksmith.exitCode(), 0);
        const QString out = QString::fromUtf8(linksmith.readAllStandardOutput());
        QVERIFY2(out.startsWith(QStringLiteral("Usage: linksmith")), qPrintable(out));
        QVERIFY(out.contains(QStringLiteral("--help")));
        QVERIFY(linksmith.readAllStandardError().isEmpty());
    }

    // Programs here have no ".exe": the filter keeps its caption and shows executables and folders.
    void executableFilterShowsPrograms()
    {
        QTemporaryDir dir;
        writeAll(dir.filePath("Gearbook"), "#!/bin/sh\n");
        QFile::setPermissions(dir.filePath("Gearbook"), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        writeAll(dir.filePath("notes.txt"), "text");
        QVERIFY(QDir(dir.path()).mkdir("bin"));
        const auto dialog = makeOpenFileDialog(QStringLiteral("Executable Files (*.exe)|*.exe|All Files (*.*)|*.*|"),
                                               dir.filePath("Gearbook"));
        QCOMPARE(dialog->selectedNameFilter(), QStringLiteral("Executable Files (*.exe)"));
        auto* files = qobject_cast<QFileSystemModel*>(dialog->proxyModel()->sourceModel());
        QVERIFY(files);
        auto shown = [&] {
            // Rows move while the folders load: the folder's row is looked up each time.
            const QModelIndex folder = dialog->proxyModel()->mapFromSource(files->index(dir.path()));
            QStringList names;
            for (int i = 0; i < dialog->proxyModel()->rowCount(folder); ++i)
                names << dialog->proxyModel()->index(i, 0, folder).data().toString();
            names.sort();
            return names;
        };
        // The folder is read in the background; a loaded machine may take a while.
        QTRY_COMPARE_WITH_TIMEOUT(shown(), QStringList({"Gearbook", "bin"}), 30000);
    }

    void init()
    {
        env = std::make_unique<TestEnvironment>();
        ui = std::make_unique<ScriptedPlatform>();
        quits = 0;
        ProgramEnd::setHook([this] { ++quits; });
        makeProgram(installed()); // the proposed target exists, as after an install
    }
    void cleanup()
    {
        ProgramEnd::setHook({});
        ui.reset();
        env.reset();
    }

    void startsWithOnlyTheDesktopChecked()
    {
        frmLinksmith w;
        QCOMPARE(w.size(), QSize(395, 283));
        QCOMPARE(w.txtPath->text(), installed());
        QCOMPARE(w.ExeName, QString("Gearbook"));
        QCOMPARE(w.PrevExeName, QString("Gearbook"));
        QVERIFY(w.chkDesktop->isChecked());
        QVERIFY(!w.chkStartMenu->isChecked());
        QVERIFY(!w.chkStartUp->isChecked());
        QCOMPARE(w.lblTitle->font().family(), QString("Abbess"));
        QCOMPARE(w.lblTitle->font().pointSizeF(), 15.75);
        QCOMPARE(w.Label2->font().pointSizeF(), 8.25);
        QCOMPARE(w.lblCreateTitle->font().pointSizeF(), 11.25);
    }

    void tabOrderFollowsTheDesign()
    {
        frmLinksmith w;
        w.show();
        w.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&w));
        w.chkDesktop->setFocus();
        const QList<QWidget*> order{w.chkStartMenu, w.chkStartUp, w.cmdOK,     w.txtPath,
                                    w.cmdBrowse,    w.cmdExit,    w.chkDesktop};
        for (QWidget* next : order) {
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
            QCOMPARE(QApplication::focusWidget(), next);
        }
    }

    void createsTheDesktopShortcutByDefault()
    {
        frmLinksmith w;
        w.show();
        QTest::mouseClick(w.cmdOK, Qt::LeftButton);
        QCOMPARE(ui->messages(), QStringList{created("Created desktop shortcut", desktopDir())});
        checkMessageStyle();
        QCOMPARE(quits, 1);
        QVERIFY(!w.isVisible());

        QCOMPARE(entries(desktopDir()), QStringList{"Shortcut to Gearbook.desktop"});
        QVERIFY(!QFileInfo::exists(menuDir()));
        QVERIFY(!QFileInfo::exists(autostartDir()));
        const auto keys = DesktopEntryReader::keys(readAll(desktopDir() + "/Shortcut to Gearbook.desktop"));
        QCOMPARE(keys.value("Name"), QString("Shortcut to Gearbook"));
        QCOMPARE(DesktopEntryReader::execArguments(keys.value("Exec")), QStringList{installed()});
        QCOMPARE(keys.value("Path"), env->dataHome() + "/Venbry Software/Gearbook");
    }

    void createsAllThreeInOrder()
    {
        frmLinksmith w;
        w.chkStartMenu->setChecked(true);
        w.chkStartUp->setChecked(true);
        QStringList existingWhenShown;
        ui->onShown = [&](const ScriptedPlatform::Shown&) {
            existingWhenShown << QString::number(entries(desktopDir()).size() + entries(menuDir()).size() +
                                                 entries(autostartDir()).size());
        };
        w.cmdOK_Click();
        QCOMPARE(ui->messages(), (QStringList{created("Created desktop shortcut", desktopDir()),
                                              created("Created shortcut on Programs menu", menuDir()),
                                              created("Created shortcut in Startup folder", autostartDir())}));
        QCOMPARE(existingWhenShown, (QStringList{"1", "2", "3"})); // each reported before the next is tried
        checkMessageStyle();
        QCOMPARE(quits, 1);
        for (const QString& dir : {desktopDir(), menuDir(), autostartDir()})
            QCOMPARE(entries(dir), QStringList{"Shortcut to Gearbook.desktop"});
    }

    void nothingCheckedCreatesNothing()
    {
        frmLinksmith w;
        w.chkDesktop->setChecked(false);
        w.cmdOK_Click();
        QCOMPARE(ui->messages(), QStringList{"No Shortcuts created."});
        checkMessageStyle();
        QCOMPARE(quits, 1);
        QVERIFY(!QFileInfo::exists(desktopDir()));
    }

    void exitAlwaysSaysNothingWasCreated()
    {
        frmLinksmith w;
        w.chkStartMenu->setChecked(true);
        w.show();
        QTest::mouseClick(w.cmdExit, Qt::LeftButton);
        QCOMPARE(ui->messages(), QStringList{"No Shortcuts created."});
        checkMessageStyle();
        QCOMPARE(quits, 1);
        QVERIFY(!QFileInfo::exists(desktopDir()));
        QVERIFY(!QFileInfo::exists(menuDir()));
    }

    void closingTheWindowEndsTheProgramSilently()
    {
        frmLinksmith w;
        w.show();
        QVERIFY(w.close());
        QCOMPARE(quits, 1);
        QVERIFY(ui->shown.isEmpty());
    }

    void everyPlaceFailingIsReportedInOrder()
    {
        // Files where the three folders should be: even root cannot put entries there.
        QDir().mkpath(env->configHome());
        for (const QString& blocked : {desktopDir(), menuDir(), autostartDir()})
            writeAll(blocked, "not a folder");
        frmLinksmith w;
        w.chkStartMenu->setChecked(true);
        w.chkStartUp->setChecked(true);
        w.cmdOK_Click();
        QCOMPARE(ui->messages(),
                 (QStringList{"Unable to create desktop shortcut", "Unable to create shortcut on Programs menu",
                              "Unable to create shortcut in Startup folder"}));
        checkMessageStyle();
        QCOMPARE(quits, 1);
    }

    void oneFailureDoesNotStopTheOthers()
    {
        writeAll(menuDir(), "not a folder");
        frmLinksmith w;
        w.chkStartMenu->setChecked(true);
        w.chkStartUp->setChecked(true);
        w.cmdOK_Click();
        QCOMPARE(ui->messages(), (QStringList{created("Created desktop shortcut", desktopDir()),
                                              "Unable to create shortcut on Programs menu",
                                              created("Created shortcut in Startup folder", autostartDir())}));
        QCOMPARE(entries(autostartDir()), QStringList{"Shortcut to Gearbook.desktop"});
    }

    void browsingSetsTargetAndName()
    {
        frmLinksmith w;
        ui->fileAnswers.enqueue(QString("/opt/other tools/Gear Box"));
        w.cmdBrowse_Click();
        QCOMPARE(ui->shown.size(), 1);
        QVERIFY(ui->shown[0].kind == ScriptedPlatform::Kind::FileOpen);
        QCOMPARE(ui->shown[0].text, QString("Executable Files (*.exe)|*.exe|All Files (*.*)|*.*|"));
        QCOMPARE(ui->shown[0].initial, installed());
        QCOMPARE(w.txtPath->text(), QString("/opt/other tools/Gear Box"));
        QCOMPARE(w.ExeName, QString("Gear Box"));

        // Typing a path afterwards changes the target only.
        w.txtPath->selectAll();
        QTest::keyClicks(w.txtPath, "/usr/local/bin/gb");
        QCOMPARE(w.ExeName, QString("Gear Box"));
        ui->messageAnswers.enqueue(MsgAnswer::Yes); // it does not exist here
        w.cmdOK_Click();
        const QString file = desktopDir() + "/Shortcut to Gear Box.desktop";
        const auto keys = DesktopEntryReader::keys(readAll(file));
        QCOMPARE(keys.value("Name"), QString("Shortcut to Gear Box"));
        QCOMPARE(DesktopEntryReader::execArguments(keys.value("Exec")), QStringList{"/usr/local/bin/gb"});
    }

    void cancelKeepsThePathAndTheName()
    {
        frmLinksmith w;
        w.cmdBrowse_Click(); // cancelled
        QCOMPARE(w.txtPath->text(), installed());
        QCOMPARE(w.ExeName, QString("Gearbook"));

        // Cancelling right after browsing keeps the name of the file chosen,
        // not the name of the path that browsing replaced.
        ui->fileAnswers.enqueue(QString("/opt/x/Other"));
        w.cmdBrowse_Click();
        ui->fileAnswers.enqueue(std::nullopt);
        w.cmdBrowse_Click();
        QCOMPARE(ui->shown.last().initial, QString("/opt/x/Other"));
        QCOMPARE(w.txtPath->text(), QString("/opt/x/Other"));
        QCOMPARE(w.ExeName, QString("Other"));
    }

    void pathWithSpacesAndQuotesReachesTheEntryIntact()
    {
        frmLinksmith w;
        const QString odd = env->home() + "/My \"Car\" Apps/$bin/Gear`box`\\x 100%";
        w.txtPath->setText(odd);
        w.chkDesktop->setChecked(false);
        w.chkStartMenu->setChecked(true);
        makeProgram(odd);
        w.cmdOK_Click();
        QCOMPARE(ui->messages(), QStringList{created("Created shortcut on Programs menu", menuDir())});
        const auto keys = DesktopEntryReader::keys(readAll(menuDir() + "/Shortcut to Gearbook.desktop"));
        QCOMPARE(DesktopEntryReader::execArguments(keys.value("Exec")), QStringList{odd});
        QCOMPARE(keys.value("Path"), env->home() + "/My \"Car\" Apps/$bin");
    }

    void proposesTheGearbookBesideItself()
    {
        const QString own = env->home() + "/opt/gearbook";
        QCOMPARE(frmLinksmith::proposedTarget(own, QString()), installed()); // none beside: the per-user one
        makeProgram(own + "/Gearbook");
        QCOMPARE(frmLinksmith::proposedTarget(own, QString()), own + "/Gearbook");
        // The package's is started by its command, which makes the user's program folder.
        QCOMPARE(frmLinksmith::proposedTarget(own, "gearbook"), QString("gearbook"));
    }

    void aMissingTargetIsMadeOnlyWhenConfirmed()
    {
        frmLinksmith w;
        const QString missing = env->home() + "/gone/Gearbook";
        w.txtPath->setText(missing);
        w.cmdOK_Click(); // answered No
        const QString question = "The program \"" + missing + "\" does not exist. Create the shortcut anyway?";
        QCOMPARE(ui->messages(), QStringList{question});
        QVERIFY(ui->shown[0].buttons == MsgButtons::YesNo);
        QCOMPARE(quits, 0); // the window stays, for another path
        QVERIFY(!QFileInfo::exists(desktopDir()));

        ui->clear();
        ui->messageAnswers.enqueue(MsgAnswer::Yes);
        w.cmdOK_Click();
        QCOMPARE(ui->messages(), (QStringList{question, created("Created desktop shortcut", desktopDir())}));
        QCOMPARE(quits, 1);
    }
};

GEARBOOK_TEST_MAIN(TestLinksmith)
#include "tst_frmlinksmith.moc"
