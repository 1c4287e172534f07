#include "common/RecordFile.h"

#include <cstdint>
#include <cstdlib>

// Any bytes as a data file: every way the program reads one must end, and a
// list read back from what it writes must give the same names.
extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QByteArray bytes(reinterpret_cast<const char*>(data), qsizetype(size));
    const QStringList names = RecordFile::parseListFile(bytes);
    (void)RecordFile::parseTextRecord(bytes, 17);
    (void)RecordFile::parsePlainLine(bytes);

    RecordFile::Reader reader(bytes);
    for (bool truth = false; reader.hasMore(); truth = !truth)
        if (truth ? !reader.truth().has_value() : !reader.text().has_value())
            break;

    // Names that hold no quote and no line end are what the program ever writes.
    for (const QString& name : names)
        if (name.contains(QLatin1Char('"')) || name.contains(QLatin1Char('\r')) || name.contains(QLatin1Char('\n')))
            return 0;
    QStringList expected;
    for (const QString& name : names)
        expected << name;
    if (RecordFile::parseListFile(RecordFile::listFile(names)) != expected) {
        // A leading blank is skipped on reading; an empty list ends at its first empty name.
        bool explained = false;
        for (const QString& name : names)
            explained = explained || name.isEmpty() || name.front().isSpace();
        if (!explained)
            std::abort();
    }
    return 0;
}
