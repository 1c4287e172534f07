#include "Win1252.h"

#include <cstdint>
#include <cstdlib>

// Every byte string survives decoding and encoding again unchanged.
extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QByteArray bytes(reinterpret_cast<const char*>(data), qsizetype(size));
    const QString text = Win1252::decode(bytes);
    if (!Win1252::canEncode(text) || Win1252::encode(text) != bytes)
        std::abort();
    // And any text, read as UTF-16, encodes without harm.
    const QString wide(reinterpret_cast<const QChar*>(data), qsizetype(size / 2));
    (void)Win1252::encode(wide);
    (void)Win1252::canEncode(wide);
    return 0;
}
