#include "DataFolder.h"
#include "RecordFile.h"
#include "SafeFile.h"
#include "SaveReport.h"
#include "ScriptedPlatform.h"
#include "TestEnvironment.h"

#include <QApplication>
#include <QDir>
#include <QFileInfo>
#include <QtTest>

class TestDataFolder : public QObject {
    Q_OBJECT
    std::unique_ptr<TestEnvironment> env;

private slots:
    void init() { env = std::make_unique<TestEnvironment>(); }
    void cleanup() { env.reset(); }

    void createsTheThreeLevelsUnderTheDataHome()
    {
        QVERIFY(!QFileInfo::exists(env->dataHome() + "/Venbry Software"));
        DataFolder::CreateMakerFolder();
        QCOMPARE(DataFolder::path(), env->dataHome() + "/Venbry Software/Gearshed/Data/");
        QVERIFY(QFileInfo(DataFolder::path()).isDir());

        // A second run changes nothing on disk.
        writeAll(DataFolder::path() + "MainList.gbx", "\"Car\"\r\n");
        const QDateTime before = QFileInfo(DataFolder::path()).lastModified();
        DataFolder::CreateMakerFolder();
        QCOMPARE(QFileInfo(DataFolder::path()).lastModified(), before);
        QCOMPARE(readAll(DataFolder::path() + "MainList.gbx"), QByteArray("\"Car\"\r\n"));
    }

    void vehicleListRoundTrip()
    {
        env->dataFolder();
        QCOMPARE(VehicleFiles::LoadVehicleList(), QStringList()); // missing file
        const QStringList names{" Alpha ", "Bravo, the van", "Car"};
        QVERIFY(VehicleFiles::SaveVehicleList(names));
        QCOMPARE(VehicleFiles::LoadVehicleList(), names);

        QVERIFY(VehicleFiles::SaveVehicleList({}));
        const QFileInfo list(DataFolder::path() + "MainList.gbx");
        QVERIFY(list.exists());
        QCOMPARE(list.size(), 0);
        QCOMPARE(VehicleFiles::LoadVehicleList(), QStringList());
    }

    void listLimit()
    {
        env->dataFolder();
        QStringList names;
        for (int i = 0; i < VehicleFiles::MaxVehicles; ++i)
            names << QString::number(i);
        QVERIFY(VehicleFiles::SaveVehicleList(names));
        names << "one too many";
        const WriteResult r = VehicleFiles::SaveVehicleList(names);
        QVERIFY(!r.ok);
        QVERIFY(!r.error.isEmpty());
        QCOMPARE(VehicleFiles::LoadVehicleList().size(), VehicleFiles::MaxVehicles);
    }

    void removalIsConfinedToTheVehicle()
    {
        const QString data = env->dataFolder();
        auto touch = [&](const QString& name) { writeAll(data + name, "\"x\"\r\n"); };
        for (const QString& v : {QStringLiteral("Ford"), QStringLiteral("Ford Truck")}) {
            touch(v + ".gbx");
            touch(v + "Pic.gbx");
        }
        writeAll(data + "FordMaint.gbx", RecordFile::listFile({"Oil"}));
        writeAll(data + "FordParts.gbx", RecordFile::listFile({"Tyres"}));
        touch("FordOil.gbx");
        touch("FordTyres.gbx");
        writeAll(data + "Ford TruckMaint.gbx", RecordFile::listFile({"Oil"}));
        touch("Ford TruckOil.gbx");
        touch("FordUnlisted.gbx"); // named in no list: not the vehicle's file

        VehicleFiles::RemoveVehicleFiles("Ford", {"Ford", "Ford Truck"});

        const QStringList left = QDir(data).entryList(QDir::Files, QDir::Name);
        QCOMPARE(left, QStringList({"Ford Truck.gbx", "Ford TruckMaint.gbx", "Ford TruckOil.gbx", "Ford TruckPic.gbx",
                                    "FordUnlisted.gbx"}));
    }

    void removalKeepsAnotherVehiclesOwnFiles()
    {
        const QString data = env->dataFolder();
        // An entry " Truck" of Ford names the same file as the vehicle "Ford Truck".
        writeAll(data + "FordMaint.gbx", RecordFile::listFile({" Truck"}));
        writeAll(data + "Ford Truck.gbx", "keep");
        VehicleFiles::RemoveVehicleFiles("Ford", {"Ford Truck"});
        QCOMPARE(readAll(data + "Ford Truck.gbx"), QByteArray("keep"));
        QVERIFY(!QFileInfo::exists(data + "FordMaint.gbx"));
    }

