#include "common/RecordStore.h"

#include "common/DataFolder.h"
#include "common/SafeFileBatch.h"

#include <QFile>
#include <QFileInfo>

namespace {

const QString True = QStringLiteral("True");
const QString False = QStringLiteral("False");

RecordStore::Outcome outcome(RecordStore::Outcome::Status status, const QString& path, const QString& message = {})
{
    return {status, path, message, {}};
}

} // namespace

RecordStore::RecordStore(std::function<FileClaims()> claims) : m_source(std::move(claims)) {}

RecordStore::RecordStore(FileClaims claims) : m_claims(std::move(claims)) {}

QString RecordStore::fileOf(const Claim& claim)
{
    switch (claim.kind) {
    case Claim::VehicleList:
        return VehicleFiles::listFile();
    case Claim::Vehicle:
        return VehicleFiles::vehicleFile(claim.vehicle);
    case Claim::MaintList:
        return VehicleFiles::maintListFile(claim.vehicle);
    case Claim::PartsList:
        return VehicleFiles::partsListFile(claim.vehicle);
    case Claim::Picture:
        return VehicleFiles::pictureFile(claim.vehicle);
    case Claim::MaintEntry:
    case Claim::Part:
        return VehicleFiles::recordFile(claim.vehicle, claim.entry);
    case Claim::Unknown:
        break;
    }
    return QString();
}

std::optional<RecordLayout::Kind> RecordStore::recordKind(Claim::Kind kind)
{
    switch (kind) {
    case Claim::Vehicle:
        return Kind::Vehicle;
    case Claim::MaintEntry:
        return Kind::Maintenance;
    case Claim::Part:
        return Kind::Part;
    default:
        return std::nullopt;
    }
}

QString RecordStore::stored(const QString& value)
{
    if (!value.contains(QLatin1Char('"')) && !value.contains(QLatin1Char('\r')) && !value.contains(QLatin1Char('\n')))
        return value; // the usual value, unchanged and unshared
    QString out;
    out.reserve(value.size() + 8);
    for (qsizetype i = 0; i < value.size(); ++i) {
        const QChar c = value.at(i);
        if (c == QLatin1Char('"')) {
            out += QChar(0x201D); // a straight quote would end the stored text
        } else if (c == QLatin1Char('\r') || c == QLatin1Char('\n')) {
            out += QLatin1String("\r\n");
            if (c == QLatin1Char('\r') && i + 1 < value.size() && value.at(i + 1) == QLatin1Char('\n'))
                ++i;
        } else {
            out += c;
        }
    }
    return out;
}

QStringList RecordStore::storedValues(Kind kind, QStringList values)
{
    for (qsizetype i = 0; i < values.size(); ++i) {
        if (RecordLayout::isTruth(kind, int(i)))
            values[i] = RecordFile::truthOf(values.at(i)).value_or(false) ? True : False;
        else
            values[i] = stored(values.at(i));
    }
    return values;
}

std::optional<QStringList> RecordStore::parse(Kind kind, const QByteArray& bytes)
{
    RecordFile::Reader reader(bytes);
    const int count = RecordLayout::count(kind);
    QStringList values;
    values.reserve(count);
    for (int i = 0; i < count; ++i) {
        auto value = reader.text();
        if (!value)
            return std::nullopt;
        if (RecordLayout::isTruth(kind, i)) {
            const auto truth = RecordFile::truthOf(*value);
            if (!truth)
                return std::nullopt;
            values << (*truth ? True : False);
        } else {
            values << std::move(*value);
        }
    }
    return values;
}

RecordFile::ReadResult RecordStore::read(const QString& file)
{
    return VehicleFiles::readRecord(VehicleFiles::inData(file));
}

const FileClaims& RecordStore::claims() const
{
    if (!m_claims)
        m_claims.emplace(m_source ? m_source() : FileClaims(VehicleFiles::LoadVehicleList()));
    return *m_claims;
}

QList<RecordStore::Claim> RecordStore::othersThan(const Claim& mine) const
{
    return claims().othersThan(fileOf(mine), mine);
}

QString RecordStore::refusal(const Claim& mine) const
{
    const QList<Claim> others = othersThan(mine);
    return others.isEmpty() ? QString() : FileClaims::sharedMessage(fileOf(mine), mine, others);
}

std::optional<RecordStore::Outcome> RecordStore::refuse(const Claim& mine, const QString& path) const
{
    if (const QString why = refusal(mine); !why.isEmpty())
        return outcome(Outcome::Status::Refused, path, why);
    return std::nullopt;
}

