#pragma once

#include <QByteArray>
#include <QHash>
#include <QList>
#include <QPair>
#include <QString>
#include <QStringList>

// Writes a sample data folder for a test, file by file as Gearbook writes them:
// the vehicle list, each vehicle's values, its maintenance and parts lists and
// their entries, and any other file byte for byte (odd names, damaged records).
// Each call writes at once, so a test can look at the folder between two.
//
//   SampleData(env.dataFolder())
//       .vehicle("Van", SampleData::vehicleValues({{6, "12,000"}}))
//       .maintenance("Van", "Oil", {"2024-01-02", "", "10,000", "15,000", "Shop", ""})
//       .file("VanTyres.gbx", "\"half a rec");
class SampleData {
public:
    // `folder`: the data folder, with or without its closing separator.
    explicit SampleData(const QString& folder);

    // A vehicle at the end of "MainList.gbx"; with values, also its record "<name>.gbx".
    SampleData& vehicle(const QString& name);
    SampleData& vehicle(const QString& name, const QStringList& values);
    // An entry at the end of "<vehicle>Maint.gbx", and its record "<vehicle><entry>.gbx".
    SampleData& maintenance(const QString& vehicle, const QString& entry, const QStringList& values);
    // A part at the end of "<vehicle>Parts.gbx", and its record "<vehicle><part>.gbx".
    SampleData& part(const QString& vehicle, const QString& part, const QStringList& values);
    // Any file of the folder, byte for byte.
    SampleData& file(const QString& name, const QByteArray& bytes);

    // The path of a file of the folder.
    QString path(const QString& name) const { return m_folder + name; }

    // A vehicle's 17 values, empty but for the given {index, value} pairs.
    static QStringList vehicleValues(const QList<QPair<int, QString>>& set = {});

private:
    SampleData& list(const QString& listName, QStringList* names, const QString& name);

    QString m_folder;
    QStringList m_vehicles;
    QHash<QString, QStringList> m_maintenance;
    QHash<QString, QStringList> m_parts;
};
