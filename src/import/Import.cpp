#include "import/Import.h"

#include "backup/Archive.h"
#include "backup/CsvExport.h"
#include "backup/Restore.h"
#include "common/DataFolder.h"
#include "common/NameOrder.h"
#include "common/NameRules.h"
#include "common/RecordFile.h"
#include "common/RecordStore.h"
#include "import/ImportGroups.h"
#include "import/ImportJournal.h"
#include "import/ImportNames.h"
#include "import/ImportWords.h"

#include <QDir>
#include <QFile>
#include <QHash>
#include <QSet>

#include <algorithm>

namespace Import {

namespace {

using ImportMapping::Kind;
using ImportMapping::Mapping;

void (*g_afterWrite)(int) = nullptr;

QString quoted(const QString& name)
{
    return QStringLiteral("\u201C%1\u201D").arg(name);
}

QString fileName(const QString& path)
{
    return QFileInfo(path).fileName();
}

using Claim = FileClaims::Claim;
namespace Vehicle = RecordLayout::Vehicle;

RecordLayout::Kind recordKind(Kind kind)
{
    switch (kind) {
    case Kind::Vehicles:
        return RecordLayout::Kind::Vehicle;
    case Kind::Maintenance:
        return RecordLayout::Kind::Maintenance;
    case Kind::Parts:
        break;
    }
    return RecordLayout::Kind::Part;
}

// The option buttons of a vehicle file, stored as truth values.
bool isTruth(Kind kind, qsizetype value)
{
    return RecordLayout::isTruth(recordKind(kind), int(value));
}

std::optional<bool> yesOrNo(QStringView value)
{
    if (auto truth = RecordFile::truthOf(value))
        return truth;
    const QString v = value.toString().toLower();
    if (v == u"yes" || v == u"y" || v == u"x" || v == u"1")
        return true;
    if (v == u"no" || v == u"n" || v == u"0")
        return false;
    return std::nullopt;
}

QString oneLine(QString value)
{
    if (!value.contains(QLatin1Char('\r')) && !value.contains(QLatin1Char('\n')))
        return value;
    value.replace(QStringLiteral("\r\n"), QStringLiteral(" "));
    value.replace(QLatin1Char('\r'), QLatin1Char(' '));
    value.replace(QLatin1Char('\n'), QLatin1Char(' '));
    return value;
}

// The Notes box stores its line breaks as CR LF.
QString notesText(QString value)
{
    if (!value.contains(QLatin1Char('\r')) && !value.contains(QLatin1Char('\n')))
        return value;
    value.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    value.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    value.replace(QLatin1Char('\n'), QStringLiteral("\r\n"));
    return value;
}

using Row = ImportGroups::Row;

// Date columns by their order of day and month; a column missing is not a date column.
using DateColumns = QHash<qsizetype, ImportDates::Order>;

void setPair(QStringList* values, int first, bool firstOn)
{
    (*values)[first] = firstOn ? QStringLiteral("True") : QStringLiteral("False");
    (*values)[first + 1] = firstOn ? QStringLiteral("False") : QStringLiteral("True");
}

Row rowOf(const Source& s, qsizetype r, const DateColumns& dates)
{
    const Mapping& m = s.mapping;
    const CsvTable::Table& t = s.table;
    Row out;
    out.vehicle = m.vehicle;
    out.index = r;
    out.values = QStringList(ImportMapping::valueCaptions(m.kind).size());
    const qsizetype notes = out.values.size() - 1;
    QStringList extra;
    const qsizetype columns = std::max(qsizetype(m.columns.size()), t.columnCount(r));
    for (qsizetype c = 0; c < columns; ++c) {
        // What the export guarded against formulas, as it was.
        QString v = CsvExport::unguarded(t.value(r, c));
        if (!m.ownExport)
            v = v.trimmed();
        if (v.isEmpty())
            continue;
        if (const auto order = dates.constFind(c); order != dates.cend())
            if (const auto date = ImportDates::read(v, *order))
                v = ImportDates::iso(*date);
        const int target = m.columns.value(c, ImportMapping::Notes);
        const auto asNote = [&] {
            const QString header = t.headers.value(c);
            return (header.isEmpty() ? QStringLiteral("Column %1").arg(c + 1) : header) + QStringLiteral(": ") + v;
        };
        if (target == ImportMapping::LeftOut)
            continue;
        if (target == ImportMapping::Notes) {
            extra << asNote();
        } else if (target == ImportMapping::Vehicle) {
            out.vehicle = v;
        } else if (target == ImportMapping::Name) {
            out.name = v;
        } else if (m.kind == Kind::Vehicles && target == ImportMapping::transmissionTarget()) {
            const QString lower = v.toLower();
            if (lower.contains(u"auto"))
                setPair(&out.values, Vehicle::Automatic, true);
            else if (lower.contains(u"man") || lower.contains(u"stick"))
                setPair(&out.values, Vehicle::Automatic, false);
            else
                extra << asNote();
        } else if (m.kind == Kind::Vehicles && target == ImportMapping::boughtAsTarget()) {
            const QString lower = v.toLower();
            if (lower.contains(u"new"))
                setPair(&out.values, Vehicle::New, true);
            else if (lower.contains(u"used") || lower.contains(u"pre") || lower.contains(u"second"))
                setPair(&out.values, Vehicle::New, false);
            else
                extra << asNote();
        } else if (target >= 1 && target <= out.values.size()) {
            const qsizetype i = target - 1;
            if (isTruth(m.kind, i)) {
                if (const auto on = yesOrNo(v))
                    out.values[i] = *on ? QStringLiteral("True") : QStringLiteral("False");
                else
                    extra << asNote();
            } else if (!m.ownExport) {
                out.values[i] += (out.values[i].isEmpty() ? QString() : QStringLiteral(" ")) +
                                 (i == notes ? notesText(v) : oneLine(v));
            } else {
                out.values[i] = v;
            }
        }
    }
    if (!extra.isEmpty())
        out.values[notes] += (out.values[notes].isEmpty() ? QString() : QStringLiteral("\r\n")) +
                             notesText(extra.join(QLatin1Char('\n')));
    if (m.kind == Kind::Vehicles)
        for (int i : {Vehicle::Automatic, Vehicle::Manual, Vehicle::New, Vehicle::Used})
            if (out.values[i].isEmpty())
                out.values[i] = QStringLiteral("False");
    // As the record store keeps them: what the preview shows is what is stored.
    out.values = RecordStore::storedValues(recordKind(m.kind), out.values);
    return out;
}

std::optional<QByteArray> bytesOnDisk(const QString& file, QString* whyUnreadable)
{
    const RecordFile::ReadResult read = RecordStore::read(file);
    if (read.unreadable())
        *whyUnreadable = read.error;
    if (!read)
        return std::nullopt;
    return read.bytes;
}

QStringList sortedNames(QStringList names)
{
    std::stable_sort(names.begin(), names.end(), NameOrder::Less());
    return names;
}

class Planner {
public:
    explicit Planner(Existing existing) : m_existing(existing) {}

