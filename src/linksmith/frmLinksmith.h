#pragma once

#include "ui/SingleInstance.h"
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
    // The Gearbook beside Linksmith (in ownFolder) when there is one, started by
    // packagedCommand when that is given (the package's Gearbook needs its
    // command to make the user's program folder); else the per-user program folder's.
    static QString proposedTarget(const QString& ownFolder, const QString& packagedCommand);

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
    // Asks before a shortcut to a program that does not exist; false when the user says no.
    bool confirmTarget(const QString& target);
    void endProgram();
    static void quit();

    bool m_ending = false;
};
