#include "Win1252.h"

#include <QStringDecoder>
#include <QStringEncoder>

#include <algorithm>
#include <array>
#include <unordered_map>

namespace {

// Built once from Qt's own codec, so our mapping is exactly the platform's,
// but used as plain tables: record files are decoded field by field and a
// codec object per field would dominate the cost of reading a list.
struct Tables {
    std::array<char16_t, 256> toUnicode{};
    std::unordered_map<char16_t, unsigned char> fromUnicode;

    Tables()
    {
        QStringDecoder decoder("windows-1252");
        for (int b = 0; b < 256; ++b) {
            const char byte = static_cast<char>(b);
            const QString s = decoder.decode(QByteArrayView(&byte, 1));
            // A byte the code page leaves undefined stands for the C1 control of the same value.
            char16_t u = (s.size() == 1 && s.at(0) != QChar::ReplacementCharacter) ? s.at(0).unicode()
                                                                                   : static_cast<char16_t>(b);
            toUnicode[b] = u;
            if (b >= 0x80)
                fromUnicode.emplace(u, static_cast<unsigned char>(b));
        }
    }
};

const Tables& tables()
{
    static const Tables t;
    return t;
}

bool lookup(char16_t u, unsigned char& out)
{
    if (u < 0x80) {
        out = static_cast<unsigned char>(u);
        return true;
    }
    const auto& map = tables().fromUnicode;
    const auto it = map.find(u);
    if (it == map.end())
        return false;
    out = it->second;
    return true;
}

} // namespace

namespace Win1252 {

QByteArray encode(QStringView text)
{
    QByteArray out(text.size(), Qt::Uninitialized);
    char* dst = out.data();
    for (const QChar c : text) {
        unsigned char b;
        *dst++ = static_cast<char>(lookup(c.unicode(), b) ? b : 0x1A);
    }
    return out;
}

QString decode(QByteArrayView bytes)
{
    // The code page agrees with Latin-1 except in 0x80..0x9F: take Qt's fast
    // Latin-1 conversion and patch that range only where it occurs.
    QString out = QString::fromLatin1(bytes);
    const auto* src = reinterpret_cast<const unsigned char*>(bytes.data());
    const qsizetype n = bytes.size();
    const auto inC1Range = [](unsigned char b) { return static_cast<unsigned char>(b - 0x80) < 0x20; };
    if (std::none_of(src, src + n, inC1Range))
        return out;
    const auto& map = tables().toUnicode;
    QChar* dst = out.data();
    for (qsizetype i = 0; i < n; ++i)
        if (inC1Range(src[i]))
            dst[i] = QChar(map[src[i]]);
    return out;
}

QChar decodeByte(unsigned char byte)
{
    return QChar(tables().toUnicode[byte]);
}

bool canEncode(QChar c)
{
    unsigned char b;
    return lookup(c.unicode(), b);
}

bool canEncode(QStringView text)
{
    for (const QChar c : text)
        if (!canEncode(c))
            return false;
    return true;
}

} // namespace Win1252
