// The "Vehicle Info." page of the main window: the vehicle file of the
// selection, loaded, saved field-wise, and shown again when it changes on disk.

#include "DataFolder.h"
#include "EntryLog.h"
#include "FieldGuard.h"
#include "NameRules.h"
#include "RecordFile.h"
#include "RecordSave.h"
#include "SaveReport.h"
#include "frmAutoMain.h"

#include <QStringListModel>

QString frmAutoMain::vehicleFilePath() const
{
    return VehicleFiles::inData(VehicleFiles::vehicleFile(selectedVehicle()));
}

void frmAutoMain::LoadVehicleInfo()
{
    if (selectedVehicle().isEmpty())
        return; // no vehicle, no file
    fillVehiclePage();
    // The lists are loaded whatever became of the vehicle file: a list left
    // unloaded would be written back without its entries at the next add.
    LoadMaintList();
    LoadPartsList();
}

void frmAutoMain::fillVehiclePage()
{
    const QString path = vehicleFilePath();
    if (path != m_keptVehicleFile)
        m_keptVehicleFile.clear();
    m_vehicleRecord.setLoaded(m_vehicleRecord.emptyValues());
    const auto bytes = VehicleFiles::readRecord(path);
    const QString vehicle = selectedVehicle();
    if (const QString other = NameRules::otherUseOf(VehicleFiles::vehicleFile(vehicle), vehicle, vehicleNames());
        !other.isEmpty()) {
        m_keptVehicleFile = path; // shown, never written nor set aside: it is the other's file too
        tellSharedOnce(path, QStringLiteral("The vehicle \"%1\"").arg(vehicle), other, QStringLiteral("vehicle"));
        if (const auto values = bytes ? m_vehicleRecord.parse(*bytes) : std::nullopt)
            showInfoValues(*values);
        return;
    }
    if (bytes.unreadable()) {
        setAsideUnreadable(path, bytes.error);
        return;
    }
    if (!bytes)
        return; // a new vehicle has no file yet
    if (const auto values = m_vehicleRecord.parse(*bytes)) {
        showInfoValues(*values);
        m_vehicleRecord.setLoaded(*values);
        return;
    }
    // A short record fills nothing; a broken truth value stops the filling
    // there, as a failed conversion did. Either is set aside.
    if (const auto texts = RecordFile::parseTextRecord(*bytes, int(m_vehicleRecord.size())))
        showInfoValues(*texts);
    setAsideUnreadable(path);
}

QStringList frmAutoMain::infoValues() const
{
    QStringList values;
    for (const InfoControl& info : std::as_const(m_infoPage)) {
        if (info.kind == InfoControl::Text)
            values << static_cast<QLineEdit*>(info.control)->text();
        else if (info.kind == InfoControl::Choice)
            values << QString::fromLatin1(static_cast<QRadioButton*>(info.control)->isChecked() ? "True" : "False");
        else if (info.kind == InfoControl::Notes)
            values << FieldGuard::storedText(static_cast<QPlainTextEdit*>(info.control));
    }
    return values;
}

bool frmAutoMain::showInfoValues(const QStringList& values)
{
    auto value = values.cbegin();
    for (const InfoControl& info : std::as_const(m_infoPage)) {
        if (info.kind == InfoControl::Text) {
            if (auto* field = static_cast<QLineEdit*>(info.control); field->text() != *value)
                field->setText(*value);
            ++value;
        } else if (info.kind == InfoControl::Notes) {
            if (auto* notes = static_cast<QPlainTextEdit*>(info.control); FieldGuard::storedText(notes) != *value)
                FieldGuard::setStoredText(notes, *value);
            ++value;
        } else if (info.kind == InfoControl::Choice) {
            const auto chosen = RecordFile::truthOf(*value++);
            if (!chosen)
                return false;
            auto* button = static_cast<QRadioButton*>(info.control);
            if (*chosen)
                button->setChecked(true); // unchooses its partner
            else
                setOption(button, false);
        }
    }
    return true;
}

void frmAutoMain::setAsideUnreadable(const QString& path, const QString& reason)
{
    if (!setAsideAndTell(path, reason))
        m_keptVehicleFile = path; // never overwrite what could not be read
}

void frmAutoMain::SaveVehicleInfo()
{
    if (selectedVehicle().isEmpty())
        return; // no vehicle, no file
    const QString path = vehicleFilePath();
    if (path == m_keptVehicleFile)
        return;
    const QStringList screen = infoValues();
    const auto written = saveFieldWise(m_vehicleRecord, path, screen, selectedVehicle());
    m_vehicleSaveFailed = !written;
    if (written && *written != screen)
        showInfoValues(*written); // values changed elsewhere in fields the user left alone
}

bool frmAutoMain::reloadFromDisk()
{
    if (m_savesHeld > 0 || m_saving)
        return false;
    bool changed = m_listUnreadable.isEmpty() &&
                   reloadList(VehicleFiles::inData(VehicleFiles::listFile()),
                              static_cast<QStringListModel*>(cboVehicle->model()), selectedVehicle());
    if (selectedVehicle().isEmpty())
        return changed;
    if (vehicleFilePath() != m_keptVehicleFile)
        if (const auto shown = reloadChanged(m_vehicleRecord, vehicleFilePath(), infoValues()))
            changed = showInfoValues(*shown);
    changed = m_maintLog->reloadFromDisk() || changed;
    return m_partsLog->reloadFromDisk() || changed;
}