    Preview run(QList<const Source*> sources)
    {
        QString whyUnreadable;
        m_vehicles = VehicleFiles::LoadVehicleList(&whyUnreadable);
        if (!whyUnreadable.isEmpty()) {
            m_p.error = QStringLiteral("The vehicle list cannot be read: %1").arg(whyUnreadable);
            return std::move(m_p);
        }
        m_listed = QSet<QString>(m_vehicles.cbegin(), m_vehicles.cend());
        // One listing of the folder, so that the many new records are not looked for one by one.
        const QStringList present =
            QDir(DataFolder::path()).entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot);
        m_present = QSet<QString>(present.cbegin(), present.cend());
        m_claims.emplace(m_vehicles);
        // Vehicles before the entries and parts that may name them.
        std::stable_sort(sources.begin(), sources.end(), [](const Source* a, const Source* b) {
            return a->mapping.kind == Kind::Vehicles && b->mapping.kind != Kind::Vehicles;
        });
        for (const Source* s : sources) {
            const DateColumns dates = dateColumns(*s);
            QList<Row> rows;
            rows.reserve(s->table.rowCount());
            for (qsizetype r = 0; r < s->table.rowCount(); ++r)
                rows << rowOf(*s, r, dates);
            const Kind kind = s->mapping.kind;
            if (kind == Kind::Vehicles && !s->mapping.columns.contains(ImportMapping::Name))
                nameVehicles(*s, &rows);
            QList<ImportGroups::Group> groups;
            if (kind == Kind::Vehicles || s->mapping.ownExport) {
                for (Row& row : rows)
                    groups << ImportGroups::Group{std::move(row), 1, kind};
            } else {
                const qsizetype mileage = s->mapping.columns.indexOf(3);
                groups = ImportGroups::group(
                    kind, rows, kind == Kind::Maintenance ? ImportWords::unitOf(s->table.headers.value(mileage)) : "");
            }
            rows.clear();
            sample(*s, groups);
            for (const ImportGroups::Group& g : std::as_const(groups)) {
                if (g.rows > 1)
                    m_p.grouped << g.summary();
                if (kind == Kind::Vehicles)
                    vehicleRow(*s, g.row.index, g.row);
                else
                    entryRow(*s, g.row.index, g.row);
            }
        }
        finishLists();
        return std::move(m_p);
    }

private:
    // The order of day and month of each date column, said in the preview.
    DateColumns dateColumns(const Source& s)
    {
        DateColumns dates;
        if (s.mapping.ownExport)
            return dates;
        for (qsizetype c = 0; c < s.mapping.columns.size(); ++c) {
            if (!ImportMapping::isDate(s.mapping.kind, s.mapping.columns[c]))
                continue;
            ImportDates::ColumnOrder order = ImportDates::columnOrder(s.table, c);
            if (s.mapping.dateOrder)
                order = {*s.mapping.dateOrder, -1};
            dates.insert(c, order.order);
            m_p.dates << QStringLiteral("%1, %2: %3")
                             .arg(fileName(s.file), s.table.headers.value(c), ImportDates::describe(order));
        }
        return dates;
    }

