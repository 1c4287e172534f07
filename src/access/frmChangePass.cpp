#include "access/frmChangePass.h"

#include "access/CheckBoxValue.h"
#include "access/CredentialStore.h"
#include "access/StoredLogin.h"
#include "common/Win1252.h"
#include "common/modGlobalVars.h"
#include "ui/Fonts.h"
#include "ui/LengthLimits.h"
#include "ui/PlatformServices.h"
#include "ui/SaveMessages.h"
#include "ui/WindowLook.h"

#include <QApplication>
#include <QCloseEvent>
#include <QKeyEvent>
#include <QScopeGuard>

namespace {

const QString InvalidLogin = QStringLiteral("Invalid User Name or Password, try again!");
const QString ConfirmationMismatch = QStringLiteral("Password confirmation does not match. Please try again.");

void message(const QString& text, const QString& title = QString())
{
    platform().messageBox(text, title, MsgButtons::Ok, MsgIcon::None);
}

} // namespace

frmChangePass::frmChangePass(QWidget* parent) : QDialog(parent)
{
    {
        // Built at start, hidden, by the login window.
        const InstalledFontNames installedNames;
        setupUi(this);
    }
    liftLengthLimits(this);
    setFixedSize(size());

    connect(chkLoginScreen, &QCheckBox::stateChanged, this, &frmChangePass::chkLoginScreen_Click);
    connect(chkChangePass, &QCheckBox::stateChanged, this, &frmChangePass::chkChangePass_Click);
    connect(OKButton, &QPushButton::clicked, this, &frmChangePass::OKButton_Click);
    connect(CancelButton, &QPushButton::clicked, this, &frmChangePass::CancelButton_Click);

    Form_Load();
    WindowLook::apply(this);
}

frmChangePass::~frmChangePass() = default;

void frmChangePass::Form_Load()
{
    setNewValueBoxesLocked(true);
    chkLoginScreen_Click();
}

void frmChangePass::setNewValueBoxesLocked(bool locked)
{
    // Open boxes are white with black text whatever the theme; locked ones take
    // the theme's button colour and its greyed text.
    const QPalette theme = QApplication::palette(txtNewName);
    for (QLineEdit* box : {txtNewName, txtNewPass1, txtNewPass2}) {
        box->setEnabled(!locked);
        if (locked)
            WindowLook::setFixedBackground(box, theme.color(QPalette::Active, QPalette::Button),
                                           theme.color(QPalette::Disabled, QPalette::Text));
        else
            WindowLook::setFixedBackground(box, QColor(255, 255, 255), Qt::black);
    }
}

void frmChangePass::chkLoginScreen_Click()
{
    CheckBoxValue::applySkipRule(chkLoginScreen, chkRemPass);
}

void frmChangePass::chkChangePass_Click()
{
    // The boxes keep their text while locked.
    setNewValueBoxesLocked(chkChangePass->checkState() != Qt::Checked);
}

void frmChangePass::OKButton_Click()
{
    const auto restore = qScopeGuard(modGlobalVars::RestoreStartDir);
    if (chkChangePass->checkState() != Qt::Checked) {
        SavePreferences();
        return;
    }
    if (txtNewName->text().isEmpty()) {
        message(QStringLiteral("Please choose a User Name."));
        return;
    }
    if (txtNewPass1->text().isEmpty()) {
        message(QStringLiteral("Please choose a password."));
        return;
    }
    if (txtNewPass2->text().isEmpty()) {
        message(ConfirmationMismatch);
        txtOldName->setFocus();
        return;
    }
    // A character the stored code page cannot hold would come back as another
    // one, and the new login could never be typed again.
    if (!Win1252::canEncode(txtNewName->text()) || !Win1252::canEncode(txtNewPass1->text()) ||
        !Win1252::canEncode(txtNewPass2->text())) {
        message(QStringLiteral("The new user name and password may only use characters of the Western "
                               "European character set (Windows-1252). Please choose others."));
        return;
    }
    if (!StoredLogin::read(StoredName, StoredPwd))
        return;
    if (StoredName != txtOldName->text()) {
        message(InvalidLogin, QStringLiteral("Edit Login Info"));
        txtOldName->setFocus();
        return;
    }
    if (StoredPwd != txtOldPass->text()) {
        message(InvalidLogin, QStringLiteral("Edit Login Info"));
        return;
    }
    if (!StoredLogin::saveOptions(chkRemPass, chkLoginScreen))
        return;
    hide();
    if (txtNewPass1->text() != txtNewPass2->text()) {
        message(ConfirmationMismatch, QStringLiteral("Edit Login Info"));
        show();
        return;
    }
    const CredentialStore::StoreWrite w = CredentialStore::writePasswordFile(txtNewName->text(), txtNewPass2->text());
    if (!reportSave(w.path, w.result)) {
        // Nothing was changed: give the user the dialog back as it was.
        show();
        return;
    }
    discard();
    message(QStringLiteral("Login/Password and Login Preferences successfully changed!"));
}

void frmChangePass::SavePreferences()
{
    const auto restore = qScopeGuard(modGlobalVars::RestoreStartDir);
    if (!StoredLogin::read(StoredName, StoredPwd))
        return;
    if (StoredName != txtOldName->text() || StoredPwd != txtOldPass->text()) {
        message(InvalidLogin, QStringLiteral("Edit Login"));
        return;
    }
    if (!StoredLogin::saveOptions(chkRemPass, chkLoginScreen))
        return;
    message(QStringLiteral("Login preferences successfully changed"));
    hide();
}

void frmChangePass::CancelButton_Click()
{
    // Each assignment that changes a value runs that box's rule, in this order,
    // so the new-value boxes end up locked or editable to match.
    CheckBoxValue::set(chkLoginScreen, modGlobalVars::SavedSkipLogin.toInt());
    CheckBoxValue::set(chkRemPass, modGlobalVars::SavedRemember.toInt());
    CheckBoxValue::set(chkChangePass, modGlobalVars::SavedChangeLogin);
    hide();
    txtNewName->clear();
    txtNewPass1->clear();
    txtNewPass2->clear();
}

void frmChangePass::closeEvent(QCloseEvent* event)
{
    // Closing by the frame discards the dialog; the next opening creates it afresh.
    event->accept();
    if (existing() == this) {
        forgetInstance();
        deleteLater();
    }
}

void frmChangePass::keyPressEvent(QKeyEvent* event)
{
    // Esc is bound to no button here.
    if (event->key() == Qt::Key_Escape && event->modifiers() == Qt::NoModifier) {
        event->accept();
        return;
    }
    QDialog::keyPressEvent(event);
}
