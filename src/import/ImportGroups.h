#pragma once

#include "import/ImportMapping.h"

#include <QList>
#include <QString>
#include <QStringList>

// A log has a row per visit; a maintenance entry or a part is one record
// per name. The rows of one name become one record: the newest row gives its
// values, every earlier row is kept as one line of its notes, newest first,
// so that no visit is lost and what is due is worked out from the last one.
namespace ImportGroups {

// A spreadsheet row as it will be stored.
struct Row {
    QString vehicle;
    QString name;
    QStringList values;  // truth values as "True" / "False"
    qsizetype index = 0; // the row of the table
};

struct Group {
    Row row;      // the newest row, its notes followed by the earlier visits
    int rows = 1; // how many rows it stands for
    ImportMapping::Kind kind = ImportMapping::Kind::Maintenance;
    QString summary() const; // "12 rows → Oil change, 11 earlier visits kept in its notes"
};

// Rows of entries or parts grouped by vehicle and name (letter case aside),
// in the order their names first appear. The newest row is the one with the
// latest date, else the highest mileage, else the last in the file. A plain
// number of miles is shown grouped with `mileageUnit` ("75,000 km").
QList<Group> group(ImportMapping::Kind kind, const QList<Row>& rows, const QString& mileageUnit);

} // namespace ImportGroups