    // A sheet of vehicles without a name column: "Make Model", with the year when two would share it.
    void nameVehicles(const Source& s, QList<Row>* rows)
    {
        QList<QStringList> makeModelYear;
        for (const Row& row : std::as_const(*rows))
            makeModelYear << row.values.mid(0, 3);
        const QStringList names = ImportNames::vehicleNames(makeModelYear);
        for (qsizetype i = 0; i < rows->size(); ++i)
            (*rows)[i].name = names[i];
        m_p.named << QStringLiteral("%1 has no column of names: its vehicles are named by their make and model.")
                         .arg(fileName(s.file));
    }

    void sample(const Source& s, const QList<ImportGroups::Group>& groups)
    {
        Sample sample;
        sample.file = s.file;
        const Kind kind = s.mapping.kind;
        if (kind != Kind::Vehicles)
            sample.captions << ImportMapping::nameCaption(Kind::Vehicles);
        sample.captions << ImportMapping::nameCaption(kind) << ImportMapping::valueCaptions(kind);
        for (qsizetype r = 0; r < std::min(qsizetype(SampleRows), groups.size()); ++r) {
            const Row& row = groups[r].row;
            QStringList shown;
            if (kind != Kind::Vehicles)
                shown << row.vehicle;
            shown << storable(s, row.name, [&](const QString& n) {
                return kind == Kind::Vehicles ? VehicleFiles::maintListFile(n)
                                              : VehicleFiles::recordFile(row.vehicle, n);
            }) << row.values;
            sample.rows << shown;
        }
        m_p.samples << sample;
    }

    // The name a record is stored under: the user's, or the nearest that can be a file name when
    // `name` cannot (offered in the preview), or `name`.
    template <class FileOf> QString storable(const Source& s, const QString& name, FileOf fileOf)
    {
        if (const auto chosen = s.mapping.renamed.constFind(name); chosen != s.mapping.renamed.cend()) {
            m_p.renamed.insert(name, *chosen);
            return *chosen;
        }
        if (!NameRules::briefProblem(name, fileOf(name)))
            return name;
        QString nearest = ImportNames::nearestFileName(name);
        if (nearest.isEmpty() || NameRules::briefProblem(nearest, fileOf(nearest)))
            return name;
        m_p.renamed.insert(name, nearest);
        return nearest;
    }

    void skip(const Source& s, qsizetype r, const QString& name, const QString& reason)
    {
        m_p.skipped << Skipped{s.file, s.table.rowNumber(r), name, reason};
    }

    QString rowName(const Source& s, qsizetype r) const
    {
        return QStringLiteral("row %1 of %2").arg(s.table.rowNumber(r)).arg(fileName(s.file));
    }

