#pragma once

#include "import/CsvTable.h"

#include <cstdlib>

// What both spreadsheet readers promise for any bytes: a table or a reason, never both, and a table within the caps.
inline void checkTableWithinCaps(const CsvTable::Result& r)
{
    if (r.table.has_value() == !r.error.isEmpty())
        std::abort();
    if (!r.table)
        return;
    const CsvTable::Table& t = *r.table;
    if (t.rowCount() > CsvTable::MaxRows || t.headers.size() > CsvTable::MaxColumns)
        std::abort();
    for (qsizetype row = 0; row < t.rowCount(); ++row)
        for (qsizetype c = 0; c <= t.columnCount(row); ++c)
            if (t.value(row, c).size() > CsvTable::MaxFieldChars)
                std::abort();
}
