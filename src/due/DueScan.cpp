#include "due/DueScan.h"

#include "common/DataFolder.h"
#include "common/RecordFile.h"
#include "common/RecordLayout.h"
#include "due/DueReading.h"

#include <QSet>

#include <algorithm>
#include <cmath>

namespace DueScan {

namespace {

namespace Vehicle = RecordLayout::Vehicle;
namespace Maint = RecordLayout::Maintenance;
constexpr int MinimumHistoryDays = 30;
constexpr qint64 LongestEstimateDays = 100 * 366;

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

// A point when both the day and the mileage read.
void addPoint(QList<MileagePoint>* points, const QString& date, const QString& mileage, const QLocale& locale,
              QDate today)
{
    const auto day = DueReading::readDate(date, locale, today);
    const auto miles = DueReading::readMileage(mileage);
    if (day && miles)
        points->append({*day, *miles});
}

} // namespace

std::optional<double> distancePerDay(QList<MileagePoint> points)
{
    std::sort(points.begin(), points.end(), [](const MileagePoint& a, const MileagePoint& b) {
        return a.date != b.date ? a.date < b.date : a.mileage < b.mileage;
    });
    for (qsizetype i = 1; i < points.size(); ++i)
        if (points[i].mileage < points[i - 1].mileage)
            return std::nullopt;
    if (points.size() < 2)
        return std::nullopt;
    const qint64 days = points.front().date.daysTo(points.back().date);
    const qint64 distance = points.back().mileage - points.front().mileage;
    if (days < MinimumHistoryDays || distance <= 0)
        return std::nullopt;
    return double(distance) / double(days);
}

std::optional<QDate> estimateDay(const QList<MileagePoint>& points, qint64 nextMileage)
{
    const auto pace = distancePerDay(points);
    if (!pace)
        return std::nullopt;
    const auto latest =
        std::max_element(points.cbegin(), points.cend(), [](const MileagePoint& a, const MileagePoint& b) {
            return a.date != b.date ? a.date < b.date : a.mileage < b.mileage;
        });
    const double days = std::ceil(double(nextMileage - latest->mileage) / *pace);
    if (days > double(LongestEstimateDays) || days < -double(LongestEstimateDays))
        return std::nullopt;
    return latest->date.addDays(qint64(days));
}

QString estimateText(QDate day)
{
    return QStringLiteral("by mileage, about %1").arg(day.toString(Qt::ISODate));
}

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
        QList<MileagePoint> history;
        const auto raise = [&highest](const QString& text) {
            if (const auto miles = DueReading::readMileage(text); miles && (!highest || *miles > *highest))
                highest = miles;
        };

        problem.clear();
        const QString vehicleName = VehicleFiles::vehicleFile(vehicle);
        if (const auto bytes = readData(folder, vehicleName, &problem, &result.files)) {
            if (const auto values = RecordFile::parseTextRecord(*bytes, Vehicle::Count)) {
                raise(values->at(Vehicle::OriginalMileage));
                addPoint(&history, values->at(Vehicle::DatePurchased), values->at(Vehicle::OriginalMileage), locale,
                         today);
            } else
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
            const auto values = RecordFile::parseTextRecord(*bytes, Maint::Count);
            if (!values) {
                unreadable(vehicle, entry, recordName, TooFewValues);
                continue;
            }
            raise(values->at(Maint::LastMileage));
            addPoint(&history, values->at(Maint::LastInspection), values->at(Maint::LastMileage), locale, today);
            const QString& nextDate = values->at(Maint::NextInspection);
            const QString& nextMileage = values->at(Maint::NextMileage);
            if (nextDate.trimmed().isEmpty() && nextMileage.trimmed().isEmpty())
                continue;
            result.planned.append({vehicle, entry, nextDate, nextMileage, values->at(Maint::LastMileage),
                                   DueReading::readDate(nextDate, locale, today), DueReading::readMileage(nextMileage),
                                   std::nullopt, values->at(Maint::Shop), values->at(Maint::Notes), std::nullopt});
        }
        for (qsizetype i = first; i < result.planned.size(); ++i) {
            Planned& p = result.planned[i];
            p.vehicleHighest = highest;
            // Only a mileage still ahead gets a day; one reached is due already.
            if (p.mileage && !(highest && *p.mileage <= *highest))
                p.estimate = estimateDay(history, *p.mileage);
        }
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
        const bool byEstimate = p.estimate && *p.estimate <= limit;
        const bool dateUnread = !p.date && !p.nextDate.trimmed().isEmpty();
        if (!byDate && !byMileage && !byEstimate && !dateUnread)
            continue;
        Row row{byDate || byMileage || byEstimate ? Row::Due : Row::DateNotUnderstood,
                p.vehicle,
                p.entry,
                p.nextDate,
                p.nextMileage,
                p.lastMileage,
                p.date,
                byMileage,
                p.estimate,
                byEstimate,
                {},
                {}};
        (row.kind == Row::Due ? due : notUnderstood).append(row);
    }
    // An entry due by mileage without a date sorts first: nothing says it can wait.
    const auto when = [](const Row& r) {
        if (r.byEstimate && (!r.date || *r.estimate < *r.date))
            return *r.estimate;
        return r.date.value_or(QDate());
    };
    std::stable_sort(due.begin(), due.end(), [&when](const Row& a, const Row& b) { return when(a) < when(b); });

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
