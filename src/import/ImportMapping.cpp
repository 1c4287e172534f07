#include "import/ImportMapping.h"

#include "common/RecordCaptions.h"
#include "import/ImportWords.h"

#include <QHash>

namespace ImportMapping {

namespace {

using ImportWords::normalized;

QStringList exportHeaders(Kind kind)
{
    if (kind == Kind::Vehicles)
        return QStringList{nameCaption(kind)} + valueCaptions(kind);
    return QStringList{nameCaption(Kind::Vehicles), nameCaption(kind)} + valueCaptions(kind);
}

// The target each header names, by caption first and usual name second; each target once.
QList<int> matched(Kind kind, const QStringList& headers, int* hits)
{
    QHash<QString, int> byCaption;
    QHash<QString, int> byUsual;
    for (const Choice& c : choices(kind))
        if (c.target >= Vehicle)
            byCaption.insert(normalized(c.caption), c.target);
    for (const ImportWords::Word& w : ImportWords::table())
        if (w.kind == kind)
            for (const QString& word : w.words.split(QLatin1Char('|')))
                byUsual.insert(normalized(word), w.target);
    QList<int> columns(headers.size(), Notes);
    QList<int> taken;
    *hits = 0;
    for (const auto* table : {&byCaption, &byUsual})
        for (qsizetype c = 0; c < headers.size(); ++c) {
            if (columns[c] != Notes)
                continue;
            int target = table->value(normalized(headers[c], ImportWords::Brackets::Kept), LeftOut);
            if (target == LeftOut)
                target = table->value(normalized(headers[c]), LeftOut);
            if (target == LeftOut || taken.contains(target))
                continue;
            columns[c] = target;
            taken << target;
            ++*hits;
        }
    return columns;
}

} // namespace

QString kindName(Kind kind)
{
    return kind == Kind::Vehicles      ? QStringLiteral("vehicles")
           : kind == Kind::Maintenance ? QStringLiteral("maintenance")
                                       : QStringLiteral("parts");
}

std::optional<Kind> kindNamed(QStringView name)
{
    for (Kind k : {Kind::Vehicles, Kind::Maintenance, Kind::Parts})
        if (name.compare(kindName(k), Qt::CaseInsensitive) == 0)
            return k;
    return std::nullopt;
}

QString nameCaption(Kind kind)
{
    return kind == Kind::Vehicles      ? QStringLiteral("Vehicle")
           : kind == Kind::Maintenance ? QStringLiteral("Maintenance")
                                       : QStringLiteral("Part");
}

const QStringList& valueCaptions(Kind kind)
{
    return kind == Kind::Vehicles      ? RecordCaptions::vehicle()
           : kind == Kind::Maintenance ? RecordCaptions::maintenance()
                                       : RecordCaptions::parts();
}

int transmissionTarget()
{
    return int(RecordCaptions::vehicle().size()) + 1;
}

int boughtAsTarget()
{
    return transmissionTarget() + 1;
}

QList<Choice> choices(Kind kind)
{
    QList<Choice> list;
    list << Choice{Name, nameCaption(kind)};
    if (kind != Kind::Vehicles)
        list << Choice{Vehicle, nameCaption(Kind::Vehicles)};
    const QStringList& values = valueCaptions(kind);
    for (int i = 0; i < values.size(); ++i)
        list << Choice{i + 1, values[i]};
    if (kind == Kind::Vehicles)
        list << Choice{transmissionTarget(), RecordCaptions::transmission()}
             << Choice{boughtAsTarget(), RecordCaptions::boughtAs()};
    list << Choice{Notes, QStringLiteral("Add to Notes")} << Choice{LeftOut, QStringLiteral("Leave out")};
    return list;
}

bool isDate(Kind kind, int target)
{
    switch (kind) {
    case Kind::Vehicles:
        return target == 11 || target == 14;
    case Kind::Maintenance:
        return target == 1 || target == 2;
    case Kind::Parts:
        return target == 2 || target == 4 || target == 6;
    }
    return false;
}

QString caption(Kind kind, int target)
{
    for (const Choice& c : choices(kind))
        if (c.target == target)
            return c.caption;
    return QString();
}

std::optional<Mapping> ownExport(const QStringList& headers)
{
    for (Kind kind : {Kind::Vehicles, Kind::Maintenance, Kind::Parts}) {
        if (headers != exportHeaders(kind))
            continue;
        Mapping m;
        m.kind = kind;
        m.ownExport = true;
        if (kind != Kind::Vehicles)
            m.columns << Vehicle;
        m.columns << Name;
        for (int i = 0; i < valueCaptions(kind).size(); ++i)
            m.columns << i + 1;
        return m;
    }
    return std::nullopt;
}

std::optional<Mapping> lubeLogger(const QStringList& headers)
{
    static const QStringList services = {"Date", "Description", "Cost", "Notes", "Odometer", "Tags"};
    static const QStringList supplies = {"Date",        "PartNumber", "PartSupplier", "PartQuantity",
                                         "Description", "Notes",      "Cost",         "Tags"};
    for (const auto& [kind, fixed] : {std::pair{Kind::Maintenance, &services}, std::pair{Kind::Parts, &supplies}}) {
        if (headers.size() < fixed->size() || headers.first(fixed->size()) != *fixed)
            continue;
        bool extraOnly = true;
        for (qsizetype c = fixed->size(); c < headers.size(); ++c)
            extraOnly = extraOnly && headers[c].startsWith(QLatin1String("extrafield_"));
        if (extraOnly)
            return prefilled(kind, headers);
    }
    return std::nullopt;
}

Kind guessKind(const QStringList& headers)
{
    Kind best = Kind::Maintenance; // what most spreadsheets of car records hold
    int bestHits = 0;
    for (Kind kind : {Kind::Maintenance, Kind::Vehicles, Kind::Parts}) {
        int hits = 0;
        matched(kind, headers, &hits);
        if (hits > bestHits) {
            best = kind;
            bestHits = hits;
        }
    }
    return best;
}

Mapping prefilled(Kind kind, const QStringList& headers)
{
    if (auto own = ownExport(headers); own && own->kind == kind)
        return *own;
    Mapping m;
    m.kind = kind;
    int hits = 0;
    m.columns = matched(kind, headers, &hits);
    return m;
}

} // namespace ImportMapping
