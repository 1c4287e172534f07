#include "vehicles/VehicleList.h"

#include "common/DataFolder.h"
#include "common/NameOrder.h"
#include "common/NameRules.h"
#include "ui/PlatformServices.h"
#include "ui/SaveMessages.h"
#include "vehicles/RecordSave.h"

#include <QComboBox>
#include <QListView>
#include <QStringListModel>

#include <algorithm>

VehicleList::VehicleList(QComboBox* selector, VehicleListHooks hooks, QObject* parent)
    : QObject(parent), m_selector(selector), m_hooks(std::move(hooks))
{
    // A plain list of names: a full list (32,767) loads in one step.
    m_selector->setModel(new QStringListModel(m_selector));
    m_selector->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    if (auto* list = qobject_cast<QListView*>(m_selector->view()))
        list->setUniformItemSizes(true); // the selector may hold 32,767 names
}

QStringListModel* VehicleList::model() const
{
    return static_cast<QStringListModel*>(m_selector->model());
}

QString VehicleList::listPath() const
{
    return VehicleFiles::inData(VehicleFiles::listFile());
}

QString VehicleList::selected() const
{
    return m_selector->currentIndex() < 0 ? QString() : m_selector->currentText();
}

QStringList VehicleList::names() const
{
    return model()->stringList();
}

bool VehicleList::changeable()
{
    if (m_unreadable.isEmpty())
        return true;
    tellListLocked(listPath(), m_unreadable, QString());
    return false;
}

void VehicleList::insertSorted(const QString& name)
{
    // After every entry that sorts before or equal to it: a duplicate goes
    // after its twin.
    const NameOrder::Less less;
    int low = 0;
    int high = m_selector->count();
    while (low < high) {
        const int mid = low + (high - low) / 2;
        if (less(name, m_selector->itemText(mid)))
            high = mid;
        else
            low = mid + 1;
    }
    m_selector->insertItem(low, name);
    m_selector->setCurrentIndex(low);
}

void VehicleList::load()
{
    m_unreadable.clear();
    QStringList names = VehicleFiles::LoadVehicleList(&m_unreadable);
    if (!m_unreadable.isEmpty())
        tellListUnreadable(listPath(), m_unreadable);
    // Vehicles added in this run that the file does not hold yet stay, to be written.
    for (const QString& pending : pendingNames(listPath()))
        if (!names.contains(pending))
            names << pending;
    const int room = VehicleFiles::MaxVehicles - m_selector->count();
    if (names.size() > room)
        names.resize(std::max(room, 0));
    if (m_selector->count() == 0) {
        // The file is normally in the selector's order already; only a file
        // written by hand needs sorting. Equal names keep the file's order.
        const NameOrder::Less less;
        if (!std::is_sorted(names.cbegin(), names.cend(), less))
            std::stable_sort(names.begin(), names.end(), less);
        model()->setStringList(names);
    } else {
        for (const QString& name : std::as_const(names))
            insertSorted(name);
    }
    m_selector->setCurrentIndex(-1);
}

void VehicleList::clear()
{
    model()->setStringList({});
    m_selector->setCurrentIndex(-1);
}

void VehicleList::save(const QString& name, bool added)
{
    if (!m_unreadable.isEmpty())
        return; // what could not be read is never written over
    RecordStore store(m_hooks.claims);
    saveListChange(store, {FileClaims::Claim::VehicleList, {}, {}}, model(), name, added);
}

bool VehicleList::reloadFromDisk()
{
    const bool noneChosen = m_selector->currentIndex() < 0;
    const bool changed = m_unreadable.isEmpty() && reloadList(listPath(), model(), selected());
    // Names arriving in an empty selector choose nothing (Qt would make the
    // first one current): a vehicle is chosen by the user, whole.
    if (noneChosen && m_selector->currentIndex() >= 0)
        m_selector->setCurrentIndex(-1);
    return changed;
}

std::optional<QString> VehicleList::askNewName()
{
    if (!changeable())
        return std::nullopt;
    if (m_selector->count() >= VehicleFiles::MaxVehicles) {
        platform().messageBox(QStringLiteral("The vehicle list is full: Gearbook keeps at most %L1 vehicles.\n\n"
                                             "Please remove a vehicle before adding another one.")
                                  .arg(VehicleFiles::MaxVehicles),
                              QString(), MsgButtons::Ok, MsgIcon::Warning);
        return std::nullopt;
    }
    const QString name =
        platform().inputBox(QStringLiteral("Please enter a name or description of the new vehicle being added to "
                                           "the database."),
                            QStringLiteral("Add Vehicle"));
    if (name.trimmed().isEmpty())
        return std::nullopt;
    if (const auto problem = newNameProblem(name)) {
        platform().messageBox(*problem, QStringLiteral("Add Vehicle"), MsgButtons::Ok, MsgIcon::Warning);
        return std::nullopt;
    }
    return name;
}

std::optional<QString> VehicleList::newNameProblem(const QString& name) const
{
    if (auto problem = NameRules::nameProblem(name))
        return problem;
    if (const QString file = VehicleFiles::clashingFile(name, names()); !file.isEmpty())
        return QStringLiteral("The name \"%1\" cannot be used: its file \"%2\" would be a file that already holds "
                              "other records.\n\nPlease choose another name.")
            .arg(name, file);
    return NameRules::caseProblem(name, VehicleFiles::ownFiles(name), m_hooks.claims());
}

bool VehicleList::confirmRemoval()
{
    const QString vehicle = selected();
    if (vehicle.isEmpty()) {
        platform().messageBox(QStringLiteral("Please select a vehicle to remove."));
        return false;
    }
    if (!changeable())
        return false;
    return platform().messageBox(
               QStringLiteral("You are about to remove %1. Are you sure you want to do this?").arg(vehicle),
               QStringLiteral("Remove Vehicle"), MsgButtons::YesNo) == MsgAnswer::Yes;
}

QString VehicleList::removeSelected()
{
    QString vehicle = selected();
    const int index = m_selector->currentIndex();
    QStringList remaining = names();
    remaining.removeAt(index);
    // A twin of the same name lives on in the same files: only the entry goes.
    if (!remaining.contains(vehicle))
        removeFiles(vehicle, remaining);
    m_selector->removeItem(index);
    m_selector->setCurrentIndex(-1);
    return vehicle;
}

void VehicleList::removeFiles(const QString& vehicle, const QStringList& remaining)
{
    // Names added but never written claim their records too: they go with the
    // vehicle, and a new vehicle of the same name starts empty.
    const QString maint = VehicleFiles::inData(VehicleFiles::maintListFile(vehicle));
    const QString parts = VehicleFiles::inData(VehicleFiles::partsListFile(vehicle));
    VehicleFiles::RemoveVehicleFiles(vehicle, remaining, pendingNames(maint), pendingNames(parts));
    forgetPendingNames(maint);
    forgetPendingNames(parts);
}
