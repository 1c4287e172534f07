#pragma once

#include "import/ImportMapping.h"

#include <QList>
#include <QString>
#include <QStringView>

// The words spreadsheets put over their columns, in English, German, French,
// Spanish, Italian and Dutch, and the field each one fills. Kept as a table
// so that a new word is one line, not a new rule.
namespace ImportWords {

struct Word {
    ImportMapping::Kind kind;
    int target;    // an ImportMapping::Target or a value's number
    QString words; // as written, separated by "|"
};

const QList<Word>& table();

// The form a header is compared in: letters and digits only, in lower case,
// what is in brackets left out ("Odometer (km)" is "odometer") or kept ("Next
// due (km)" is "nextduekm", a mileage, where "nextdue" alone is a date).
enum class Brackets { LeftOut, Kept };
QString normalized(QStringView header, Brackets brackets = Brackets::LeftOut);

// The unit a header names in brackets or in its words ("km", "mi"); empty when it names none.
QString unitOf(QStringView header);

} // namespace ImportWords