    // Why the file cannot be the new record's: an earlier row or another record has it.
    QString sharedFile(const QString& file) const
    {
        if (const auto by = m_addedBy.constFind(file); by != m_addedBy.cend())
            return QStringLiteral("it would share the file \"%1\" with %2").arg(file, *by);
        QStringList who;
        for (const Claim& c : m_claims->claimsOf(file))
            who << c.described();
        return who.isEmpty() ? QString()
                             : QStringLiteral("it would share the file \"%1\" with %2")
                                   .arg(file, who.join(QStringLiteral(" and ")));
    }

    // Why `mine` may not change its file: another record claims it too.
    QString claimedBesides(const Claim& mine) const
    {
        QStringList who;
        // The record store's own question, asked while planning so that the row is skipped, not the import.
        for (const Claim& c : m_claims->othersThan(RecordStore::fileOf(mine), mine))
            who << c.described();
        return who.isEmpty() ? QString()
                             : QStringLiteral("its file \"%1\" is also %2")
                                   .arg(RecordStore::fileOf(mine), who.join(QStringLiteral(" and ")));
    }

    // Adds the vehicle to the list when it is not there yet; why not when it cannot be.
    QString ensureVehicle(const Source& s, qsizetype r, const QString& vehicle)
    {
        if (m_listed.contains(vehicle))
            return QString();
        if (const auto problem = NameRules::briefProblem(vehicle, VehicleFiles::maintListFile(vehicle)))
            return QStringLiteral("the vehicle %1 cannot be added: %2").arg(quoted(vehicle), *problem);
        for (const QString& file : VehicleFiles::ownFiles(vehicle))
            if (const QString why = sharedFile(file); !why.isEmpty())
                return QStringLiteral("the vehicle %1 cannot be added: %2").arg(quoted(vehicle), why);
        if (const auto why = NameRules::caseProblem(vehicle, VehicleFiles::ownFiles(vehicle), *m_claims, true))
            return QStringLiteral("the vehicle %1 cannot be added: %2").arg(quoted(vehicle), *why);
        if (m_listed.size() >= VehicleFiles::MaxVehicles)
            return QStringLiteral("the vehicle list holds %1 vehicles, the most it can").arg(VehicleFiles::MaxVehicles);
        m_claims->addVehicle(vehicle);
        m_listed.insert(vehicle);
        m_added << vehicle;
        m_addedBy.insert(VehicleFiles::vehicleFile(vehicle), rowName(s, r));
        ++m_p.vehicles;
        return QString();
    }

    void write(const Claim& claim, const QStringList& values, std::optional<QByteArray> before)
    {
        m_p.writes << Write{claim, values, std::move(before)};
    }

    // A record that exists: skipped, or its empty fields filled.
    void existing(const Source& s, qsizetype r, const QString& name, const Claim& mine, const QStringList& values)
    {
        const QString file = RecordStore::fileOf(mine);
        if (const auto by = m_addedBy.constFind(file); by != m_addedBy.cend())
            return skip(s, r, name, QStringLiteral("the same name as %1").arg(*by));
        m_addedBy.insert(file, rowName(s, r));
        if (m_existing == Existing::Skip)
            return skip(s, r, name, QStringLiteral("it exists already and is left as it is"));
        // A file another record claims too holds the other's values: never filled.
        if (const QString why = claimedBesides(mine); !why.isEmpty())
            return skip(s, r, name, why);
        QString why;
        const std::optional<QByteArray> before = bytesOnDisk(file, &why);
        const RecordLayout::Kind kind = recordKind(s.mapping.kind);
        auto stored =
            before ? RecordStore::parse(kind, *before) : RecordStore::storedValues(kind, QStringList(values.size()));
        if (!why.isEmpty() || !stored)
            return skip(s, r, name,
                        QStringLiteral("its record \"%1\" cannot be read%2")
                            .arg(file, why.isEmpty() ? QString() : QStringLiteral(": ") + why));
        QStringList merged = *stored;
        for (qsizetype i = 0; i < values.size(); ++i) {
            if (!RecordLayout::isTruth(kind, int(i)) && merged[i].isEmpty())
                merged[i] = values[i];
        }
        // An option pair neither of whose buttons is chosen is empty.
        for (int first : {Vehicle::Automatic, Vehicle::New})
            if (kind == RecordLayout::Kind::Vehicle && merged[first] != u"True" && merged[first + 1] != u"True") {
                merged[first] = values[first];
                merged[first + 1] = values[first + 1];
            }
        if (RecordStore::storedValues(kind, merged) == RecordStore::storedValues(kind, *stored))
            return;
        write(mine, merged, before);
        ++m_p.filled;
    }

