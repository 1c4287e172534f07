#pragma once

#include <QString>
#include <QStringList>

// The captions of the record fields as the window shows them (without the
// closing colon), in the order the records hold the values. What reads the
// records without the window (the CSV export, the vehicle report) takes them
// from here; the forms show the same texts.
namespace FieldCaptions {

// The 17 values of a vehicle file: texts, with "Automatic", "Manual (Stick)",
// "New" and "Used" for the four option buttons.
const QStringList& vehicle();
// The 6 values of a maintenance record and the 8 values of a part record.
const QStringList& maintenance();
const QStringList& parts();

// The frames around the two pairs of option buttons of the vehicle page.
QString transmission(); // "Transmission"
QString boughtAs();     // "Bought as..."

} // namespace FieldCaptions
