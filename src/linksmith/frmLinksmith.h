#pragma once

#include "SingleInstance.h"
#include "ui_frmLinksmith.h"

#include <QString>
#include <QWidget>

// The shortcut tool's only window: up to three shortcuts to Gearbook, on the
// desktop, on the applications menu and among the autostart entries. Every
// attempt is reported in its own message box; then the program ends.
// The program's window is frmLinksmith::instance(), created on first use.
class frmLinksmith : public QWidget, public Ui::frmLinksmith, public SingleInstance<frmLinksmith> {
    Q_OBJECT

public:
    explicit frmLinksmith(QWidget* parent = nullptr);
    ~frmLinksmith() override;

    // The installed Gearbook: the shortcuts' target until the user picks another.
    static QString defaultTarget();

    // The file name, without folder, that ends the shortcuts' name.
    QString ExeName;
    // ExeName before the path last changed; restores it when the file dialog gives no file.
    QString PrevExeName;

    void Form_Load();
    void txtPath_Change();
    void cmdBrowse_Click();
    void cmdOK_Click();
    void cmdExit_Click();

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void endProgram();
    static void quit();

    bool m_ending = false;
};
