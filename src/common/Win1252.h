#pragma once

#include <QByteArray>
#include <QString>
#include <QStringView>

// The single-byte code page every stored file uses (Windows-1252). All 256
// byte values round-trip; the five bytes the code page leaves undefined map
// to the C1 control characters of the same value.
namespace Win1252 {

// Characters that the code page cannot hold become 0x1A.
QByteArray encode(QStringView text);
QString decode(QByteArrayView bytes);
QChar decodeByte(unsigned char byte);

// True when every character of the text has a byte in the code page.
bool canEncode(QStringView text);
bool canEncode(QChar c);

// The text values of vehicle files and entry records keep every character and
// still one byte per character: what the code page cannot hold (a lone
// surrogate too) is written as a decimal character reference such as
// "&#321;", a character outside the basic plane as one reference for its code
// point, and an "&" followed by "#" as "&#38;". Reading turns back only the
// references that writing makes, so bytes without "&#" read as decode() does,
// an older file's "&#65;" stays literal text, and
// decodeReferences(encodeReferences(s)) == s for every string.
QByteArray encodeReferences(QStringView text);
QString decodeReferences(QByteArrayView bytes);

} // namespace Win1252
