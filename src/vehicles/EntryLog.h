#pragma once

#include "common/FileClaims.h"
#include "common/RecordStore.h"
#include "sync/FieldMerge.h"

#include <QList>
#include <QObject>
#include <QPointer>
#include <QString>
#include <QStringList>

#include <functional>

class QAction;
class QLabel;
class QListView;
class QStringListModel;
class QPushButton;
class QWidget;

// What tells the maintenance log and the parts log apart: their texts, their
// list file and the number of values in a record.
struct EntryLogKind {
    QString listSuffix; // the list file is vehicle + listSuffix + ".gbx"
    int fieldCount = 0; // values in one record file
    QString addPrompt;  // input box of the add command
    QString addTitle;
    QString removeTitle; // confirmation of the remove command
    QString noSelection; // the label while no entry is selected
    QString noun;        // one entry, as messages name it

    static EntryLogKind maintenance();
    static EntryLogKind parts();
};

// The controls of one page. The fields are given in record order; each is a
// QLineEdit or a (multi-line) QPlainTextEdit. The page puts the field guard on them.
struct EntryLogWidgets {
    QListView* list = nullptr; // the page shows its names through its own string-list model
    QPushButton* addButton = nullptr;
    QPushButton* removeButton = nullptr;
    QAction* addAction = nullptr;
    QAction* removeAction = nullptr;
    QLabel* selectedLabel = nullptr;
    QList<QWidget*> fields;
};

// What the page needs from the window it sits in. Every hook may be left
// empty; the page then does the plain thing on its own.
struct EntryLogHooks {
    // The selection: the vehicle whose files are read and written.
    std::function<QString()> vehicle;
    // Every vehicle name of the selector, to keep a record file from landing on another vehicle's file.
    std::function<QStringList()> vehicles;
    // Saves the field being edited; runs before a menu command acts, since menus take no focus.
    std::function<void()> commitPendingEdit;
    // Makes `save` run when `field` loses the focus. Without it the page watches the focus itself.
    std::function<void(QWidget* field, std::function<void()> save)> registerFieldSaver;
    // After a removal: reload every page of the vehicle and leave both logs without a selection.
    // Without it the page reloads its own list only.
    std::function<void()> refreshAfterRemoval;
};

// Told when the user first tries to leave a vehicle or an entry whose save
// just failed: the selection stays, so the text is not lost unawares.
QString heldTextMessage(const QString& name);

// One page of entries of the selected vehicle: a sorted list of names kept in
// the vehicle's list file and, for the selected name, a record file of free
// texts that is rewritten whenever one of its fields loses the focus.
class EntryLog : public QObject {
    Q_OBJECT
public:
    EntryLog(EntryLogKind kind, EntryLogWidgets widgets, EntryLogHooks hooks, QObject* parent = nullptr);

    // The other log of the same vehicle: its names share the record-file names of this one.
    void setSibling(EntryLog* sibling) { m_sibling = sibling; }

    const EntryLogKind& kind() const { return m_kind; }
    const EntryLogWidgets& widgets() const { return m_widgets; }

    // The entry whose record the fields show and into which they are saved.
    QString current() const { return m_current; }
    // The names of the list, top to bottom.
    QStringList names() const;
    // The selected name of the list, empty when none is.
    QString selectedName() const;
    // Selects a name of the list, as a click on it does.
    void select(const QString& name);
    // Empties the list; no entry is selected afterwards.
    void clearList();
    // Who claims which file: the vehicles, and both lists of the shown vehicle as its pages show them.
    FileClaims claims() const;
    // Every write of the page goes through a store asking claims().
    RecordStore recordStore() const;
    // Gives `claims` this page's list as shown, when it shows the list of the selection.
    void shareList(FileClaims& claims) const;

    // Whether the last save of the fields failed (reported, the text still on screen).
    bool saveFailed() const { return m_saveFailed; }
    void forgetFailedSave() { m_saveFailed = false; }

    // Appends the names of the vehicle's list file to the list, in sorted order.
    // The caller empties the list first. No entry is selected afterwards.
    void LoadList();
    void ClearFields();
    // Reads the record of the selected entry into the fields; a missing file or
    // one with fewer values than fields leaves them as they are.
    void LoadRecord();
    // Writes the fields changed on screen into the record file of current(),
    // over the record as it is on disk now (FieldMerge).
    void SaveRecord();
    // The list and the selected record changed on disk: the page shows them;
    // what the user changed and has not stored stays. True when anything shown changed.
    bool reloadFromDisk();

    // The add and remove commands, as their buttons and menu entries run them.
    void add();
    void remove();

    // No entry selected: the label prompts, the fields are empty and disabled,
    // and so is the remove command.
    void resetToNoEntry();

signals:
    // A record file was written (path of the file).
    void recordSaved(const QString& path);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void onSelectionChanged();
    bool holdAfterFailedSave();
    void saveFromField(QWidget* field);
    void syncAction(QPushButton* button, QAction* action);
    void runFromMenu(void (EntryLog::*command)());
    QString vehicle() const;
    QString refusal(const QString& name) const;
    // What the record of `name` of `vehicle` is, to ask the claims about it.
    FileClaims::Claim claimOf(const QString& vehicle, const QString& name) const;
    QString listFile() const;
    QStringList fieldValues() const;
    void showValues(const QStringList& values);
    QString listPath() const;
    bool writeList(const QString& name, bool added);
    // False, after telling the user, while the list file cannot be read.
    bool listChangeable(const QString& title);
    void setFieldsEnabled(bool enabled);

    EntryLogKind m_kind;
    EntryLogWidgets m_widgets;
    EntryLogHooks m_hooks;
    QPointer<EntryLog> m_sibling;
    QString m_current;
    QString m_currentVehicle; // the vehicle m_current belongs to
    QString m_keptRecordFile; // a record that could not be read nor moved aside
    QString m_listUnreadable; // why the list file could not be read; never written while set
    QString m_listVehicle;    // the vehicle whose list the page shows
    bool m_selecting = false;
    bool m_saveFailed = false;
    QStringListModel* m_model = nullptr;
    FieldMerge m_record; // the shown record as loaded
};
