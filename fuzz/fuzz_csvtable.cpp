// The spreadsheet reader of an import: any bytes give a table or a reason, within the caps.
#include "TableWithinCaps.h"
#include "import/CsvTable.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    checkTableWithinCaps(CsvTable::parse(QByteArrayView(reinterpret_cast<const char*>(data), qsizetype(size))));
    return 0;
}
