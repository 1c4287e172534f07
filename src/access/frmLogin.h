#pragma once

#include "ui_frmLogin.h"

#include <QMainWindow>

#include <functional>

// The start-up window: reads the credential files, pre-fills the name and
// password when the user chose to be remembered, skips itself when the user
// chose so, and otherwise checks the typed name and password against the
// password file before showing the main window.
class frmLogin : public QMainWindow, public Ui::frmLogin {
    Q_OBJECT

public:
    // The one login window, created (not loaded) on first use.
    static frmLogin* instance();
    // Destroys the window so the next instance() starts afresh (tests, end of run).
    static void discard();


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

protected:
    void closeEvent(QCloseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    explicit frmLogin(QWidget* parent = nullptr);
    ~frmLogin() override;

    void chkLoginScreen_Click();
    bool SaveLoginOptions();
    bool readStoredLogin(QString* problem = nullptr);
    void showMainWindow();
    void showHelpBrowser();

    bool m_ending = false;
    static frmLogin* s_instance;
};
