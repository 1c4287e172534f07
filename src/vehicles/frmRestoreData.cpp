#include "vehicles/frmRestoreData.h"

#include <QLocale>
#include <QPushButton>

frmRestoreData::frmRestoreData(QWidget* parent) : QDialog(parent)
{
    setupUi(this);
    connect(cmdRestore, &QPushButton::clicked, this, &frmRestoreData::cmdRestore_Click);
    connect(cmdChooseFile, &QPushButton::clicked, this, &frmRestoreData::cmdChooseFile_Click);
    connect(cmdCancel, &QPushButton::clicked, this, &QDialog::reject);
    connect(lstSafetyBackups, &QListWidget::itemActivated, this, &frmRestoreData::cmdRestore_Click);
    connect(lstSafetyBackups, &QListWidget::currentRowChanged, this,
            [this](int row) { cmdRestore->setEnabled(row >= 0); });
}

void frmRestoreData::showList(const QList<Restore::SafetyBackup>& backups)
{
    m_backups = backups;
    lstSafetyBackups->clear();
    const QLocale locale;
    for (const Restore::SafetyBackup& b : backups)
        lstSafetyBackups->addItem(QStringLiteral("%1, %2: %3")
                                      .arg(locale.toString(b.made.date(), QLocale::LongFormat),
                                           locale.toString(b.made.time(), QLocale::ShortFormat),
                                           Restore::describe(b.before)));
    lstSafetyBackups->setCurrentRow(backups.isEmpty() ? -1 : 0);
    cmdRestore->setEnabled(!backups.isEmpty());
    lstSafetyBackups->setFocus();
}

void frmRestoreData::cmdRestore_Click()
{
    const int row = lstSafetyBackups->currentRow();
    if (row < 0 || row >= m_backups.size())
        return;
    const QString path = m_backups[row].path;
    accept();
    emit restoreChosen(path);
}

void frmRestoreData::cmdChooseFile_Click()
{
    accept();
    emit chooseFileChosen();
}
