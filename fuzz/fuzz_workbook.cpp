// The workbook reader of an import: any bytes give a table or a reason, within the caps.
#include "TableWithinCaps.h"
#include "import/Workbook.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    checkTableWithinCaps(Workbook::read(QByteArrayView(reinterpret_cast<const char*>(data), qsizetype(size))));
    return 0;
}
