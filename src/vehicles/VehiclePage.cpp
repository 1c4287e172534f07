// The "Vehicle Info." page of the main window: the vehicle file of the
// selection, loaded, saved field-wise, and shown again when it changes on disk.

#include "DataFolder.h"
#include "EntryLog.h"
#include "FieldGuard.h"
#include "NameOrder.h"
#include "NameRules.h"
#include "RecordFile.h"
#include "RecordSave.h"
#include "SaveReport.h"
#include "frmAutoMain.h"

#include <QStringListModel>

#include <algorithm>

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
            values << FieldGuard::clean(static_cast<QLineEdit*>(info.control)->text());
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
    // Setting aside changes the file: not while another record claims it too (told now).
    RecordStore store = recordStore();
    if (!setAsideAndTell(store, vehicleClaim(), reason))
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
    RecordStore store = recordStore();
    const auto written = saveFieldWise(m_vehicleRecord, store, vehicleClaim(), screen, selectedVehicle());
    m_vehicleSaveFailed = !written;
    if (written && *written != screen)
        showInfoValues(*written); // values changed elsewhere in fields the user left alone
}

bool frmAutoMain::reloadFromDisk()
{
    if (m_savesHeld > 0 || m_saving)
        return false;
    const bool noneChosen = cboVehicle->currentIndex() < 0;
    bool changed = m_listUnreadable.isEmpty() &&
                   reloadList(VehicleFiles::inData(VehicleFiles::listFile()),
                              static_cast<QStringListModel*>(cboVehicle->model()), selectedVehicle());
    // Names arriving in an empty selector choose nothing (Qt would make the
    // first one current): a vehicle is chosen by the user, whole.
    if (noneChosen && cboVehicle->currentIndex() >= 0)
        cboVehicle->setCurrentIndex(-1);
    if (selectedVehicle().isEmpty())
        return changed;
    if (vehicleFilePath() != m_keptVehicleFile)
        if (const auto shown = reloadChanged(m_vehicleRecord, vehicleFilePath(), infoValues()))
            changed = showInfoValues(*shown);
    changed = m_maintLog->reloadFromDisk() || changed;
    return m_partsLog->reloadFromDisk() || changed;
}

FileClaims frmAutoMain::fileClaims() const
{
    return m_maintLog->claims(); // the vehicles and both lists of the selection as shown
}

RecordStore frmAutoMain::recordStore() const
{
    return RecordStore([this] { return fileClaims(); });
}

FileClaims::Claim frmAutoMain::vehicleClaim() const
{
    return {FileClaims::Claim::Vehicle, selectedVehicle(), {}};
}

void frmAutoMain::LoadVehicleList()
{
    m_listUnreadable.clear();
    QStringList names = VehicleFiles::LoadVehicleList(&m_listUnreadable);
    if (!m_listUnreadable.isEmpty())
        tellListUnreadable(VehicleFiles::inData(VehicleFiles::listFile()), m_listUnreadable);
    // Vehicles added in this run that the file does not hold yet stay, to be written.
    for (const QString& pending : pendingNames(VehicleFiles::inData(VehicleFiles::listFile())))
        if (!names.contains(pending))
            names << pending;
    const int room = VehicleFiles::MaxVehicles - cboVehicle->count();
    if (names.size() > room)
        names.resize(std::max(room, 0));
    if (cboVehicle->count() == 0) {
        // The file is normally in the selector's order already; only a file
        // written by hand needs sorting. Equal names keep the file's order.
        const NameOrder::Less less;
        if (!std::is_sorted(names.cbegin(), names.cend(), less))
            std::stable_sort(names.begin(), names.end(), less);
        static_cast<QStringListModel*>(cboVehicle->model())->setStringList(names);
    } else {
        for (const QString& name : std::as_const(names))
            insertVehicleSorted(name);
    }
    cboVehicle->setCurrentIndex(-1);
}

void frmAutoMain::SaveVehicleList(const QString& name, bool added)
{
    if (!m_listUnreadable.isEmpty())
        return; // what could not be read is never written over
    RecordStore store = recordStore();
    saveListChange(store, {FileClaims::Claim::VehicleList, {}, {}}, static_cast<QStringListModel*>(cboVehicle->model()),
                   name, added);
}

void frmAutoMain::removeVehicleFiles(const QString& vehicle, const QStringList& remaining)
{
    // Names added but never written claim their records too: they go with the
    // vehicle, and a new vehicle of the same name starts empty.
    const QString maint = VehicleFiles::inData(VehicleFiles::maintListFile(vehicle));
    const QString parts = VehicleFiles::inData(VehicleFiles::partsListFile(vehicle));
    VehicleFiles::RemoveVehicleFiles(vehicle, remaining, pendingNames(maint), pendingNames(parts));
    forgetPendingNames(maint);
    forgetPendingNames(parts);
}

std::optional<QString> frmAutoMain::newVehicleProblem(const QString& name) const
{
    if (auto problem = NameRules::nameProblem(name))
        return problem;
    if (const QString file = VehicleFiles::clashingFile(name, vehicleNames()); !file.isEmpty())
        return QStringLiteral("The name \"%1\" cannot be used: its file \"%2\" would be a file that already holds "
                              "other records.\n\nPlease choose another name.")
            .arg(name, file);
    return NameRules::caseProblem(name, VehicleFiles::ownFiles(name), fileClaims());
}
