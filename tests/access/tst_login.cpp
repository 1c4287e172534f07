#include "ScriptedPlatform.h"
#include "TestEnvironment.h"
#include "access/CredentialStore.h"
#include "access/frmChangePass.h"
#include "access/frmLogin.h"
#include "app/StartUp.h"
#include "common/modGlobalVars.h"
#include "help/frmAutoAbout.h"
#include "help/frmBrowser.h"
#include "ui/ProgramEnd.h"
#include "vehicles/frmAutoMain.h"

#include <QApplication>
#include <QDir>
#include <QFileInfo>
#include <QMenuBar>
#include <QSignalSpy>
#include <QTest>
#include <qpa/qwindowsysteminterface.h>

#include <csignal>
#include <limits>
#include <sys/stat.h>

using namespace modGlobalVars;

namespace {

const QString InvalidLogin = QStringLiteral("Invalid Login, try again!");
const QString InvalidEdit = QStringLiteral("Invalid User Name or Password, try again!");
const QString Mismatch = QStringLiteral("Password confirmation does not match. Please try again.");

QString work(const QString& name)
{
    return modGlobalVars::StartDir + QLatin1Char('/') + name;
}

void writeFlag(const QString& fileName, const QString& flag)
{
    writeAll(work(fileName), CredentialStore::optionFileBytes(flag));
}

// The credential files as an installation or an earlier run left them.
void writeLogin(const QString& name, const QString& password, int remember, int skip)
{
    QVERIFY(CredentialStore::writePasswordFile(name, password, StartDir));
    QVERIFY(CredentialStore::writeOptions(remember, skip, StartDir));
}

QString flag(const QString& fileName)
{
    return fileName == CredentialStore::RememberFileName ? CredentialStore::readRememberFlag(StartDir).value_or("?")
                                                         : CredentialStore::readSkipFlag(StartDir).value_or("?");
}

bool activate(QWidget* w)
{
    w->show();
    w->activateWindow();
    return QTest::qWaitForWindowActive(w);
}

// What the main window's "Login/Password Properties" does.
frmChangePass* openPreferences()
{
    frmAutoMain::instance()->mnuPassword_Click();
    return frmChangePass::instance();
}

// What a password box shows for `text`; the box keeps its own text.
QString shownAs(QLineEdit* box, const QString& text)
{
    const QString kept = box->text();
    box->setText(text);
    const QString shown = box->displayText();
    box->setText(kept);
    return shown;
}

QStringList focusChain(QWidget* first, int count)
{
    QStringList names;
    QWidget* w = first;
    for (int i = 0; i < count; ++i) {
        names << w->objectName();
        QTest::keyClick(w, Qt::Key_Tab);
        w = QApplication::focusWidget();
        if (!w)
            break;
    }
    return names;
}

} // namespace

class TestLogin : public QObject {
    Q_OBJECT
    std::unique_ptr<TestEnvironment> env;
    std::unique_ptr<ScriptedPlatform> ui;
    int quits = 0;

    frmLogin* startLogin()
    {
        startGearbook();
        return frmLogin::instance();
    }

private slots:
    void init()
    {
        env = std::make_unique<TestEnvironment>();
        ui = std::make_unique<ScriptedPlatform>();
        quits = 0;
        ProgramEnd::setHook([this] { ++quits; });
        CurrentAddress.clear();
        RememberFlag.clear();
        SkipLoginFlag.clear();
    }
    void cleanup()
    {
        frmLogin::discard();
        frmChangePass::discard();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        frmAutoMain::instance()->hide();
        ui.reset();
        env.reset();
    }

    // A write past a file size limit (`ulimit -f`) fails as a save and is
    // reported; the signal the kernel sends with it must not end the window.
    void theWindowIgnoresTheFileSizeSignal()
    {
        std::signal(SIGXFSZ, SIG_DFL);
        startLogin();
        struct sigaction action {};
        QCOMPARE(sigaction(SIGXFSZ, nullptr, &action), 0);
        QVERIFY(action.sa_handler == SIG_IGN);
    }

