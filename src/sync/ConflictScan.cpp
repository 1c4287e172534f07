#include "sync/ConflictScan.h"

#include "common/DataFolder.h"
#include "common/RecordCaptions.h"
#include "sync/ConflictName.h"

#include <QFile>
#include <QHash>

#include <algorithm>
#include <dirent.h>
#include <optional>
#include <sys/stat.h>

namespace SyncConflicts {

namespace {

// Copies of copies ("Car.sync-conflict-A.sync-conflict-B.gbx") are followed this far.
constexpr int MaxCopyDepth = 8;

// What the records of the data folder are, from the vehicle list and the lists
// of the vehicles concerned, each list read at most once.
class Records {
public:
    Records() : m_vehicles(VehicleFiles::LoadVehicleList()) {}

    // A vehicle's own file, the vehicle list, or a record named by a list
    // (a list that cannot be read may name anything).
    bool isRecord(const QString& file)
    {
        if (file == VehicleFiles::listFile())
            return true;
        for (const QString& vehicle : std::as_const(m_vehicles)) {
            if (!file.startsWith(vehicle))
                continue;
            if (VehicleFiles::ownFiles(vehicle).contains(file))
                return true;
            for (const QString& list : {VehicleFiles::maintListFile(vehicle), VehicleFiles::partsListFile(vehicle)}) {
                const Entries& named = entries(list);
                if (!named.readable)
                    return true;
                for (const QString& entry : named.names)
                    if (VehicleFiles::recordFile(vehicle, entry) == file)
                        return true;
            }
        }
        return false;
    }

    // Which record `file` is; nothing when it is none.
    std::optional<Conflict> classify(const QString& file)
    {
        Conflict c;
        if (file == VehicleFiles::listFile()) {
            c.kind = Kind::VehicleList;
            return c;
        }
        for (const QString& vehicle : std::as_const(m_vehicles)) {
            if (!file.startsWith(vehicle))
                continue;
            c.vehicle = vehicle;
            if (file == VehicleFiles::vehicleFile(vehicle))
                c.kind = Kind::Vehicle;
            else if (file == VehicleFiles::maintListFile(vehicle))
                c.kind = Kind::MaintList;
            else if (file == VehicleFiles::partsListFile(vehicle))
                c.kind = Kind::PartsList;
            else if (file == VehicleFiles::pictureFile(vehicle))
                c.kind = Kind::Picture;
            else
                continue;
            return c;
        }
        for (const QString& vehicle : std::as_const(m_vehicles)) {
            if (!file.startsWith(vehicle))
                continue;
            c.vehicle = vehicle;
            for (const QString& entry : entries(VehicleFiles::maintListFile(vehicle)).names)
                if (VehicleFiles::recordFile(vehicle, entry) == file) {
                    c.kind = Kind::MaintRecord;
                    c.entry = entry;
                    return c;
                }
            for (const QString& entry : entries(VehicleFiles::partsListFile(vehicle)).names)
                if (VehicleFiles::recordFile(vehicle, entry) == file) {
                    c.kind = Kind::PartRecord;
                    c.entry = entry;
                    return c;
                }
        }
        return std::nullopt;
    }

private:
    struct Entries {
        bool readable = true;
        QStringList names;
    };
    const Entries& entries(const QString& list)
    {
        auto it = m_lists.find(list);
        if (it == m_lists.end()) {
            const auto read = VehicleFiles::readRecord(VehicleFiles::inData(list));
            Entries e;
            e.readable = !read.unreadable();
            if (read)
                e.names = RecordFile::parseListFile(*read);
            it = m_lists.insert(list, e);
        }
        return *it;
    }

