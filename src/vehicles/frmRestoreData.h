#pragma once

#include "backup/Restore.h"
#include "ui/SingleInstance.h"
#include "ui_frmRestoreData.h"

#include <QDialog>

// File > "Restore Data...": the safety backups Gearbook made (newest first,
// what each was made before and when), so that undoing a restore, an import or
// a conflict resolution is two clicks, beside "Choose a backup file..." for
// any other backup. It only chooses; the main window restores.
class frmRestoreData : public QDialog, public Ui::frmRestoreData, public SingleInstance<frmRestoreData> {
    Q_OBJECT

public:
    // Lists `backups`, the newest chosen.
    void showList(const QList<Restore::SafetyBackup>& backups);
    void cmdRestore_Click();
    void cmdChooseFile_Click();

signals:
    void restoreChosen(const QString& archivePath);
    void chooseFileChosen();

private:
    friend class SingleInstance<frmRestoreData>;
    explicit frmRestoreData(QWidget* parent = nullptr);

    QList<Restore::SafetyBackup> m_backups;
};