    void clashingFiles()
    {
        const QString data = env->dataFolder();
        writeAll(data + "FordMaint.gbx", RecordFile::listFile({"Oil"}));
        const QStringList vehicles{"Ford", "Van"};
        QCOMPARE(VehicleFiles::clashingFile("MainList", vehicles), QString("MainList.gbx"));
        QCOMPARE(VehicleFiles::clashingFile("FordPic", vehicles), QString("FordPic.gbx"));
        QCOMPARE(VehicleFiles::clashingFile("FordOil", vehicles), QString("FordOil.gbx"));
        QCOMPARE(VehicleFiles::clashingFile("Ford", vehicles), QString()); // a twin shares its files
        QCOMPARE(VehicleFiles::clashingFile("Ford Truck", vehicles), QString());
    }

    void removalNeverTakesTheVehicleList()
    {
        const QString data = env->dataFolder();
        writeAll(data + "MainMaint.gbx", RecordFile::listFile({"List"}));
        writeAll(data + "MainList.gbx", RecordFile::listFile({"Main", "Van"}));
        VehicleFiles::RemoveVehicleFiles("Main", {"Van"});
        QCOMPARE(readAll(data + "MainList.gbx"), RecordFile::listFile({"Main", "Van"}));
    }

    void setAsideNumbersItsTargets()
    {
        const QString data = env->dataFolder();
        writeAll(data + "Van.gbx", "one");
        QCOMPARE(setAside(data + "Van.gbx"), std::optional<QString>(data + "Van.gbx.unreadable"));
        writeAll(data + "Van.gbx", "two");
        QCOMPARE(setAside(data + "Van.gbx"), std::optional<QString>(data + "Van.gbx.unreadable.2"));
        QCOMPARE(readAll(data + "Van.gbx.unreadable"), QByteArray("one"));
        QVERIFY(!setAside(data + "Missing.gbx"));
    }

    void failedWriteKeepsTheOldFileAndSaysWhy()
    {
        const QString data = env->dataFolder();
        writeAll(data + "Car.gbx", "old");
        QVERIFY(writeFileSafely(data + "Car.gbx", "new"));
        QCOMPARE(readAll(data + "Car.gbx"), QByteArray("new"));

        // A folder where the file should go: the write fails and says why.
        QDir(data).mkdir("Van.gbx");
        const WriteResult r = writeFileSafely(data + "Van.gbx", "data");
        QVERIFY(!r.ok);
        QVERIFY(!r.error.isEmpty());
        QVERIFY(QFileInfo(data + "Van.gbx").isDir());

        // Its parent gone: fails, and no stray temporary is left anywhere.
        QVERIFY(!writeFileSafely(data + "gone/Car.gbx", "data"));
        QCOMPARE(QDir(data).entryList(QDir::Files), QStringList({"Car.gbx"}));
    }

    void permissionsAreApplied()
    {
        const QString path = env->workDir() + "/secret.gbx";
        QVERIFY(writeFileSafely(path, "a", QFileDevice::ReadOwner | QFileDevice::WriteOwner));
        QCOMPARE(QFileInfo(path).permissions() & (QFileDevice::ReadGroup | QFileDevice::ReadOther),
                 QFileDevice::Permissions());
    }

    void aSecondCopySaysSoAndWritesNothing()
    {
        ScriptedPlatform ui;
        DataFolder::Lock first;
        QVERIFY(tellDataFolderLock(first, first.take()));
        QCOMPARE(ui.messages(), QStringList());
        const QStringList before = QDir(DataFolder::programFolder()).entryList(QDir::AllEntries | QDir::Hidden);
        DataFolder::Lock second;
        QVERIFY(!tellDataFolderLock(second, second.take()));
        QCOMPARE(ui.messages().size(), 1);
        QVERIFY(ui.messages()[0].contains(QDir::toNativeSeparators(DataFolder::path())));
        QCOMPARE(QDir(DataFolder::programFolder()).entryList(QDir::AllEntries | QDir::Hidden), before);
    }

    void failedSaveIsReportedOnceUntilItSucceeds()
    {
        ScriptedPlatform ui;
        const QString data = env->dataFolder();
        QDir(data).mkdir("Van.gbx");
        const QString path = data + "Van.gbx";
        QVERIFY(!reportSave(path, writeFileSafely(path, "x")));
        QVERIFY(!reportSave(path, writeFileSafely(path, "x")));
        QCOMPARE(ui.messages().size(), 1);
        QVERIFY(ui.messages().first().contains("Van.gbx"));
        QCOMPARE(ui.shown.first().title, QString()); // the application title

        QDir(data).rmdir("Van.gbx");
        QVERIFY(reportSave(path, writeFileSafely(path, "x")));
        QDir().remove(path);
        QDir(data).mkdir("Van.gbx");
        QVERIFY(!reportSave(path, writeFileSafely(path, "x")));
        QCOMPARE(ui.messages().size(), 2);
    }
};

GEARBOOK_TEST_MAIN(TestDataFolder)
#include "tst_datafolder.moc"
