#pragma once

#include <QList>
#include <QStringView>

#include <optional>

// A written date in pieces: numbers, words (letters) and the single
// separators '/', '-', '.' and ','; blanks only part pieces. The readers of
// the dates users type and the import's date columns both read dates so.
namespace DateTokens {

struct Token {
    enum Kind { Number, Word, Separator } kind;
    QStringView text;
    int value = 0; // numbers only
};

// Nothing for any other character, or for a number longer than any part of a date (four digits).
std::optional<QList<Token>> split(QStringView text);

} // namespace DateTokens
