#include "sync/ConflictName.h"

#include <QDateTime>
#include <QRegularExpression>

#include <algorithm>

namespace ConflictName {

namespace {

// One naming rule: `pattern` matches the whole name with the record's name
// (without ".gbx") in the group "name", and the date (and time) the tool
// wrote in the groups "date" and "time", in `dateFormat` and `timeFormat`.
// Every rule's name holds `marker`, so most names are passed over unread.
struct Rule {
    const char* tool;
    const char* marker;
    const char* pattern;
    const char* dateFormat;
    const char* timeFormat; // nullptr: the name holds no time
};

// A new tool is a new line.
constexpr Rule Rules[] = {
    {"Syncthing", ".sync-conflict-", R"(^(?<name>.+)\.sync-conflict-(?<date>\d{8})-(?<time>\d{6})-[A-Z2-7]{7}\.gbx$)",
     "yyyyMMdd", "HHmmss"},
    {"Nextcloud", " (conflicted copy ",
     R"(^(?<name>.+) \(conflicted copy (?<date>\d{4}-\d{2}-\d{2}) (?<time>\d{6})\)\.gbx$)", "yyyy-MM-dd", "HHmmss"},
    {"ownCloud", "_conflict-", R"(^(?<name>.+)_conflict-(?<date>\d{8})-(?<time>\d{6})\.gbx$)", "yyyyMMdd", "HHmmss"},
    {"Dropbox", "s conflicted copy ",
     R"(^(?<name>.+) \([^()]+['’]s conflicted copy (?<date>\d{4}-\d{2}-\d{2})\)\.gbx$)", "yyyy-MM-dd", nullptr},
};

struct CompiledRule {
    const Rule* rule;
    QRegularExpression expression;
};

const QList<CompiledRule>& compiled()
{
    static const QList<CompiledRule> rules = [] {
        QList<CompiledRule> list;
        for (const Rule& rule : Rules)
            list.append({&rule, QRegularExpression(QString::fromUtf8(rule.pattern))});
        return list;
    }();
    return rules;
}

bool validStamp(const QRegularExpressionMatch& m, const Rule& rule)
{
    if (!QDate::fromString(m.captured(u"date"), QString::fromLatin1(rule.dateFormat)).isValid())
        return false;
    return !rule.timeFormat || QTime::fromString(m.captured(u"time"), QString::fromLatin1(rule.timeFormat)).isValid();
}

} // namespace

std::optional<Match> parse(const QString& fileName)
{
    for (const CompiledRule& c : compiled()) {
        if (!fileName.contains(QString::fromUtf8(c.rule->marker)))
            continue;
        const QRegularExpressionMatch m = c.expression.match(fileName);
        if (m.hasMatch() && validStamp(m, *c.rule))
            return Match{m.captured(u"name") + QStringLiteral(".gbx"), QString::fromLatin1(c.rule->tool)};
    }
    return std::nullopt;
}

bool mayBe(QByteArrayView fileName)
{
    if (!fileName.endsWith(".gbx"))
        return false;
    return std::ranges::any_of(Rules, [&](const Rule& rule) { return fileName.contains(QByteArrayView(rule.marker)); });
}

} // namespace ConflictName