RecordStore::Outcome RecordStore::change(const Claim& mine, const QByteArray& bytes,
                                         const RecordFile::ReadResult* onDisk,
                                         const std::function<bool(const QByteArray&)>& sameValues)
{
    const QString path = VehicleFiles::inData(fileOf(mine));
    const RecordFile::ReadResult read = onDisk ? *onDisk : RecordStore::read(fileOf(mine));
    if (read.unreadable()) // never written over: it is set aside first, or left alone
        return outcome(Outcome::Status::Failed, path, read.error);
    // Unchanged means unwritten, and asks no one.
    if (read && (read.bytes == bytes || (sameValues && sameValues(read.bytes))))
        return outcome(Outcome::Status::Unchanged, path);
    if (auto refused = refuse(mine, path))
        return *refused;
    const WriteResult written = VehicleFiles::writeRecord(path, bytes);
    return outcome(written ? Outcome::Status::Written : Outcome::Status::Failed, path, written.error);
}

std::optional<QByteArray> RecordStore::recordBytes(Kind kind, const QStringList& values)
{
    const int count = RecordLayout::count(kind);
    if (values.size() != count)
        return std::nullopt;
    const QStringList kept = storedValues(kind, values);
    RecordFile::Writer writer;
    for (int i = 0; i < count; ++i) {
        if (RecordLayout::isTruth(kind, i))
            writer.truth(kept.at(i) == True);
        else
            writer.text(kept.at(i));
    }
    writer.endRecord();
    return writer.bytes();
}

QByteArray RecordStore::listBytes(const QStringList& names)
{
    return RecordFile::listFile(names);
}

RecordStore::Outcome RecordStore::restoreFile(const QString& file, const std::optional<QByteArray>& bytes)
{
    const QString path = VehicleFiles::inData(file);
    if (bytes) {
        const WriteResult written = VehicleFiles::writeRecord(path, *bytes);
        return outcome(written ? Outcome::Status::Written : Outcome::Status::Failed, path, written.error);
    }
    QFile existing(path);
    if (!existing.exists() && !QFileInfo(path).isSymLink())
        return outcome(Outcome::Status::Unchanged, path);
    if (!existing.remove())
        return outcome(Outcome::Status::Failed, path, existing.errorString());
    return outcome(Outcome::Status::Written, path);
}

RecordStore::Outcome RecordStore::writeRecord(const Claim& mine, const QStringList& values,
                                              const RecordFile::ReadResult* onDisk)
{
    const auto kind = recordKind(mine.kind);
    const QString path = VehicleFiles::inData(fileOf(mine));
    if (!kind)
        return outcome(Outcome::Status::Failed, path, QStringLiteral("It is not a record file."));
    const int count = RecordLayout::count(*kind);
    if (values.size() != count)
        return outcome(Outcome::Status::Failed, path,
                       QStringLiteral("%1 values were given for a record of %2.").arg(values.size()).arg(count));
    const QStringList kept = storedValues(*kind, values);
    return change(mine, *recordBytes(*kind, values), onDisk, [&](const QByteArray& disk) {
        const auto values = parse(*kind, disk);
        return values && storedValues(*kind, *values) == kept;
    });
}

RecordStore::Outcome RecordStore::writeList(const Claim& mine, const QStringList& names,
                                            const RecordFile::ReadResult* onDisk)
{
    const QString path = VehicleFiles::inData(fileOf(mine));
    if (mine.kind != Claim::VehicleList && mine.kind != Claim::MaintList && mine.kind != Claim::PartsList)
        return outcome(Outcome::Status::Failed, path, QStringLiteral("It is not a list file."));
    if (mine.kind == Claim::VehicleList && names.size() > VehicleFiles::MaxVehicles)
        return outcome(Outcome::Status::Failed, path,
                       QStringLiteral("The list holds more than %1 vehicles.").arg(VehicleFiles::MaxVehicles));
    return change(mine, listBytes(names), onDisk, {});
}

