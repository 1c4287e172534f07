#pragma once

#include "import/CsvTable.h"

#include <QByteArrayView>

// The first sheet of a workbook as a table: an OpenDocument spreadsheet
// (.ods) or an Excel workbook (.xlsx), both zip archives of XML. Date cells
// become ISO 8601 dates ("2028-10-03"), every other cell the text it holds.
// The archive is untrusted like any file: what it unpacks to is capped, and
// the table is held to CsvTable's caps.
namespace Workbook {

// What all the parts read from one archive may unpack to.
constexpr qint64 MaxUnpackedBytes = 2 * CsvTable::MaxFileBytes;

bool isZip(QByteArrayView bytes);
CsvTable::Result read(QByteArrayView bytes);

} // namespace Workbook
