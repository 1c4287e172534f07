#include "common/DateTokens.h"

namespace DateTokens {

std::optional<QList<Token>> split(QStringView text)
{
    QList<Token> tokens;
    qsizetype i = 0;
    while (i < text.size()) {
        const QChar c = text.at(i);
        if (c.isSpace()) {
            ++i;
            continue;
        }
        qsizetype end = i + 1;
        if (c.isDigit()) {
            while (end < text.size() && text.at(end).isDigit())
                ++end;
            if (end - i > 4)
                return std::nullopt;
            const QStringView digits = text.sliced(i, end - i);
            int value = 0;
            for (QChar d : digits)
                value = value * 10 + d.digitValue();
            tokens.append({Token::Number, digits, value});
        } else if (c.isLetter()) {
            while (end < text.size() && text.at(end).isLetter())
                ++end;
            tokens.append({Token::Word, text.sliced(i, end - i)});
        } else if (c == u'/' || c == u'-' || c == u'.' || c == u',') {
            tokens.append({Token::Separator, text.sliced(i, 1)});
        } else {
            return std::nullopt;
        }
        i = end;
    }
    return tokens;
}

} // namespace DateTokens
