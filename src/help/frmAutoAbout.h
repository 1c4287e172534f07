#pragma once

#include <QDialog>
#include <QPointer>
#include <QString>
#include <QStringList>

#include <memory>

namespace Ui {
class frmAutoAbout;
}
class QFrame;
class QLabel;
class QPushButton;

// The about window: title, version, description, a warning, and a button that
// starts the system's information tool. Created on first use, discarded by OK.
class frmAutoAbout : public QDialog {
    Q_OBJECT

public:
    // The open window, or nullptr.
    static frmAutoAbout* instance();
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

    QLabel* picIcon = nullptr;
    QLabel* lblTitle = nullptr;
    QLabel* lblVersion = nullptr;
    QLabel* lblDescription = nullptr;
    QFrame* Line1_1 = nullptr;
    QFrame* Line1_0 = nullptr;
    QLabel* lblDisclaimer = nullptr;
    QPushButton* cmdOK = nullptr;
    QPushButton* cmdSysInfo = nullptr;

public slots:
    void cmdOK_Click();
    void cmdSysInfo_Click();

private:
    explicit frmAutoAbout(QWidget* parent = nullptr);
    void centreOnScreen();

    std::unique_ptr<Ui::frmAutoAbout> ui;
    static QPointer<frmAutoAbout> s_instance;
};
