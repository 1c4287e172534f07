#include "common/Win1252.h"

#include <cstdint>
#include <cstdlib>

// Every byte string survives decoding and encoding again unchanged. With
// character references, any text reads back as it was written, and any bytes
// read as a text that is written and read back as the same text.
extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QByteArray bytes(reinterpret_cast<const char*>(data), qsizetype(size));
    const QString text = Win1252::decode(bytes);
    if (!Win1252::canEncode(text) || Win1252::encode(text) != bytes)
        std::abort();
    const QString read = Win1252::decodeReferences(bytes);
    if (Win1252::decodeReferences(Win1252::encodeReferences(read)) != read)
        std::abort();
    if (!bytes.contains("&#") && read != text)
        std::abort();

    // And any text, read as UTF-16 (lone surrogates included) and as UTF-8.
    const QString wide(reinterpret_cast<const QChar*>(data), qsizetype(size / 2));
    (void)Win1252::encode(wide);
    (void)Win1252::canEncode(wide);
    for (const QString& s : {wide, QString::fromUtf8(bytes)})
        if (Win1252::decodeReferences(Win1252::encodeReferences(s)) != s)
            std::abort();
    return 0;
}