    QStringList m_vehicles;
    QHash<QString, Entries> m_lists;
};

// The names of the data folder that may be conflict copies, decoded; only
// those are, so a large folder costs one pass over its names.
QStringList candidates()
{
    QStringList names;
    DIR* dir = ::opendir(QFile::encodeName(DataFolder::path()).constData());
    if (!dir)
        return names;
    while (const dirent* e = ::readdir(dir))
        if (ConflictName::mayBe(e->d_name))
            names << QFile::decodeName(e->d_name);
    ::closedir(dir);
    std::sort(names.begin(), names.end());
    return names;
}

Version versionOf(const QString& file)
{
    const QString path = VehicleFiles::inData(file);
    QDateTime modified;
    struct stat st;
    if (::stat(QFile::encodeName(path).constData(), &st) == 0)
        modified = QDateTime::fromMSecsSinceEpoch(qint64(st.st_mtim.tv_sec) * 1000 + st.st_mtim.tv_nsec / 1000000);
    return {file, modified, VehicleFiles::readRecord(path)};
}

int fieldCount(Kind kind)
{
    switch (kind) {
    case Kind::Vehicle:
        return int(RecordCaptions::vehicle().size());
    case Kind::MaintRecord:
        return int(RecordCaptions::maintenance().size());
    case Kind::PartRecord:
        return int(RecordCaptions::parts().size());
    case Kind::Picture:
        return 1;
    default:
        return 0; // lists: any number of names
    }
}

QStringList captionsOf(Kind kind)
{
    switch (kind) {
    case Kind::Vehicle:
        return RecordCaptions::vehicle();
    case Kind::MaintRecord:
        return RecordCaptions::maintenance();
    case Kind::PartRecord:
        return RecordCaptions::parts();
    case Kind::Picture:
        return {QStringLiteral("Picture")};
    default:
        return {};
    }
}

// The values of a record version, as far as they can be read.
QStringList valuesOf(Kind kind, const Version& version)
{
    if (!version.read)
        return {};
    if (kind == Kind::Picture)
        return {RecordFile::parsePlainLine(*version.read)};
    QStringList values;
    RecordFile::Reader reader(*version.read);
    for (int i = 0; i < fieldCount(kind); ++i) {
        auto value = reader.text();
        if (!value)
            break;
        values << *value;
    }
    return values;
}

} // namespace

QString Conflict::title() const
{
    switch (kind) {
    case Kind::VehicleList:
        return QStringLiteral("The vehicle list");
    case Kind::MaintList:
        return QStringLiteral("The maintenance list of \"%1\"").arg(vehicle);
    case Kind::PartsList:
        return QStringLiteral("The parts list of \"%1\"").arg(vehicle);
    case Kind::Vehicle:
        return QStringLiteral("The vehicle \"%1\"").arg(vehicle);
    case Kind::Picture:
        return QStringLiteral("The picture of \"%1\"").arg(vehicle);
    case Kind::MaintRecord:
        return QStringLiteral("The maintenance \"%1\" of \"%2\"").arg(entry, vehicle);
    case Kind::PartRecord:
        return QStringLiteral("The part \"%1\" of \"%2\"").arg(entry, vehicle);
    }
    return QString();
}

QList<Conflict> scan(const std::function<bool()>& stop)
{
    QList<Conflict> found;
    const QStringList names = candidates();
    if (names.isEmpty())
        return found; // the common case: no list is read
    Records records;
    for (const QString& name : names) {
        if (stop && stop())
            break;
        auto match = ConflictName::parse(name);
        if (!match || records.isRecord(name))
            continue;
        std::optional<Conflict> conflict = records.classify(match->record);
        for (int depth = 1; !conflict && depth < MaxCopyDepth; ++depth) {
            match = ConflictName::parse(match->record);
            if (!match)
                break;
            conflict = records.classify(match->record);
        }
        if (!conflict)
            continue; // a copy of nothing Gearbook keeps
        conflict->tool = match->tool;
        conflict->record = versionOf(match->record);
        conflict->copy = versionOf(name);
        found << std::move(*conflict);
    }
    std::stable_sort(found.begin(), found.end(), [](const Conflict& a, const Conflict& b) {
        const auto key = [](const Conflict& c) {
            return std::make_tuple(c.kind != Kind::VehicleList, c.vehicle, int(c.kind), c.entry);
        };
        return key(a) < key(b);
    });
    return found;
}

QList<Row> compare(const Conflict& conflict)
{
    QList<Row> rows;
    if (conflict.isList()) {
        // Side by side by name: each name of one list meets the same name of the other, once.
        const QStringList ours =
            conflict.record.read ? RecordFile::parseListFile(*conflict.record.read) : QStringList();
        const QStringList theirs = conflict.copy.read ? RecordFile::parseListFile(*conflict.copy.read) : QStringList();
        QHash<QString, QList<qsizetype>> unmatched; // where each name stands in theirs, first first
        for (qsizetype i = 0; i < theirs.size(); ++i)
            unmatched[theirs[i]].append(i);
        QList<bool> matched(theirs.size(), false);
        for (const QString& name : ours) {
            const auto it = unmatched.find(name);
            const bool both = it != unmatched.end() && !it->isEmpty();
            if (both)
                matched[it->takeFirst()] = true;
            rows.append({QString(), name, both ? name : QString(), !both});
        }
        for (qsizetype i = 0; i < theirs.size(); ++i)
            if (!matched[i])
                rows.append({QString(), QString(), theirs[i], true});
        return rows;
    }
    const QStringList captions = captionsOf(conflict.kind);
    const QStringList ours = valuesOf(conflict.kind, conflict.record);
    const QStringList theirs = valuesOf(conflict.kind, conflict.copy);
    for (qsizetype i = 0; i < captions.size(); ++i) {
        const QString a = ours.value(i);
        const QString b = theirs.value(i);
        const bool differs = a != b || (i < ours.size()) != (i < theirs.size());
        rows.append({captions[i], a, b, differs});
    }
    return rows;
}

QString problem(const Conflict& conflict, const Version& version)
{
    if (version.read.missing())
        return QStringLiteral("There is no such file.");
    if (version.read.unreadable())
        return version.read.error;
    if (!conflict.isList() && valuesOf(conflict.kind, version).size() < fieldCount(conflict.kind))
        return QStringLiteral("It holds fewer values than it should.");
    return QString();
}

} // namespace SyncConflicts
