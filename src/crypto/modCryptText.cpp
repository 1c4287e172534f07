#include "crypto/modCryptText.h"

#include "common/Win1252.h"
#include "crypto/CRijndael.h"

#include <QCoreApplication>
#include <QEventLoop>

namespace {

int hexDigit(QChar c)
{
    const char16_t u = c.unicode();
    if (u >= u'0' && u <= u'9')
        return u - u'0';
    if (u >= u'A' && u <= u'F')
        return u - u'A' + 10;
    if (u >= u'a' && u <= u'f')
        return u - u'a' + 10;
    return -1;
}

// Blanks that numeric parsing of "&H" numbers skips wherever they stand.
bool isBlank(QChar c)
{
    return c == u' ' || c == u'\t' || c == u'\n';
}

// The value of "&H" followed by the given digits: blanks are skipped, parsing
// stops at the first character that is not a hexadecimal digit, and no digit
// at all gives 0. At most two characters come in, so the value fits a byte.
int parseHexPair(QStringView digits)
{
    int value = 0;
    for (QChar c : digits) {
        if (isBlank(c))
            continue;
        const int d = hexDigit(c);
        if (d < 0)
            break;
        value = value * 16 + d;
    }
    return value;
}

} // namespace

namespace modCryptText {

QString EncryptText(const QString& text, const QString& passPhrase)
{
    // A cipher object of its own per call: nothing is shared with a call that
    // runs while TextToHex lets events through.
    CRijndael cipher;
    const std::optional<QByteArray> bytes = cipher.EncryptData(Win1252::encode(text), Win1252::encode(passPhrase));
    return bytes ? Win1252::decode(*bytes) : QString();
}

QString DecryptText(const QString& data, const QString& passPhrase)
{
    CRijndael cipher;
    const std::optional<QByteArray> bytes = cipher.DecryptData(Win1252::encode(data), Win1252::encode(passPhrase));
    return bytes ? Win1252::decode(*bytes) : QString();
}

QString TextToHex(const QString& text)
{
    static constexpr char Digits[] = "0123456789ABCDEF";
    const QByteArray bytes = Win1252::encode(text);
    QString result;
    result.reserve(bytes.size() * 2);
    for (const char ch : bytes) {
        const auto b = static_cast<unsigned char>(ch);
        result += QLatin1Char(Digits[b >> 4]);
        result += QLatin1Char(Digits[b & 0x0F]);
        // Keeps the window responsive during a long conversion, but lets no
        // click or key in: it could run OK or Cancel in the middle of a write.
        QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
    }
    return result;
}

QString HexToText(const QString& hex)
{
    QString result;
    result.reserve((hex.size() + 1) / 2);
    for (qsizetype i = 0; i < hex.size(); i += 2) {
        const int value = parseHexPair(QStringView(hex).mid(i, 2));
        result += Win1252::decodeByte(static_cast<unsigned char>(value));
    }
    return result;
}

} // namespace modCryptText
