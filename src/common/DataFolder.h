#pragma once

#include <QString>
#include <QStringList>

#include "SafeFile.h"

// The fixed folder that holds every vehicle record file:
// <data home>/Venbry Software/Gearshed/Data/ (with the closing separator).
namespace DataFolder {

QString makerFolder();   // <data home>/Venbry Software/
QString programFolder(); // <data home>/Venbry Software/Gearshed/
QString path();          // <data home>/Venbry Software/Gearshed/Data/
// The program folder of an installation: <data home>/Venbry Software/Gearbook/
QString installFolder();

// Each creates one level and calls the next; every failure is ignored.
void CreateMakerFolder();
void CreateProgramFolder();
void CreateDataFolder();

} // namespace DataFolder

// Names of a vehicle's files, all joined without a separator, as stored data relies on.
namespace VehicleFiles {

constexpr int MaxVehicles = 32767;

QString listFile();                                             // "MainList.gbx"
QString vehicleFile(const QString& vehicle);                    // vehicle + ".gbx"
QString maintListFile(const QString& vehicle);                  // vehicle + "Maint.gbx"
QString partsListFile(const QString& vehicle);                  // vehicle + "Parts.gbx"
QString pictureFile(const QString& vehicle);                    // vehicle + "Pic.gbx"
QString recordFile(const QString& vehicle, const QString& entry); // vehicle + entry + ".gbx"
// Full paths inside the data folder.
QString inData(const QString& fileName);

// The names of the vehicle list file, up to the first unreadable field; a
// missing file gives none.
QStringList LoadVehicleList();
// Rewrites the vehicle list file; refuses more than MaxVehicles names.
WriteResult SaveVehicleList(const QStringList& names);

// A vehicle's own files: its vehicle file, its two list files, its picture file.
QStringList ownFiles(const QString& vehicle);

// A file of the new vehicle `vehicle` that would be a file already holding
// other records: the vehicle list file, an own file of a vehicle of another
// name, or a record file named in another vehicle's lists. Empty when none.
// A vehicle of the same name shares its twin's files, as it always has.
QString clashingFile(const QString& vehicle, const QStringList& vehicles);

// Deletes the vehicle's own files and the record files named in its two lists,
// never a file that is one of the own files of a vehicle in `otherVehicles`.
// Failures are ignored.
void RemoveVehicleFiles(const QString& vehicle, const QStringList& otherVehicles);

} // namespace VehicleFiles
