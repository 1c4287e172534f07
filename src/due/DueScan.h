#pragma once

#include <QDate>
#include <QHash>
#include <QList>
#include <QLocale>
#include <QString>

#include <functional>
#include <optional>

// What is due across all vehicles: every maintenance entry with a next
// inspection planned, read from the data folder without widgets, so that it
// can run on a worker thread while the window stays responsive.
namespace DueScan {

// One maintenance entry with a next inspection date or mileage.
struct Planned {
    QString vehicle;
    QString entry;
    QString nextDate;                     // as stored
    QString nextMileage;                  // as stored
    QString lastMileage;                  // as stored
    std::optional<QDate> date;            // nextDate read as a date
    std::optional<qint64> mileage;        // nextMileage read as a number
    std::optional<qint64> vehicleHighest; // the vehicle's highest recorded mileage
    QString shop;                         // where it was last inspected, as stored
    QString notes;                        // as stored
    // When the next mileage lies ahead: the day the vehicle should reach it at
    // the pace of its own history (an estimate, never a promise).
    std::optional<QDate> estimate;
};

// A mileage the vehicle had on a day: its original mileage on the purchase
// date, an entry's last mileage on its last inspection date.
struct MileagePoint {
    QDate date;
    qint64 mileage = 0;
};

// The vehicle's distance per day from its history: from its earliest to its
// latest point. Nothing when the points span less than 30 days, when the
// mileage ever goes down (a replaced odometer, a typing slip) or stands still.
std::optional<double> distancePerDay(QList<MileagePoint> points);

// The day `nextMileage` is reached at the history's pace, counted from its
// latest point; nothing when the history gives no pace or the day is beyond reckoning.
std::optional<QDate> estimateDay(const QList<MileagePoint>& points, qint64 nextMileage);

// How an estimate is shown: "by mileage, about 2027-03-10".
QString estimateText(QDate day);

// A file that exists but could not be read: listed, never an error box.
struct Unreadable {
    QString vehicle;
    QString entry; // empty for a vehicle's own file or the vehicle list
    QString file;  // name inside the data folder
    QString reason;
};

struct Result {
    QList<Planned> planned;
    QList<Unreadable> unreadable;
    // Every file the scan read or looked for, by its name inside the data
    // folder: a digest of the bytes read, 0 when it was missing or unreadable.
    QHash<QString, size_t> files;
};

// Whether the file `fileName` of the data folder now holds other bytes than
// the scan read (or is there when it was missing): then a new scan can differ.
// A file the scan did not look at changes nothing.
bool changedSince(const Result& result, const QString& fileName);

// Reads the vehicle list, each vehicle file, maintenance list and entry
// record of the data folder. Dates are read in `locale` around `today`.
// `stop`, when given, is asked between vehicles whether to end early.
Result scan(const QLocale& locale, QDate today, const std::function<bool()>& stop = {});

// One line of the overview.
struct Row {
    enum Kind { Due, DateNotUnderstood, FileUnreadable };
    Kind kind = Due;
    QString vehicle;
    QString entry;
    QString nextDate;
    QString nextMileage;
    QString lastMileage;
    std::optional<QDate> date;
    bool byMileage = false;
    std::optional<QDate> estimate; // the day the next mileage should be reached
    bool byEstimate = false;       // due because that day falls within the span
    QString file;
    QString reason;
};

// The entries due by `today + spanDays`, by mileage, or by the estimated
// day of their next mileage, sorted by date (those due by mileage alone
// without a date first, an estimate counting as the date when it is sooner), then the entries whose next
// date could not be read, then the unreadable files. An empty next date
// means nothing is planned.
QList<Row> rows(const Result& result, QDate today, int spanDays);

// True when a row is due by date or mileage (not merely unreadable).
bool anythingDue(const QList<Row>& rows);

} // namespace DueScan
