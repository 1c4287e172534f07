// File > "Back Up Data...", "Restore Data..." and "Export to CSV...": the
// dialogs and messages around the backup library, which does the work.

#include "backup/Archive.h"
#include "backup/BackupFiles.h"
#include "backup/CsvExport.h"
#include "backup/Restore.h"
#include "common/DataFolder.h"
#include "duewindow/frmDueMaint.h"
#include "ui/PlatformServices.h"
#include "vehicles/EntryLog.h"
#include "vehicles/VehicleInfoPage.h"
#include "vehicles/VehicleList.h"
#include "vehicles/frmAutoMain.h"
#include "vehicles/frmAutoPic.h"
#include "vehicles/frmRestoreData.h"

#include <QDate>
#include <QDir>
#include <QFileInfo>
#include <QGuiApplication>

namespace {

const QString BackupFilter = QStringLiteral("Gearbook Backups (*.tar.gz)|*.tar.gz|All Files (*.*)|*.*");

QString native(const QString& path)
{
    return QDir::toNativeSeparators(path);
}

// The busy cursor while a command reads or writes every record.
class BusyCursor {
public:
    BusyCursor() { QGuiApplication::setOverrideCursor(Qt::WaitCursor); }
    ~BusyCursor() { QGuiApplication::restoreOverrideCursor(); }
    BusyCursor(const BusyCursor&) = delete;
    BusyCursor& operator=(const BusyCursor&) = delete;
};

} // namespace

void frmAutoMain::mnuBackup_Click()
{
    const QString proposal =
        QDir(Backup::documentsFolder())
            .filePath(QStringLiteral("Gearbook backup %1.tar.gz").arg(QDate::currentDate().toString(Qt::ISODate)));
    auto path = platform().saveFileDialog(BackupFilter, proposal, QStringLiteral("Back Up Data"));
    if (!path)
        return;
    // System dialogs may not add the suffix; the dialog has not asked about replacing the name with it.
    if (const QString named = Backup::withBackupSuffix(*path); named != *path) {
        *path = named;
        if (QFileInfo::exists(*path) &&
            platform().messageBox(
                QStringLiteral("\"%1\" already exists. Do you want to replace it?").arg(native(*path)), QString(),
                MsgButtons::YesNo, MsgIcon::Warning) != MsgAnswer::Yes)
            return;
    }
    Backup::Outcome result;
    {
        BusyCursor busy;
        result = Backup::writeBackup(DataFolder::path(), *path);
    }
    if (!result) {
        platform().messageBox(QStringLiteral("The records could not be backed up.\n\n%1").arg(result.error), QString(),
                              MsgButtons::Ok, MsgIcon::Warning);
        return;
    }
    QString leftOut;
    if (!result.leftOut.isEmpty())
        leftOut = QStringLiteral("\n\nNot records, so %1.").arg(Backup::describe(result.leftOut));
    platform().messageBox(QStringLiteral("Every record (%1 files) has been backed up to\n\n\"%2\"\n\n"
                                         "The backup has been read back and checked.%3")
                              .arg(result.manifest.members.size())
                              .arg(native(*path), leftOut),
                          QString(), MsgButtons::Ok, MsgIcon::Information);
}

void frmAutoMain::mnuRestore_Click()
{
    const QList<Restore::SafetyBackup> safety = Restore::safetyBackups(DataFolder::path());
    if (safety.isEmpty()) {
        chooseBackupToRestore();
        return;
    }
    frmRestoreData* list = frmRestoreData::instance();
    connect(list, &frmRestoreData::restoreChosen, this, &frmAutoMain::restoreFrom, Qt::UniqueConnection);
    connect(list, &frmRestoreData::chooseFileChosen, this, &frmAutoMain::chooseBackupToRestore, Qt::UniqueConnection);
    list->showList(safety);
    list->setWindowModality(Qt::ApplicationModal);
    list->show();
    list->activateWindow();
}

void frmAutoMain::chooseBackupToRestore()
{
    const auto path =
        platform().openFileDialog(BackupFilter, Backup::documentsFolder(), QStringLiteral("Restore Data"));
    if (path)
        restoreFrom(*path);
}