QList<RecordStore::Outcome> RecordStore::writeAll(const QList<Change>& changes,
                                                  const std::function<void(qsizetype)>& afterEach)
{
    QList<Outcome> outcomes;
    outcomes.reserve(changes.size());
    QList<std::pair<QString, QByteArray>> files;
    QList<qsizetype> written; // the outcome of each file to write
    // Every rule of writeRecord and writeList, for each, before anything is written.
    for (const Change& c : changes) {
        const QString path = VehicleFiles::inData(fileOf(c.claim));
        const auto kind = recordKind(c.claim.kind);
        std::optional<QByteArray> bytes;
        if (kind) {
            bytes = recordBytes(*kind, c.values);
            if (!bytes) {
                outcomes << outcome(Outcome::Status::Failed, path,
                                    QStringLiteral("%1 values were given for a record of %2.")
                                        .arg(c.values.size())
                                        .arg(RecordLayout::count(*kind)));
                return outcomes;
            }
        } else if (c.claim.kind == Claim::VehicleList || c.claim.kind == Claim::MaintList ||
                   c.claim.kind == Claim::PartsList) {
            if (c.claim.kind == Claim::VehicleList && c.values.size() > VehicleFiles::MaxVehicles) {
                outcomes << outcome(
                    Outcome::Status::Failed, path,
                    QStringLiteral("The list holds more than %1 vehicles.").arg(VehicleFiles::MaxVehicles));
                return outcomes;
            }
            bytes = listBytes(c.values);
        } else {
            outcomes << outcome(Outcome::Status::Failed, path, QStringLiteral("It is not a record or list file."));
            return outcomes;
        }
        const RecordFile::ReadResult disk = read(fileOf(c.claim));
        if (disk.unreadable()) {
            outcomes << outcome(Outcome::Status::Failed, path, disk.error);
            return outcomes;
        }
        if (disk && (disk.bytes == *bytes || (kind && [&] {
                         const auto values = parse(*kind, disk.bytes);
                         return values && storedValues(*kind, *values) == storedValues(*kind, c.values);
                     }()))) {
            outcomes << outcome(Outcome::Status::Unchanged, path);
            continue;
        }
        if (auto refused = refuse(c.claim, path)) {
            outcomes << *refused;
            return outcomes;
        }
        if (const QString problem = VehicleFiles::linkProblem(path); !problem.isEmpty()) {
            outcomes << outcome(Outcome::Status::Failed, path, problem);
            return outcomes;
        }
        written << outcomes.size();
        outcomes << outcome(Outcome::Status::Written, path);
        files.emplace_back(path, std::move(*bytes));
    }
    if (files.isEmpty())
        return outcomes;
    qsizetype renamed = 0;
    qsizetype failedAt = 0;
    const WriteResult result = writeFilesSafely(files, afterEach, &renamed, &failedAt);
    if (!result) {
        // Those renamed are written; the one that failed says why; those between were
        // left as they are on the disk, and nothing after it was written.
        for (qsizetype i = renamed; i < failedAt; ++i)
            outcomes[written.at(i)].status = Outcome::Status::Unchanged;
        const qsizetype failed = written.at(failedAt);
        outcomes[failed] = outcome(Outcome::Status::Failed, outcomes.at(failed).path, result.error);
        outcomes.resize(failed + 1);
    }
    return outcomes;
}

RecordStore::Outcome RecordStore::writePicture(const Claim& mine, const QString& picture)
{
    if (mine.kind != Claim::Picture)
        return outcome(Outcome::Status::Failed, VehicleFiles::inData(fileOf(mine)),
                       QStringLiteral("It is not a picture file."));
    return change(mine, RecordFile::plainLine(picture), nullptr, {});
}

RecordStore::Outcome RecordStore::putBack(const Claim& mine, const QByteArray& bytes)
{
    return change(mine, bytes, nullptr, {});
}

RecordStore::Outcome RecordStore::setAside(const Claim& mine)
{
    const QString path = VehicleFiles::inData(fileOf(mine));
    if (auto refused = refuse(mine, path))
        return *refused;
    const auto target = ::setAside(path);
    Outcome out = outcome(target ? Outcome::Status::Written : Outcome::Status::Failed, path);
    out.setAsideTo = target.value_or(QString());
    return out;
}

RecordStore::Outcome RecordStore::remove(const Claim& mine)
{
    const QString path = VehicleFiles::inData(fileOf(mine));
    QFile file(path);
    if (!file.exists() && !QFileInfo(path).isSymLink())
        return outcome(Outcome::Status::Unchanged, path);
    if (auto refused = refuse(mine, path))
        return *refused;
    if (!file.remove())
        return outcome(Outcome::Status::Failed, path, file.errorString());
    return outcome(Outcome::Status::Written, path);
}

void VehicleFiles::RemoveVehicleFiles(const QString& vehicle, const QStringList& otherVehicles,
                                      const QStringList& pendingEntries, const QStringList& pendingParts)
{
    using Claim = FileClaims::Claim;
    // Once removed the vehicle claims nothing: only the others' claims keep a file.
    QStringList others = otherVehicles;
    others.removeAll(vehicle); // a twin of the same name goes with it
    RecordStore store{FileClaims(others)};
    QList<Claim> doomed;
    for (const auto& [list, kind, pending] : {std::tuple{maintListFile(vehicle), Claim::MaintEntry, &pendingEntries},
                                              std::tuple{partsListFile(vehicle), Claim::Part, &pendingParts}}) {
        const auto read = RecordStore::read(list);
        if (read.unreadable())
            continue; // it may name records of its own: they stay with it, and so does the list
        QStringList names = read ? RecordFile::parseListFile(*read) : QStringList();
        for (const QString& name : *pending)
            if (!names.contains(name))
                names << name;
        for (const QString& entry : std::as_const(names))
            doomed.append({kind, vehicle, entry});
        doomed.append({kind == Claim::MaintEntry ? Claim::MaintList : Claim::PartsList, vehicle, {}});
    }
    doomed.append({Claim::Vehicle, vehicle, {}});
    doomed.append({Claim::Picture, vehicle, {}});
    for (const Claim& claim : std::as_const(doomed))
        store.remove(claim);
}
