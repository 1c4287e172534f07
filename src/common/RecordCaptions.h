#pragma once

#include <QStringList>

// The captions of the main window's fields (without the form's closing
// colon), in the order their records hold them: one table for every place
// that names a record's values without the window at hand (the CSV headers,
// the conflict window). The form keeps its own labels; a test holds the two
// together.
namespace RecordCaptions {

const QStringList& vehicle();     // the 17 values of a vehicle file
const QStringList& maintenance(); // the 6 values of a maintenance record
const QStringList& parts();       // the 8 values of a part record

} // namespace RecordCaptions
