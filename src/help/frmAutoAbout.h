#pragma once

#include "ui/SingleInstance.h"
#include "ui_frmAutoAbout.h"

#include <QDialog>
#include <QString>
#include <QStringList>

// The about window: title, version, description, a warning, and a button that
// starts the system's information tool. Created on first use, discarded by OK.
// The open window is frmAutoAbout::existing().
class frmAutoAbout : public QDialog, public Ui::frmAutoAbout, public SingleInstance<frmAutoAbout> {
    Q_OBJECT

public:
    // Creates the window when there is none, shows it (without waiting) and brings it forward.
    static void showAbout();

    ~frmAutoAbout() override;

    // Starts the system information tool that the registry names; failing that, a
    // Linux system-information program found on PATH; failing that, says it cannot.
    static void StartSysInfo();

    // Reads the value SubKeyRef of the key KeyName below KeyRoot into KeyVal.
    // Text values come back as they are; 32-bit values as "&h" followed by the hex
    // digits of their kept bytes from the last to the first; other types leave
    // KeyVal as it was. False, with KeyVal empty, when the key or value cannot be read.
    static bool GetKeyValue(quint32 KeyRoot, const QString& KeyName, const QString& SubKeyRef, QString& KeyVal);

    // Linux programs tried, in this order, when the registry names no tool.
    static const QStringList SystemInfoPrograms;
    // The first of them found on PATH, or empty.
    static QString findSystemInfoProgram();

public slots:
    void cmdOK_Click();
    void cmdSysInfo_Click();

private:
    friend class SingleInstance<frmAutoAbout>;
    explicit frmAutoAbout(QWidget* parent = nullptr);
    void centreOnScreen();
};
