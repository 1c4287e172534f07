#pragma once

#include <QHash>
#include <QList>
#include <QString>
#include <QStringList>

#include <optional>

// Whose file is this? File names are names joined without a separator
// (vehicle + suffix, vehicle + entry + ".gbx"), so old names can make two
// records one file: an entry "Pic" is the picture file, a vehicle "CarMaint"
// is the maintenance list of "Car". This is the one place that tells, for a
// file of the data folder, every record that claims it; every write and every
// delete asks it first.
class FileClaims {
public:
    struct Claim {
        enum Kind {
            VehicleList, // "MainList.gbx"
            Vehicle,     // vehicle + ".gbx"
            MaintList,   // vehicle + "Maint.gbx"
            PartsList,   // vehicle + "Parts.gbx"
            Picture,     // vehicle + "Pic.gbx"
            MaintEntry,  // vehicle + entry + ".gbx", the entry in the maintenance list
            Part,        // the same, in the parts list
            Unknown,     // a list of `vehicle` that cannot be read: it may name the file
        };
        Kind kind = VehicleList;
        QString vehicle;
        QString entry;

        bool operator==(const Claim& other) const = default;
        // For the user: "the parts list of “Car”", "the maintenance entry “Oil” of “Car”".
        QString described() const;
    };

    // The vehicles of the vehicle list (a name listed twice is one vehicle:
    // twins always shared their files). The lists of a vehicle are read from
    // the data folder when first needed, unless given with setLists.
    explicit FileClaims(QStringList vehicles);

    // A list file (vehicle + "Maint.gbx" or "Parts.gbx") as a page shows it,
    // names not yet written included; nothing when it cannot be read.
    void setList(const QString& listFile, std::optional<QStringList> names);
    // A vehicle added to the list (a planned import): it claims its files from now on.
    void addVehicle(const QString& vehicle) { m_vehicles << vehicle; }
    // A name added to a list file that can be read (a planned import).
    void addToList(const QString& listFile, const QString& name);
    // The names of a list file as known here (set, or read once); nothing when it cannot be read.
    std::optional<QStringList> list(const QString& listFile) const { return listOf(listFile); }

    // Every claim on `file` (a file name in the data folder). An entry listed
    // twice claims it twice. Ignoring case: the claims on the file that is
    // one with `file` where letter case does not tell names apart (exFAT,
    // folders synced with Windows or macOS).
    QList<Claim> claimsOf(const QString& file, Qt::CaseSensitivity cs = Qt::CaseSensitive) const;
    // The claims on `file` other than `mine` (one of them), and other than an
    // unreadable list of mine's own vehicle (its page tells that itself).
    QList<Claim> othersThan(const QString& file, const Claim& mine) const;

    // The message for a write or delete of `file` refused because `others`
    // claim it too: names both and says how to separate them.
    static QString sharedMessage(const QString& file, const Claim& mine, const QList<Claim>& others);

private:
    // The names of a list file; nothing when it cannot be read.
    const std::optional<QStringList>& listOf(const QString& listFile) const;
    // The names of a readable list by their case-folded form, in list order:
    // a long list (an import of thousands) is asked once per row.
    const QHash<QString, QStringList>& indexOf(const QString& listFile) const;

    QStringList m_vehicles;
    mutable QHash<QString, std::optional<QStringList>> m_lists;
    mutable QHash<QString, QHash<QString, QStringList>> m_index;
};
