#include "DueScan.h"

#include "DataFolder.h"
#include "DueReading.h"
#include "RecordFile.h"

#include <QSet>

#include <algorithm>

namespace DueScan {

namespace {

constexpr int VehicleFields = 17;
constexpr int MileageWhenBought = 6; // index in the vehicle file
constexpr int MaintFields = 6;
enum MaintField { LastDate, NextDate, LastMileage, NextMileage };

// A file's bytes through the one reader of record files: nothing with an
// empty `problem` when it is missing, nothing with the reason when it is there
// but cannot be read (a FIFO or a folder is never opened, a link out of the
// data folder never followed).
size_t digest(const RecordFile::ReadResult& read)
{
    return read ? qHash(read.bytes, 1) | 1 : 0;
}

// The same, noting the file's digest in `files`.
std::optional<QByteArray> readData(const QString& folder, const QString& name, QString* problem,
                                   QHash<QString, size_t>* files)
{
    auto read = VehicleFiles::readRecord(folder + name);
    files->insert(name, digest(read));
    if (read.unreadable())
        *problem = read.error;
    if (!read)
        return std::nullopt;
    return std::move(read.bytes);
}

const QString TooFewValues = QStringLiteral("It holds too few values.");

} // namespace

bool changedSince(const Result& result, const QString& fileName)
{
    const auto seen = result.files.constFind(fileName);
    return seen != result.files.constEnd() && digest(VehicleFiles::readRecord(DataFolder::path() + fileName)) != *seen;
}

Result scan(const QLocale& locale, QDate today, const std::function<bool()>& stop)
{
    Result result;
    const QString folder = DataFolder::path();
    const auto unreadable = [&](const QString& vehicle, const QString& entry, const QString& file,
                                const QString& reason) {
        result.unreadable.append({vehicle, entry, file, reason});
    };

    QString problem;
    const QString listName = VehicleFiles::listFile();
    const auto list = readData(folder, listName, &problem, &result.files);
    if (!problem.isEmpty())
        unreadable({}, {}, listName, problem);
    if (!list)
        return result;

    QSet<QString> seen;
    for (const QString& vehicle : RecordFile::parseListFile(*list)) {
        if (stop && stop())
            break;
        if (seen.contains(vehicle))
            continue; // a twin of the same name shares the same files
        seen.insert(vehicle);

        std::optional<qint64> highest;
        const auto raise = [&highest](const QString& text) {
            if (const auto miles = DueReading::readMileage(text); miles && (!highest || *miles > *highest))
                highest = miles;
        };

        problem.clear();
        const QString vehicleName = VehicleFiles::vehicleFile(vehicle);
        if (const auto bytes = readData(folder, vehicleName, &problem, &result.files)) {
            if (const auto values = RecordFile::parseTextRecord(*bytes, VehicleFields))
                raise(values->at(MileageWhenBought));
            else
                problem = TooFewValues;
        }
        if (!problem.isEmpty())
            unreadable(vehicle, {}, vehicleName, problem);

        problem.clear();
        const QString maintName = VehicleFiles::maintListFile(vehicle);
        const auto maintList = readData(folder, maintName, &problem, &result.files);
        if (!problem.isEmpty())
            unreadable(vehicle, {}, maintName, problem);
        if (!maintList)
            continue;

        const qsizetype first = result.planned.size();
        for (const QString& entry : RecordFile::parseListFile(*maintList)) {
            problem.clear();
            const QString recordName = VehicleFiles::recordFile(vehicle, entry);
            const auto bytes = readData(folder, recordName, &problem, &result.files);
            if (!bytes) {
                if (!problem.isEmpty())
                    unreadable(vehicle, entry, recordName, problem);
                continue; // never saved: nothing planned
            }
            const auto values = RecordFile::parseTextRecord(*bytes, MaintFields);
            if (!values) {
                unreadable(vehicle, entry, recordName, TooFewValues);
                continue;
            }
            raise(values->at(LastMileage));
            const QString& nextDate = values->at(NextDate);
            const QString& nextMileage = values->at(NextMileage);
            if (nextDate.trimmed().isEmpty() && nextMileage.trimmed().isEmpty())
                continue;
            result.planned.append({vehicle, entry, nextDate, nextMileage, values->at(LastMileage),
                                   DueReading::readDate(nextDate, locale, today), DueReading::readMileage(nextMileage),
                                   std::nullopt});
        }
        for (qsizetype i = first; i < result.planned.size(); ++i)
            result.planned[i].vehicleHighest = highest;
    }
    return result;
}

QList<Row> rows(const Result& result, QDate today, int spanDays)
{
    QList<Row> due;
    QList<Row> notUnderstood;
    const QDate limit = today.addDays(spanDays);
    for (const Planned& p : result.planned) {
        const bool byDate = p.date && *p.date <= limit;
        const bool byMileage = p.mileage && p.vehicleHighest && *p.mileage <= *p.vehicleHighest;
        const bool dateUnread = !p.date && !p.nextDate.trimmed().isEmpty();
        if (!byDate && !byMileage && !dateUnread)
            continue;
        Row row{byDate || byMileage ? Row::Due : Row::DateNotUnderstood,
                p.vehicle,
                p.entry,
                p.nextDate,
                p.nextMileage,
                p.lastMileage,
                p.date,
                byMileage,
                {},
                {}};
        (row.kind == Row::Due ? due : notUnderstood).append(row);
    }
    // An entry without a date sorts first: nothing says it can wait.
    std::stable_sort(due.begin(), due.end(),
                     [](const Row& a, const Row& b) { return a.date.value_or(QDate()) < b.date.value_or(QDate()); });

    QList<Row> all = due + notUnderstood;
    for (const Unreadable& u : result.unreadable) {
        Row row;
        row.kind = Row::FileUnreadable;
        row.vehicle = u.vehicle;
        row.entry = u.entry;
        row.file = u.file;
        row.reason = u.reason;
        all.append(row);
    }
    return all;
}

bool anythingDue(const QList<Row>& rows)
{
    return std::any_of(rows.cbegin(), rows.cend(), [](const Row& r) { return r.kind == Row::Due; });
}

} // namespace DueScan