    void addRecord(const Source& s, qsizetype r, const QString& name, const Claim& mine, const QStringList& values)
    {
        const QString file = RecordStore::fileOf(mine);
        QString why;
        std::optional<QByteArray> before = m_present.contains(file) ? bytesOnDisk(file, &why) : std::nullopt;
        if (!why.isEmpty())
            return skip(s, r, name, QStringLiteral("the file \"%1\" is there but cannot be read: %2").arg(file, why));
        m_addedBy.insert(file, rowName(s, r));
        write(mine, values, std::move(before));
    }

    void vehicleRow(const Source& s, qsizetype r, const Row& row)
    {
        const QString name = storable(s, row.name, [](const QString& n) { return VehicleFiles::maintListFile(n); });
        if (name.isEmpty())
            return skip(s, r, name, QStringLiteral("the vehicle's name is empty"));
        if (const auto problem = NameRules::briefProblem(name, VehicleFiles::maintListFile(name)))
            return skip(s, r, name, *problem);
        const Claim mine{Claim::Vehicle, name, {}};
        if (m_listed.contains(name))
            return existing(s, r, name, mine, row.values);
        if (const QString why = ensureVehicle(s, r, name); !why.isEmpty())
            return skip(s, r, name, why);
        addRecord(s, r, name, mine, row.values);
    }

    void entryRow(const Source& s, qsizetype r, const Row& row)
    {
        const QString name =
            storable(s, row.name, [&](const QString& n) { return VehicleFiles::recordFile(row.vehicle, n); });
        const bool maintenance = s.mapping.kind == Kind::Maintenance;
        if (row.vehicle.isEmpty())
            return skip(s, r, name, QStringLiteral("no vehicle is named for it"));
        if (name.isEmpty())
            return skip(s, r, name, QStringLiteral("the name is empty"));
        if (const QString why = ensureVehicle(s, r, row.vehicle); !why.isEmpty())
            return skip(s, r, name, why);
        const QString list =
            maintenance ? VehicleFiles::maintListFile(row.vehicle) : VehicleFiles::partsListFile(row.vehicle);
        const QString file = VehicleFiles::recordFile(row.vehicle, name);
        if (const auto problem = NameRules::briefProblem(name, file))
            return skip(s, r, name, *problem);
        const Claim listClaim{maintenance ? Claim::MaintList : Claim::PartsList, row.vehicle, {}};
        auto names = m_lists.constFind(list);
        if (names == m_lists.cend()) {
            const auto read = m_claims->list(list);
            if (!read)
                return skip(s, r, name, QStringLiteral("the list \"%1\" cannot be read").arg(list));
            names = m_lists.insert(list, QSet<QString>(read->cbegin(), read->cend()));
            m_listOrder << list;
        }
        const Claim mine{maintenance ? Claim::MaintEntry : Claim::Part, row.vehicle, name};
        if (names->contains(name))
            return existing(s, r, name, mine, row.values);
        // The list gets the new name: not when its file is another record's too.
        if (const QString why = claimedBesides(listClaim); !why.isEmpty())
            return skip(s, r, name,
                        QStringLiteral("the list of %1 cannot be written: %2").arg(quoted(row.vehicle), why));
        if (const QString why = sharedFile(file); !why.isEmpty())
            return skip(s, r, name, why);
        if (const auto why = NameRules::caseProblem(name, {file}, *m_claims, true))
            return skip(s, r, name, *why);
        const qsizetype before = m_p.writes.size();
        addRecord(s, r, name, mine, row.values);
        if (m_p.writes.size() == before)
            return;
        m_newNames[list] << name;
        m_listClaims.insert(list, listClaim);
        m_claims->addToList(list, name);
        ++(maintenance ? m_p.entries : m_p.parts);
    }

    void finishLists()
    {
        QString why;
        for (const QString& list : std::as_const(m_listOrder)) {
            if (!m_newNames.contains(list))
                continue;
            std::optional<QByteArray> before = bytesOnDisk(list, &why);
            write(m_listClaims.value(list), sortedNames(*m_claims->list(list)), std::move(before));
        }
        if (!m_added.isEmpty())
            write({Claim::VehicleList, {}, {}}, sortedNames(m_vehicles + m_added),
                  bytesOnDisk(VehicleFiles::listFile(), &why));
    }

