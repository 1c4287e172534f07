#pragma once

#include "ui_frmChangePass.h"

#include <QDialog>

class QCheckBox;
class QLineEdit;

// The login preferences dialog: changes the two login options and, when
// "Change Name/Password" is checked, the user name and password. Every change
// is confirmed with the current name and password of the password file.
// Modeless; created hidden by the login window or by the first opening.
class frmChangePass : public QDialog, public Ui::frmChangePass {
    Q_OBJECT

public:
    // The one dialog, created hidden on first use.
    static frmChangePass* instance();
    static bool exists();
    // Closes and destroys the dialog; the next instance() creates it afresh.
    static void discard();

    void OKButton_Click();
    void CancelButton_Click();

    // The name and password last read from the password file.
    QString StoredName;
    QString StoredPwd;

protected:
    void closeEvent(QCloseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    explicit frmChangePass(QWidget* parent = nullptr);
    ~frmChangePass() override;

    void Form_Load();
    void chkLoginScreen_Click();
    void chkChangePass_Click();
    void SavePreferences();
    bool readStoredLogin();
    bool saveOptions();
    void setNewValueBoxesLocked(bool locked);

    static frmChangePass* s_instance;
};
