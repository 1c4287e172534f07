#pragma once

#include <QString>
#include <QStringList>

// The captions of the main window's fields (without the form's closing
// colon), in the order their records hold them: one table for every place
// that names a record's values without the window at hand (the CSV headers,
// the conflict window, the vehicle report). The form keeps its own labels; a test holds the two
// together.
namespace RecordCaptions {

// The 17 values of a vehicle file, with "Automatic", "Manual (Stick)", "New"
// and "Used" for the four option buttons.
const QStringList& vehicle();
const QStringList& maintenance(); // the 6 values of a maintenance record
const QStringList& parts();       // the 8 values of a part record

// The frames around the two pairs of option buttons of the vehicle page.
QString transmission(); // "Transmission"
QString boughtAs();     // "Bought as..."

} // namespace RecordCaptions
