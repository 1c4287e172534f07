#include "common/FileClaims.h"

#include "common/DataFolder.h"
#include "common/RecordFile.h"

#include <QDir>
#include <QSet>

namespace {

const QString Extension = QStringLiteral(".gbx");

std::optional<QStringList> readList(const QString& file)
{
    const auto read = VehicleFiles::readRecord(VehicleFiles::inData(file));
    if (read.unreadable())
        return std::nullopt;
    return read ? RecordFile::parseListFile(*read) : QStringList();
}

// The kind of record the user re-adds under another name to separate two:
// an entry or a part when one is involved (lists and pictures have no name
// of their own), else a vehicle.
QString separableNoun(const QList<FileClaims::Claim>& claims)
{
    for (const FileClaims::Claim& c : claims) {
        if (c.kind == FileClaims::Claim::MaintEntry)
            return QStringLiteral("maintenance entry");
        if (c.kind == FileClaims::Claim::Part)
            return QStringLiteral("part");
    }
    return QStringLiteral("vehicle");
}

} // namespace

QString FileClaims::Claim::described() const
{
    switch (kind) {
    case VehicleList:
        return QStringLiteral("the vehicle list");
    case Vehicle:
        return QStringLiteral("the vehicle file of \"%1\"").arg(vehicle);
    case MaintList:
        return QStringLiteral("the maintenance list of \"%1\"").arg(vehicle);
    case PartsList:
        return QStringLiteral("the parts list of \"%1\"").arg(vehicle);
    case Picture:
        return QStringLiteral("the picture file of \"%1\"").arg(vehicle);
    case MaintEntry:
        return QStringLiteral("the maintenance entry \"%1\" of \"%2\"").arg(entry, vehicle);
    case Part:
        return QStringLiteral("the part \"%1\" of \"%2\"").arg(entry, vehicle);
    case Unknown:
        return QStringLiteral("perhaps a maintenance entry or part of \"%1\" (its list cannot be read)").arg(vehicle);
    }
    return QString();
}

FileClaims::FileClaims(QStringList vehicles) : m_vehicles(std::move(vehicles)) {}

void FileClaims::setList(const QString& listFile, std::optional<QStringList> names)
{
    m_lists[listFile] = std::move(names);
    m_index.remove(listFile);
}

void FileClaims::addToList(const QString& listFile, const QString& name)
{
    listOf(listFile);
    std::optional<QStringList>& list = m_lists[listFile];
    if (!list)
        return;
    list->append(name);
    if (const auto index = m_index.find(listFile); index != m_index.end())
        (*index)[name.toCaseFolded()].append(name);
}

const QHash<QString, QStringList>& FileClaims::indexOf(const QString& listFile) const
{
    auto it = m_index.find(listFile);
    if (it == m_index.end()) {
        QHash<QString, QStringList> index;
        if (const std::optional<QStringList>& list = listOf(listFile))
            for (const QString& name : *list)
                index[name.toCaseFolded()].append(name);
        it = m_index.insert(listFile, index);
    }
    return *it;
}

const std::optional<QStringList>& FileClaims::listOf(const QString& listFile) const
{
    auto it = m_lists.find(listFile);
    if (it == m_lists.end())
        it = m_lists.insert(listFile, readList(listFile));
    return *it;
}

QList<FileClaims::Claim> FileClaims::claimsOf(const QString& file, Qt::CaseSensitivity cs) const
{
    QList<Claim> claims;
    if (file.compare(VehicleFiles::listFile(), cs) == 0)
        claims.append({Claim::VehicleList, {}, {}});
    if (!file.endsWith(Extension, cs))
        return claims;
    const QStringView stem = QStringView(file).chopped(Extension.size());
    QSet<QString> seen; // a vehicle listed twice is one vehicle
    for (const QString& v : m_vehicles) {
        // Only a vehicle whose name begins the file name can claim it.
        if (v.isEmpty() || !stem.startsWith(v, cs) || seen.contains(v))
            continue;
        seen.insert(v);
        const QStringView rest = stem.mid(v.size());
        if (rest.isEmpty()) {
            claims.append({Claim::Vehicle, v, {}});
            continue; // no entry has an empty name
        }
        if (rest.compare(u"Maint", cs) == 0)
            claims.append({Claim::MaintList, v, {}});
        else if (rest.compare(u"Parts", cs) == 0)
            claims.append({Claim::PartsList, v, {}});
        else if (rest.compare(u"Pic", cs) == 0)
            claims.append({Claim::Picture, v, {}});
        const QString entry = rest.toString();
        for (const auto& [listFile, kind] : {std::pair{VehicleFiles::maintListFile(v), Claim::MaintEntry},
                                             std::pair{VehicleFiles::partsListFile(v), Claim::Part}}) {
            const std::optional<QStringList>& list = listOf(listFile);
            if (!list) {
                claims.append({Claim::Unknown, v, {}});
                continue;
            }
            // One pass over a list asked once; its index for a list asked again and again (an import).
            if (cs == Qt::CaseSensitive && !m_index.contains(listFile)) {
                for (qsizetype n = list->count(entry); n > 0; --n)
                    claims.append({kind, v, entry});
                continue;
            }
            for (const QString& name : indexOf(listFile).value(entry.toCaseFolded()))
                if (cs == Qt::CaseInsensitive || name == entry)
                    claims.append({kind, v, name});
        }
    }
    return claims;
}

QList<FileClaims::Claim> FileClaims::othersThan(const QString& file, const Claim& mine) const
{
    QList<Claim> others = claimsOf(file);
    others.removeOne(mine);
    others.removeIf([&mine](const Claim& c) { return c.kind == Claim::Unknown && c.vehicle == mine.vehicle; });
    // An unreadable list claims nothing twice.
    for (qsizetype i = others.size() - 1; i > 0; --i)
        if (others.at(i).kind == Claim::Unknown && others.indexOf(others.at(i)) < i)
            others.removeAt(i);
    return others;
}

QString FileClaims::sharedMessage(const QString& file, const Claim& mine, const QList<Claim>& others)
{
    QStringList named;
    for (const Claim& c : others)
        named << c.described();
    QString first = mine.described();
    first[0] = first[0].toUpper();
    return QStringLiteral("%1 and %2 share one file, \"%3\", because their names run together in the file name. "
                          "Gearbook shows the values but does not save or delete this file, so that one does not "
                          "overwrite the other.\n\nTo separate them, add a new %4 under another name, copy the values "
                          "into it and remove the old one.")
        .arg(first, named.join(QStringLiteral(" and ")), QDir::toNativeSeparators(VehicleFiles::inData(file)),
             separableNoun(QList<Claim>{mine} + others));
}
