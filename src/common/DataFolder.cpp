#include "DataFolder.h"

#include "RecordFile.h"

#include <QDir>
#include <QFile>
#include <QSet>
#include <QStandardPaths>

namespace DataFolder {

namespace {
QString dataHome()
{
    return QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation) + QLatin1Char('/');
}
} // namespace

QString makerFolder()
{
    return dataHome() + QStringLiteral("Venbry Software/");
}

QString programFolder()
{
    return makerFolder() + QStringLiteral("Gearshed/");
}

QString path()
{
    return programFolder() + QStringLiteral("Data/");
}

QString installFolder()
{
    return makerFolder() + QStringLiteral("Gearbook/");
}

void CreateMakerFolder()
{
    QDir().mkdir(makerFolder());
    CreateProgramFolder();
}

void CreateProgramFolder()
{
    QDir().mkdir(programFolder());
    CreateDataFolder();
}

void CreateDataFolder()
{
    QDir().mkdir(path());
}

} // namespace DataFolder

namespace VehicleFiles {

QString listFile()
{
    return QStringLiteral("MainList.gbx");
}

QString vehicleFile(const QString& vehicle)
{
    return vehicle + QStringLiteral(".gbx");
}

QString maintListFile(const QString& vehicle)
{
    return vehicle + QStringLiteral("Maint.gbx");
}

QString partsListFile(const QString& vehicle)
{
    return vehicle + QStringLiteral("Parts.gbx");
}

QString pictureFile(const QString& vehicle)
{
    return vehicle + QStringLiteral("Pic.gbx");
}

QString recordFile(const QString& vehicle, const QString& entry)
{
    return vehicle + entry + QStringLiteral(".gbx");
}

QString inData(const QString& fileName)
{
    return DataFolder::path() + fileName;
}

QStringList LoadVehicleList()
{
    const auto bytes = RecordFile::readFile(inData(listFile()));
    return bytes ? RecordFile::parseListFile(*bytes) : QStringList();
}

WriteResult SaveVehicleList(const QStringList& names)
{
    if (names.size() > MaxVehicles)
        return {false, QStringLiteral("The list holds more than %1 vehicles.").arg(MaxVehicles)};
    return writeFileSafely(inData(listFile()), RecordFile::listFile(names));
}

QStringList ownFiles(const QString& vehicle)
{
    return {vehicleFile(vehicle), maintListFile(vehicle), partsListFile(vehicle), pictureFile(vehicle)};
}

QString clashingFile(const QString& vehicle, const QStringList& vehicles)
{
    const QStringList mine = ownFiles(vehicle);
    if (mine.contains(listFile()))
        return listFile();
    for (const QString& other : vehicles) {
        if (other == vehicle)
            continue;
        for (const QString& file : ownFiles(other))
            if (mine.contains(file))
                return file;
        // Only a vehicle whose name begins one of our file names can have a record among them.
        for (const QString& file : mine) {
            if (!file.startsWith(other))
                continue;
            for (const QString& list : {maintListFile(other), partsListFile(other)})
                if (const auto bytes = RecordFile::readFile(inData(list)))
                    for (const QString& entry : RecordFile::parseListFile(*bytes))
                        if (recordFile(other, entry) == file)
                            return file;
        }
    }
    return QString();
}

void RemoveVehicleFiles(const QString& vehicle, const QStringList& otherVehicles)
{
    QSet<QString> protectedFiles{listFile()};
    for (const QString& other : otherVehicles)
        if (other != vehicle)
            for (const QString& f : ownFiles(other))
                protectedFiles.insert(f);

    QStringList doomed;
    for (const QString& list : {maintListFile(vehicle), partsListFile(vehicle)}) {
        if (const auto bytes = RecordFile::readFile(inData(list)))
            for (const QString& entry : RecordFile::parseListFile(*bytes))
                doomed << recordFile(vehicle, entry);
    }
    doomed << ownFiles(vehicle);

    for (const QString& name : std::as_const(doomed))
        if (!protectedFiles.contains(name))
            QFile::remove(inData(name));
}

} // namespace VehicleFiles
