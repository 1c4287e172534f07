#include "vehicles/VehicleInfoPage.h"

#include "common/DataFolder.h"
#include "common/RecordFile.h"
#include "ui/SaveMessages.h"
#include "vehicles/FieldGuard.h"
#include "vehicles/RecordSave.h"

#include <QLineEdit>
#include <QPlainTextEdit>
#include <QRadioButton>

VehicleInfoPage::VehicleInfoPage(QList<VehicleInfoControl> controls, VehicleInfoHooks hooks, QObject* parent)
    : QObject(parent), m_controls(std::move(controls)), m_hooks(std::move(hooks))
{
    // Text boxes save when they lose the focus; option buttons save on every
    // click (and only then: loading sets them quietly).
    QList<QWidget*> stored;
    QList<bool> truth;
    for (const VehicleInfoControl& info : std::as_const(m_controls)) {
        if (info.kind != VehicleInfoControl::NotStored) {
            stored << info.control;
            truth << (info.kind == VehicleInfoControl::Choice);
        }
        switch (info.kind) {
        case VehicleInfoControl::Text:
            FieldGuard::install(static_cast<QLineEdit*>(info.control));
            m_hooks.registerFieldSaver(info.control, [this] { save(); });
            break;
        case VehicleInfoControl::Notes:
            FieldGuard::install(static_cast<QPlainTextEdit*>(info.control));
            m_hooks.registerFieldSaver(info.control, [this] { save(); });
            break;
        case VehicleInfoControl::Choice:
            connect(static_cast<QRadioButton*>(info.control), &QRadioButton::clicked, this, &VehicleInfoPage::save);
            break;
        case VehicleInfoControl::NotStored:
            break;
        }
    }
    m_record = FieldMerge(mergeFields(stored, truth));
}

QList<QWidget*> VehicleInfoPage::controls() const
{
    QList<QWidget*> controls;
    for (const VehicleInfoControl& info : m_controls)
        controls << info.control;
    return controls;
}

void VehicleInfoPage::setOption(QRadioButton* button, bool chosen)
{
    // An exclusive option button cannot be unchosen by itself.
    const bool exclusive = button->autoExclusive();
    button->setAutoExclusive(false);
    button->setChecked(chosen);
    button->setAutoExclusive(exclusive);
}

void VehicleInfoPage::clear()
{
    for (const VehicleInfoControl& info : std::as_const(m_controls)) {
        switch (info.kind) {
        case VehicleInfoControl::Text:
            static_cast<QLineEdit*>(info.control)->clear();
            break;
        case VehicleInfoControl::Choice:
            setOption(static_cast<QRadioButton*>(info.control), false);
            break;
        case VehicleInfoControl::Notes:
            static_cast<QPlainTextEdit*>(info.control)->clear();
            break;
        case VehicleInfoControl::NotStored:
            break;
        }
    }
}

void VehicleInfoPage::setEnabled(bool enabled)
{
    for (const VehicleInfoControl& info : std::as_const(m_controls))
        info.control->setEnabled(enabled);
}

QString VehicleInfoPage::filePath() const
{
    return VehicleFiles::inData(VehicleFiles::vehicleFile(m_hooks.vehicle()));
}

FileClaims::Claim VehicleInfoPage::claim() const
{
    return {FileClaims::Claim::Vehicle, m_hooks.vehicle(), {}};
}

RecordStore VehicleInfoPage::recordStore() const
{
    return RecordStore(m_hooks.claims);
}

void VehicleInfoPage::load()
{
    const QString path = filePath();
    if (path != m_keptFile)
        m_keptFile.clear();
    m_record.setLoaded(m_record.emptyValues());
    const auto bytes = VehicleFiles::readRecord(path);
    if (bytes.unreadable()) {
        setAsideUnreadable(path, bytes.error);
        return;
    }
    if (!bytes)
        return; // a new vehicle has no file yet
    if (const auto values = m_record.parse(*bytes)) {
        showValues(*values);
        m_record.setLoaded(*values);
        return;
    }
    // A short record fills nothing; a broken truth value stops the filling
    // there, as a failed conversion did. Either is set aside.
    if (const auto texts = RecordFile::parseTextRecord(*bytes, int(m_record.size())))
        showValues(*texts);
    setAsideUnreadable(path);
}

QStringList VehicleInfoPage::values() const
{
    QStringList values;
    for (const VehicleInfoControl& info : std::as_const(m_controls)) {
        if (info.kind == VehicleInfoControl::Text)
            values << FieldGuard::clean(static_cast<QLineEdit*>(info.control)->text());
        else if (info.kind == VehicleInfoControl::Choice)
            values << QString::fromLatin1(static_cast<QRadioButton*>(info.control)->isChecked() ? "True" : "False");
        else if (info.kind == VehicleInfoControl::Notes)
            values << FieldGuard::storedText(static_cast<QPlainTextEdit*>(info.control));
    }
    return values;
}

bool VehicleInfoPage::showValues(const QStringList& values)
{
    auto value = values.cbegin();
    for (const VehicleInfoControl& info : std::as_const(m_controls)) {
        if (info.kind == VehicleInfoControl::Text) {
            if (auto* field = static_cast<QLineEdit*>(info.control); field->text() != *value)
                field->setText(*value);
            ++value;
        } else if (info.kind == VehicleInfoControl::Notes) {
            if (auto* notes = static_cast<QPlainTextEdit*>(info.control); FieldGuard::storedText(notes) != *value)
                FieldGuard::setStoredText(notes, *value);
            ++value;
        } else if (info.kind == VehicleInfoControl::Choice) {
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

void VehicleInfoPage::setAsideUnreadable(const QString& path, const QString& reason)
{
    // Setting aside changes the file: not while another record claims it too (told now).
    RecordStore store = recordStore();
    if (!setAsideAndTell(store, claim(), reason))
        m_keptFile = path; // never overwrite what could not be read
}

void VehicleInfoPage::save()
{
    const QString vehicle = m_hooks.vehicle();
    if (vehicle.isEmpty())
        return; // no vehicle, no file
    if (filePath() == m_keptFile)
        return;
    const QStringList screen = values();
    RecordStore store = recordStore();
    const auto written = saveFieldWise(m_record, store, claim(), screen, vehicle);
    m_saveFailed = !written;
    if (written && *written != screen)
        showValues(*written); // values changed elsewhere in fields the user left alone
}

std::optional<bool> VehicleInfoPage::reloadFromDisk()
{
    if (m_hooks.vehicle().isEmpty() || filePath() == m_keptFile)
        return std::nullopt;
    if (const auto shown = reloadChanged(m_record, filePath(), values()))
        return showValues(*shown);
    return std::nullopt;
}
