#include "vehicles/EntryLog.h"

#include "common/DataFolder.h"
#include "common/NameOrder.h"
#include "common/NameRules.h"
#include "common/RecordFile.h"
#include "ui/PlatformServices.h"
#include "ui/SaveMessages.h"
#include "vehicles/FieldGuard.h"
#include "vehicles/RecordSave.h"

#include <QAction>
#include <QApplication>
#include <QEvent>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QStringListModel>

#include <algorithm>

namespace {

// Multi-line fields keep their line breaks as CR LF, as the stored files always had them.
QString fieldText(const QWidget* field)
{
    if (const auto* line = qobject_cast<const QLineEdit*>(field))
        return line->text();
    if (const auto* plain = qobject_cast<const QPlainTextEdit*>(field))
        return FieldGuard::storedText(plain);
    return QString();
}

void setFieldText(QWidget* field, const QString& text)
{
    if (auto* line = qobject_cast<QLineEdit*>(field))
        line->setText(text);
    else if (auto* plain = qobject_cast<QPlainTextEdit*>(field))
        FieldGuard::setStoredText(plain, text);
}

} // namespace

EntryLogKind EntryLogKind::maintenance()
{
    return {QStringLiteral("Maint"),
            RecordLayout::count(RecordLayout::Kind::Maintenance),
            QStringLiteral("Please type in a new maintenance to the database."),
            QStringLiteral("Add Maintenance"),
            QStringLiteral("Remove Maintenance"),
            QStringLiteral("Please select maintenance"),
            QStringLiteral("maintenance entry")};
}

EntryLogKind EntryLogKind::parts()
{
    return {QStringLiteral("Parts"),
            RecordLayout::count(RecordLayout::Kind::Part),
            QStringLiteral("Please type in a new Part to add to the database."),
            QStringLiteral("Add Part"),
            QStringLiteral("Remove Part"),
            QStringLiteral("Please select a part"),
            QStringLiteral("part")};
}

EntryLog::EntryLog(EntryLogKind kind, EntryLogWidgets widgets, EntryLogHooks hooks, QObject* parent)
    : QObject(parent), m_kind(std::move(kind)), m_widgets(std::move(widgets)), m_hooks(std::move(hooks)),
      m_record(mergeFields(m_widgets.fields))
{
    Q_ASSERT(m_widgets.list && m_widgets.addButton && m_widgets.removeButton && m_widgets.selectedLabel);
    Q_ASSERT(m_widgets.fields.size() == m_kind.fieldCount);

    // A plain list of names, kept in order here: a long list loads in one step.
    m_model = new QStringListModel(m_widgets.list);
    m_widgets.list->setModel(m_model);
    m_widgets.list->setEditTriggers(QAbstractItemView::NoEditTriggers);
    // One line of text per entry: a long list is then laid out without measuring every row.
    m_widgets.list->setUniformItemSizes(true);
    m_widgets.list->setSelectionMode(QAbstractItemView::SingleSelection);
    connect(m_widgets.list->selectionModel(), &QItemSelectionModel::selectionChanged, this,
            &EntryLog::onSelectionChanged);
    // An emptied list (a new vehicle chosen, the page cleared) has no entry selected any more.
    connect(m_model, &QAbstractItemModel::modelReset, this, [this] {
        m_current.clear();
        m_currentVehicle.clear();
    });

    connect(m_widgets.addButton, &QPushButton::clicked, this, &EntryLog::add);
    connect(m_widgets.removeButton, &QPushButton::clicked, this, &EntryLog::remove);
    syncAction(m_widgets.addButton, m_widgets.addAction);
    syncAction(m_widgets.removeButton, m_widgets.removeAction);
    if (m_widgets.addAction)
        connect(m_widgets.addAction, &QAction::triggered, this, [this] { runFromMenu(&EntryLog::add); });
    if (m_widgets.removeAction)
        connect(m_widgets.removeAction, &QAction::triggered, this, [this] { runFromMenu(&EntryLog::remove); });

    for (QWidget* field : std::as_const(m_widgets.fields)) {
        if (auto* line = qobject_cast<QLineEdit*>(field))
            FieldGuard::install(line);
        else if (auto* plain = qobject_cast<QPlainTextEdit*>(field))
            FieldGuard::install(plain);
        if (m_hooks.registerFieldSaver)
            m_hooks.registerFieldSaver(field, [this, field] { saveFromField(field); });
        else
            field->installEventFilter(this);
    }
}

// A menu entry's enabled state follows its button at every change, whoever makes it.
void EntryLog::syncAction(QPushButton* button, QAction* action)
{
    if (!action)
        return;
    action->setEnabled(button->isEnabled());
    button->installEventFilter(this);
    connect(action, &QAction::changed, this, [button, action] {
        if (action->isEnabled() != button->isEnabled())
            action->setEnabled(button->isEnabled());
    });
}

