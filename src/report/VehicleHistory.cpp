#include "report/VehicleHistory.h"

#include "common/DataFolder.h"
#include "common/NameOrder.h"
#include "common/RecordCaptions.h"
#include "common/RecordFile.h"
#include "common/RecordLayout.h"
#include "due/DueReading.h"

#include <QDir>

#include <algorithm>
#include <numeric>

namespace VehicleHistory {

namespace {

using namespace RecordLayout::Vehicle;
using RecordLayout::Maintenance::LastInspection;
using RecordLayout::Maintenance::LastMileage;

// A record's `count` values: empty ones for a record never saved (`missing` tells).
std::optional<QStringList> readValues(const QString& file, int count, std::optional<Problem>* problem,
                                      bool* missing = nullptr)
{
    VehicleFiles::RecordValues record = VehicleFiles::readValues(file, count);
    if (!record.values)
        *problem = Problem{record.path, record.error};
    if (missing)
        *missing = record.missing;
    return std::move(record.values);
}

// The names of a list file; a list that cannot be read gives none and its problem.
QStringList readList(const QString& file, std::optional<Problem>* problem)
{
    const QString path = VehicleFiles::inData(file);
    const RecordFile::ReadResult list = VehicleFiles::readRecord(path);
    if (list.unreadable()) {
        *problem = Problem{path, list.error};
        return {};
    }
    QStringList names = RecordFile::parseListFile(list.bytes);
    std::stable_sort(names.begin(), names.end(), NameOrder::Less());
    return names;
}

QList<Entry> readEntries(const QString& vehicle, const QStringList& names, int count)
{
    QList<Entry> entries;
    entries.reserve(names.size());
    for (const QString& name : names) {
        Entry entry{name, {}, std::nullopt};
        if (auto values = readValues(VehicleFiles::recordFile(vehicle, name), count, &entry.problem))
            entry.values = std::move(*values);
        entries.append(std::move(entry));
    }
    return entries;
}

// A date that could not be read, as the report names it.
QString asTyped(const QString& date)
{
    return date.trimmed().isEmpty() ? QStringLiteral("no date") : QStringLiteral("date \u201C%1\u201D").arg(date);
}

// Fills the page's values; gives the file's values, or nothing when it cannot be read.
std::optional<QStringList> readVehicleFile(History& history)
{
    const QStringList& captions = RecordCaptions::vehicle();
    bool missing = false;
    auto values =
        readValues(VehicleFiles::vehicleFile(history.vehicle), int(captions.size()), &history.vehicleProblem, &missing);
    if (!values || missing)
        return std::nullopt; // a vehicle never saved has no values yet
    // The pairs of option buttons as the page shows them: the second of a
    // pair wins when the file marks both.
    const auto chosen = [&](int first, int second) -> std::optional<QString> {
        const auto a = RecordFile::truthOf(values->at(first));
        const auto b = RecordFile::truthOf(values->at(second));
        if (!a || !b)
            return std::nullopt;
        return *b ? captions.at(second) : *a ? captions.at(first) : QString();
    };
    const auto transmission = chosen(Automatic, Manual);
    const auto boughtAs = chosen(New, Used);
    if (!transmission || !boughtAs) {
        history.vehicleProblem = Problem{VehicleFiles::inData(VehicleFiles::vehicleFile(history.vehicle)),
                                         QStringLiteral("a choice is neither true nor false")};
        return std::nullopt;
    }
    for (int i = 0; i < captions.size(); ++i) {
        InfoValue info{captions.at(i), values->at(i)};
        if (i == Manual || i == Used)
            continue;
        if (i == Automatic)
            info = {RecordCaptions::transmission(), *transmission};
        else if (i == New)
            info = {RecordCaptions::boughtAs(), *boughtAs};
        if (!info.value.trimmed().isEmpty())
            history.info.append(std::move(info));
    }
    return values;
}

void readPictureFile(History& history)
{
    const QString path = VehicleFiles::inData(VehicleFiles::pictureFile(history.vehicle));
    const RecordFile::ReadResult file = VehicleFiles::readRecord(path);
    if (file.unreadable())
        history.pictureProblem = Problem{path, file.error};
    else if (file)
        history.picturePath = RecordFile::parsePlainLine(*file);
}

} // namespace

QString Problem::text() const
{
    return QStringLiteral("not readable: \"%1\" (%2)").arg(QDir::toNativeSeparators(file), reason);
}

QList<Problem> History::problems() const
{
    QList<Problem> all;
    for (const auto* problem : {&vehicleProblem, &pictureProblem, &maintListProblem})
        if (*problem)
            all.append(**problem);
    for (const Entry& entry : maintenance)
        if (entry.problem)
            all.append(*entry.problem);
    if (partsListProblem)
        all.append(*partsListProblem);
    for (const Entry& entry : parts)
        if (entry.problem)
            all.append(*entry.problem);
    return all;
}

QString whyNotReportable(const QString& vehicle)
{
    QString whyUnreadable;
    const QStringList vehicles = VehicleFiles::LoadVehicleList(&whyUnreadable);
    if (!whyUnreadable.isEmpty())
        return QStringLiteral("The vehicle list \"%1\" cannot be read: %2")
            .arg(QDir::toNativeSeparators(VehicleFiles::inData(VehicleFiles::listFile())), whyUnreadable);
    if (!vehicles.contains(vehicle))
        return QStringLiteral("There is no vehicle named \"%1\".").arg(vehicle);
    return {};
}

History read(const QString& vehicle, const QLocale& locale, QDate today)
{
    History history;
    history.vehicle = vehicle;
    const auto vehicleValues = readVehicleFile(history);
    readPictureFile(history);
    history.maintenance =
        readEntries(vehicle, readList(VehicleFiles::maintListFile(vehicle), &history.maintListProblem),
                    int(RecordCaptions::maintenance().size()));
    history.parts = readEntries(vehicle, readList(VehicleFiles::partsListFile(vehicle), &history.partsListProblem),
                                int(RecordCaptions::parts().size()));

    // Oldest inspection first; what cannot be read as a date last. The names
    // are in order already, so a stable sort keeps ties by name.
    QList<std::optional<QDate>> dates;
    dates.reserve(history.maintenance.size());
    for (const Entry& entry : std::as_const(history.maintenance))
        dates.append(entry.problem ? std::nullopt
                                   : DueReading::readDate(entry.values.at(LastInspection), locale, today));
    QList<qsizetype> order(history.maintenance.size());
    std::iota(order.begin(), order.end(), 0);
    std::stable_sort(order.begin(), order.end(), [&dates](qsizetype a, qsizetype b) {
        if (!dates[a] || !dates[b])
            return dates[a].has_value() && !dates[b].has_value();
        return *dates[a] < *dates[b];
    });
    QList<Entry> sorted;
    sorted.reserve(order.size());
    for (const qsizetype i : order) {
        Entry& entry = history.maintenance[i];
        const auto miles = entry.problem ? std::nullopt : DueReading::readMileage(entry.values.at(LastMileage));
        if (miles && dates[i])
            history.mileage.append({*dates[i], *miles});
        else if (miles)
            history.unplotted << QStringLiteral("%1 (%2)").arg(entry.name, asTyped(entry.values.at(LastInspection)));
        sorted.append(std::move(entry));
    }
    history.maintenance = std::move(sorted);

    // The purchase goes before every inspection of the same day.
    const auto date =
        vehicleValues ? DueReading::readDate(vehicleValues->at(DatePurchased), locale, today) : std::nullopt;
    const auto miles = vehicleValues ? DueReading::readMileage(vehicleValues->at(OriginalMileage)) : std::nullopt;
    if (miles && !date)
        history.unplotted.prepend(QStringLiteral("the purchase (%1)").arg(asTyped(vehicleValues->at(DatePurchased))));
    else if (miles) {
        const auto at = std::lower_bound(history.mileage.begin(), history.mileage.end(), *date,
                                         [](const MileagePoint& p, QDate d) { return p.date < d; });
        history.mileage.insert(at, {*date, *miles});
    }
    return history;
}

} // namespace VehicleHistory
