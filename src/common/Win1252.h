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

} // namespace Win1252
