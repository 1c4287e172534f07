#include "ScriptedPlatform.h"
#include "TestEnvironment.h"
#include "app/LockMessages.h"
#include "common/DataFolder.h"
#include "common/RecordFile.h"
#include "common/SafeFile.h"
#include "ui/SaveMessages.h"

#include <QApplication>
#include <QDir>
#include <QFileInfo>
#include <QLocale>
#include <QSysInfo>
#include <QTest>

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

class TestDataFolder : public QObject {
    Q_OBJECT
    std::unique_ptr<TestEnvironment> env;

    // A lock file as QLockFile writes it, with this boot's id.
    static QByteArray lockBytes(qint64 pid, const QString& host, const QByteArray& machineId)
    {
        return QByteArray::number(pid) + "\nGearbook\n" + host.toUtf8() + '\n' + machineId + '\n' +
               QSysInfo::bootUniqueId() + '\n';
    }
    // The id of a process that has ended.
    static pid_t deadPid()
    {
        const pid_t pid = fork();
        if (pid == 0)
            _exit(0);
        waitpid(pid, nullptr, 0);
        return pid;
    }
    static bool setModified(const QString& path, const QDateTime& when)
    {
        QFile file(path);
        return file.open(QIODevice::ReadWrite) && file.setFileTime(when, QFileDevice::FileModificationTime);
    }

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
        // The holder is named: its process and this computer.
        QVERIFY(ui.messages()[0].contains(QStringLiteral("(process %1)").arg(QCoreApplication::applicationPid())));
        QVERIFY(ui.messages()[0].contains(QStringLiteral("\"%1\"").arg(QSysInfo::machineHostName())));
        QVERIFY(ui.shown[0].captions.isEmpty());
    }

    // Lock files as another computer's Gearbook leaves them: Qt's five lines.
    void lockOfAnotherComputer_data()
    {
        QTest::addColumn<QString>("host");
        QTest::addColumn<QByteArray>("machineId");
        // Our machine id (a clone of one image): Qt alone would find its process gone and delete it.
        QTest::newRow("another host name") << "laptop" << QSysInfo::machineUniqueId();
        QTest::newRow("our host name, another machine id")
            << QSysInfo::machineHostName() << QByteArray("0123456789abcdef0123456789abcdef");
    }
    void lockOfAnotherComputer()
    {
        QFETCH(QString, host);
        QFETCH(QByteArray, machineId);
        ScriptedPlatform ui;
        DataFolder::CreateMakerFolder();
        const QByteArray theirs = lockBytes(deadPid(), host, machineId);
        writeAll(DataFolder::lockFile(), theirs);
        const QDateTime since(QDate(2026, 11, 30), QTime(8, 15));
        QVERIFY(setModified(DataFolder::lockFile(), since));

        // Quit: nothing changes.
        {
            DataFolder::Lock lock;
            const auto taken = lock.take();
            QCOMPARE(taken, DataFolder::Lock::Result::OtherMachine);
            QCOMPARE(lock.holder().host, host);
            QVERIFY(!tellDataFolderLock(lock, taken));
        }
        QCOMPARE(readAll(DataFolder::lockFile()), theirs);
        QCOMPARE(ui.messages().size(), 1);
        const QString text = ui.messages()[0];
        QVERIFY(text.contains(QStringLiteral("\"%1\"").arg(host)));
        QVERIFY(text.contains(QLocale().toString(since.date(), QLocale::LongFormat)));
        QVERIFY(text.contains(QStringLiteral("both computers editing at once can lose changes")));
        QCOMPARE(ui.shown[0].captions, QStringList({"Open Anyway", "Quit"}));

        // Open Anyway: the lock is ours, and the run goes on.
        ui.choiceAnswers.enqueue(0);
        DataFolder::Lock lock;
        QVERIFY(tellDataFolderLock(lock, lock.take()));
        const auto holder = DataFolder::readLockHolder(DataFolder::lockFile());
        QVERIFY(holder && holder->isUs());
        QCOMPARE(ui.messages().size(), 2);
    }

    // Qt never finds such a lock stale: without a choice it would lock the user out for good.
    void aLockThatNamesNobodyIsNoDeadEnd()
    {
        ScriptedPlatform ui;
        DataFolder::CreateMakerFolder();
        // A folder: it cannot say who holds it, and is never judged stale.
        QVERIFY(QDir().mkpath(DataFolder::lockFile()));
        DataFolder::Lock lock;
        const auto taken = lock.take();
        QCOMPARE(taken, DataFolder::Lock::Result::OtherMachine);
        ui.choiceAnswers.enqueue(0);
        QVERIFY(tellDataFolderLock(lock, taken));
        QVERIFY(ui.messages()[0].contains(QStringLiteral("does not say which computer holds it")));
        QVERIFY(DataFolder::readLockHolder(DataFolder::lockFile())->isUs());
    }

    // What a lock file holds decides whether anyone holds the folder.
    void staleLockJudgement_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QString>("found"); // empty: not stale
        const QString host = QSysInfo::machineHostName();
        const QByteArray id = QSysInfo::machineUniqueId();
        const qint64 us = QCoreApplication::applicationPid();
        const QByteArray ourProgram = QCoreApplication::applicationName().toUtf8();
        QTest::newRow("killed between making and writing it") << QByteArray() << "it is empty";
        QTest::newRow("blank lines") << QByteArray("\n\n \n") << "it is empty";
        QTest::newRow("not a lock") << QByteArray("PK\x03\x04 whatever") << "it does not name a holder";
        QTest::newRow("no process id") << QByteArray("Gearbook\nGearbook\nhost\n") << "it does not name a holder";
        const pid_t dead = deadPid();
        QTest::newRow("ended here") << lockBytes(dead, host, id)
                                    << QStringLiteral("it names process %1 of this computer, which is no longer "
                                                      "running")
                                           .arg(dead);
        QByteArray running = lockBytes(us, host, id);
        running.replace("Gearbook", ourProgram);
        QTest::newRow("running here") << running << QString();
        QTest::newRow("process id now another program's")
            << lockBytes(us, host, id) << QStringLiteral("it names process %1 of this computer").arg(us);
        if (!QSysInfo::bootUniqueId().isEmpty()) {
            QByteArray earlierBoot = running;
            earlierBoot.replace(QSysInfo::bootUniqueId(), "00000000-0000-0000-0000-000000000000");
            QTest::newRow("an earlier boot") << earlierBoot << QStringLiteral("it names process %1").arg(us);
        }
        QTest::newRow("another computer's, ended") << lockBytes(dead, "laptop", id) << QString();
    }
    void staleLockJudgement()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(QString, found);
        DataFolder::CreateMakerFolder();
        writeAll(DataFolder::lockFile(), bytes);
        const auto stale = DataFolder::staleLock(DataFolder::lockFile());
        QCOMPARE(stale.has_value(), !found.isEmpty());
        if (stale)
            QVERIFY2(stale->what.startsWith(found), qPrintable(stale->what));
    }

    // An empty lock or one that is no lock: taken over, and the user told what was found.
    void aLockThatHoldsNothingIsTakenOverAndTold_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QString>("found");
        QTest::newRow("empty") << QByteArray() << "it is empty";
        QTest::newRow("not a lock") << QByteArray("garbage\n") << "it does not name a holder";
    }
    void aLockThatHoldsNothingIsTakenOverAndTold()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(QString, found);
        ScriptedPlatform ui;
        DataFolder::CreateMakerFolder();
        writeAll(DataFolder::lockFile(), bytes);
        DataFolder::Lock lock;
        const auto taken = lock.take();
        QCOMPARE(taken, DataFolder::Lock::Result::Held);
        QVERIFY(tellDataFolderLock(lock, taken));
        QCOMPARE(ui.messages().size(), 1);
        QVERIFY(ui.messages()[0].contains(found));
        QVERIFY(ui.messages()[0].contains(QDir::toNativeSeparators(DataFolder::lockFile())));
        QCOMPARE(ui.shown[0].icon, MsgIcon::Information);
        QVERIFY(DataFolder::readLockHolder(DataFolder::lockFile())->isUs());
        QVERIFY(!QFileInfo::exists(DataFolder::lockFile() + ".rmlock"));
    }

    // A FIFO would block every reader of the lock, Qt's own too: it goes.
    void aLockThatIsAFifoIsTakenOver()
    {
        ScriptedPlatform ui;
        DataFolder::CreateMakerFolder();
        QCOMPARE(mkfifo(QFile::encodeName(DataFolder::lockFile()).constData(), 0600), 0);
        DataFolder::Lock lock;
        QCOMPARE(lock.take(), DataFolder::Lock::Result::Held);
        QVERIFY(lock.takenOverText().contains("it is not a file"));
        QVERIFY(DataFolder::readLockHolder(DataFolder::lockFile())->isUs());
    }

    // A copy that is starting has made its lock and not yet written it: it holds the folder.
    void aLockBeingWrittenIsNotTaken()
    {
        DataFolder::CreateMakerFolder();
        int ready[2], hold[2];
        QVERIFY(pipe(ready) == 0 && pipe(hold) == 0);
        const pid_t child = fork();
        if (child == 0) {
            ::close(ready[0]);
            ::close(hold[1]);
            // As QLockFile makes it: created, locked, and only then written.
            const int fd =
                ::open(QFile::encodeName(DataFolder::lockFile()).constData(), O_RDWR | O_CREAT | O_EXCL, 0600);
            char c = fd >= 0 && ::flock(fd, LOCK_EX | LOCK_NB) == 0 ? 'y' : 'n';
            (void)!write(ready[1], &c, 1);
            (void)!read(hold[0], &c, 1);
            _exit(0);
        }
        ::close(ready[1]);
        ::close(hold[0]);
        char c = 0;
        (void)!read(ready[0], &c, 1);
        ::close(ready[0]);
        DataFolder::Lock lock;
        const auto taken = lock.take();
        ::close(hold[1]);
        waitpid(child, nullptr, 0);
        QCOMPARE(c, 'y');
        QVERIFY(taken != DataFolder::Lock::Result::Held);
        QVERIFY(!lock.takenOver());
        QCOMPARE(readAll(DataFolder::lockFile()), QByteArray());
    }

    void lockOfAnEndedRunHereIsTakenOverSilently()
    {
        ScriptedPlatform ui;
        DataFolder::CreateMakerFolder();
        writeAll(DataFolder::lockFile(),
                 lockBytes(deadPid(), QSysInfo::machineHostName(), QSysInfo::machineUniqueId()));
        DataFolder::Lock lock;
        QVERIFY(tellDataFolderLock(lock, lock.take()));
        QCOMPARE(ui.messages(), QStringList());
        QVERIFY(DataFolder::readLockHolder(DataFolder::lockFile())->isUs());
    }

    void aLockTakenOverByAnotherComputerStaysAtExit()
    {
        auto ours = std::make_unique<DataFolder::Lock>();
        QCOMPARE(ours->take(), DataFolder::Lock::Result::Held);
        ours.reset();
        QVERIFY(!QFileInfo::exists(DataFolder::lockFile())); // released as usual

        ours = std::make_unique<DataFolder::Lock>();
        QCOMPARE(ours->take(), DataFolder::Lock::Result::Held);
        // The other computer chose "Open Anyway": its lock replaced ours.
        const QByteArray theirs = lockBytes(4242, "laptop", "0123456789abcdef0123456789abcdef");
        QVERIFY(QFile::remove(DataFolder::lockFile()));
        writeAll(DataFolder::lockFile(), theirs);
        ours.reset();
        QCOMPARE(readAll(DataFolder::lockFile()), theirs);
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
