#pragma once

#include "due/DueScan.h"

#include <QByteArray>
#include <QDate>
#include <QDateTime>
#include <QList>
#include <QString>

#include <optional>

// The due dates as an iCalendar file (RFC 5545, written by libical): one
// all-day event per maintenance entry with a next inspection date, titled
// "<entry> — <vehicle>", the shop and notes in its description and an alarm
// a week before. An entry planned by mileage alone gets its estimated day as
// a tentative event. The UID comes from the vehicle and entry alone, so a
// calendar that imports the file again updates its events instead of adding more.
namespace DueCalendar {

struct Event {
    QString uid;
    QString title;
    QDate day;
    bool tentative = false; // an estimate
    QString description;
};

QString uid(const QString& vehicle, const QString& entry);
QList<Event> events(const DueScan::Result& result);

// The calendar's bytes; nothing, with the reason in `error`, when libical cannot be loaded.
std::optional<QByteArray> calendar(const QList<Event>& events, const QDateTime& stamp, QString* error);

// `path` with ".ics" appended unless it ends so.
QString withExtension(const QString& path);

struct Outcome {
    bool ok = false;
    QString error;
    qsizetype events = 0;
    QList<DueScan::Unreadable> unreadable;
    explicit operator bool() const { return ok; }
};

// Reads the data folder (never writing it) and saves the calendar to `file`
// with the safe writer, readable by its owner alone.
Outcome exportTo(const QString& file, QDate today);

} // namespace DueCalendar
