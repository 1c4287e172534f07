#include "access/frmLogin.h"

#include "access/CheckBoxValue.h"
#include "access/CredentialStore.h"
#include "access/StoredLogin.h"
#include "access/frmChangePass.h"
#include "common/modGlobalVars.h"
#include "help/HelpBrowser.h"
#include "help/HelpBrowserInterface.h"
#include "help/frmAutoAbout.h"
#include "ui/Fonts.h"
#include "ui/LengthLimits.h"
#include "ui/MenuShortcutFilter.h"
#include "ui/PlatformServices.h"
#include "ui/ProgramEnd.h"
#include "ui/SaveMessages.h"
#include "ui/WindowLook.h"

#include <QCloseEvent>
#include <QDir>
#include <QKeyEvent>
#include <QScopeGuard>

using namespace modGlobalVars;

frmLogin::frmLogin(QWidget* parent) : QMainWindow(parent)
{
    {
        const InstalledFontNames installedNames;
        setupUi(this);
    }
    liftLengthLimits(this);
    // Sizes between whole points that the form file cannot hold.
    QFont f = Label2->font();
    f.setPointSizeF(8.25);
    Label2->setFont(f);
    f = lblVenbrySoftware->font();
    f.setPointSizeF(9.75);
    lblVenbrySoftware->setFont(f);
    setFixedSize(sizeHint());

    connect(cmdOK, &QPushButton::clicked, this, &frmLogin::cmdOK_Click);
    connect(cmdCancel, &QPushButton::clicked, this, &frmLogin::cmdCancel_Click);
    connect(chkLoginScreen, &QCheckBox::stateChanged, this, &frmLogin::chkLoginScreen_Click);
    connect(mnuReadMe, &QAction::triggered, this, &frmLogin::mnuReadMe_Click);
    connect(mnuVenbry, &QAction::triggered, this, &frmLogin::mnuVenbry_Click);
    connect(mnuAbout, &QAction::triggered, this, &frmLogin::mnuAbout_Click);
    lblVenbrySoftware->installEventFilter(this);
    new MenuShortcutFilter(this);
    WindowLook::apply(this);
}

frmLogin::~frmLogin() = default;

void frmLogin::start()
{
    Form_Load();
    if (LoginSucceeded)
        return;
    show();
    activateWindow();
    txtUserName->setFocus();
}

void frmLogin::Form_Load()
{
    StartDir = QDir::currentPath();
    const auto restore = qScopeGuard(RestoreStartDir);
    // Whatever cannot be read ends the reading there; the window shows what was reached.
    const auto remember = CredentialStore::readRememberFlag();
    if (!remember)
        return;
    RememberFlag = *remember;
    const auto rememberValue = CredentialStore::numericValue(RememberFlag);
    if (!rememberValue)
        return;
    if (*rememberValue == 1) {
        chkRemPass->setCheckState(Qt::Checked);
        if (!StoredLogin::read(StoredName, StoredPwd))
            return;
        txtUserName->setText(StoredName);
        txtPassword->setText(StoredPwd);
    }

    const auto skip = CredentialStore::readSkipFlag();
    if (!skip)
        return;
    SkipLoginFlag = *skip;
    const auto skipValue = CredentialStore::checkBoxValue(*skip);
    if (!skipValue)
        return;
    CheckBoxValue::set(chkLoginScreen, *skipValue);

    FillPreferencesDialog();

    if (chkLoginScreen->checkState() == Qt::Checked) {
        LoginSucceeded = true;
        hide();
        emit loggedIn();
    }
}

void frmLogin::cmdOK_Click()
{
    const auto restore = qScopeGuard(RestoreStartDir);
    QString problem;
    const bool read = StoredLogin::read(StoredName, StoredPwd, &problem);
    if (read && (StoredName.isEmpty() || StoredPwd.isEmpty()))
        problem = QStringLiteral("The user name or the password stored in it reads as nothing.");
    if (!read || !problem.isEmpty()) {
        // Without a stored login no login can ever succeed: say how to get one back.
        platform().messageBox(
            QStringLiteral("The login files are missing or damaged: \"%1\" cannot be read.\n\n%2\n\n"
                           "To reset the login to admin / admin, run (see the README):\n\n%3")
                .arg(QDir::toNativeSeparators(CredentialStore::filePath(CredentialStore::PasswordFileName)), problem,
                     CredentialStore::resetCommand(QDir::currentPath())),
            QStringLiteral("Login"), MsgButtons::Ok, MsgIcon::Warning);
        return;
    }
    if (StoredName == txtUserName->text() && StoredPwd == txtPassword->text()) {
        if (!SaveLoginOptions())
            return;
        FillPreferencesDialog();
        LoginSucceeded = true;
        hide();
        emit loggedIn();
        return;
    }
    platform().messageBox(QStringLiteral("Invalid Login, try again!"), QStringLiteral("Login"));
    // The whole password is selected so that typing replaces it.
    txtPassword->setFocus();
    txtPassword->selectAll();
}

void frmLogin::cmdCancel_Click()
{
    LoginSucceeded = false;
    m_ending = true;
    ProgramEnd::quit();
}

bool frmLogin::SaveLoginOptions()
{
    const bool ok = StoredLogin::saveOptions(chkRemPass, chkLoginScreen);
    RestoreStartDir();
    return ok;
}

void frmLogin::FillPreferencesDialog()
{
    frmChangePass* dialog = frmChangePass::instance();
    dialog->chkRemPass->setCheckState(chkRemPass->checkState());
    dialog->chkLoginScreen->setCheckState(chkLoginScreen->checkState());
    if (chkRemPass->checkState() == Qt::Checked) {
        dialog->txtOldName->setText(txtUserName->text());
        dialog->txtOldPass->setText(txtPassword->text());
    } else {
        dialog->txtOldName->clear();
        dialog->txtOldPass->clear();
    }
}

void frmLogin::chkLoginScreen_Click()
{
    CheckBoxValue::applySkipRule(chkLoginScreen, chkRemPass);
}

void frmLogin::mnuReadMe_Click()
{
    CurrentAddress = QDir::currentPath() + QStringLiteral("/ReadMe.htm");
    showHelpBrowser();
}

void frmLogin::mnuVenbry_Click()
{
    CurrentAddress = QString::fromLatin1(VendorHomePageAddress);
    showHelpBrowser();
}

void frmLogin::lblVenbrySoftware_DblClick()
{
    CurrentAddress = QString::fromLatin1(VendorHomePageAddress);
    showHelpBrowser();
}

void frmLogin::showHelpBrowser()
{
    HelpBrowser::showAddress(CurrentAddress);
}

void frmLogin::mnuAbout_Click()
{
    frmAutoAbout::showAbout();
}

void frmLogin::closeEvent(QCloseEvent* event)
{
    // Closing by the frame while waiting for a login acts as Cancel.
    event->accept();
    if (isVisible() && !LoginSucceeded && !m_ending)
        cmdCancel_Click();
}

void frmLogin::keyPressEvent(QKeyEvent* event)
{
    // Enter is the same in every window (WindowLook); Esc is this window's Cancel.
    if (event->modifiers() == Qt::NoModifier && event->key() == Qt::Key_Escape) {
        cmdCancel->click();
        return;
    }
    QMainWindow::keyPressEvent(event);
}

bool frmLogin::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == lblVenbrySoftware && event->type() == QEvent::MouseButtonDblClick) {
        lblVenbrySoftware_DblClick();
        return true;
    }
    return QMainWindow::eventFilter(watched, event);
}
