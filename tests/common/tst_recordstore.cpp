#include "TestEnvironment.h"
#include "common/DataFolder.h"
#include "common/RecordStore.h"

#include <QDir>
#include <QTest>

#include <sys/stat.h>

namespace {

using Claim = FileClaims::Claim;
using Kind = RecordLayout::Kind;
using Status = RecordStore::Outcome::Status;

// Every way of changing a file of the data folder.
enum class Writer { Vehicle, Maintenance, Part, MaintList, PartsList, VehicleList, Picture, SetAside, Remove };

Claim claimOf(Writer writer)
{
    switch (writer) {
    case Writer::Vehicle:
    case Writer::SetAside:
    case Writer::Remove:
        return {Claim::Vehicle, "Van", {}};
    case Writer::Maintenance:
        return {Claim::MaintEntry, "Van", "Oil"};
    case Writer::Part:
        return {Claim::Part, "Van", "Belt"};
    case Writer::MaintList:
        return {Claim::MaintList, "Van", {}};
    case Writer::PartsList:
        return {Claim::PartsList, "Van", {}};
    case Writer::VehicleList:
        return {Claim::VehicleList, {}, {}};
    case Writer::Picture:
        return {Claim::Picture, "Van", {}};
    }
    return {};
}

QStringList valuesOf(Kind kind, const QString& text)
{
    QStringList values(RecordLayout::count(kind), text);
    for (int i = 0; i < values.size(); ++i)
        if (RecordLayout::isTruth(kind, i))
            values[i] = (i % 2) ? "True" : "False";
    return values;
}

RecordStore::Outcome change(RecordStore& store, Writer writer)
{
    const Claim mine = claimOf(writer);
    switch (writer) {
    case Writer::Vehicle:
        return store.writeRecord(mine, valuesOf(Kind::Vehicle, "new"));
    case Writer::Maintenance:
        return store.writeRecord(mine, valuesOf(Kind::Maintenance, "new"));
    case Writer::Part:
        return store.writeRecord(mine, valuesOf(Kind::Part, "new"));
    case Writer::MaintList:
    case Writer::PartsList:
    case Writer::VehicleList:
        return store.writeList(mine, {"Van", "new"});
    case Writer::Picture:
        return store.writePicture(mine, "/pictures/new.png");
    case Writer::SetAside:
        return store.setAside(mine);
    case Writer::Remove:
        return store.remove(mine);
    }
    return {};
}

} // namespace

Q_DECLARE_METATYPE(Writer)

// The one way into the data folder: whose file it is, the value rule, the
// count of values, and nothing written when nothing changes.
class TestRecordStore : public QObject {
    Q_OBJECT
    std::unique_ptr<TestEnvironment> env;
    QString data;

    void put(const QString& file, const QByteArray& bytes) { writeAll(data + file, bytes); }

private slots:
    void init()
    {
        env = std::make_unique<TestEnvironment>();
        data = env->dataFolder();
    }
    void cleanup() { env.reset(); }

