#include "due/DueReading.h"

#include "common/DateTokens.h"

#include <QList>
#include <QString>

#include <algorithm>
#include <array>
#include <cstdlib>

namespace DueReading {

namespace {

using DateTokens::Token;

// The order of day, month and year in a locale's date format, as 'd', 'M', 'y'.
std::array<char, 3> fieldOrder(const QString& format)
{
    std::array<char, 3> order{};
    int found = 0;
    bool quoted = false;
    for (qsizetype i = 0; i < format.size() && found < 3; ++i) {
        const QChar c = format.at(i);
        if (c == u'\'') {
            quoted = !quoted;
            continue;
        }
        if (quoted)
            continue;
        qsizetype run = 1;
        while (i + run < format.size() && format.at(i + run) == c)
            ++run;
        const char field = c == u'd' && run <= 2 ? 'd' : c == u'M' ? 'M' : c == u'y' ? 'y' : 0;
        i += run - 1;
        if (field && std::find(order.begin(), order.begin() + found, field) == order.begin() + found)
            order[found++] = field;
    }
    if (found < 3)
        return {'d', 'M', 'y'};
    return order;
}

// The names and orders of one locale, made once per thread and locale: a
// scan reads thousands of dates.
struct LocaleNames {
    QLocale locale;
    std::array<char, 3> shortOrder{};
    std::array<char, 3> longOrder{};
    QList<std::pair<QString, int>> months; // every spelling, folded, with its month
    QStringList weekdays;                  // every spelling, folded
};

const LocaleNames& namesOf(const QLocale& locale)
{
    thread_local std::optional<LocaleNames> cached;
    if (cached && cached->locale == locale)
        return *cached;
    LocaleNames names{locale,
                      fieldOrder(locale.dateFormat(QLocale::ShortFormat)),
                      fieldOrder(locale.dateFormat(QLocale::LongFormat)),
                      {},
                      {}};
    const auto fold = [](QString name) {
        while (name.endsWith(u'.'))
            name.chop(1);
        return name.toCaseFolded();
    };
    const QLocale english(QLocale::English);
    for (const QLocale& l : {locale, english}) {
        for (QLocale::FormatType type : {QLocale::LongFormat, QLocale::ShortFormat}) {
            for (int m = 1; m <= 12; ++m) {
                names.months.append({fold(l.monthName(m, type)), m});
                names.months.append({fold(l.standaloneMonthName(m, type)), m});
            }
            for (int d = 1; d <= 7; ++d)
                names.weekdays << fold(l.dayName(d, type)) << fold(l.standaloneDayName(d, type));
        }
    }
    cached = std::move(names);
    return *cached;
}

// A year as typed: four digits as they are; two digits in the century that
// puts the date nearest to today.
QDate dateWithYear(const Token& year, int month, int day, QDate today)
{
    if (year.text.size() == 4)
        return QDate(year.value, month, day);
    if (year.text.size() != 2)
        return {};
    const int base = today.year() - today.year() % 100 + year.value;
    QDate best;
    for (int candidate : {base - 100, base, base + 100}) {
        const QDate date(candidate, month, day);
        if (date.isValid() && (!best.isValid() || std::llabs(today.daysTo(date)) < std::llabs(today.daysTo(best))))
            best = date;
    }
    return best;
}

// Three numbers joined by one kind of separator: year first when it has four
// digits, otherwise in the locale's order; when that order gives no date but
// the swapped day and month do ("13/05/2025" where months come first), that.
std::optional<QDate> readNumeric(const QList<Token>& t, const LocaleNames& names, QDate today)
{
    if (t.size() != 5 || t[0].kind != Token::Number || t[2].kind != Token::Number || t[4].kind != Token::Number ||
        t[1].kind != Token::Separator || t[3].kind != Token::Separator || t[1].text != t[3].text || t[1].text == u",")
        return std::nullopt;
    std::array<char, 3> order = names.shortOrder;
    if (t[0].text.size() == 4)
        order = {'y', 'M', 'd'};
    const Token* year = nullptr;
    int day = 0;
    int month = 0;
    for (int i = 0; i < 3; ++i) {
        const Token& part = t[i * 2];
        if (order[i] == 'y')
            year = &part;
        else if (part.text.size() > 2)
            return std::nullopt;
        else if (order[i] == 'd')
            day = part.value;
        else
            month = part.value;
    }
    QDate date = dateWithYear(*year, month, day, today);
    if (!date.isValid())                               // the other order, as a date the locale's cannot be
        date = dateWithYear(*year, day, month, today); // NOLINT(readability-suspicious-call-argument)
    return date.isValid() ? std::optional<QDate>(date) : std::nullopt;
}

// 1 to 12 for a month name of the locale or of English, long or short; 0 if none.
int monthOf(QStringView word, const LocaleNames& names)
{
    const QString folded = word.toString().toCaseFolded();
    for (const auto& [name, month] : names.months)
        if (!name.isEmpty() && name == folded)
            return month;
    return 0;
}

bool isWeekday(QStringView word, const LocaleNames& names)
{
    const QString folded = word.toString().toCaseFolded();
    return !folded.isEmpty() && names.weekdays.contains(folded);
}

bool isOrdinalSuffix(QStringView word)
{
    static constexpr std::array Suffixes{"st", "nd", "rd", "th"};
    return std::ranges::any_of(
        Suffixes, [&](const char* suffix) { return word.compare(QLatin1String(suffix), Qt::CaseInsensitive) == 0; });
}

// A month by name with a day and a year ("14 March 2025", "Friday, March 14,
// 2025", "14. März 2025"): the four-digit number is the year; with two short
// numbers the locale's long format says which comes first.
std::optional<QDate> readWithMonthName(const QList<Token>& t, const LocaleNames& names, QDate today)
{
    int month = 0;
    QList<Token> numbers;
    for (qsizetype i = 0; i < t.size(); ++i) {
        if (t[i].kind == Token::Number) {
            numbers.append(t[i]);
        } else if (t[i].kind == Token::Word) {
            if (const int m = monthOf(t[i].text, names); m && !month)
                month = m;
            else if (i > 0 && t[i - 1].kind == Token::Number && isOrdinalSuffix(t[i].text))
                continue;
            else if (!isWeekday(t[i].text, names))
                return std::nullopt;
        }
    }
    if (!month || numbers.size() != 2)
        return std::nullopt;
    const auto& order = names.longOrder;
    const bool yearFirst = numbers[0].text.size() == 4 ||
                           (numbers[1].text.size() != 4 &&
                            std::find(order.begin(), order.end(), 'y') < std::find(order.begin(), order.end(), 'd'));
    const Token& year = numbers[yearFirst ? 0 : 1];
    const Token& day = numbers[yearFirst ? 1 : 0];
    if (day.text.size() > 2)
        return std::nullopt;
    const QDate date = dateWithYear(year, month, day.value, today);
    return date.isValid() ? std::optional<QDate>(date) : std::nullopt;
}

} // namespace

std::optional<QDate> readDate(QStringView text, const QLocale& locale, QDate today)
{
    text = text.trimmed();
    if (text.isEmpty())
        return std::nullopt;
    // ISO 8601 with a time of day: the date part.
    if (text.size() > 10 && text.at(10) == u'T')
        text = text.first(10);
    if (const auto tokens = DateTokens::split(text)) {
        const LocaleNames& names = namesOf(locale);
        if (auto date = readNumeric(*tokens, names, today))
            return date;
        if (auto date = readWithMonthName(*tokens, names, today))
            return date;
    }
    // Whatever else the locale writes (for instance "2025年3月14日").
    for (QLocale::FormatType type : {QLocale::LongFormat, QLocale::ShortFormat}) {
        const QString format = locale.dateFormat(type);
        if (format.contains(QLatin1String("yyyy"))) {
            const QDate date = locale.toDate(text.toString(), format);
            if (date.isValid())
                return date;
        }
    }
    return std::nullopt;
}

std::optional<qint64> readMileage(QStringView text)
{
    text = text.trimmed();
    const auto isGroupSeparator = [](QChar c) {
        return c == u',' || c == u'.' || c == u'\'' || c == u' ' || c == QChar(0x00A0) || c == QChar(0x202F) ||
               c == QChar(0x2009);
    };
    QList<QStringView> groups;
    qsizetype i = 0;
    while (i < text.size() && text.at(i).isDigit()) {
        qsizetype end = i;
        while (end < text.size() && text.at(end).isDigit())
            ++end;
        groups.append(text.sliced(i, end - i));
        i = end;
        if (i + 1 < text.size() && isGroupSeparator(text.at(i)) && text.at(i + 1).isDigit())
            ++i;
        else
            break;
    }
    if (groups.isEmpty())
        return std::nullopt;
    // Whatever follows is a unit: letters and dots only.
    for (QChar c : text.sliced(i))
        if (!c.isLetter() && c != u'.' && !c.isSpace())
            return std::nullopt;
    // A last group that is not three digits long is a fraction.
    if (groups.size() > 1 && groups.last().size() != 3)
        groups.removeLast();
    QString digits;
    for (qsizetype g = 0; g < groups.size(); ++g) {
        if (g > 0 && groups[g].size() != 3)
            return std::nullopt;
        digits += groups[g];
    }
    if (digits.size() > 15)
        return std::nullopt;
    return digits.toLongLong();
}

} // namespace DueReading
