#pragma once

#include "ui/SingleInstance.h"
#include "ui_frmChangePass.h"

#include <QDialog>

// The login preferences dialog: changes the two login options and, when
// "Change Name/Password" is checked, the user name and password. Every change
// is confirmed with the current name and password of the password file.
// Modeless; frmChangePass::instance() is created hidden by the login window or
// by the first opening, and discard() ends it: the next instance() is a fresh one.
class frmChangePass : public QDialog, public Ui::frmChangePass, public SingleInstance<frmChangePass> {
    Q_OBJECT

public:
    void OKButton_Click();
    void CancelButton_Click();

    // The name and password last read from the password file.
    QString StoredName;
    QString StoredPwd;

protected:
    void closeEvent(QCloseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    friend class SingleInstance<frmChangePass>;
    explicit frmChangePass(QWidget* parent = nullptr);
    ~frmChangePass() override;

    void Form_Load();
    void chkLoginScreen_Click();
    void chkChangePass_Click();
    void SavePreferences();
    void setNewValueBoxesLocked(bool locked);
};