bool EntryLog::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::EnabledChange) {
        if (watched == m_widgets.addButton && m_widgets.addAction)
            m_widgets.addAction->setEnabled(m_widgets.addButton->isEnabled());
        else if (watched == m_widgets.removeButton && m_widgets.removeAction)
            m_widgets.removeAction->setEnabled(m_widgets.removeButton->isEnabled());
    } else if (event->type() == QEvent::FocusOut) {
        if (auto* field = qobject_cast<QWidget*>(watched); field && m_widgets.fields.contains(field))
            saveFromField(field);
    }
    return QObject::eventFilter(watched, event);
}

void EntryLog::runFromMenu(void (EntryLog::*command)())
{
    if (m_hooks.commitPendingEdit)
        m_hooks.commitPendingEdit();
    (this->*command)();
}

QString EntryLog::vehicle() const
{
    return m_hooks.vehicle ? m_hooks.vehicle() : QString();
}

QStringList EntryLog::names() const
{
    return m_model->stringList();
}

QString EntryLog::selectedName() const
{
    const QModelIndexList selected = m_widgets.list->selectionModel()->selectedIndexes();
    return selected.isEmpty() ? QString() : selected.first().data().toString();
}

void EntryLog::select(const QString& name)
{
    const int row = int(names().indexOf(name));
    if (row >= 0)
        m_widgets.list->selectionModel()->setCurrentIndex(m_model->index(row), QItemSelectionModel::ClearAndSelect);
}

void EntryLog::clearList()
{
    m_model->setStringList({});
    m_listVehicle.clear();
}

void EntryLog::LoadList()
{
    // The list is (re)loaded: whatever entry the fields showed is no longer selected.
    m_current.clear();
    m_currentVehicle.clear();

    m_listUnreadable.clear();
    m_listVehicle = vehicle();
    const auto bytes = VehicleFiles::readRecord(listPath());
    if (bytes.unreadable()) {
        m_listUnreadable = bytes.error;
        tellListUnreadable(listPath(), m_listUnreadable);
        return;
    }
    QStringList loaded = bytes ? RecordFile::parseListFile(*bytes) : QStringList();
    // Names added in this run that the file does not hold yet stay shown, to be written.
    for (const QString& pending : pendingNames(listPath()))
        if (!loaded.contains(pending))
            loaded << pending;
    if (loaded.isEmpty())
        return;

    // Sort once and insert in one go. The files are written sorted, so the
    // usual case only checks the order.
    if (m_model->rowCount() > 0)
        loaded = names() + loaded;
    const NameOrder::Less less;
    if (!std::is_sorted(loaded.cbegin(), loaded.cend(), less))
        std::stable_sort(loaded.begin(), loaded.end(), less);

    const QSignalBlocker block(m_widgets.list->selectionModel());
    m_model->setStringList(loaded);
}

void EntryLog::ClearFields()
{
    for (QWidget* field : std::as_const(m_widgets.fields))
        setFieldText(field, QString());
}

void EntryLog::LoadRecord()
{
    const QString name = selectedName();
    if (name.isEmpty())
        return;
    const QString v = vehicle();
    const QString path = VehicleFiles::inData(VehicleFiles::recordFile(v, name));
    m_keptRecordFile.clear();
    m_record.setLoaded(m_record.emptyValues());
    const auto bytes = VehicleFiles::readRecord(path);
    const auto values = bytes ? m_record.parse(*bytes) : std::nullopt;
    if (bytes.unreadable() || (bytes && !values)) {
        // Moved aside before the next save writes a fresh record; never when
        // another record claims the file (told now), nor when it cannot be moved.
        RecordStore store = recordStore();
        if (!setAsideAndTell(store, claimOf(v, name), bytes.error))
            m_keptRecordFile = path;
        return;
    }
    if (!bytes)
        return;
    showValues(*values);
    m_record.setLoaded(*values);
}

QStringList EntryLog::fieldValues() const
{
    QStringList values;
    values.reserve(m_kind.fieldCount);
    // The fields' guard keeps straight quotes out as they are typed; one set
    // by other means must still not end its value early and shift the rest.
    for (const QWidget* field : std::as_const(m_widgets.fields))
        values << FieldGuard::clean(fieldText(field));
    return values;
}

void EntryLog::showValues(const QStringList& values)
{
    for (int i = 0; i < m_kind.fieldCount; ++i)
        if (fieldText(m_widgets.fields.at(i)) != values.at(i))
            setFieldText(m_widgets.fields.at(i), values.at(i));
}

