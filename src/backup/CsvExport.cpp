#include "backup/CsvExport.h"

#include "backup/Archive.h"
#include "common/DataFolder.h"
#include "common/RecordCaptions.h"
#include "common/RecordFile.h"
#include "common/RecordLayout.h"
#include "common/SafeFile.h"

#include <QDir>

#include <optional>
#include <variant>

namespace CsvExport {

namespace {

constexpr QByteArrayView ByteOrderMark = "\xEF\xBB\xBF";

class Table {
public:
    explicit Table(const QStringList& header) : m_bytes(ByteOrderMark.toByteArray() + row(header)) {}
    void add(const QStringList& fields)
    {
        m_bytes += row(fields);
        ++m_rows;
    }
    const QByteArray& bytes() const { return m_bytes; }
    int rows() const { return m_rows; }

private:
    QByteArray m_bytes;
    int m_rows = 0;
};

QString unreadable(const QString& path, const QString& why)
{
    return QStringLiteral("The record file \"%1\" cannot be read: %2").arg(QDir::toNativeSeparators(path), why);
}

// A record's `count` values: empty ones for a record never saved; the reason when it cannot be read.
std::variant<QStringList, QString> valuesOf(const QString& file, int count)
{
    VehicleFiles::RecordValues record = VehicleFiles::readValues(file, count);
    if (!record.values)
        return unreadable(record.path, record.error + QLatin1Char('.'));
    return std::move(*record.values);
}

// Adds a row per entry of one of a vehicle's lists; the reason when a file cannot be read.
std::optional<QString> addEntries(const QString& vehicle, const QString& listFile, int fieldCount, Table* table)
{
    const QString path = VehicleFiles::inData(listFile);
    const RecordFile::ReadResult list = VehicleFiles::readRecord(path);
    if (list.unreadable())
        return unreadable(path, list.error);
    for (const QString& entry : RecordFile::parseListFile(list.bytes)) {
        auto values = valuesOf(VehicleFiles::recordFile(vehicle, entry), fieldCount);
        if (const auto* why = std::get_if<QString>(&values))
            return *why;
        table->add(QStringList{vehicle, entry} + std::get<QStringList>(values));
    }
    return std::nullopt;
}

} // namespace

namespace {

// Begins with "'"s (any number, none too) and then a character that starts a formula.
bool wouldNeedGuard(QStringView value)
{
    qsizetype i = 0;
    while (i < value.size() && value[i] == u'\'')
        ++i;
    return i < value.size() && QStringView(u"=+-@\t\r").contains(value[i]);
}

} // namespace

QString guarded(const QString& value)
{
    return wouldNeedGuard(value) ? QLatin1Char('\'') + value : value;
}

QString unguarded(QStringView value)
{
    return (value.startsWith(u'\'') && wouldNeedGuard(value.sliced(1)) ? value.sliced(1) : value).toString();
}

QByteArray row(const QStringList& fields)
{
    QByteArray line;
    for (qsizetype i = 0; i < fields.size(); ++i) {
        if (i > 0)
            line += ',';
        const QByteArray value = guarded(fields[i]).toUtf8();
        const bool quote = value.contains(',') || value.contains('"') || value.contains('\r') || value.contains('\n') ||
                           value.startsWith(' ') || value.endsWith(' ');
        if (quote)
            line += '"' + QByteArray(value).replace('"', "\"\"") + '"';
        else
            line += value;
    }
    return line + "\r\n";
}

const QStringList& fileNames()
{
    static const QStringList names = {QStringLiteral("vehicles.csv"), QStringLiteral("maintenance.csv"),
                                      QStringLiteral("parts.csv")};
    return names;
}

Outcome exportTo(const QString& targetFolder)
{
    Outcome result;
    if (Backup::isDataFolder(targetFolder, DataFolder::path())) {
        result.error =
            QStringLiteral("The export cannot be written into the data folder. Please choose another folder.");
        return result;
    }
    QString whyUnreadable;
    const QStringList vehicles = VehicleFiles::LoadVehicleList(&whyUnreadable);
    if (!whyUnreadable.isEmpty()) {
        result.error = unreadable(VehicleFiles::inData(VehicleFiles::listFile()), whyUnreadable);
        return result;
    }

    Table vehicleTable(QStringList{QStringLiteral("Vehicle")} + RecordCaptions::vehicle());
    Table maintTable(QStringList{QStringLiteral("Vehicle"), QStringLiteral("Maintenance")} +
                     RecordCaptions::maintenance());
    Table partTable(QStringList{QStringLiteral("Vehicle"), QStringLiteral("Part")} + RecordCaptions::parts());
    for (const QString& vehicle : vehicles) {
        auto values = valuesOf(VehicleFiles::vehicleFile(vehicle), RecordLayout::count(RecordLayout::Kind::Vehicle));
        if (const auto* why = std::get_if<QString>(&values)) {
            result.error = *why;
            return result;
        }
        vehicleTable.add(QStringList{vehicle} + std::get<QStringList>(values));
        auto why = addEntries(vehicle, VehicleFiles::maintListFile(vehicle),
                              RecordLayout::count(RecordLayout::Kind::Maintenance), &maintTable);
        if (!why)
            why = addEntries(vehicle, VehicleFiles::partsListFile(vehicle),
                             RecordLayout::count(RecordLayout::Kind::Part), &partTable);
        if (why) {
            result.error = *why;
            return result;
        }
    }

    const Table* tables[] = {&vehicleTable, &maintTable, &partTable};
    for (int i = 0; i < 3; ++i) {
        const QString path = QDir(targetFolder).filePath(fileNames()[i]);
        const WriteResult written = writeFileSafely(path, tables[i]->bytes(), PrivateFile);
        if (!written) {
            result.error =
                QStringLiteral("\"%1\" could not be saved: %2").arg(QDir::toNativeSeparators(path), written.error);
            return result;
        }
        if (RecordFile::readFile(path).bytes != tables[i]->bytes()) {
            result.error =
                QStringLiteral("\"%1\" did not read back as it was written.").arg(QDir::toNativeSeparators(path));
            return result;
        }
    }
    result.ok = true;
    result.vehicles = vehicleTable.rows();
    result.entries = maintTable.rows();
    result.parts = partTable.rows();
    return result;
}

} // namespace CsvExport