    // Every writer against every kind of record that may claim its file too:
    // refused, with both named, and the file as it was.
    void sharedFilesAreNeverChanged_data()
    {
        QTest::addColumn<Writer>("writer");
        QTest::addColumn<QString>("collision");
        const QList<std::pair<const char*, Writer>> writers = {
            {"vehicle record", Writer::Vehicle}, {"maintenance record", Writer::Maintenance},
            {"part record", Writer::Part},       {"maintenance list", Writer::MaintList},
            {"parts list", Writer::PartsList},   {"vehicle list", Writer::VehicleList},
            {"picture", Writer::Picture},        {"setting aside", Writer::SetAside},
            {"removal", Writer::Remove}};
        for (const auto& [name, writer] : writers)
            for (const char* collision :
                 {"none", "a vehicle's file", "a maintenance entry", "a part", "a list that cannot be read"}) {
                // A vehicle of the record's own name is its twin, sharing its files as it always has.
                if (writer == Writer::Vehicle || writer == Writer::SetAside || writer == Writer::Remove)
                    if (QByteArray(collision) == "a vehicle's file")
                        continue;
                QTest::addRow("%s, %s", name, collision) << writer << QString::fromLatin1(collision);
            }
    }
    void sharedFilesAreNeverChanged()
    {
        QFETCH(Writer, writer);
        QFETCH(QString, collision);
        const Claim mine = claimOf(writer);
        const QString file = RecordStore::fileOf(mine);
        const QString stem = file.chopped(4);
        QStringList vehicles = {"Van"};
        // The other record: a vehicle named like the file, or an entry of a vehicle named by its first letter.
        const QString first = stem.left(1);
        const QString rest = stem.mid(1);
        if (collision == "a vehicle's file") {
            vehicles << stem;
        } else if (collision == "a maintenance entry") {
            vehicles << first;
            put(first + "Maint.gbx", RecordFile::listFile({rest}));
        } else if (collision == "a part") {
            vehicles << first;
            put(first + "Parts.gbx", RecordFile::listFile({rest}));
        } else if (collision == "a list that cannot be read") {
            vehicles << first;
            QVERIFY(QDir().mkdir(data + first + "Maint.gbx"));
        }
        put("MainList.gbx", RecordFile::listFile(vehicles));
        if (mine.kind == Claim::MaintEntry || mine.kind == Claim::Part)
            put(mine.kind == Claim::Part ? "VanParts.gbx" : "VanMaint.gbx", RecordFile::listFile({mine.entry}));
        const QByteArray before = readAll(data + file).isEmpty() ? QByteArray("\"old\"\r\n") : readAll(data + file);
        put(file, before);

        RecordStore store;
        const RecordStore::Outcome out = change(store, writer);
        if (collision == "none") {
            QVERIFY2(out.status == Status::Written, qPrintable(out.message));
            QVERIFY(readAll(data + file) != before);
            return;
        }
        QVERIFY(out.refused());
        QVERIFY2(out.message.contains("share one file"), qPrintable(out.message));
        QVERIFY(out.message.contains(QDir::toNativeSeparators(data + file)));
        QCOMPARE(readAll(data + file), before);
        QVERIFY(!QFileInfo::exists(data + file + ".unreadable"));
    }

    // The value rule in every field of every kind of record: what is read back
    // is what the window shows, and no value cuts or shifts the others.
    void valueRuleInEveryField_data()
    {
        QTest::addColumn<int>("kind");
        QTest::addColumn<int>("position");
        QTest::addColumn<QString>("value");
        QTest::addColumn<QString>("kept");
        const QList<std::tuple<const char*, QString, QString>> samples = {
            {"straight quote", "Focus \"ST\"", "Focus \u201DST\u201D"},
            {"quote and comma", "Auto \"Meier\", Inh. K. Meier", "Auto \u201DMeier\u201D, Inh. K. Meier"},
            {"letters outside the code page", "\u0141\u00F3d\u017A \U0001F697", "\u0141\u00F3d\u017A \U0001F697"},
            {"line breaks LF, CR, CR LF", "a\nb\rc\r\nd", "a\r\nb\r\nc\r\nd"},
            {"an entity-like text", "&#65; &amp;", "&#65; &amp;"}};
        for (Kind kind : {Kind::Vehicle, Kind::Maintenance, Kind::Part})
            for (int position = 0; position < RecordLayout::count(kind); ++position) {
                if (RecordLayout::isTruth(kind, position))
                    continue;
                for (const auto& [name, value, kept] : samples)
                    QTest::addRow("%s: %s", qPrintable(RecordLayout::captions(kind).at(position)), name)
                        << int(kind) << position << value << kept;
            }
    }
    void valueRuleInEveryField()
    {
        QFETCH(int, kind);
        QFETCH(int, position);
        QFETCH(QString, value);
        QFETCH(QString, kept);
        const Kind k = Kind(kind);
        const Claim mine = k == Kind::Vehicle       ? Claim{Claim::Vehicle, "Van", {}}
                           : k == Kind::Maintenance ? Claim{Claim::MaintEntry, "Van", "Oil"}
                                                    : Claim{Claim::Part, "Van", "Belt"};
        put("MainList.gbx", RecordFile::listFile({"Van"}));
        put(k == Kind::Part ? "VanParts.gbx" : "VanMaint.gbx", RecordFile::listFile({mine.entry}));
        QStringList values = valuesOf(k, "x");
        values[position] = value;
        RecordStore store;
        QVERIFY(store.writeRecord(mine, values));
        QStringList expected = values;
        expected[position] = kept;
        QCOMPARE(RecordStore::storedValues(k, values), expected);
        QCOMPARE(RecordStore::parse(k, readAll(data + RecordStore::fileOf(mine))), expected);
        // Written again as read back: nothing changes.
        const QDateTime written = QFileInfo(data + RecordStore::fileOf(mine)).lastModified();
        QCOMPARE(store.writeRecord(mine, expected).status, Status::Unchanged);
        QCOMPARE(QFileInfo(data + RecordStore::fileOf(mine)).lastModified(), written);
    }

