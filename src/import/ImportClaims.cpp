#include "ImportClaims.h"

#include "DataFolder.h"
#include "Win1252.h"

#include <QFile>

namespace {

constexpr int MaxFileNameBytes = 255;

QString quoted(const QString& name)
{
    return QStringLiteral("\u201C%1\u201D").arg(name);
}

} // namespace

ImportClaims::ImportClaims(const QStringList& vehicles)
{
    m_claims.insert(VehicleFiles::listFile(), QStringLiteral("the vehicle list"));
    for (const QString& vehicle : vehicles) {
        claimVehicle(vehicle);
        const QString lists[] = {VehicleFiles::maintListFile(vehicle), VehicleFiles::partsListFile(vehicle)};
        for (int i = 0; i < 2; ++i) {
            const RecordFile::ReadResult read = VehicleFiles::readRecord(VehicleFiles::inData(lists[i]));
            if (read.unreadable()) {
                m_unreadableLists << vehicle;
                continue;
            }
            const QStringList names = RecordFile::parseListFile(read.bytes);
            m_lists.insert(lists[i], names);
            for (const QString& entry : names)
                m_claims.insert(
                    VehicleFiles::recordFile(vehicle, entry),
                    (i == 0 ? QStringLiteral("the maintenance entry %1 of %2") : QStringLiteral("the part %1 of %2"))
                        .arg(quoted(entry), quoted(vehicle)));
        }
    }
}

QString ImportClaims::claimant(const QString& file) const
{
    if (const auto found = m_claims.constFind(file); found != m_claims.cend())
        return *found;
    for (const QString& vehicle : m_unreadableLists)
        if (file.startsWith(vehicle))
            return QStringLiteral("a record of %1, whose list cannot be read").arg(quoted(vehicle));
    return QString();
}

void ImportClaims::claim(const QString& file, const QString& who)
{
    m_claims.insert(file, who);
}

void ImportClaims::claimVehicle(const QString& vehicle)
{
    const QString v = quoted(vehicle);
    m_claims.insert(VehicleFiles::vehicleFile(vehicle), QStringLiteral("the vehicle file of %1").arg(v));
    m_claims.insert(VehicleFiles::maintListFile(vehicle), QStringLiteral("the maintenance list of %1").arg(v));
    m_claims.insert(VehicleFiles::partsListFile(vehicle), QStringLiteral("the parts list of %1").arg(v));
    m_claims.insert(VehicleFiles::pictureFile(vehicle), QStringLiteral("the picture file of %1").arg(v));
}

std::optional<QStringList> ImportClaims::list(const QString& listFile)
{
    if (const auto found = m_lists.constFind(listFile); found != m_lists.cend())
        return *found;
    const RecordFile::ReadResult read = VehicleFiles::readRecord(VehicleFiles::inData(listFile));
    if (read.unreadable())
        return std::nullopt;
    return *m_lists.insert(listFile, RecordFile::parseListFile(read.bytes));
}

std::optional<QString> ImportClaims::nameProblem(const QString& name, const QString& fileName)
{
    static const QString forbidden = QStringLiteral("\\/:*?\"<>|");
    for (const QChar c : name) {
        if (forbidden.contains(c))
            return QStringLiteral("the name holds %1, which no file name can hold").arg(quoted(c));
        if (c.category() == QChar::Other_Control)
            return QStringLiteral("the name holds a control character (a tab or a line break)");
        if (!Win1252::canEncode(c))
            return QStringLiteral("the name holds %1, which Gearbook's files cannot store").arg(quoted(c));
    }
    if (QFile::encodeName(fileName).size() > MaxFileNameBytes)
        return QStringLiteral("the name is too long for a file name");
    return std::nullopt;
}