void EntryLog::SaveRecord()
{
    if (m_current.isEmpty() || m_currentVehicle.isEmpty())
        return;
    const QString path = VehicleFiles::inData(VehicleFiles::recordFile(m_currentVehicle, m_current));
    if (path == m_keptRecordFile)
        return; // unreadable and not movable, or another record's too: never written over
    const QStringList screen = fieldValues();
    const QString v = m_currentVehicle;
    const QString name = m_current;
    RecordStore store = recordStore();
    const auto written = saveFieldWise(m_record, store, claimOf(v, name), screen, name);
    m_saveFailed = !written;
    if (!written)
        return;
    if (*written != screen)
        showValues(*written); // values changed elsewhere in fields the user left alone
    emit recordSaved(path);
}

bool EntryLog::reloadFromDisk()
{
    if (vehicle().isEmpty())
        return false;
    bool changed = m_listUnreadable.isEmpty() && reloadList(listPath(), m_model, m_current);
    if (m_current.isEmpty() || m_currentVehicle != vehicle())
        return changed;
    const QString path = VehicleFiles::inData(VehicleFiles::recordFile(m_currentVehicle, m_current));
    if (path == m_keptRecordFile)
        return changed;
    if (const auto shown = reloadChanged(m_record, path, fieldValues())) {
        showValues(*shown);
        changed = true;
    }
    return changed;
}

void EntryLog::saveFromField(QWidget* field)
{
    // A field that loses the focus because it is being disabled holds no edit:
    // the page is being emptied or reloaded, and saving would write blanks.
    if (field->isEnabled())
        SaveRecord();
}

void EntryLog::setFieldsEnabled(bool enabled)
{
    for (QWidget* field : std::as_const(m_widgets.fields))
        field->setEnabled(enabled);
}

void EntryLog::onSelectionChanged()
{
    const QString name = selectedName();
    if (name.isEmpty())
        return;
    // An edit still in the fields belongs to the entry selected so far: keep it
    // before the next entry's record replaces it (a click has already saved it
    // through the focus change; a selection made by the program has not).
    if (QWidget* focus = QApplication::focusWidget(); focus && m_widgets.fields.contains(focus))
        saveFromField(focus);
    if (holdAfterFailedSave())
        return;
    // From here on the fields are not the old entry's: a save set off meanwhile
    // (a message box taking the focus) must not write them into its record.
    m_current.clear();
    m_currentVehicle.clear();

    ClearFields();
    LoadRecord();
    m_current = name;
    m_currentVehicle = vehicle();
    m_widgets.selectedLabel->setText(name);
    setFieldsEnabled(true);
    m_widgets.removeButton->setEnabled(true);
}

// The first move away from an entry whose save just failed is refused: the
// text it could not store is still in the fields, and the user is told so.
bool EntryLog::holdAfterFailedSave()
{
    // Any choice counts, the same entry's too: choosing it again would reload it from disk.
    if (!m_saveFailed || m_current.isEmpty())
        return false;
    m_saveFailed = false; // the next attempt moves on
    const QString held = m_current;
    {
        const QSignalBlocker block(m_widgets.list->selectionModel());
        select(held);
    }
    platform().messageBox(heldTextMessage(held), QString(), MsgButtons::Ok, MsgIcon::Warning);
    return true;
}

QString heldTextMessage(const QString& name)
{
    return QStringLiteral("What you typed for \"%1\" is still on screen and not stored, because saving it failed.\n\n"
                          "Copy it somewhere safe or free the disk and try again. Choose again to leave it; "
                          "the text is then lost.")
        .arg(name);
}

void EntryLog::resetToNoEntry()
{
    // Forget the entry first, so fields losing the focus as they are disabled save nothing.
    m_current.clear();
    m_currentVehicle.clear();
    {
        const QSignalBlocker block(m_widgets.list->selectionModel());
        m_widgets.list->clearSelection();
    }
    m_widgets.selectedLabel->setText(m_kind.noSelection);
    ClearFields();
    setFieldsEnabled(false);
    m_widgets.removeButton->setEnabled(false);
}

QString EntryLog::listFile() const
{
    return vehicle() + m_kind.listSuffix + QStringLiteral(".gbx");
}

QString EntryLog::listPath() const
{
    return VehicleFiles::inData(listFile());
}

bool EntryLog::writeList(const QString& name, bool added)
{
    if (!m_listUnreadable.isEmpty())
        return false; // what could not be read is never written over
    // One name changed over the list on disk: names added elsewhere stay.
    const FileClaims::Claim mine{m_kind.listSuffix == EntryLogKind::parts().listSuffix ? FileClaims::Claim::PartsList
                                                                                       : FileClaims::Claim::MaintList,
                                 vehicle(),
                                 {}};
    RecordStore store = recordStore();
    return saveListChange(store, mine, m_model, name, added);
}

void EntryLog::shareList(FileClaims& claims) const
{
    const QString v = vehicle();
    if (v.isEmpty() || m_listVehicle != v)
        return; // not loaded: the claims read the file
    claims.setList(listFile(), m_listUnreadable.isEmpty() ? std::optional(names()) : std::nullopt);
}