    // A record is written only with its kind's number of values.
    void countOfValues_data()
    {
        QTest::addColumn<int>("kind");
        QTest::addColumn<int>("count");
        for (Kind kind : {Kind::Vehicle, Kind::Maintenance, Kind::Part})
            for (int delta : {-1, 1})
                QTest::addRow("%d of %d", RecordLayout::count(kind) + delta, RecordLayout::count(kind))
                    << int(kind) << RecordLayout::count(kind) + delta;
    }
    void countOfValues()
    {
        QFETCH(int, kind);
        QFETCH(int, count);
        const Claim mine = Kind(kind) == Kind::Vehicle       ? Claim{Claim::Vehicle, "Van", {}}
                           : Kind(kind) == Kind::Maintenance ? Claim{Claim::MaintEntry, "Van", "Oil"}
                                                             : Claim{Claim::Part, "Van", "Belt"};
        put("MainList.gbx", RecordFile::listFile({"Van"}));
        RecordStore store;
        const auto out = store.writeRecord(mine, QStringList(count, "v"));
        QCOMPARE(out.status, Status::Failed);
        QVERIFY(!QFileInfo::exists(data + RecordStore::fileOf(mine)));
        // Lists and pictures are no records.
        QCOMPARE(store.writeRecord({Claim::MaintList, "Van", {}}, QStringList(6)).status, Status::Failed);
    }

    // Values equal to the disk's under the value rule write nothing and ask no one:
    // no new modification time for a sync tool to take for a change.
    void unchangedMeansUnwritten()
    {
        put("MainList.gbx", RecordFile::listFile({"Van"}));
        put("VanMaint.gbx", RecordFile::listFile({"Oil"}));
        // Written by another program: LF line breaks.
        put("VanOil.gbx", "\"1/2/2024\",\"\",\"100\",\"\",\"Shop\",\"a\nb\"\r\n");
        const QDateTime before = QFileInfo(data + "VanOil.gbx").lastModified();
        int asked = 0;
        RecordStore store([&asked] {
            ++asked;
            return FileClaims({"Van"});
        });
        const Claim oil{Claim::MaintEntry, "Van", "Oil"};
        QCOMPARE(store.writeRecord(oil, {"1/2/2024", "", "100", "", "Shop", "a\r\nb"}).status, Status::Unchanged);
        QCOMPARE(store.writeList({Claim::MaintList, "Van", {}}, {"Oil"}).status, Status::Unchanged);
        QCOMPARE(store.writeList({Claim::VehicleList, {}, {}}, {"Van"}).status, Status::Unchanged);
        QCOMPARE(store.remove({Claim::Part, "Van", "Gone"}).status, Status::Unchanged);
        QCOMPARE(asked, 0);
        QCOMPARE(QFileInfo(data + "VanOil.gbx").lastModified(), before);
        // A real change asks, and writes the whole record by the rule.
        QCOMPARE(store.writeRecord(oil, {"1/2/2024", "", "100", "", "Shop \"B\"", "a\nb"}).status, Status::Written);
        QCOMPARE(asked, 1);
        QCOMPARE(readAll(data + "VanOil.gbx"), QByteArray("\"1/2/2024\",\"\",\"100\",\"\",\"Shop \x94"
                                                          "B\x94\",\"a\r\nb\"\r\n"));
    }

