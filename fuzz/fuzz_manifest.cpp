#include "backup/Archive.h"

#include <cstdint>
#include <cstdlib>

// Any bytes as a backup's manifest: reading must end within its caps, in one
// piece or in several alike, and a manifest read must write back byte for byte.
extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QByteArrayView bytes(reinterpret_cast<const char*>(data), qsizetype(size));
    QString why;
    const auto whole = Backup::Manifest::parse(bytes, &why);
    if (!whole && why.isEmpty())
        std::abort();

    // A stream, in three pieces: the same answer.
    Backup::ManifestReader reader;
    const qsizetype third = bytes.size() / 3;
    std::optional<Backup::Manifest> pieces;
    if (reader.add(bytes.first(third)) && reader.add(bytes.sliced(third, third)) && reader.add(bytes.sliced(2 * third)))
        pieces = reader.finish();
    if (bool(pieces) != bool(whole) || (whole && pieces->members != whole->members))
        std::abort();

    if (whole) {
        if (whole->members.size() > Backup::MaxFiles || whole->totalSize() < 0)
            std::abort();
        // Only what the writer writes is read: it writes the same bytes back.
        if (whole->toBytes() != bytes)
            std::abort();
        const auto again = Backup::Manifest::parse(whole->toBytes(), nullptr);
        if (!again || again->members != whole->members || again->created != whole->created ||
            again->partial != whole->partial || again->programVersion != whole->programVersion)
            std::abort();
    }
    return 0;
}