FileClaims EntryLog::claims() const
{
    FileClaims claims(m_hooks.vehicles ? m_hooks.vehicles() : QStringList{vehicle()});
    shareList(claims);
    if (m_sibling)
        m_sibling->shareList(claims);
    return claims;
}

RecordStore EntryLog::recordStore() const
{
    return RecordStore([this] { return claims(); });
}

FileClaims::Claim EntryLog::claimOf(const QString& v, const QString& name) const
{
    const bool parts = m_kind.listSuffix == EntryLogKind::parts().listSuffix;
    return {parts ? FileClaims::Claim::Part : FileClaims::Claim::MaintEntry, v, name};
}

bool EntryLog::listChangeable(const QString& title)
{
    if (m_listUnreadable.isEmpty())
        return true;
    tellListLocked(listPath(), m_listUnreadable, title);
    return false;
}

QString EntryLog::refusal(const QString& name) const
{
    const QString v = vehicle();
    if (const auto problem = NameRules::nameProblem(name, VehicleFiles::recordFile(v, name)))
        return *problem;
    // A name no record's file has yet: file names are compared exactly (on
    // Linux names that differ in case are different files).
    // An unreadable list of this vehicle is told on its own page.
    const FileClaims all = claims();
    QList<FileClaims::Claim> taken = all.claimsOf(VehicleFiles::recordFile(v, name));
    taken.removeIf([&v](const FileClaims::Claim& c) { return c.kind == FileClaims::Claim::Unknown && c.vehicle == v; });
    if (!taken.isEmpty())
        return QStringLiteral("The name \"%1\" cannot be used: its record file \"%2\" would be the file of another "
                              "maintenance entry, part or vehicle.\n\nPlease choose another name.")
            .arg(name, VehicleFiles::recordFile(v, name));
    return NameRules::caseProblem(name, {VehicleFiles::recordFile(v, name)}, all).value_or(QString());
}

void EntryLog::add()
{
    if (vehicle().isEmpty() || !listChangeable(m_kind.addTitle))
        return;
    const QString name = platform().inputBox(m_kind.addPrompt, m_kind.addTitle, QString());
    if (name.trimmed().isEmpty())
        return;
    if (const QString why = refusal(name); !why.isEmpty()) {
        platform().messageBox(why, m_kind.addTitle, MsgButtons::Ok, MsgIcon::Warning);
        return;
    }

    m_saveFailed = false; // adding is a choice to go on; the failure was reported

    // Its sorted place: after every name that does not sort after it.
    const QStringList current = names();
    const int row = int(std::upper_bound(current.cbegin(), current.cend(), name, NameOrder::Less()) - current.cbegin());
    m_model->insertRows(row, 1);
    m_model->setData(m_model->index(row), name);
    // Runs the selection: fields, label, remove command.
    m_widgets.list->selectionModel()->setCurrentIndex(m_model->index(row), QItemSelectionModel::ClearAndSelect);

    // A list file that cannot be written is reported; the entry stays listed
    // for this run and is written with the next add or remove.
    writeList(name, true);
    ClearFields();
    // A record of that name on disk (another computer's) keeps what the user does not type over.
    m_record.setLoaded(m_record.emptyValues());
    m_current = name;
    m_currentVehicle = vehicle();
}

void EntryLog::remove()
{
    const QModelIndexList selected = m_widgets.list->selectionModel()->selectedIndexes();
    if (selected.isEmpty() || vehicle().isEmpty() || !listChangeable(m_kind.removeTitle))
        return;
    const int row = selected.first().row();
    const QString name = selected.first().data().toString();
    const MsgAnswer answer = platform().messageBox(QStringLiteral("You are about to remove ") + name +
                                                       QStringLiteral(". Are you sure you want to do this?"),
                                                   m_kind.removeTitle, MsgButtons::YesNo, MsgIcon::None);
    if (answer != MsgAnswer::Yes)
        return;

    m_current.clear();
    m_currentVehicle.clear();
    const QString v = vehicle();
    m_model->removeRows(row, 1);

    // The record goes with the entry, unless another record still claims it
    // (old names: an entry of the same name, a list, another vehicle's file;
    // the name is off the page already). A failed deletion does not stop the removal.
    RecordStore store = recordStore();
    if (store.claims().claimsOf(VehicleFiles::recordFile(v, name)).isEmpty())
        store.remove(claimOf(v, name));

    m_widgets.removeButton->setEnabled(false);
    writeList(name, false);

    if (m_hooks.refreshAfterRemoval) {
        m_hooks.refreshAfterRemoval();
    } else {
        clearList();
        LoadList();
        resetToNoEntry();
    }
}
