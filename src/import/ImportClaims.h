#pragma once

#include <QHash>
#include <QString>
#include <QStringList>

#include <optional>

// Which record claims each file of the data folder, and whether a name can
// name a file at all, for an import planning many records at once.
// Kept apart on purpose: it answers what NameRules::nameProblem and
// NameRules::otherUseOf answer for the window (src/vehicles, a layer above
// this one), and gives way to one shared answer when there is one.
class ImportClaims {
public:
    // Reads the two lists of every vehicle in `vehicles`.
    explicit ImportClaims(const QStringList& vehicles);

    // Who claims `file` already, for the user ("the parts list of \"Car\""); empty when nobody does.
    QString claimant(const QString& file) const;
    void claim(const QString& file, const QString& who);
    // A vehicle's own four files, claimed in its name.
    void claimVehicle(const QString& vehicle);
    // The names in a vehicle's maintenance or parts list (read at the first ask for a
    // vehicle not yet listed); nothing when that list cannot be read.
    std::optional<QStringList> list(const QString& listFile);

    // Why `name` cannot be part of the file name `fileName`; nothing when it can.
    static std::optional<QString> nameProblem(const QString& name, const QString& fileName);

private:
    QHash<QString, QString> m_claims;
    QHash<QString, QStringList> m_lists;
    QStringList m_unreadableLists; // vehicles with a list that cannot be read: it may name any of their files
};
