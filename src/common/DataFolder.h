#pragma once

#include <QByteArray>
#include <QDateTime>
#include <QString>
#include <QStringList>

#include "common/RecordFile.h"
#include "common/SafeFile.h"

#include <memory>
#include <optional>

class QLockFile;

// The fixed folder that holds every vehicle record file:
// <data home>/Venbry Software/Gearshed/Data/ (with the closing separator).
namespace DataFolder {

QString makerFolder();   // <data home>/Venbry Software/
QString programFolder(); // <data home>/Venbry Software/Gearshed/
QString path();          // <data home>/Venbry Software/Gearshed/Data/
// The program folder of an installation: <data home>/Venbry Software/Gearbook/
QString installFolder();

// Each creates one level (private to the user) and calls the next; every
// failure is ignored. The first also creates the data home when a fresh
// account has none yet.
void CreateMakerFolder();
void CreateProgramFolder();
void CreateDataFolder();

// "Data.lock" beside the data folder, so that a restore can swap the folder whole.
QString lockFile();

// Who holds the data folder's lock, as QLockFile writes it: five lines, the
// process id, the program's name, the host name, the machine id and the boot id.
struct LockHolder {
    qint64 pid = 0;
    QString program;
    QString host;
    QByteArray machineId; // empty in a lock written before Qt 5.10
    QByteArray bootId;
    QDateTime since; // when the lock file was written
    // Another computer: its host name differs from ours, or its machine id does
    // (two installs both called "debian"; clones of one image share the id).
    bool anotherMachine() const;
    // Written by this very process on this computer.
    bool isUs() const;
};
// The holder named in a lock file; nothing when the file is missing or does
// not name one (empty, or not in that form). Reads at most a few KiB.
std::optional<LockHolder> readLockHolder(const QString& path);

// What makes a lock file hold the folder for nobody, the one judgement every
// taker (window and commands) goes by: it is empty (a run killed between
// making and writing it), it does not name a holder, or it names a process of
// this computer that is no longer running. Nothing when it may be held, is
// missing or is no regular file.
struct StaleLock {
    QString what;              // "it is empty", ...: what was found, for the user
    bool namedSomeone = false; // the ordinary remains of a run that ended here
};
std::optional<StaleLock> staleLock(const QString& path);

// One copy of the program per data folder. A lock left by a run on this
// computer that ended without releasing it is taken over; one of another
// computer is never taken without asking (takeOver()), because Qt would judge
// its process by a process id of ours.
class Lock {
public:
    enum class Result { Held, InUse, OtherMachine, Failed };
    Lock();
    // Releases the lock, unless another computer has taken it over since.
    ~Lock();
    Lock(const Lock&) = delete;
    Lock& operator=(const Lock&) = delete;

    // Creates the folders, takes the lock and, once it is held, removes what
    // interrupted saves left behind. `error` says why when it fails; holder()
    // says who holds it when it is in use (OtherMachine also when the lock file
    // does not say: then its host is empty).
    Result take();
    // Removes the lock of another computer and takes it (the user said so).
    Result takeOver();
    QString error() const { return m_error; }
    const LockHolder& holder() const { return m_holder; }
    // A stale lock this take removed (staleLock()), for telling the user.
    const std::optional<StaleLock>& takenOver() const { return m_takenOver; }
    // The sentence that tells it; empty when none was taken over.
    QString takenOverText() const;
    // The same for the named files of another folder (the credential files of
    // the working folder); nothing unless the lock is held.
    void removeSaveLeftovers(const QString& folder, const QStringList& fileNames) const;

private:
    Result tryTake();
    void removeStale();

    std::unique_ptr<QLockFile> m_file;
    QString m_error;
    LockHolder m_holder;
    std::optional<StaleLock> m_takenOver;
};

// A temporary of an interrupted save ("<name>.gbx.XXXXXX"): never a record.
bool isSaveLeftover(const QString& fileName);
// Removes the temporaries of interrupted saves ("<name>.XXXXXX") from `folder`:
// of every ".gbx" file, or of `fileNames` only when given. Only safe while the
// lock is held: another copy could be saving.
void RemoveSaveLeftovers(const QString& folder, const QStringList& fileNames = {});

} // namespace DataFolder

// Names of a vehicle's files, all joined without a separator, as stored data relies on.
namespace VehicleFiles {

constexpr int MaxVehicles = 32767;

QString listFile();                                               // "MainList.gbx"
QString vehicleFile(const QString& vehicle);                      // vehicle + ".gbx"
QString maintListFile(const QString& vehicle);                    // vehicle + "Maint.gbx"
QString partsListFile(const QString& vehicle);                    // vehicle + "Parts.gbx"
QString pictureFile(const QString& vehicle);                      // vehicle + "Pic.gbx"
QString recordFile(const QString& vehicle, const QString& entry); // vehicle + entry + ".gbx"
// Full paths inside the data folder.
QString inData(const QString& fileName);

// A record file of the data folder that is a link leading out of the folder
// (or to nothing) is never read or written through: why, or empty when it is none.
QString linkProblem(const QString& path);
// readFile and writeFileSafely for files of the data folder: a link out of the
// folder reads as unreadable and is not written.
RecordFile::ReadResult readRecord(const QString& path);
WriteResult writeRecord(const QString& path, const QByteArray& bytes);

// A record's `count` text values, as the readers without a window take them:
// empty ones for a record never saved (`missing`); nothing when the file is
// there but cannot be read or holds too few values, with the reason in `error`.
struct RecordValues {
    QString path; // in the data folder
    std::optional<QStringList> values;
    bool missing = false;
    QString error;
};
RecordValues readValues(const QString& fileName, int count);

// The names of the vehicle list file, up to the first unreadable field; a
// missing file gives none, and so does one that cannot be read, whose reason
// goes to `whyUnreadable` (left alone otherwise).
QStringList LoadVehicleList(QString* whyUnreadable = nullptr);
// Rewrites the vehicle list file; refuses more than MaxVehicles names.
WriteResult SaveVehicleList(const QStringList& names);

// A vehicle's own files: its vehicle file, its two list files, its picture file.
QStringList ownFiles(const QString& vehicle);

// A file of the new vehicle `vehicle` that would be a file already holding
// other records: the vehicle list file, an own file of a vehicle of another
// name, or a record file named in another vehicle's lists. Empty when none.
// A vehicle of the same name shares its twin's files, as it always has.
QString clashingFile(const QString& vehicle, const QStringList& vehicles);

// Deletes the vehicle's own files and the record files named in its two lists
// and among the names added to them but not yet written (`pendingEntries`,
// `pendingParts`), through the record store: never a file that another record
// claims (the vehicle list, a file of a vehicle in `otherVehicles`), and never
// a list that cannot be read. Failures are ignored.
void RemoveVehicleFiles(const QString& vehicle, const QStringList& otherVehicles,
                        const QStringList& pendingEntries = {}, const QStringList& pendingParts = {});

} // namespace VehicleFiles
