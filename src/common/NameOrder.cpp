#include "common/NameOrder.h"

#include <QCollator>
#include <QLocale>

#include <algorithm>
#include <array>
#include <optional>

namespace {

constexpr char16_t FirstPrintable = 0x20;
constexpr char16_t LastPrintable = 0x7e;
constexpr int NoRank = -1;

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

bool printable(QChar c)
{
    return c.unicode() >= FirstPrintable && c.unicode() <= LastPrintable;
}

int compareIn(const Order& o, QStringView a, QStringView b)
{
    if (!o.asciiRank)
        return o.collator.compare(a, b);
    const auto& rank = *o.asciiRank;
    // The place of a character, or NoRank when it is not printable ASCII.
    auto place = [&rank](QChar c) { return printable(c) ? int(rank[c.unicode() - FirstPrintable]) : NoRank; };
    const qsizetype n = std::min(a.size(), b.size());
    // Names of one list often share long beginnings: the equal part is passed first.
    const qsizetype same = std::mismatch(a.begin(), a.begin() + n, b.begin()).first - a.begin();
    if (!std::all_of(a.begin(), a.begin() + same, printable))
        return o.collator.compare(a, b);
    // Then, as far as both are printable ASCII, the first character of a different place decides.
    for (qsizetype i = same; i < n; ++i) {
        const int x = place(a[i]);
        const int y = place(b[i]);
        if (x == NoRank || y == NoRank)
            return o.collator.compare(a, b);
        if (x != y)
            return x < y ? -1 : 1;
    }
    if (a.size() == b.size())
        return 0;
    // One begins the other: the shorter goes first unless the rest weighs nothing.
    const QStringView rest = a.size() > n ? a.sliced(n) : b.sliced(n);
    if (!std::all_of(rest.begin(), rest.end(), printable))
        return o.collator.compare(a, b);
    return a.size() < b.size() ? -1 : 1;
}

} // namespace

namespace NameOrder {

int compare(QStringView a, QStringView b)
{
    return compareIn(order(), a, b);
}

bool lessThan(const QString& a, const QString& b)
{
    return compare(a, b) < 0;
}

Less::Less() : m_order(&order()) {}

bool Less::operator()(const QString& a, const QString& b) const
{
    return compareIn(*static_cast<const Order*>(m_order), a, b) < 0;
}

} // namespace NameOrder