    Existing m_existing;
    Preview m_p;
    QStringList m_vehicles;
    QSet<QString> m_listed;
    QSet<QString> m_present; // the names in the data folder when the planning began
    QStringList m_added;
    std::optional<FileClaims> m_claims; // the folder as the import will leave it
    QHash<QString, QString> m_addedBy;  // file -> the row that adds or fills it
    QHash<QString, QSet<QString>> m_lists;
    QStringList m_listOrder;
    QHash<QString, QStringList> m_newNames;
    QHash<QString, Claim> m_listClaims;

public:
    // The claims of the folder as the import leaves it: what its writes ask.
    FileClaims claims() const { return *m_claims; }
};

QString counted(int n, const char* one, const char* many)
{
    return QStringLiteral("%1 %2").arg(n).arg(QString::fromLatin1(n == 1 ? one : many));
}

} // namespace

QString printable(QString text)
{
    for (QChar& c : text)
        if (c == u'\t' || c == u'\r' || c == u'\n')
            c = u' ';
        else if (c.category() == QChar::Other_Control)
            c = QChar::ReplacementCharacter;
    return text;
}

QString Preview::counts() const
{
    return QStringLiteral("%1, %2 and %3")
        .arg(counted(vehicles, "vehicle", "vehicles"), counted(entries, "maintenance entry", "maintenance entries"),
             counted(parts, "part", "parts"));
}

QString Preview::text() const
{
    if (!error.isEmpty())
        return error;
    QStringList lines;
    for (const Sample& s : samples) {
        lines << QStringLiteral("%1, as it will be stored:").arg(QDir::toNativeSeparators(s.file));
        lines << QStringLiteral("  ") + s.captions.join(QStringLiteral(" | "));
        for (const QStringList& row : s.rows) {
            QStringList shown;
            for (const QString& v : row)
                shown << printable(v);
            lines << QStringLiteral("  ") + shown.join(QStringLiteral(" | "));
        }
    }
    for (const QString& d : dates)
        lines << QStringLiteral("Dates of %1, stored as 2028-10-03.").arg(printable(d));
    lines << named;
    for (auto it = renamed.cbegin(); it != renamed.cend(); ++it)
        lines
            << QStringLiteral("%1 cannot be a file name: stored as %2.").arg(quoted(printable(it.key())), quoted(*it));
    for (const QString& g : grouped)
        lines << printable(g);
    lines << QStringLiteral("To add: %1.").arg(counts());
    if (filled > 0)
        lines << QStringLiteral("%1 that exist get values in their empty fields.")
                     .arg(counted(filled, "record", "records"));
    if (!skipped.isEmpty())
        lines << QStringLiteral("%1 skipped:").arg(counted(int(skipped.size()), "row", "rows"));
    for (const Skipped& s : skipped)
        lines << QStringLiteral("  %1 row %2%3: %4")
                     .arg(fileName(s.file))
                     .arg(s.row)
                     .arg(s.name.isEmpty() ? QString() : QStringLiteral(" (%1)").arg(quoted(printable(s.name))),
                          printable(s.reason));
    return lines.join(QLatin1Char('\n'));
}

namespace {

// The plan, and the claims of the folder as it leaves it: what its writes ask.
std::pair<Preview, std::optional<FileClaims>> plan(const QList<Source>& sources, Existing existing)
{
    QList<const Source*> all;
    for (const Source& s : sources)
        all << &s;
    Planner planner(existing);
    Preview p = planner.run(all);
    if (!p.error.isEmpty())
        return {std::move(p), std::nullopt};
    return {std::move(p), planner.claims()};
}

// The bytes the store keeps a write as, for the note.
QByteArray bytesOf(const Write& w)
{
    if (const auto kind = RecordStore::recordKind(w.claim.kind))
        return RecordStore::recordBytes(*kind, w.values).value_or(QByteArray());
    return RecordStore::listBytes(w.values);
}

} // namespace

Preview preview(const QList<Source>& sources, Existing existing)
{
    return plan(sources, existing).first;
}

