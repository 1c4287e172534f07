#pragma once

#include "import/CsvTable.h"
#include "import/ImportDates.h"

#include <QHash>
#include <QList>
#include <QString>
#include <QStringList>

#include <optional>

// Which column of a spreadsheet fills which field of a record: the mapping
// step of an import, as data. A record kind's fields are its name, the
// vehicle it belongs to (entries and parts) and its stored values in file
// order, with the captions the window shows.
namespace ImportMapping {

enum class Kind { Vehicles, Maintenance, Parts };

// What a column fills.
enum Target : int {
    LeftOut = -3, // the user chose to leave the column out
    Notes = -2,   // added to the Notes as "Header: value"
    Vehicle = -1, // the vehicle of an entry or a part
    Name = 0,     // the vehicle's, entry's or part's name
    // 1... : value 0... of the record (RecordCaptions)
    // Past the values, for vehicles: one column holding the transmission or how the vehicle was bought.
};

QString kindName(Kind kind); // "vehicles", "maintenance", "parts"
std::optional<Kind> kindNamed(QStringView name);
// The caption of the name column ("Vehicle", "Maintenance", "Part").
QString nameCaption(Kind kind);
// The captions of the record's stored values (RecordCaptions).
const QStringList& valueCaptions(Kind kind);
// Every target a column can have for `kind`, with its caption, in the order a list offers them.
struct Choice {
    int target;
    QString caption;
};
QList<Choice> choices(Kind kind);
QString caption(Kind kind, int target);
// Two targets past the values of a vehicle: "Transmission" (Automatic / Manual) and "Bought as..." (New / Used).
int transmissionTarget();
int boughtAsTarget();

struct Mapping {
    Kind kind = Kind::Maintenance;
    QList<int> columns;     // a target per column
    QString vehicle;        // entries and parts without a vehicle column go to this vehicle
    bool ownExport = false; // Gearbook's own vehicles.csv, maintenance.csv or parts.csv
    // The order of day and month the user chose for every date column; else each column's own.
    std::optional<ImportDates::Order> dateOrder;
    // Names the user gave in place of names that cannot be file names, by the name in the file.
    QHash<QString, QString> renamed;
};

// Whether a target holds a date (a last or next inspection, a purchase...).
bool isDate(Kind kind, int target);

// Gearbook's own export, recognised by its exact headers.
std::optional<Mapping> ownExport(const QStringList& headers);
// LubeLogger's two exports (service records and supplies), recognised by their headers.
std::optional<Mapping> lubeLogger(const QStringList& headers);
// The kind whose captions and usual names the headers match best.
Kind guessKind(const QStringList& headers);
// A mapping pre-filled from the headers: captions first, then the usual names
// other programs use; a column that matches nothing goes into the Notes.
Mapping prefilled(Kind kind, const QStringList& headers);

} // namespace ImportMapping
