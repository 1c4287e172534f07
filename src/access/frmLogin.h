#pragma once

#include "ui/SingleInstance.h"
#include "ui_frmLogin.h"

#include <QMainWindow>

// The start-up window: reads the credential files, pre-fills the name and
// password when the user chose to be remembered, skips itself when the user
// chose so, and otherwise checks the typed name and password against the
// password file. It says when the user is in; what opens then is not its business.
// The one login window is frmLogin::instance(), created (not loaded) on first use.
class frmLogin : public QMainWindow, public Ui::frmLogin, public SingleInstance<frmLogin> {
    Q_OBJECT

public:
    // Runs the start-up sequence, then shows the window unless the login was skipped.
    void start();

    void Form_Load();
    void cmdOK_Click();
    void cmdCancel_Click();
    void FillPreferencesDialog();
    void mnuReadMe_Click();
    void mnuVenbry_Click();
    void lblVenbrySoftware_DblClick();
    void mnuAbout_Click();

    // Set when the login succeeded or was skipped, cleared by Cancel.
    bool LoginSucceeded = false;
    // The name and password last read from the password file.
    QString StoredName;
    QString StoredPwd;

signals:
    // The login succeeded or was skipped; the login window is hidden by now.
    void loggedIn();

protected:
    void closeEvent(QCloseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    friend class SingleInstance<frmLogin>;
    explicit frmLogin(QWidget* parent = nullptr);
    ~frmLogin() override;

    void chkLoginScreen_Click();
    bool SaveLoginOptions();
    void showHelpBrowser();

    bool m_ending = false;
};
