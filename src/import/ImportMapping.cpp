#include "ImportMapping.h"

#include "RecordCaptions.h"

#include <QHash>

namespace ImportMapping {

namespace {

// Letters and digits only, lower case: "Odometer (km)" and "odometer km" match.
QString normalized(QStringView header)
{
    QString out;
    for (const QChar c : header)
        if (c.isLetterOrNumber())
            out += c.toLower();
    return out;
}

struct Usual {
    int target;
    const char* names; // normalized, separated by spaces
};

// The names other programs and spreadsheets give these columns.
const QList<Usual>& usualNames(Kind kind)
{
    static const QList<Usual> vehicles = {
        {Name, "vehicle name vehiclename nickname car"},
        {1, "make manufacturer brand"},
        {2, "model"},
        {3, "year modelyear"},
        {4, "color colour"},
        {5, "engine motor"},
        {6, "doors"},
        {7, "mileage odometer km miles purchasemileage startingmileage"},
        {10, "dealer seller purchasedat purchasedfrom boughtfrom"},
        {11, "purchasedate dateofpurchase bought"},
        {12, "warranty"},
        {13, "insurance insurer"},
        {14, "insuredsince insurancedate"},
        {17, "notes note comments comment remarks memo description"},
        {18, "transmission gearbox"},
        {19, "boughtas condition newused"},
    };
    static const QList<Usual> maintenance = {
        {Vehicle, "vehicle car vehiclename"},
        {Name, "description service maintenance item task work category type servicetype job name"},
        {1, "date servicedate lastdate lastinspection datedone done"},
        {2, "nextdate duedate nextdue next nextservice nextservicedate"},
        {3, "odometer mileage miles km kilometers kilometres odo odometerreading"},
        {4, "nextmileage nextodometer duemileage nextmiles nextkm"},
        {5, "shop vendor garage location place where dealer servicedby provider station"},
        {6, "notes note comments comment remarks memo"},
    };
    static const QList<Usual> parts = {
        {Vehicle, "vehicle car vehiclename"},
        {Name, "part partname item description component name"},
        {1, "store shop vendor seller supplier purchasedat where"},
        {2, "purchasedate date bought"},
        {3, "brand manufacturer make"},
        {4, "warranty warrantyexpires warrantyuntil"},
        {5, "size dimensions measurements details"},
        {6, "installed installdate installationdate"},
        {7, "quantity qty count numberofparts ofparts pieces"},
        {8, "notes note comments comment remarks memo"},
    };
    return kind == Kind::Vehicles ? vehicles : kind == Kind::Maintenance ? maintenance : parts;
}

QStringList exportHeaders(Kind kind)
{
    if (kind == Kind::Vehicles)
        return QStringList{nameCaption(kind)} + valueCaptions(kind);
    return QStringList{nameCaption(Kind::Vehicles), nameCaption(kind)} + valueCaptions(kind);
}

// The target each header names, by caption first and usual name second; each target once.
QList<int> matched(Kind kind, const QStringList& headers, int* hits)
{
    QHash<QString, int> byCaption, byUsual;
    for (const Choice& c : choices(kind))
        if (c.target >= Vehicle)
            byCaption.insert(normalized(c.caption), c.target);
    for (const Usual& u : usualNames(kind))
        for (const QString& name : QString::fromLatin1(u.names).split(QLatin1Char(' ')))
            byUsual.insert(name, u.target);
    QList<int> columns(headers.size(), Notes);
    QList<int> taken;
    *hits = 0;
    for (const auto* table : {&byCaption, &byUsual})
        for (qsizetype c = 0; c < headers.size(); ++c) {
            if (columns[c] != Notes)
                continue;
            const int target = table->value(normalized(headers[c]), LeftOut);
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
