#include "NameOrder.h"

#include <QCollator>
#include <QLocale>

#include <algorithm>
#include <array>
#include <optional>

namespace {

constexpr char16_t FirstPrintable = 0x20;
constexpr char16_t LastPrintable = 0x7e;

// The collator of the current locale, and for English (and the C locale) the
// place of every printable ASCII character in its order. There a name of
// printable ASCII only sorts as its characters' places do: each character
// weighs alone, with no letter pairs that sort as one, and case is ignored
// both ways. Lists of 10,000 names are mostly such names.
struct Order {
    QLocale locale;
    QCollator collator;
    std::optional<std::array<quint8, LastPrintable - FirstPrintable + 1>> asciiRank;

    explicit Order(const QLocale& l) : locale(l), collator(l)
    {
        collator.setCaseSensitivity(Qt::CaseInsensitive);
        collator.setNumericMode(false);
        collator.setIgnorePunctuation(false);
        if (l.language() != QLocale::English && l.language() != QLocale::C)
            return;
        QList<QString> characters;
        for (char16_t c = FirstPrintable; c <= LastPrintable; ++c)
            characters << QString(QChar(c));
        std::stable_sort(characters.begin(), characters.end(),
                         [this](const QString& a, const QString& b) { return collator.compare(a, b) < 0; });
        std::array<quint8, LastPrintable - FirstPrintable + 1> rank{};
        quint8 next = 0;
        for (qsizetype i = 0; i < characters.size(); ++i) {
            if (i > 0 && collator.compare(characters.at(i - 1), characters.at(i)) != 0)
                ++next;
            rank[characters.at(i).at(0).unicode() - FirstPrintable] = next;
        }
        asciiRank = rank;
    }
};

Order& order()
{
    static std::optional<Order> current;
    const QLocale locale;
    if (!current || current->locale != locale)
        current.emplace(locale);
    return *current;
}

bool printableAscii(QStringView s)
{
    return std::all_of(s.begin(), s.end(), [](QChar c) { return c >= FirstPrintable && c <= LastPrintable; });
}

} // namespace

namespace NameOrder {

int compare(QStringView a, QStringView b)
{
    Order& o = order();
    if (o.asciiRank && printableAscii(a) && printableAscii(b)) {
        const auto& rank = *o.asciiRank;
        const qsizetype n = std::min(a.size(), b.size());
        for (qsizetype i = 0; i < n; ++i) {
            const int x = rank[a[i].unicode() - FirstPrintable];
            const int y = rank[b[i].unicode() - FirstPrintable];
            if (x != y)
                return x < y ? -1 : 1;
        }
        return a.size() == b.size() ? 0 : (a.size() < b.size() ? -1 : 1);
    }
    return o.collator.compare(a, b);
}

bool lessThan(const QString& a, const QString& b)
{
    return compare(a, b) < 0;
}

} // namespace NameOrder