Outcome run(const QList<Source>& sources, Existing existing)
{
    Outcome o;
    auto [planned, claims] = plan(sources, existing);
    o.done = std::move(planned);
    if (!o.done.error.isEmpty()) {
        o.error = QStringLiteral("Nothing has been imported. %1").arg(o.done.error);
        return o;
    }
    if (o.done.writes.isEmpty()) {
        o.ok = true;
        return o;
    }
    const QString folder = DataFolder::path();
    DataFolder::CreateDataFolder();
    o.safetyBackup = Restore::safetyBackupPath(folder, QDateTime::currentDateTime(), Restore::MadeBefore::Import);
    const Backup::Outcome backup = Backup::writeBackup(folder, o.safetyBackup);
    if (!backup) {
        o.error = QStringLiteral("The records could not be backed up first, so nothing has been imported.\n\n%1")
                      .arg(backup.error);
        o.safetyBackup.clear();
        return o;
    }
    // Noted before the first write: a kill from here on is undone at the next start or command.
    QList<ImportJournal::Entry> noted;
    noted.reserve(o.done.writes.size());
    for (const Write& w : std::as_const(o.done.writes))
        noted << ImportJournal::Entry{w.file(), w.before, bytesOf(w)};
    if (const WriteResult note = ImportJournal::begin(o.safetyBackup, noted); !note) {
        o.error = QStringLiteral("The import could not be noted in the data folder, so nothing has been imported: "
                                 "%1\n\nThe safety backup is kept in\n\n\"%2\"")
                      .arg(note.error, QDir::toNativeSeparators(o.safetyBackup));
        return o;
    }
    if (g_afterWrite)
        g_afterWrite(0);
    // Every write asks the folder as the import leaves it, and keeps the value rule; all are written as
    // one batch: every file's bytes, one sync, then the renames.
    RecordStore records(std::move(*claims));
    QList<RecordStore::Change> changes;
    changes.reserve(o.done.writes.size());
    for (const Write& w : std::as_const(o.done.writes))
        changes << RecordStore::Change{w.claim, w.values};
    const QList<RecordStore::Outcome> results = records.writeAll(changes, [](qsizetype step) {
        if (g_afterWrite)
            g_afterWrite(int(step));
    });
    QList<const Write*> written;
    for (qsizetype i = 0; i < results.size(); ++i) {
        const RecordStore::Outcome& result = results.at(i);
        if (result.status == RecordStore::Outcome::Status::Written) {
            written << &o.done.writes.at(i);
            continue;
        }
        if (result)
            continue;
        // Back to the folder as it was, newest first.
        QStringList notBack;
        // NOLINTNEXTLINE(modernize-loop-convert): newest first; clang 14 cannot read libstdc++ 12's views::reverse
        for (auto it = written.crbegin(); it != written.crend(); ++it) {
            const Write& back = **it;
            const bool ok =
                back.before ? bool(records.putBack(back.claim, *back.before)) : bool(records.remove(back.claim));
            if (!ok)
                notBack << back.file();
        }
        if (notBack.isEmpty())
            ImportJournal::finish();
        o.error = QStringLiteral("\"%1\" could not be saved: %2\n\n")
                      .arg(QDir::toNativeSeparators(result.path), result.message);
        if (notBack.isEmpty())
            o.error += QStringLiteral("Nothing has been imported; the records are as they were. They are also "
                                      "in the safety backup\n\n\"%1\"")
                           .arg(QDir::toNativeSeparators(o.safetyBackup));
        else
            o.error += QStringLiteral("%1 could not be put back as they were. File > Restore Data with the safety "
                                      "backup\n\n\"%2\"\n\nputs every record back as it was before the import.")
                           .arg(notBack.join(QStringLiteral(", ")), QDir::toNativeSeparators(o.safetyBackup));
        return o;
    }
    ImportJournal::finish();
    o.ok = true;
    return o;
}

QString outcomeText(const Outcome& o)
{
    if (!o)
        return o.error;
    QString text = QStringLiteral("Imported %1.").arg(o.done.counts());
    if (o.done.filled > 0)
        text += QStringLiteral(" %1 that existed got values in their empty fields.")
                    .arg(counted(o.done.filled, "record", "records"));
    if (!o.done.skipped.isEmpty())
        text += QStringLiteral(" %1 skipped.").arg(counted(int(o.done.skipped.size()), "row was", "rows were"));
    if (o.safetyBackup.isEmpty())
        return text + QStringLiteral(" Nothing needed to be written.");
    return text + QStringLiteral("\n\nYour records as they were before are kept in the safety backup\n\n\"%1\"\n\n"
                                 "File > Restore Data lists it: restoring it undoes the import.")
                      .arg(QDir::toNativeSeparators(o.safetyBackup));
}

void setAfterWriteForTests(void (*hook)(int written))
{
    g_afterWrite = hook;
}

} // namespace Import
