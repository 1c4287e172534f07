#pragma once

#include <QList>
#include <QString>
#include <QStringList>

// Names for records that a spreadsheet does not give as they can be stored.
namespace ImportNames {

// The nearest name that can be part of a file name: a character no file name
// can hold becomes "-" ("TÜV/HU" is "TÜV-HU"), a line break or tab a blank,
// a letter the record files cannot store its plain letter ("Škoda" is
// "Skoda"), runs of blanks one blank. `name` itself when it needs nothing.
QString nearestFileName(const QString& name);

// Names for the vehicles of a sheet without a name column: "Make Model", with
// the year when two would share a name (and a number when they still would).
// One name per row of `makeModelYear` (make, model, year).
QStringList vehicleNames(const QList<QStringList>& makeModelYear);

} // namespace ImportNames
