#pragma once

#include "common/FileClaims.h"
#include "common/RecordStore.h"

#include <QObject>
#include <QString>
#include <QStringList>

#include <functional>
#include <optional>

class QComboBox;
class QStringListModel;

// What the list needs from the window it sits in.
struct VehicleListHooks {
    // Who claims which file; every write of the list goes through a store asking it.
    std::function<FileClaims()> claims;
};

// The vehicle selector and the vehicle list file behind it. A save changes
// the list on disk by the one name added or removed, keeping names added
// elsewhere; a list file that cannot be read is never written.
class VehicleList : public QObject {
    Q_OBJECT
public:
    VehicleList(QComboBox* selector, VehicleListHooks hooks, QObject* parent = nullptr);

    // The chosen vehicle's name, empty when none is chosen.
    QString selected() const;
    // The names of the selector, top to bottom.
    QStringList names() const;

    // Fills the selector from the list file, keeping names added in this run
    // that the file lacks; nothing is chosen afterwards.
    void load();
    void save(const QString& name, bool added);
    // Empties the selector, the file untouched; nothing is chosen afterwards.
    void clear();
    // The list file changed on disk: the selector shows its names, keeping
    // the chosen one; nothing gets chosen. True when anything changed.
    bool reloadFromDisk();

    // Asks for the name of a new vehicle and tells why it cannot be added;
    // the name when it can.
    std::optional<QString> askNewName();
    // Puts `name` into the selector in sorted order and chooses it.
    void insertSorted(const QString& name);
    // Asks whether the chosen vehicle may go (told when none is chosen).
    bool confirmRemoval();
    // Takes the chosen vehicle out of the selector, with its files unless a
    // twin of the same name remains; nothing is chosen afterwards. Its name.
    QString removeSelected();

private:
    QString listPath() const;
    QStringListModel* model() const;
    // False, after telling the user, while the list file cannot be read.
    bool changeable();
    // The vehicle's files and those of its pending names, unless `remaining` claim them.
    void removeFiles(const QString& vehicle, const QStringList& remaining);
    // Why a new vehicle cannot have this name (its files, other records' files); nothing when it can.
    std::optional<QString> newNameProblem(const QString& name) const;

    QComboBox* m_selector;
    VehicleListHooks m_hooks;
    // Why the list file could not be read; while set, it is never written.
    QString m_unreadable;
};
