#include "SampleData.h"
#include "ScriptedPlatform.h"
#include "TestEnvironment.h"
#include "backup/Archive.h"
#include "common/DataFolder.h"
#include "common/RecordFile.h"
#include "sync/ConflictName.h"
#include "sync/ConflictResolution.h"

#include <QApplication>
#include <QDir>
#include <QTemporaryDir>
#include <QTest>

// Conflict copies as sync tools write them: recognised by name, mapped to
// their records, and resolved byte for byte after a safety backup.
class TestSyncConflicts : public QObject {
    Q_OBJECT

    using Kind = SyncConflicts::Kind;
    using Keep = SyncConflicts::Keep;

    static QString data(const QString& file) { return VehicleFiles::inData(file); }
    static QString copyOf(const QString& stem)
    {
        return stem + QStringLiteral(".sync-conflict-20261201-101010-ABCDEFG.gbx");
    }

    // Car with the maintenance entry Oil and the part Filter, every file written.
    static void writeCar()
    {
        SampleData(DataFolder::path())
            .vehicle("Car", SampleData::vehicleValues({{0, "Ford"}}))
            .maintenance("Car", "Oil", {"2026-01-01", "2027-01-01", "1000", "2000", "Shop", ""})
            .part("Car", "Filter", QStringList(8, "x"))
            .file("CarPic.gbx", RecordFile::plainLine(u"/pictures/car.png"));
    }

    static QList<SyncConflicts::Conflict> scanNow() { return SyncConflicts::scan(); }

    // The files an archive holds, unpacked.
    static QMap<QString, QByteArray> archived(const QString& archive)
    {
        QTemporaryDir into;
        const Backup::Outcome check = Backup::checkArchive(archive, into.path());
        [&] { QVERIFY2(check, qPrintable(check.error)); }();
        QMap<QString, QByteArray> files;
        for (const QString& name : QDir(into.path()).entryList(QDir::Files))
            files.insert(name, readAll(into.path() + "/" + name));
        return files;
    }

private slots:
    void namesOfEachTool_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("record"); // empty: not a conflict copy
        QTest::newRow("Syncthing") << "Car.sync-conflict-20261201-101010-ABCDEFG.gbx"
                                   << "Car.gbx";
        QTest::newRow("Syncthing, dots in the name") << "My.car.v2.sync-conflict-20261201-101010-A2B3C4D.gbx"
                                                     << "My.car.v2.gbx";
        QTest::newRow("Nextcloud, parentheses in the name") << "Old (red) car (conflicted copy 2026-12-01 101010).gbx"
                                                            << "Old (red) car.gbx";
        QTest::newRow("ownCloud") << "CarOil change_conflict-20261201-101010.gbx"
                                  << "CarOil change.gbx";
        QTest::newRow("Dropbox") << "Car (Jane's MacBook's conflicted copy 2026-12-01).gbx"
                                 << "Car.gbx";