void frmAutoMain::restoreFrom(const QString& archivePath)
{
    const Backup::Outcome contents = Backup::readManifest(archivePath);
    if (!contents || contents.manifest.partial) {
        platform().messageBox(
            QStringLiteral("\"%1\" cannot be restored.\n\n%2")
                .arg(native(archivePath), contents ? Backup::describePartial(contents.manifest) : contents.error),
            QString(), MsgButtons::Ok, MsgIcon::Warning);
        return;
    }
    const QString made = contents.manifest.created.toLocalTime().toString(QStringLiteral("yyyy-MM-dd HH:mm"));
    if (platform().messageBox(QStringLiteral("Restoring replaces all of your records with the %1 files of the backup "
                                             "made on %2.\n\nYour records as they are now are first saved to a "
                                             "safety backup. Do you want to restore the backup?")
                                  .arg(contents.manifest.members.size())
                                  .arg(made),
                              QString(), MsgButtons::YesNo, MsgIcon::Warning) != MsgAnswer::Yes)
        return;

    Restore::Outcome result;
    {
        BusyCursor busy;
        DataFolder::CreateMakerFolder();
        result = Restore::restore(archivePath, DataFolder::path(),
                                  Restore::safetyBackupPath(DataFolder::path(), QDateTime::currentDateTime()));
    }
    if (!result) {
        platform().messageBox(
            QStringLiteral("Nothing has been restored; your records are as they were.\n\n%1").arg(result.error),
            QString(), MsgButtons::Ok, MsgIcon::Warning);
        return;
    }
    reloadAsAtStart();
    // An open overview of what is due lists the records as they were.
    if (frmDueMaint* due = frmDueMaint::existing(); due && due->isVisible())
        due->refresh();
    platform().messageBox(QStringLiteral("The %1 files of the backup have been restored.\n\nYour records as they were "
                                         "before are kept in the safety backup\n\n\"%2\"\n\nFile > Restore Data "
                                         "lists it.")
                              .arg(result.fileCount)
                              .arg(native(result.safetyBackup)),
                          QString(), MsgButtons::Ok, MsgIcon::Information);
}

void frmAutoMain::mnuExport_Click()
{
    const auto folder = platform().chooseFolderDialog(Backup::documentsFolder(), QStringLiteral("Export to CSV"));
    if (!folder)
        return;
    QStringList existing;
    for (const QString& name : CsvExport::fileNames())
        if (QFileInfo::exists(QDir(*folder).filePath(name)))
            existing << name;
    if (!existing.isEmpty() &&
        platform().messageBox(QStringLiteral("The folder \"%1\" already holds %2. Do you want to replace them?")
                                  .arg(native(*folder), existing.join(QStringLiteral(", "))),
                              QString(), MsgButtons::YesNo) != MsgAnswer::Yes)
        return;
    CsvExport::Outcome result;
    {
        BusyCursor busy;
        result = CsvExport::exportTo(*folder);
    }
    if (!result) {
        platform().messageBox(QStringLiteral("The records could not be exported.\n\n%1").arg(result.error), QString(),
                              MsgButtons::Ok, MsgIcon::Warning);
        return;
    }
    platform().messageBox(QStringLiteral("%1 vehicles, %2 maintenance entries and %3 parts have been exported to "
                                         "%4 in\n\n\"%5\"")
                              .arg(result.vehicles)
                              .arg(result.entries)
                              .arg(result.parts)
                              .arg(CsvExport::fileNames().join(QStringLiteral(", ")), native(*folder)),
                          QString(), MsgButtons::Ok, MsgIcon::Information);
}

void frmAutoMain::reloadAsAtStart()
{
    FieldSaveHold hold(this);
    // The selection goes first, so that nothing below writes into a vehicle's files.
    m_vehicles->clear();
    m_infoPage->forgetKeptFile();
    forgetFailedSaves(); // the records they were about are gone
    chkPic->setChecked(false);
    ClearAllFields();
    m_maintLog->resetToNoEntry();
    m_partsLog->resetToNoEntry();
    showNoVehicle();
    lstMaintList->setEnabled(false);
    lstPParts->setEnabled(false);
    LoadVehicleList();
    LoadVehiclePicture();
}
