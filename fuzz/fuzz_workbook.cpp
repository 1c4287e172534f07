// The workbook reader of an import: any bytes give a table or a reason, within the caps.
#include "Workbook.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const CsvTable::Result r = Workbook::read(QByteArrayView(reinterpret_cast<const char*>(data), qsizetype(size)));
    if (r.table.has_value() == !r.error.isEmpty())
        std::abort();
    if (!r.table)
        return 0;
    const CsvTable::Table& t = *r.table;
    if (t.rowCount() > CsvTable::MaxRows || t.headers.size() > CsvTable::MaxColumns)
        std::abort();
    for (qsizetype row = 0; row < t.rowCount(); ++row)
        for (qsizetype c = 0; c <= t.columnCount(row); ++c)
            if (t.value(row, c).size() > CsvTable::MaxFieldChars)
                std::abort();
    return 0;
}