    // Many files written as one batch keep every rule of a single write: claims asked, the value rule, the count
    // of values, unchanged unwritten; a refusal or failure anywhere writes nothing at all, and no temporary stays.
    void batchKeepsEveryRule_data()
    {
        QTest::addColumn<QString>("spoiler");
        QTest::newRow("none") << "";
        QTest::newRow("a file another record claims") << "claimed";
        QTest::newRow("a wrong count of values") << "count";
        QTest::newRow("a list that is a FIFO") << "fifo";
        QTest::newRow("a full disk") << "full";
    }
    void batchKeepsEveryRule()
    {
        QFETCH(QString, spoiler);
        put("MainList.gbx", RecordFile::listFile({"Van", "VanB"}));
        put("VanMaint.gbx", RecordFile::listFile({"Oil"}));
        put("VanOil.gbx", "\"1/2/2024\",\"\",\"100\",\"\",\"Shop\",\"a\nb\"\r\n");
        if (spoiler == "fifo")
            QVERIFY(::mkfifo(QFile::encodeName(data + "VanParts.gbx").constData(), 0600) == 0);
        const QDateTime before = QFileInfo(data + "VanOil.gbx").lastModified();
        QList<RecordStore::Change> changes = {
            {{Claim::MaintEntry, "Van", "Oil"}, {"1/2/2024", "", "100", "", "Shop", "a\r\nb"}},
            {{Claim::MaintEntry, "Van", "Tyres"}, {"", "", "", "", "Auto \"M\"", "x\ny"}},
            {{Claim::MaintList, "Van", {}}, {"Oil", "Tyres"}},
            {{Claim::PartsList, "Van", {}}, {"Belt"}},
        };
        if (spoiler == "claimed") // VanB's own record
            changes << RecordStore::Change{{Claim::Part, "Van", "B"}, valuesOf(Kind::Part, "x")};
        if (spoiler == "count")
            changes << RecordStore::Change{{Claim::Part, "Van", "Belt"}, {"too few"}};
        int steps = 0;
        std::unique_ptr<FileSizeLimit> limit;
        RecordStore store;
        const auto outcomes = store.writeAll(changes, [&](qsizetype step) {
            steps = int(step);
            if (spoiler == "full" && step == 1)
                limit = std::make_unique<FileSizeLimit>(4);
        });
        limit.reset();
        QCOMPARE(QFileInfo(data + "VanOil.gbx").lastModified(), before);
        QCOMPARE(outcomes.first().status, Status::Unchanged);
        if (spoiler.isEmpty()) {
            QCOMPARE(outcomes.size(), 4);
            for (int i = 1; i < 4; ++i)
                QCOMPARE(outcomes.at(i).status, Status::Written);
            QCOMPARE(steps, 6); // three files, each written and then renamed
            QCOMPARE(readAll(data + "VanTyres.gbx"),
                     QByteArray("\"\",\"\",\"\",\"\",\"Auto \x94M\x94\",\"x\r\ny\"\r\n"));
            QCOMPARE(RecordFile::parseListFile(readAll(data + "VanMaint.gbx")), QStringList({"Oil", "Tyres"}));
            QCOMPARE(RecordFile::parseListFile(readAll(data + "VanParts.gbx")), QStringList({"Belt"}));
            return;
        }
        QVERIFY(!outcomes.last().ok());
        QVERIFY(!outcomes.last().message.isEmpty());
        if (spoiler == "claimed")
            QVERIFY(outcomes.last().refused());
        QVERIFY(!QFileInfo::exists(data + "VanTyres.gbx"));
        QCOMPARE(RecordFile::parseListFile(readAll(data + "VanMaint.gbx")), QStringList({"Oil"}));
        QCOMPARE(QDir(data).entryList(QDir::Files | QDir::System | QDir::Hidden),
                 QStringList({"MainList.gbx", "VanMaint.gbx", "VanOil.gbx"}) +
                     (spoiler == "fifo" ? QStringList({"VanParts.gbx"}) : QStringList()));
    }

    // A file that is there but cannot be read is never written over; a failed
    // flush is a failure with the system's reason.
    void unreadableAndFullDisk()
    {
        put("MainList.gbx", RecordFile::listFile({"Van"}));
        QVERIFY(QDir().mkdir(data + "Van.gbx"));
        RecordStore store;
        const Claim van{Claim::Vehicle, "Van", {}};
        QCOMPARE(store.writeRecord(van, valuesOf(Kind::Vehicle, "x")).status, Status::Failed);
        QVERIFY(QFileInfo(data + "Van.gbx").isDir());
        const auto aside = store.setAside(van);
        QVERIFY(aside);
        QCOMPARE(aside.setAsideTo, data + "Van.gbx.unreadable");
        {
            FileSizeLimit limit(16);
            const auto out = store.writeRecord(van, valuesOf(Kind::Vehicle, "a long value past the limit"));
            QCOMPARE(out.status, Status::Failed);
            QVERIFY(!out.message.isEmpty());
        }
        QVERIFY(!QFileInfo::exists(data + "Van.gbx"));
        QVERIFY(store.writeList({Claim::VehicleList, {}, {}}, QStringList(VehicleFiles::MaxVehicles + 1, "v")).status ==
                Status::Failed);
    }
};

GEARBOOK_TEST_MAIN(TestRecordStore)
#include "tst_recordstore.moc"
