#pragma once

#include <QString>

// Text front end of the cipher. Texts and byte strings meet through
// Windows-1252: each character of a byte string stands for one byte.
namespace modCryptText {

// Byte string of the encrypted message, or the empty text on failure.
QString EncryptText(const QString& text, const QString& passPhrase);
// The decrypted text, or the empty text on failure.
QString DecryptText(const QString& data, const QString& passPhrase);
// Two upper-case hexadecimal digits per character; lets pending events other
// than user input (clicks, keys) run after each one.
QString TextToHex(const QString& text);
// One character per pair of digits ("&H" + pair parsing: blanks ignored, stops at a non-digit, 0 if none).
QString HexToText(const QString& hex);

} // namespace modCryptText