        QTest::newRow("a date that is no date") << "Car.sync-conflict-20261301-101010-ABCDEFG.gbx"
                                                << "";
        QTest::newRow("a short date") << "Car.sync-conflict-2026120-101010-ABCDEFG.gbx"
                                      << "";
        QTest::newRow("an hour 25") << "Car_conflict-20261201-251010.gbx"
                                    << "";
        QTest::newRow("a device id in small letters") << "Car.sync-conflict-20261201-101010-abcdefg.gbx"
                                                      << "";
        QTest::newRow("not a record file") << "Car.sync-conflict-20261201-101010-ABCDEFG.txt"
                                           << "";
        QTest::newRow("no name before it") << ".sync-conflict-20261201-101010-ABCDEFG.gbx"
                                           << "";
        QTest::newRow("no date") << "Car (conflicted copy).gbx"
                                 << "";
        QTest::newRow("no parentheses") << "Car Jane's conflicted copy 2026-12-01.gbx"
                                        << "";
        QTest::newRow("a save's temporary") << "Car_conflict-20261201-101010.gbx.AbC123"
                                            << "";
    }
    void namesOfEachTool()
    {
        TestEnvironment env;
        ScriptedPlatform dialogs;
        QFETCH(QString, name);
        QFETCH(QString, record);
        const auto match = ConflictName::parse(name);
        QCOMPARE(match ? match->record : QString(), record);
        if (match) // the quick look never passes over a name the rules recognise
            QVERIFY(ConflictName::mayBe(name.toUtf8()));
    }

    // Names of records may hold anything: what a list names, and a vehicle's
    // own files, are records, whatever their names look like.
    void recordsAreNeverTakenForCopies()
    {
        TestEnvironment env;
        ScriptedPlatform dialogs;
        env.dataFolder();
        const QString twin = "Van (conflicted copy 2026-12-01 101010)";
        writeAll(data("MainList.gbx"), RecordFile::listFile({"Car", "Van", twin, "Bus"}));
        writeAll(data("CarMaint.gbx"), RecordFile::listFile({".sync-conflict-20261201-101010-ABCDEFG"}));
        writeAll(data(copyOf("Car")), RecordFile::textRecord(QStringList(6)));
        writeAll(data("Van.gbx"), RecordFile::textRecord(QStringList(17)));
        writeAll(data(twin + ".gbx"), RecordFile::textRecord(QStringList(17, "y")));
        // A list that cannot be read may name anything: nothing it could name is taken.
        QVERIFY(QDir().mkdir(data("BusMaint.gbx")));
        writeAll(data("Bus_conflict-20261201-101010.gbx"), RecordFile::textRecord(QStringList(17, "z")));
        QCOMPARE(scanNow().size(), 0);
    }

    void copiesMappedToTheirRecords()
    {
        TestEnvironment env;
        ScriptedPlatform dialogs;
        env.dataFolder();
        writeCar();
        for (const QString& stem :
             QStringList{"Car", "CarOil", "CarFilter", "CarMaint", "CarParts", "CarPic", "MainList"})
            writeAll(data(copyOf(stem)), readAll(data(stem + ".gbx")));
        // A copy of a copy is one of the record.
        writeAll(data("Car.sync-conflict-20261201-101010-ABCDEFG.sync-conflict-20261202-101010-ABCDEFG.gbx"), "");
        QStringList found;
        for (const SyncConflicts::Conflict& c : scanNow())
            found << QStringLiteral("%1 %2/%3 %4<%5")
                         .arg(int(c.kind))
                         .arg(c.vehicle, c.entry, c.record.file, c.copy.file.left(c.copy.file.indexOf('.')));
        QCOMPARE(found,
                 (QStringList{QStringLiteral("%1 / MainList.gbx<MainList").arg(int(Kind::VehicleList)),
                              QStringLiteral("%1 Car/ CarMaint.gbx<CarMaint").arg(int(Kind::MaintList)),
                              QStringLiteral("%1 Car/ CarParts.gbx<CarParts").arg(int(Kind::PartsList)),
                              QStringLiteral("%1 Car/ Car.gbx<Car").arg(int(Kind::Vehicle)),
                              QStringLiteral("%1 Car/ Car.gbx<Car").arg(int(Kind::Vehicle)),
                              QStringLiteral("%1 Car/ CarPic.gbx<CarPic").arg(int(Kind::Picture)),
                              QStringLiteral("%1 Car/Oil CarOil.gbx<CarOil").arg(int(Kind::MaintRecord)),
                              QStringLiteral("%1 Car/Filter CarFilter.gbx<CarFilter").arg(int(Kind::PartRecord))}));
    }

    void comparedValueByValue()
    {
        TestEnvironment env;
        ScriptedPlatform dialogs;
        env.dataFolder();
        writeCar();
        writeAll(data(copyOf("CarOil")), RecordFile::textRecord({"2026-01-01", "2027-02-02", "1000", "2000", "Shop"}));
        writeAll(data(copyOf("CarMaint")), RecordFile::listFile({"Brakes", "Oil", "Tyres"}));
        const auto conflicts = scanNow();
        QCOMPARE(conflicts.size(), 2);

        const auto list = SyncConflicts::compare(conflicts[0]);
        QCOMPARE(list.size(), 3);
        QVERIFY(!list[0].differs && list[0].record == "Oil" && list[0].copy == "Oil");
        QVERIFY(list[1].differs && list[1].record.isEmpty() && list[1].copy == "Brakes");

        // The copy is short: its last value is missing, not empty.
        const auto rows = SyncConflicts::compare(conflicts[1]);
        QCOMPARE(rows.size(), 6);
        QCOMPARE(rows[1].caption, QStringLiteral("Next Inspection date"));
        QStringList differing;
        for (const auto& row : rows)
            if (row.differs)
                differing << row.caption;
        QCOMPARE(differing, (QStringList{"Next Inspection date", "Notes"}));
        QCOMPARE(SyncConflicts::problem(conflicts[1], conflicts[1].copy),
                 QStringLiteral("It holds fewer values than it should."));
    }

    // Each kind of record, each side kept: the record holds exactly the kept
    // bytes, the copy is gone, and the safety backup holds both as they were.
    void resolvedBothWays_data()
    {
        QTest::addColumn<QString>("stem");
        QTest::addColumn<QByteArray>("copy");
        QTest::addColumn<int>("keep");
        QStringList info(17, QString());
        info[0] = "Fiat";
        info[16] = "two\r\nlines";
        const QByteArray vehicle = RecordFile::textRecord(info);
        const QByteArray entry = RecordFile::textRecord({"a", "b", "c", "d", "e", "f"});
        const QByteArray list = RecordFile::listFile({"Tyres"});
        for (int keep : {int(Keep::Record), int(Keep::Copy)}) {
            const char* side = keep == int(Keep::Record) ? "record" : "copy";
            QTest::addRow("vehicle file, %s kept", side) << "Car" << vehicle << keep;
            QTest::addRow("entry record, %s kept", side) << "CarOil" << entry << keep;
            QTest::addRow("list, %s kept", side) << "CarMaint" << list << keep;
        }
        QTest::addRow("list, both kept") << "CarMaint" << RecordFile::listFile({"Brakes", "Oil", "Oil"})
                                         << int(Keep::BothLists);
    }
    void resolvedBothWays()
    {
        TestEnvironment env;
        ScriptedPlatform dialogs;
        QFETCH(QString, stem);
        QFETCH(QByteArray, copy);
        QFETCH(int, keep);
        env.dataFolder();
        writeCar();
        const QString record = stem + ".gbx";
        const QByteArray before = readAll(data(record));
        writeAll(data(copyOf(stem)), copy);

        const auto conflicts = scanNow();
        QCOMPARE(conflicts.size(), 1);
        const auto result = SyncConflicts::resolve(conflicts[0], Keep(keep));
        QVERIFY2(result, qPrintable(result.error));

        const QByteArray expected = keep == int(Keep::Record) ? before
                                    : keep == int(Keep::Copy) ? copy
                                                              : RecordFile::listFile({"Brakes", "Oil", "Oil"});
        QCOMPARE(readAll(data(record)), expected);
        QVERIFY(!QFileInfo::exists(data(copyOf(stem))));
        QCOMPARE(QFileInfo(result.safetyBackup).absolutePath() + "/", DataFolder::programFolder());
        const auto saved = archived(result.safetyBackup);
        QCOMPARE(saved.keys(), (QStringList{record, copyOf(stem)}));
        QCOMPARE(saved.value(record), before);
        QCOMPARE(saved.value(copyOf(stem)), copy);
        QCOMPARE(scanNow().size(), 0);
    }

    void unionKeepsEveryNameOfEither()
    {
        TestEnvironment env;
        ScriptedPlatform dialogs;
        QCOMPARE(SyncConflicts::unionOf({"b", "d", "d"}, {"a", "d", "c", "d", "d"}),
                 (QStringList{"a", "b", "c", "d", "d", "d"}));
    }

    // What the user saw is what is kept: a file changed since it was read is not overwritten.
    void refusedWhenAFileChangedSinceShown()
    {
        TestEnvironment env;
        ScriptedPlatform dialogs;
        env.dataFolder();
        writeCar();
        writeAll(data(copyOf("Car")), "\"Fiat\"\r\n");
        const auto conflicts = scanNow();
        QCOMPARE(conflicts.size(), 1);
        const QByteArray newer = RecordFile::textRecord(QStringList(17, "newer"));
        writeAll(data("Car.gbx"), newer);
        const auto result = SyncConflicts::resolve(conflicts[0], Keep::Copy);
        QVERIFY(!result);
        QVERIFY(result.error.contains("has changed since it was shown"));
        QCOMPARE(readAll(data("Car.gbx")), newer);
        QCOMPARE(readAll(data(copyOf("Car"))), QByteArray("\"Fiat\"\r\n"));
    }

    // A safety backup that cannot be written (a full disk) changes nothing.
    void nothingChangesWithoutTheSafetyBackup()
    {
        TestEnvironment env;
        ScriptedPlatform dialogs;
        env.dataFolder();
        writeCar();
        const QByteArray before = readAll(data("Car.gbx"));
        const QByteArray copy = RecordFile::textRecord(QStringList(17, QString(4000, 'c')));
        writeAll(data(copyOf("Car")), copy);
        const auto conflicts = scanNow();
        QCOMPARE(conflicts.size(), 1);
        SyncConflicts::Resolution result;
        {
            FileSizeLimit full(64);
            result = SyncConflicts::resolve(conflicts[0], Keep::Copy);
        }
        QVERIFY(!result);
        QVERIFY2(result.error.contains("could not be backed up"), qPrintable(result.error));
        QCOMPARE(readAll(data("Car.gbx")), before);
        QCOMPARE(readAll(data(copyOf("Car"))), copy);
    }
};

GEARBOOK_TEST_MAIN(TestSyncConflicts)
#include "tst_syncconflicts.moc"
