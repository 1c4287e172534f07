#include "common/Win1252.h"

#include <QStringDecoder>
#include <QStringEncoder>

#include <algorithm>
#include <array>
#include <optional>
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

constexpr QByteArrayView ReferenceStart("&#");
constexpr char32_t Ampersand = u'&';
constexpr char32_t LastCodePoint = 0x10FFFF;
constexpr qsizetype MaxDigits = 7;

bool holdable(char32_t value)
{
    unsigned char b;
    return value <= 0xFFFF && lookup(static_cast<char16_t>(value), b);
}

void appendReference(QByteArray& out, char32_t value)
{
    out.append(ReferenceStart);
    out.append(QByteArray::number(static_cast<uint>(value)));
    out.append(';');
}

bool isDigit(char c)
{
    return c >= '0' && c <= '9';
}

// The value of the reference at `at` (an "&#") when it is one that writing
// makes, with the number of bytes it takes; nothing for any other bytes.
std::optional<char32_t> referenceAt(QByteArrayView bytes, qsizetype at, qsizetype& length)
{
    const qsizetype n = bytes.size();
    const qsizetype first = at + ReferenceStart.size();
    if (first >= n || bytes[first] == '0' || !isDigit(bytes[first]))
        return std::nullopt;
    char32_t value = 0;
    qsizetype i = first;
    for (; i < n && i - first < MaxDigits && isDigit(bytes[i]); ++i)
        value = value * 10 + char32_t(bytes[i] - '0');
    if (i >= n || bytes[i] != ';' || value > LastCodePoint)
        return std::nullopt;
    ++i;
    const bool escapedAmpersand = value == Ampersand && i < n && bytes[i] == '#';
    if (!escapedAmpersand && holdable(value))
        return std::nullopt;
    length = i - at;
    return value;
}

} // namespace

namespace Win1252 {

QByteArray encodeReferences(QStringView text)
{
    if (canEncode(text) && !text.contains(u"&#"))
        return encode(text); // what nearly every value is
    QByteArray out;
    out.reserve(text.size() + 16);
    const qsizetype n = text.size();
    for (qsizetype i = 0; i < n; ++i) {
        const QChar c = text[i];
        const bool pair = c.isHighSurrogate() && i + 1 < n && text[i + 1].isLowSurrogate();
        unsigned char b;
        if (pair) {
            appendReference(out, QChar::surrogateToUcs4(c, text[i + 1]));
            ++i;
        } else if (c == u'&' && i + 1 < n && text[i + 1] == u'#') {
            appendReference(out, Ampersand);
        } else if (lookup(c.unicode(), b)) {
            out.append(static_cast<char>(b));
        } else {
            appendReference(out, c.unicode()); // a lone surrogate too, so that it reads back
        }
    }
    return out;
}

QString decodeReferences(QByteArrayView bytes)
{
    qsizetype at = bytes.indexOf(ReferenceStart);
    if (at < 0)
        return decode(bytes);
    QString out;
    out.reserve(bytes.size());
    qsizetype done = 0; // the bytes before this one are in `out`
    for (; at >= 0; at = bytes.indexOf(ReferenceStart, at + 1)) {
        qsizetype length = 0;
        const auto value = referenceAt(bytes, at, length);
        if (!value)
            continue; // literal text
        out.append(decode(bytes.sliced(done, at - done)));
        if (QChar::requiresSurrogates(*value)) {
            out.append(QChar(QChar::highSurrogate(*value)));
            out.append(QChar(QChar::lowSurrogate(*value)));
        } else {
            out.append(QChar(static_cast<char16_t>(*value)));
        }
        done = at + length;
        at = done - 1;
    }
    out.append(decode(bytes.sliced(done)));
    return out;
}

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
    return std::ranges::all_of(text, [](QChar c) { return canEncode(c); });
}

} // namespace Win1252
