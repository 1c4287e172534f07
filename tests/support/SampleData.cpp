#include "SampleData.h"

#include "TestEnvironment.h"
#include "common/RecordFile.h"

SampleData::SampleData(const QString& folder)
    : m_folder(folder.endsWith(QLatin1Char('/')) ? folder : folder + QLatin1Char('/'))
{
}

SampleData& SampleData::list(const QString& listName, QStringList* names, const QString& name)
{
    names->append(name);
    writeAll(path(listName), RecordFile::listFile(*names));
    return *this;
}

SampleData& SampleData::vehicle(const QString& name)
{
    return list(QStringLiteral("MainList.gbx"), &m_vehicles, name);
}

SampleData& SampleData::vehicle(const QString& name, const QStringList& values)
{
    writeAll(path(name + QStringLiteral(".gbx")), RecordFile::textRecord(values));
    return vehicle(name);
}

SampleData& SampleData::maintenance(const QString& vehicle, const QString& entry, const QStringList& values)
{
    writeAll(path(vehicle + entry + QStringLiteral(".gbx")), RecordFile::textRecord(values));
    return list(vehicle + QStringLiteral("Maint.gbx"), &m_maintenance[vehicle], entry);
}

SampleData& SampleData::part(const QString& vehicle, const QString& part, const QStringList& values)
{
    writeAll(path(vehicle + part + QStringLiteral(".gbx")), RecordFile::textRecord(values));
    return list(vehicle + QStringLiteral("Parts.gbx"), &m_parts[vehicle], part);
}

SampleData& SampleData::file(const QString& name, const QByteArray& bytes)
{
    writeAll(path(name), bytes);
    return *this;
}

QStringList SampleData::vehicleValues(const QList<QPair<int, QString>>& set)
{
    QStringList values(17);
    for (const auto& [index, value] : set)
        values[index] = value;
    return values;
}
