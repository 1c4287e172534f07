#pragma once

#include <QDate>
#include <QList>
#include <QLocale>
#include <QString>
#include <QStringList>

#include <optional>

// Everything the vehicle report shows of one vehicle, read from the data
// folder through the record readers, without widgets. Nothing is left out
// unseen: a file that is there but cannot be read is kept as a Problem, in the
// place of what it should have given.
namespace VehicleHistory {

// A file that exists but could not be read, and why.
struct Problem {
    QString file; // full path
    QString reason;

    // "not readable: "<file>" (<reason>)", as the report shows it.
    QString text() const;
};

// One value of the "Vehicle Info." page: its caption and its text (the
// chosen option button in words for the two pairs).
struct InfoValue {
    QString caption;
    QString value;
};

// A maintenance entry or a part: its name and its record's values (empty
// texts for a record never saved), or why its record could not be read.
struct Entry {
    QString name;
    QStringList values;
    std::optional<Problem> problem;
};

// One point of the mileage chart.
struct MileagePoint {
    QDate date;
    qint64 mileage = 0;
};

struct History {
    QString vehicle;
    // The vehicle page's non-empty values in page order; nothing when the
    // vehicle file could not be read (vehicleProblem).
    QList<InfoValue> info;
    std::optional<Problem> vehicleProblem;
    // The picture's path as the picture file holds it; empty when none is chosen.
    QString picturePath;
    std::optional<Problem> pictureProblem;
    // By last inspection date, oldest first, ties by name; entries whose date
    // cannot be read (or whose record cannot be read) last, by name.
    QList<Entry> maintenance;
    std::optional<Problem> maintListProblem;
    // By name, as the page lists them.
    QList<Entry> parts;
    std::optional<Problem> partsListProblem;
    // The date purchased with the original mileage, and each maintenance
    // entry's last inspection date with its mileage then, where both can be
    // read; by date.
    QList<MileagePoint> mileage;
    // A mileage whose date cannot be read, so not in the chart: what it is, with the date as typed.
    QStringList unplotted;

    // Every problem above, in report order.
    QList<Problem> problems() const;
};

// Why there is no history to report: the vehicle is not listed, or the
// vehicle list cannot be read. Empty when `vehicle` can be reported.
QString whyNotReportable(const QString& vehicle);

// Reads the history of `vehicle`. Dates are read as the overview of what is
// due reads them, in `locale` around `today`.
History read(const QString& vehicle, const QLocale& locale, QDate today);

} // namespace VehicleHistory