    void loginWindowLooksAsDesigned()
    {
        frmLogin* w = frmLogin::instance();
        QCOMPARE(w->windowTitle(), QStringLiteral(" Login"));
        QCOMPARE(w->clientArea->size(), QSize(391, 203));
        QCOMPARE(w->txtUserName->geometry(), QRect(104, 88, 155, 23));
        QCOMPARE(w->chkRemPass->geometry(), QRect(104, 176, 161, 21));
        QCOMPARE(w->txtPassword->echoMode(), QLineEdit::Password);
        QCOMPARE(shownAs(w->txtPassword, "pw"), QStringLiteral("**"));
        QCOMPARE(w->txtUserName->maxLength(), std::numeric_limits<int>::max()); // no length limit
        QVERIFY(w->cmdOK->isDefault());
        QCOMPARE(w->cmdOK->text(), QStringLiteral("&Login"));
        QCOMPARE(w->chkLoginScreen->toolTip(),
                 QStringLiteral("If checked, you will no longer be asked for user name and password."));
        QCOMPARE(w->chkRemPass->toolTip(), QStringLiteral("If checked, user name and password will be saved"));
        QCOMPARE(w->mnuHelp->title(), QStringLiteral("&Help"));
        QStringList entries;
        for (const QAction* a : w->mnuHelp->actions())
            entries << (a->isSeparator() ? QStringLiteral("-") : a->text() + " " + a->shortcut().toString());
        QCOMPARE(entries, (QStringList{"Help/ReadMe Ctrl+R", "-", "Visit www.venbry.example Ctrl+W", "-",
                                       "About Gearbook Ctrl+A"}));

        QVERIFY(activate(w));
        w->txtUserName->setFocus();
        QCOMPARE(focusChain(w->txtUserName, 7), (QStringList{"txtUserName", "txtPassword", "chkLoginScreen",
                                                             "chkRemPass", "cmdOK", "cmdCancel", "txtUserName"}));
    }

