#include "common/Win1252.h"
#include "crypto/modCryptText.h"

#include <QCoreApplication>

#include <cstdint>
#include <cstdlib>

// The hex helpers and decryption take whatever a damaged credential file holds.
extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv)
{
    // TextToHex lets pending events run.
    static QCoreApplication app(*argc, *argv);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QByteArray bytes(reinterpret_cast<const char*>(data), qsizetype(size));
    const qsizetype split = bytes.isEmpty() ? 0 : qsizetype(uint8_t(bytes[0])) % (bytes.size());
    const QString phrase = Win1252::decode(bytes.left(split));
    const QString field = Win1252::decode(bytes.mid(split));

    const QString decrypted = modCryptText::DecryptText(modCryptText::HexToText(field), phrase);
    (void)modCryptText::TextToHex(decrypted);
    (void)modCryptText::DecryptText(field, phrase);

    // What is encrypted decrypts again to the same text.
    if (!phrase.isEmpty()) {
        const QString encrypted = modCryptText::EncryptText(field, phrase);
        if (!encrypted.isEmpty() &&
            modCryptText::DecryptText(modCryptText::HexToText(modCryptText::TextToHex(encrypted)), phrase) != field)
            std::abort();
    }
    return 0;
}
