#pragma once

#include <QString>
#include <QStringView>

// The order of every list of names the user sees (vehicles, maintenance
// entries, parts) and of the list files written from them: alphabetical in
// the user's language, ignoring letter case ("eagle", "Émile", "Zed").
namespace NameOrder {

// Negative, zero or positive as a sorts before, with or after b.
int compare(QStringView a, QStringView b);
bool lessThan(const QString& a, const QString& b);

// lessThan for sorting or searching many names at once: the locale is looked
// up once, when it is made.
class Less {
public:
    Less();
    bool operator()(const QString& a, const QString& b) const;

private:
    const void* m_order;
};

} // namespace NameOrder
