#include "import/ImportDates.h"

#include "common/DateTokens.h"

#include <QHash>
#include <QList>

namespace ImportDates {

namespace {

using DateTokens::Token;

// The numbers and words of a date, and its first separator other than ','.
std::optional<QList<Token>> parts(QStringView text, QChar* separator)
{
    *separator = QChar();
    const auto tokens = DateTokens::split(text);
    if (!tokens)
        return std::nullopt;
    QList<Token> out;
    for (const Token& token : *tokens) {
        if (token.kind != Token::Separator)
            out.append(token);
        else if (token.text != u"," && separator->isNull())
            *separator = token.text.front();
    }
    return out;
}

QString folded(QString name)
{
    name = name.normalized(QString::NormalizationForm_D);
    QString out;
    for (const QChar c : name)
        if (c.isLetter())
            out += c.toCaseFolded();
    return out;
}

// Every month name and abbreviation of the languages spreadsheets here are kept in.
const QHash<QString, int>& monthNames()
{
    static const QHash<QString, int> names = [] {
        QHash<QString, int> out;
        QList<QLocale> locales = {QLocale(QLocale::English), QLocale(QLocale::German),  QLocale(QLocale::French),
                                  QLocale(QLocale::Spanish), QLocale(QLocale::Italian), QLocale(QLocale::Dutch)};
        locales << QLocale();
        for (const QLocale& l : locales)
            for (int m = 1; m <= 12; ++m)
                for (QLocale::FormatType type : {QLocale::LongFormat, QLocale::ShortFormat}) {
                    out.insert(folded(l.monthName(m, type)), m);
                    out.insert(folded(l.standaloneMonthName(m, type)), m);
                }
        out.insert(QStringLiteral("sept"), 9);
        out.remove(QString());
        return out;
    }();
    return names;
}

bool ignorable(QStringView word)
{
    static const QStringList words = {"st", "nd", "rd", "th", "de", "del", "der", "am", "le", "el", "il"};
    return words.contains(word.toString().toLower());
}

int yearOf(const Token& p)
{
    if (p.text.size() == 4)
        return p.value;
    if (p.text.size() != 2)
        return -1;
    const int thisYear = QDate::currentDate().year();
    const int year = thisYear - thisYear % 100 + p.value;
    return year > thisYear + 20 ? year - 100 : year;
}

// The first two numbers of a date written as three numbers, not year first; nothing otherwise.
std::optional<std::pair<int, int>> firstTwo(QStringView text)
{
    QChar separator;
    const auto p = parts(text.trimmed(), &separator);
    if (!p || p->size() != 3 || (*p)[0].kind != Token::Number || (*p)[1].kind != Token::Number ||
        (*p)[2].kind != Token::Number || (*p)[0].text.size() > 2)
        return std::nullopt;
    return std::pair{(*p)[0].value, (*p)[1].value};
}

} // namespace

Order orderOf(const QLocale& locale)
{
    const QString format = locale.dateFormat(QLocale::ShortFormat);
    const qsizetype day = format.indexOf(u'd');
    const qsizetype month = format.indexOf(u'M');
    return month >= 0 && day >= 0 && month < day ? Order::MonthFirst : Order::DayFirst;
}

ColumnOrder columnOrder(const CsvTable::Table& table, qsizetype column, const QLocale& desktop)
{
    int dayFirst = 0;
    int monthFirst = 0;
    for (qsizetype r = 0; r < table.rowCount(); ++r) {
        const auto two = firstTwo(table.value(r, column));
        if (!two)
            continue;
        if (two->first > 12 && two->second <= 12 && !dayFirst)
            dayFirst = table.rowNumber(r);
        else if (two->second > 12 && two->first <= 12 && !monthFirst)
            monthFirst = table.rowNumber(r);
        if (dayFirst && monthFirst)
            break;
    }
    if (dayFirst && !monthFirst)
        return {Order::DayFirst, dayFirst};
    if (monthFirst && !dayFirst)
        return {Order::MonthFirst, monthFirst};
    return {orderOf(desktop), 0};
}

std::optional<QDate> read(QStringView text, Order order)
{
    text = text.trimmed();
    // ISO 8601 with a time of day, or a spreadsheet's "2028-10-03 00:00:00": the date.
    if (text.size() > 10 && text.at(4) == u'-' && (text.at(10) == u'T' || text.at(10) == u' '))
        text = text.first(10);
    QChar separator;
    const auto p = parts(text, &separator);
    if (!p)
        return std::nullopt;
    QList<Token> numbers;
    int month = 0;
    for (const Token& part : *p) {
        if (part.kind == Token::Number) {
            numbers << part;
        } else if (const int m = monthNames().value(folded(part.text.toString())); m && !month) {
            month = m;
        } else if (!ignorable(part.text)) {
            return std::nullopt;
        }
    }
    QDate date;
    if (!month && numbers.size() == 3 && p->size() == 3 && !separator.isNull()) {
        if (numbers[0].text.size() == 4) {
            date = QDate(numbers[0].value, numbers[1].value, numbers[2].value);
        } else if (numbers[0].text.size() <= 2 && numbers[1].text.size() <= 2) {
            const bool dayFirst = order == Order::DayFirst;
            date = QDate(yearOf(numbers[2]), numbers[dayFirst ? 1 : 0].value, numbers[dayFirst ? 0 : 1].value);
        }
    } else if (month && numbers.size() == 2) {
        // "3 Oct 2028", "Oct 3, 2028", "2028 Oct 3": the four-digit number is the year.
        const int yearAt = numbers[0].text.size() == 4 ? 0 : 1;
        const Token& day = numbers[1 - yearAt];
        if (day.text.size() <= 2)
            date = QDate(yearOf(numbers[yearAt]), month, day.value);
    }
    return date.isValid() ? std::optional<QDate>(date) : std::nullopt;
}

QString iso(QDate date)
{
    return date.toString(Qt::ISODate);
}

QString describe(const ColumnOrder& order)
{
    const QString which =
        order.order == Order::DayFirst ? QStringLiteral("day before month") : QStringLiteral("month before day");
    if (order.decidingRow < 0)
        return QStringLiteral("%1 (as chosen)").arg(which);
    return order.decidingRow > 0 ? QStringLiteral("%1 (as row %2 shows)").arg(which).arg(order.decidingRow)
                                 : QStringLiteral("%1 (as the desktop's language writes them)").arg(which);
}

} // namespace ImportDates