    // The login window, and the preferences dialog created hidden with it,
    // show the stored login only when it is remembered.
    void theStoredLoginIsShownWhenRemembered_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("password");
        QTest::addColumn<int>("remember");
        QTest::newRow("remembered") << QStringLiteral("Jo, \"the\" driver") << QStringLiteral("Pa,ss") << 1;
        QTest::newRow("not remembered") << QStringLiteral("me") << QStringLiteral("pw") << 0;
    }
    void theStoredLoginIsShownWhenRemembered()
    {
        QFETCH(QString, name);
        QFETCH(QString, password);
        QFETCH(int, remember);
        writeLogin(name, password, remember, 0);
        frmLogin* w = startLogin();
        const Qt::CheckState box = remember ? Qt::Checked : Qt::Unchecked;
        QCOMPARE(w->txtUserName->text(), remember ? name : QString());
        QCOMPARE(w->txtPassword->text(), remember ? password : QString());
        QCOMPARE(w->chkRemPass->checkState(), box);
        QVERIFY(frmChangePass::exists());
        frmChangePass* d = frmChangePass::instance();
        QCOMPARE(d->txtOldName->text(), remember ? name : QString());
        if (!remember)
            return;
        QVERIFY(w->isVisible());
        QVERIFY(!w->LoginSucceeded);
        QVERIFY(w->chkRemPass->isEnabled());
        QCOMPARE(w->chkLoginScreen->checkState(), Qt::Unchecked);
        QCOMPARE(RememberFlag, QStringLiteral("1"));
        QCOMPARE(SkipLoginFlag.toString(), QStringLiteral("0"));
        QVERIFY(QTest::qWaitForWindowActive(w));
        QCOMPARE(QApplication::focusWidget(), w->txtUserName);
        QVERIFY(!d->isVisible());
        QCOMPARE(d->txtOldPass->text(), password);
        QCOMPARE(d->chkRemPass->checkState(), Qt::Checked);
        QVERIFY(ui->shown.isEmpty());
    }

    void skipFlagOpensTheMainWindowDirectly()
    {
        writeLogin(QStringLiteral("me"), QStringLiteral("pw"), 1, 1);
        frmLogin* w = startLogin();
        QVERIFY(w->LoginSucceeded);
        QVERIFY(!w->isVisible());
        QVERIFY(frmAutoMain::instance()->isVisible());
        QCOMPARE(w->chkRemPass->checkState(), Qt::Checked);
        QVERIFY(!w->chkRemPass->isEnabled());

        frmChangePass* d = openPreferences();
        QCOMPARE(d->chkLoginScreen->checkState(), Qt::Checked);
        QCOMPARE(d->chkRemPass->checkState(), Qt::Checked);
        QVERIFY(!d->chkRemPass->isEnabled());
        QCOMPARE(d->txtOldName->text(), QStringLiteral("me"));
        QCOMPARE(SavedSkipLogin.toInt(), 1);
        QCOMPARE(SavedRemember.toInt(), 1);
        QCOMPARE(SavedChangeLogin, 0);
    }

    void unreadableStartupFilesEndTheReading_data()
    {
        QTest::addColumn<QString>("rememberFile"); // flag text, or "missing"
        QTest::addColumn<bool>("passwordFile");
        QTest::addColumn<QString>("skipFile");
        QTest::addColumn<bool>("rememberChecked");
        QTest::addColumn<bool>("prefilled");
        QTest::addColumn<bool>("dialogCreated");
        QTest::newRow("no remember file") << "missing" << true << "1" << false << false << false;
        QTest::newRow("remember not a number") << "yes" << true << "1" << false << false << false;
        QTest::newRow("remember 1, no password file") << "1" << false << "1" << true << false << false;
        QTest::newRow("no skip file") << "1" << true << "missing" << true << true << false;
        QTest::newRow("skip value 3") << "1" << true << "3" << true << true << false;
        QTest::newRow("skip not a number") << "0" << true << "x" << false << false << false;
        QTest::newRow("remember 0.0 counts as 0") << "0.0" << true << "0" << false << false << true;
    }
    void unreadableStartupFilesEndTheReading()
    {
        QFETCH(QString, rememberFile);
        QFETCH(bool, passwordFile);
        QFETCH(QString, skipFile);
        QFETCH(bool, rememberChecked);
        QFETCH(bool, prefilled);
        QFETCH(bool, dialogCreated);
        if (rememberFile != "missing")
            writeFlag(CredentialStore::RememberFileName, rememberFile);
        if (passwordFile)
            QVERIFY(CredentialStore::writePasswordFile("me", "pw", StartDir));
        if (skipFile != "missing")
            writeFlag(CredentialStore::SkipFileName, skipFile);

        frmLogin* w = startLogin();
        QVERIFY(w->isVisible());
        QVERIFY(!frmAutoMain::instance()->isVisible());
        QCOMPARE(w->chkRemPass->checkState() == Qt::Checked, rememberChecked);
        QCOMPARE(w->chkLoginScreen->checkState(), Qt::Unchecked);
        QCOMPARE(w->txtUserName->text(), prefilled ? QStringLiteral("me") : QString());
        QCOMPARE(w->txtPassword->text(), prefilled ? QStringLiteral("pw") : QString());
        QCOMPARE(frmChangePass::exists(), dialogCreated);
        QVERIFY(ui->shown.isEmpty());
        QCOMPARE(QDir::currentPath(), StartDir);
    }

    void grayedSkipValueIsNotASkip()
    {
        writeLogin(QStringLiteral("me"), QStringLiteral("pw"), 0, 0);
        writeFlag(CredentialStore::SkipFileName, QStringLiteral("2"));
        frmLogin* w = startLogin();
        QVERIFY(w->isVisible());
        QCOMPARE(w->chkLoginScreen->checkState(), Qt::PartiallyChecked);
        QVERIFY(w->chkRemPass->isEnabled());
        QVERIFY(!w->chkRemPass->isChecked());
        QVERIFY(frmChangePass::exists());
        QCOMPARE(frmChangePass::instance()->chkLoginScreen->checkState(), Qt::PartiallyChecked);
    }

    void wrongLoginSelectsThePassword_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("password");
        QTest::newRow("password in other case") << "me"
                                                << "SECRET";
        QTest::newRow("wrong name") << "Me"
                                    << "secret";
        QTest::newRow("password with a trailing blank") << "me"
                                                        << "secret ";
    }
    void wrongLoginSelectsThePassword()
    {
        QFETCH(QString, name);
        QFETCH(QString, password);
        writeLogin(QStringLiteral("me"), QStringLiteral("secret"), 0, 0);
        const QByteArray options = readAll(work("logdata2.gbx"));
        frmLogin* w = startLogin();
        QVERIFY(QTest::qWaitForWindowActive(w));
        w->txtUserName->setText(name);
        w->txtPassword->setText(password);
        w->txtUserName->setFocus();
        // Enter in a text box presses the default button.
        QTest::keyClick(w->txtUserName, Qt::Key_Return);

        QCOMPARE(ui->messages(), QStringList{InvalidLogin});
        QCOMPARE(ui->shown[0].title, QStringLiteral("Login"));
        QCOMPARE(ui->shown[0].buttons, MsgButtons::Ok);
        QCOMPARE(ui->shown[0].icon, MsgIcon::None);
        QCOMPARE(QApplication::focusWidget(), w->txtPassword);
        QCOMPARE(w->txtPassword->selectedText(), password);
        QVERIFY(w->isVisible());
        QVERIFY(!w->LoginSucceeded);
        QVERIFY(!frmAutoMain::instance()->isVisible());
        QCOMPARE(readAll(work("logdata2.gbx")), options);

        // Retries are unlimited; the right login then succeeds.
        w->txtUserName->setText(QStringLiteral("me"));
        w->txtPassword->setText(QStringLiteral("secret"));
        w->cmdOK->click();
        QVERIFY(w->LoginSucceeded);
    }

    // A password file that gives no name and password says so, as a missing one does.
    void emptyStoredLoginNeverMatches_data()
    {
        const QByteArray name = CredentialStore::encodeValue("admin", CredentialStore::NamePhrase).toLatin1();
        const QByteArray password = CredentialStore::encodeValue("admin", CredentialStore::PasswordPhrase).toLatin1();
        QTest::addColumn<QByteArray>("file");
        QTest::newRow("name and password decode to nothing") << QByteArray("a,a\r\n");
        QTest::newRow("password decodes to nothing") << name + ",a\r\n";
        QTest::newRow("name decodes to nothing") << "a," + password + "\r\n";
        QTest::newRow("empty") << QByteArray();
        QTest::newRow("no password field") << name + "\r\n";
    }
    void emptyStoredLoginNeverMatches()
    {
        QFETCH(QByteArray, file);
        writeAll(work("logdata.gbx"), file);
        QVERIFY(CredentialStore::writeOptions(0, 0, StartDir));
        frmLogin* w = startLogin();
        QVERIFY(QTest::qWaitForWindowActive(w));
        w->txtUserName->setFocus();
        w->txtUserName->setText("admin");
        w->txtPassword->setText("admin");
        w->cmdOK->click();
        w->cmdOK->click();
        QCOMPARE(ui->messages().size(), 2);
        QVERIFY(ui->messages()[0].contains(QStringLiteral("gearbook_credentials --reset \"%1\"").arg(StartDir)));
        QCOMPARE(QApplication::focusWidget(), w->txtUserName);
        QVERIFY(!w->LoginSucceeded);
        QCOMPARE(readAll(work("logdata.gbx")), file); // never replaced
    }

    void missingPasswordFileNamesTheReset_data()
    {
        QTest::addColumn<bool>("fifo");
        QTest::newRow("missing") << false;
        QTest::newRow("a FIFO") << true;
    }
    void missingPasswordFileNamesTheReset()
    {
        QFETCH(bool, fifo);
        QVERIFY(CredentialStore::writeOptions(0, 0, StartDir));
        if (fifo)
            QCOMPARE(::mkfifo(QFile::encodeName(work("logdata.gbx")).constData(), 0600), 0);
        frmLogin* w = startLogin();
        w->txtUserName->setText("admin");
        w->cmdOK->click();
        QCOMPARE(ui->messages().size(), 1);
        QVERIFY(ui->messages()[0].contains(QStringLiteral("gearbook_credentials --reset \"%1\"").arg(StartDir)));
        QVERIFY(w->isVisible());
        QVERIFY(!w->LoginSucceeded);
        if (fifo)
            QVERIFY(QFileInfo(work("logdata.gbx")).exists()); // never replaced
        else
            QVERIFY(!QFileInfo::exists(work("logdata.gbx")));

        // Every step ends in the start folder, wherever something else left the working folder.
        ui->clear();
        QFile::remove(work("logdata.gbx"));
        writeLogin(QStringLiteral("admin"), QStringLiteral("admin"), 0, 0);
        QVERIFY(QDir(StartDir).mkdir("elsewhere"));
        QVERIFY(QDir::setCurrent(work("elsewhere")));
        w->cmdOK->click();
        QCOMPARE(QDir::currentPath(), StartDir);
        // The files were looked for where the working folder was.
        QCOMPARE(ui->messages().size(), 1);
        QVERIFY(ui->messages()[0].contains(work("elsewhere")));
    }

    void successfulLogin_data()
    {
        QTest::addColumn<bool>("remember");
        QTest::addColumn<bool>("skip");
        QTest::newRow("neither") << false << false;
        QTest::newRow("remember") << true << false;
        QTest::newRow("skip") << false << true;
    }
    void successfulLogin()
    {
        QFETCH(bool, remember);
        QFETCH(bool, skip);
        writeLogin(QStringLiteral("me"), QStringLiteral("secret"), 0, 0);
        const QByteArray password = readAll(work("logdata.gbx"));
        frmLogin* w = startLogin();
        w->txtUserName->setText(QStringLiteral("me"));
        w->txtPassword->setText(QStringLiteral("secret"));
        w->chkRemPass->setChecked(remember);
        w->chkLoginScreen->setChecked(skip);
        const QString start = StartDir;
        w->cmdOK->click();

        QVERIFY(ui->shown.isEmpty());
        QVERIFY(w->LoginSucceeded);
        QVERIFY(!w->isVisible());
        QVERIFY(frmAutoMain::instance()->isVisible());
        QCOMPARE(flag("logdata2.gbx"), (remember || skip) ? QStringLiteral("1") : QStringLiteral("0"));
        QCOMPARE(flag("logdata3.gbx"), skip ? QStringLiteral("1") : QStringLiteral("0"));
        QCOMPARE(readAll(work("logdata.gbx")), password);
        QCOMPARE(QDir::currentPath(), start);

        frmChangePass* d = frmChangePass::instance();
        QCOMPARE(d->chkRemPass->isChecked(), remember || skip);
        QCOMPARE(d->chkLoginScreen->isChecked(), skip);
        QCOMPARE(d->chkRemPass->isEnabled(), !skip);
        QCOMPARE(d->txtOldName->text(), (remember || skip) ? QStringLiteral("me") : QString());
        QCOMPARE(d->txtOldPass->text(), (remember || skip) ? QStringLiteral("secret") : QString());
    }

    void failedOptionWriteKeepsTheLoginWindow()
    {
        writeLogin(QStringLiteral("me"), QStringLiteral("secret"), 0, 0);
        frmLogin* w = startLogin();
        QVERIFY(QFile::remove(work("logdata3.gbx")));
        QVERIFY(QDir(StartDir).mkdir("logdata3.gbx"));
        w->txtUserName->setText(QStringLiteral("me"));
        w->txtPassword->setText(QStringLiteral("secret"));
        w->cmdOK->click();
        QCOMPARE(ui->shown.size(), 1);
        QVERIFY(ui->shown[0].text.contains("logdata3.gbx"));
        QVERIFY(!w->LoginSucceeded);
        QVERIFY(w->isVisible());
        QVERIFY(!frmAutoMain::instance()->isVisible());
    }

    void skipImpliesRemember()
    {
        frmLogin* w = frmLogin::instance();
        QVERIFY(!w->chkRemPass->isChecked());
        w->chkLoginScreen->setChecked(true); // by the program, not a click
        QVERIFY(w->chkRemPass->isChecked());
        QVERIFY(!w->chkRemPass->isEnabled());
        w->chkLoginScreen->setChecked(false);
        QVERIFY(w->chkRemPass->isChecked());
        QVERIFY(w->chkRemPass->isEnabled());
    }

    void cancelEndsTheProgram()
    {
        frmLogin* w = startLogin();
        QVERIFY(QTest::qWaitForWindowActive(w));
        w->cmdCancel->click();
        QCOMPARE(quits, 1);
        QVERIFY(!w->LoginSucceeded);

        QTest::keyClick(w->txtPassword, Qt::Key_Escape);
        QCOMPARE(quits, 2);
        frmLogin::discard();

        w = startLogin();
        QVERIFY(w->isVisible());
        w->close(); // the window frame
        QCOMPARE(quits, 3);
        QVERIFY(ui->shown.isEmpty());
    }

    void helpMenu()
    {
        frmLogin* w = startLogin();
        w->mnuReadMe->trigger();
        QCOMPARE(CurrentAddress, StartDir + QStringLiteral("/ReadMe.htm"));
        QVERIFY(frmBrowser::isLoaded());
        QVERIFY(frmBrowser::instance()->isVisible());
        w->mnuVenbry->trigger();
        QCOMPARE(CurrentAddress, QStringLiteral("https://www.venbry.example/"));
        CurrentAddress.clear();
        QTest::mouseDClick(w->lblVenbrySoftware, Qt::LeftButton);
        QCOMPARE(CurrentAddress, QStringLiteral("https://www.venbry.example/"));

        // The menu's shortcuts win over the text box's own Ctrl+A.
        QVERIFY(activate(w));
        w->txtUserName->setText(QStringLiteral("abc"));
        w->txtUserName->setFocus();
        w->txtUserName->setCursorPosition(0);
        QSignalSpy about(w->mnuAbout, &QAction::triggered);
        QTest::keyClick(w->txtUserName, Qt::Key_A, Qt::ControlModifier);
        QCOMPARE(about.size(), 1);
        QVERIFY(w->txtUserName->selectedText().isEmpty());
        QVERIFY(frmAutoAbout::existing());
        QVERIFY(frmAutoAbout::existing()->isVisible());
        QVERIFY(activate(w));
        w->txtUserName->setFocus();
        CurrentAddress.clear();
        QTest::keyClick(w->txtUserName, Qt::Key_R, Qt::ControlModifier);
        QCOMPARE(CurrentAddress, StartDir + QStringLiteral("/ReadMe.htm"));

        QPointer<frmAutoAbout> aboutWindow = frmAutoAbout::existing();
        aboutWindow->close();
        QPointer<frmBrowser> browser = frmBrowser::instance();
        browser->close();
        QTRY_VERIFY(aboutWindow.isNull() || !aboutWindow->isVisible());
        QTRY_VERIFY(browser.isNull());
    }

    // --- the preferences dialog ---

    void preferencesDialogLooksAsDesigned()
    {
        frmChangePass* d = frmChangePass::instance();
        QCOMPARE(d->windowTitle(), QStringLiteral("Login/Password Preferences"));
        QCOMPARE(d->size(), QSize(358, 271));
        QCOMPARE(d->Frame3->geometry(), QRect(192, 8, 161, 209));
        QCOMPARE(d->txtNewPass2->geometry(), QRect(16, 176, 129, 19));
        QCOMPARE(d->txtOldName->echoMode(), QLineEdit::Normal);
        for (QLineEdit* box : {d->txtOldPass, d->txtNewPass1, d->txtNewPass2}) {
            QCOMPARE(box->echoMode(), QLineEdit::Password);
            QCOMPARE(shownAs(box, "pw"), QStringLiteral("**"));
        }
        QVERIFY(d->OKButton->isDefault());
        const QColor face = d->palette().color(QPalette::Button);
        for (QLineEdit* box : {d->txtNewName, d->txtNewPass1, d->txtNewPass2}) {
            QVERIFY(!box->isEnabled());
            QCOMPARE(box->palette().color(QPalette::Base), face);
        }
        d->chkChangePass->setChecked(true);
        for (QLineEdit* box : {d->txtNewName, d->txtNewPass1, d->txtNewPass2}) {
            QVERIFY(box->isEnabled());
            QCOMPARE(box->palette().color(QPalette::Base), QColor(255, 255, 255));
        }
        QVERIFY(activate(d));
        d->txtOldName->setFocus();
        QCOMPARE(focusChain(d->txtOldName, 11),
                 (QStringList{"txtOldName", "txtOldPass", "chkLoginScreen", "chkRemPass", "chkChangePass", "txtNewName",
                              "txtNewPass1", "txtNewPass2", "OKButton", "CancelButton", "txtOldName"}));
        // Esc is bound to nothing.
        QTest::keyClick(d->txtOldName, Qt::Key_Escape);
        QVERIFY(d->isVisible());
    }

    void missingNewValuesAreAskedFor()
    {
        writeLogin(QStringLiteral("me"), QStringLiteral("secret"), 0, 0);
        const QByteArray before = readAll(work("logdata.gbx")) + readAll(work("logdata2.gbx"));
        frmChangePass* d = openPreferences();
        QVERIFY(QTest::qWaitForWindowActive(d));
        d->txtOldName->setText("me");
        d->txtOldPass->setText("secret");
        d->chkChangePass->setChecked(true);
        d->txtNewPass2->setFocus();
        d->OKButton->click();
        d->txtNewName->setText(QStringLiteral("   ")); // blanks count as a name
        d->OKButton->click();
        d->txtNewPass1->setText(QStringLiteral("new"));
        d->OKButton->click();
        QCOMPARE(ui->messages(), (QStringList{QStringLiteral("Please choose a User Name."),
                                              QStringLiteral("Please choose a password."), Mismatch}));
        for (const auto& s : ui->shown)
            QVERIFY(s.title.isEmpty()); // the application title
        QCOMPARE(QApplication::focusWidget(), d->txtOldName);
        QVERIFY(d->isVisible());
        QCOMPARE(readAll(work("logdata.gbx")) + readAll(work("logdata2.gbx")), before);
    }

    void wrongCurrentLoginIsRefused()
    {
        writeLogin(QStringLiteral("me"), QStringLiteral("secret"), 0, 0);
        const QByteArray before = readAll(work("logdata.gbx")) + readAll(work("logdata2.gbx"));
        frmChangePass* d = openPreferences();
        QVERIFY(QTest::qWaitForWindowActive(d));
        d->txtOldName->setText("me");
        d->txtOldPass->setText("Secret");
        d->chkRemPass->setChecked(true);
        d->OKButton->click(); // options only
        d->chkChangePass->setChecked(true);
        d->txtNewName->setText("new");
        d->txtNewPass1->setText("pw");
        d->txtNewPass2->setText("pw");
        d->txtNewPass1->setFocus();
        d->OKButton->click(); // wrong password: the focus stays
        QCOMPARE(QApplication::focusWidget(), d->txtNewPass1);
        d->txtOldName->setText("ME");
        d->txtOldPass->setText("secret");
        d->OKButton->click(); // wrong name: the focus goes to the name
        QCOMPARE(QApplication::focusWidget(), d->txtOldName);
        QCOMPARE(ui->messages(), (QStringList{InvalidEdit, InvalidEdit, InvalidEdit}));
        QCOMPARE(ui->shown[0].title, QStringLiteral("Edit Login"));
        QCOMPARE(ui->shown[1].title, QStringLiteral("Edit Login Info"));
        QCOMPARE(ui->shown[2].title, QStringLiteral("Edit Login Info"));
        QVERIFY(d->isVisible());
        QCOMPARE(readAll(work("logdata.gbx")) + readAll(work("logdata2.gbx")), before);
    }

    void confirmationMismatchWritesOnlyTheOptions()
    {
        writeLogin(QStringLiteral("me"), QStringLiteral("secret"), 0, 0);
        const QByteArray password = readAll(work("logdata.gbx"));
        frmChangePass* d = openPreferences();
        d->txtOldName->setText("me");
        d->txtOldPass->setText("secret");
        d->chkLoginScreen->setChecked(true);
        d->chkChangePass->setChecked(true);
        d->txtNewName->setText("new");
        d->txtNewPass1->setText("one");
        d->txtNewPass2->setText("two");
        bool hiddenDuringMessage = false;
        ui->onShown = [&](const ScriptedPlatform::Shown&) { hiddenDuringMessage = !d->isVisible(); };
        d->OKButton->click();
        QCOMPARE(ui->messages(), QStringList{Mismatch});
        QCOMPARE(ui->shown[0].title, QStringLiteral("Edit Login Info"));
        QVERIFY(hiddenDuringMessage);
        QVERIFY(d->isVisible());
        QVERIFY(frmChangePass::exists());
        QCOMPARE(d->txtNewName->text(), QStringLiteral("new"));
        QCOMPARE(flag("logdata2.gbx"), QStringLiteral("1"));
        QCOMPARE(flag("logdata3.gbx"), QStringLiteral("1"));
        QCOMPARE(readAll(work("logdata.gbx")), password);
    }

    // A click that the window system delivers while the new login is being
    // written waits until the write is done: a Cancel run inside OK would
    // empty the new values that OK is writing.
    void inputWaitsForTheCredentialWrite()
    {
        writeLogin(QStringLiteral("me"), QStringLiteral("secret"), 0, 0);
        frmChangePass* d = frmChangePass::instance();
        QVERIFY(activate(d));
        d->txtOldName->setText("me");
        d->txtOldPass->setText("secret");
        d->chkChangePass->setChecked(true);
        d->txtNewName->setText("new");
        d->txtNewPass1->setText("pw");
        d->txtNewPass2->setText("pw");
        QWindow* window = d->windowHandle();
        const QPointF at = d->CancelButton->mapTo(d, d->CancelButton->rect().center());
        const QPointF global = window->mapToGlobal(at);
        using Queued = QWindowSystemInterface::AsynchronousDelivery;
        QWindowSystemInterface::handleMouseEvent<Queued>(window, at, global, Qt::LeftButton, Qt::LeftButton,
                                                         QEvent::MouseButtonPress);
        QWindowSystemInterface::handleMouseEvent<Queued>(window, at, global, Qt::NoButton, Qt::LeftButton,
                                                         QEvent::MouseButtonRelease);
        d->OKButton_Click();
        QCOMPARE(CredentialStore::readPasswordFile(StartDir)->name, QStringLiteral("new"));
        QCOMPARE(CredentialStore::readPasswordFile(StartDir)->password, QStringLiteral("pw"));
        QCOMPARE(ui->messages(),
                 QStringList{QStringLiteral("Login/Password and Login Preferences successfully changed!")});
        QCoreApplication::processEvents(); // the click, now harmless
    }

    void successfulChangeRewritesAllAndDiscardsTheDialog()
    {
        writeLogin(QStringLiteral("me"), QStringLiteral("secret"), 0, 0);
        frmLogin* w = startLogin();
        w->txtUserName->setText("me");
        w->txtPassword->setText("secret");
        w->chkRemPass->setChecked(true);
        w->cmdOK->click();
        QVERIFY(w->LoginSucceeded);

        frmChangePass* d = openPreferences();
        QCOMPARE(d->txtOldName->text(), QStringLiteral("me"));
        d->chkRemPass->setChecked(false);
        d->chkChangePass->setChecked(true);
        d->txtNewName->setText(QStringLiteral("me")); // may equal the old one
        d->txtNewPass1->setText(QStringLiteral("new, \"pw\""));
        d->txtNewPass2->setText(QStringLiteral("new, \"pw\""));
        d->OKButton->click();
        QCOMPARE(ui->messages(),
                 QStringList{QStringLiteral("Login/Password and Login Preferences successfully changed!")});
        QVERIFY(ui->shown[0].title.isEmpty());
        QVERIFY(!frmChangePass::exists());
        QCOMPARE(CredentialStore::readPasswordFile(StartDir)->password, QStringLiteral("new, \"pw\""));
        QCOMPARE(flag("logdata2.gbx"), QStringLiteral("0"));
        QCOMPARE(flag("logdata3.gbx"), QStringLiteral("0"));
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);

        // The next opening starts afresh, though the files might say otherwise.
        QVERIFY(CredentialStore::writeOptions(1, 1, StartDir));
        d = openPreferences();
        QVERIFY(d->isVisible());
        QVERIFY(!d->chkLoginScreen->isChecked());
        QVERIFY(!d->chkRemPass->isChecked());
        QVERIFY(!d->chkChangePass->isChecked());
        QVERIFY(d->txtOldName->text().isEmpty());
        QVERIFY(d->txtOldPass->text().isEmpty());
        QVERIFY(!d->txtNewName->isEnabled());
    }

    void optionsOnlyChange()
    {
        writeLogin(QStringLiteral("me"), QStringLiteral("secret"), 1, 1);
        const QByteArray password = readAll(work("logdata.gbx"));
        frmChangePass* d = openPreferences();
        d->txtOldName->setText("me");
        d->txtOldPass->setText("secret");
        d->OKButton->click();
        QCOMPARE(ui->messages(), QStringList{QStringLiteral("Login preferences successfully changed")});
        QVERIFY(ui->shown[0].title.isEmpty());
        QVERIFY(!d->isVisible());
        QVERIFY(frmChangePass::exists());
        QCOMPARE(flag("logdata2.gbx"), QStringLiteral("0"));
        QCOMPARE(flag("logdata3.gbx"), QStringLiteral("0"));
        QCOMPARE(readAll(work("logdata.gbx")), password);
        QCOMPARE(QFileInfo(work("logdata2.gbx")).permissions() & (QFile::ReadOther | QFile::ReadGroup),
                 QFileDevice::Permissions());
    }

    void cancelRestoresTheBoxes()
    {
        frmChangePass* d = frmChangePass::instance();
        d->chkRemPass->setChecked(true);
        d = openPreferences();
        d->chkLoginScreen->setChecked(true);
        QVERIFY(!d->chkRemPass->isEnabled());
        d->chkChangePass->setChecked(true);
        d->txtOldName->setText("kept");
        d->txtNewName->setText("x");
        d->txtNewPass1->setText("y");
        d->txtNewPass2->setText("z");
        d->CancelButton->click();
        QVERIFY(!d->isVisible());
        QVERIFY(!d->chkLoginScreen->isChecked());
        QVERIFY(d->chkRemPass->isChecked());
        QVERIFY(d->chkRemPass->isEnabled());
        QVERIFY(!d->chkChangePass->isChecked());
        QVERIFY(!d->txtNewName->isEnabled());
        QVERIFY(d->txtNewName->text().isEmpty());
        QVERIFY(d->txtNewPass1->text().isEmpty());
        QVERIFY(d->txtNewPass2->text().isEmpty());
        QCOMPARE(d->txtOldName->text(), QStringLiteral("kept"));

        // Opened with "Skip" checked, the dialog goes back to it after the user unchecked both.
        d->chkLoginScreen->setChecked(true); // as the login window fills the hidden dialog
        d = openPreferences();
        d->chkLoginScreen->setChecked(false);
        d->chkRemPass->setChecked(false);
        d->CancelButton->click();
        QVERIFY(d->chkLoginScreen->isChecked());
        QVERIFY(d->chkRemPass->isChecked());
        QVERIFY(!d->chkRemPass->isEnabled());
        QVERIFY(ui->shown.isEmpty());
    }

    // Enter on a focused button clicks that button; the default only when no button has the focus.
    void enterClicksTheFocusedButton()
    {
        writeLogin(QStringLiteral("me"), QStringLiteral("secret"), 1, 0);
        QStringList files{"logdata.gbx", "logdata2.gbx", "logdata3.gbx"};
        QList<QByteArray> before;
        for (const QString& file : files)
            before << readAll(work(file));
        frmChangePass* d = openPreferences();
        QVERIFY(activate(d));
        d->txtOldName->setText("me");
        d->txtOldPass->setText("secret");
        d->chkChangePass->setChecked(true);
        d->txtNewName->setText("other");
        d->txtNewPass1->setText("pw");
        d->txtNewPass2->setText("pw");
        d->CancelButton->setFocus();
        QTest::keyClick(d->CancelButton, Qt::Key_Return);
        QVERIFY(!d->isVisible());
        QVERIFY(ui->shown.isEmpty());
        for (int i = 0; i < files.size(); ++i)
            QCOMPARE(readAll(work(files.at(i))), before.at(i));
    }

    void closingByTheFrameDiscardsTheDialog()
    {
        frmChangePass* d = openPreferences();
        d->txtOldName->setText("typed");
        d->close();
        QVERIFY(!frmChangePass::exists());
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QVERIFY(openPreferences()->txtOldName->text().isEmpty());
    }

    void newLoginMustBeStorable()
    {
        writeLogin(QStringLiteral("me"), QStringLiteral("secret"), 0, 0);
        const QByteArray files = readAll(work("logdata.gbx")) + readAll(work("logdata2.gbx"));
        frmChangePass* d = openPreferences();
        d->txtOldName->setText("me");
        d->txtOldPass->setText("secret");
        d->chkRemPass->setChecked(true);
        d->chkChangePass->setChecked(true);
        d->txtNewName->setText(QStringLiteral("me"));
        d->txtNewPass1->setText(QStringLiteral("\u0142\u00f3d\u017a")); // Polish letters outside Windows-1252
        d->txtNewPass2->setText(QStringLiteral("\u0142\u00f3d\u017a"));
        d->OKButton->click();
        QCOMPARE(ui->shown.size(), 1);
        QVERIFY(ui->shown[0].text.contains("Windows-1252"));
        QVERIFY(d->isVisible());
        QCOMPARE(readAll(work("logdata.gbx")) + readAll(work("logdata2.gbx")), files);
    }

    void failedOptionWriteInTheDialogIsReported()
    {
        writeLogin(QStringLiteral("me"), QStringLiteral("secret"), 0, 0);
        const QByteArray password = readAll(work("logdata.gbx"));
        QVERIFY(QFile::remove(work("logdata2.gbx")));
        QVERIFY(QDir(StartDir).mkdir("logdata2.gbx"));
        frmChangePass* d = openPreferences();
        d->txtOldName->setText("me");
        d->txtOldPass->setText("secret");
        d->chkChangePass->setChecked(true);
        d->txtNewName->setText("new");
        d->txtNewPass1->setText("pw");
        d->txtNewPass2->setText("pw");
        d->OKButton->click();
        QCOMPARE(ui->shown.size(), 1);
        QVERIFY(ui->shown[0].text.contains("logdata2.gbx"));
        QVERIFY(d->isVisible());
        QCOMPARE(readAll(work("logdata.gbx")), password);
    }
};

GEARBOOK_TEST_MAIN(TestLogin)
#include "tst_login.moc"
