#include "TestEnvironment.h"
#include "common/DataFolder.h"
#include "common/RecordFile.h"
#include "common/SafeFile.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLockFile>
#include <QTest>

#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <unistd.h>

using RecordFile::ReadResult;

// What the record layer does when the disk, the folder or another copy of the program works against it.
class TestDataSafety : public QObject {
    Q_OBJECT
    std::unique_ptr<TestEnvironment> env;
    QString data;

    // Runs `holder` in a child process that takes the data folder's lock, tells
    // us, and then either ends at once without unlocking or waits to be released.
    pid_t childHoldingTheLock(bool dieAtOnce, int* release)
    {
        int ready[2], hold[2];
        if (pipe(ready) != 0 || pipe(hold) != 0)
            return -1;
        const pid_t pid = fork();
        if (pid == 0) {
            ::close(ready[0]);
            ::close(hold[1]);
            QLockFile lock(DataFolder::lockFile());
            lock.setStaleLockTime(0);
            char c = lock.tryLock(0) ? 'y' : 'n';
            (void)!write(ready[1], &c, 1);
            if (!dieAtOnce)
                (void)!read(hold[0], &c, 1);
            _exit(0); // no unlock: as a crash leaves it
        }
        ::close(ready[1]);
        ::close(hold[0]);
        char c = 0;
        (void)!read(ready[0], &c, 1);
        ::close(ready[0]);
        *release = hold[1];
        return c == 'y' ? pid : -1;
    }

private slots:
    void init()
    {
        env = std::make_unique<TestEnvironment>();
        data = env->dataFolder();
    }
    void cleanup() { env.reset(); }

    void flushFailureKeepsTheOldFile_data()
    {
        QTest::addColumn<QString>("what");
        QTest::newRow("record") << "record";
        QTest::newRow("vehicle list") << "list";
    }
    void flushFailureKeepsTheOldFile()
    {
        QFETCH(QString, what);
        const QString path = data + (what == "list" ? VehicleFiles::listFile() : QStringLiteral("Ford.gbx"));
        const QByteArray old(200, 'o');
        writeAll(path, old);
        // Small enough to sit in the write buffer: only the flush meets the limit.
        const QStringList names(300, QStringLiteral("Vehicle"));
        WriteResult r;
        {
            FileSizeLimit limit(1024);
            r = what == "list" ? VehicleFiles::SaveVehicleList(names)
                               : VehicleFiles::writeRecord(path, RecordFile::listFile(names));
        }
        QVERIFY(!r.ok);
        QVERIFY(!r.error.isEmpty());
        // The system's reason, not Qt's "Unknown error" of a write that stopped short.
        QVERIFY2(r.error.contains("File too large"), qPrintable(r.error));
        QCOMPARE(readAll(path), old);
    }

    void readTellsMissingFromUnreadable_data()
    {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<int>("status");
        QTest::newRow("missing") << "missing" << int(ReadResult::Status::Missing);
        QTest::newRow("file") << "file" << int(ReadResult::Status::Read);
        QTest::newRow("folder") << "folder" << int(ReadResult::Status::Unreadable);
        QTest::newRow("FIFO") << "fifo" << int(ReadResult::Status::Unreadable); // and it does not block
        QTest::newRow("dangling link") << "dangling" << int(ReadResult::Status::Unreadable);
    }
    void readTellsMissingFromUnreadable()
    {
        QFETCH(QString, kind);
        QFETCH(int, status);
        const QString path = data + "Ford.gbx";
        if (kind == "file")
            writeAll(path, "\"x\"\r\n");
        else if (kind == "folder")
            QVERIFY(QDir().mkdir(path));
        else if (kind == "fifo")
            QCOMPARE(mkfifo(QFile::encodeName(path).constData(), 0600), 0);
        else if (kind == "dangling")
            QVERIFY(QFile::link(data + "Gone.gbx", path));
        const ReadResult r = VehicleFiles::readRecord(path);
        QCOMPARE(int(r.status), status);
        QCOMPARE(r.error.isEmpty(), !r.unreadable());
        if (kind == "file")
            QCOMPARE(*r, QByteArray("\"x\"\r\n"));
    }

    // Sync tools take a new modification time for a change of this computer's.
    void aSaveThatChangesNothingWritesNothing()
    {
        const QString path = data + "Ford.gbx";
        writeAll(path, "\"Ford\"\r\n");
        const QDateTime old = QDateTime::currentDateTime().addDays(-3);
        {
            QFile f(path);
            QVERIFY(f.open(QIODevice::ReadWrite) && f.setFileTime(old, QFileDevice::FileModificationTime));
        }
        const auto inode = [&path] {
            struct stat info {};
            return ::stat(QFile::encodeName(path).constData(), &info) == 0 ? info.st_ino : 0;
        };
        const auto before = inode();
        QVERIFY(writeFileSafely(path, "\"Ford\"\r\n"));
        QCOMPARE(QFileInfo(path).lastModified(), old);
        QCOMPARE(inode(), before); // no rename either
        QCOMPARE(QDir(data).entryList(QDir::Files), QStringList({"Ford.gbx"}));

        QVERIFY(writeFileSafely(path, "\"Opel\"\r\n")); // same size, other bytes
        QCOMPARE(readAll(path), QByteArray("\"Opel\"\r\n"));
        QVERIFY(QFileInfo(path).lastModified() > old);
    }

    void aTargetThatIsNoRegularFileIsRefusedUnopened_data()
    {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<QString>("named");
        QTest::newRow("FIFO") << "fifo"
                              << "named pipe"; // would block an open
        QTest::newRow("device") << "device"
                                << "character device";
        QTest::newRow("socket") << "socket"
                                << "socket";
    }
    void aTargetThatIsNoRegularFileIsRefusedUnopened()
    {
        QFETCH(QString, kind);
        QFETCH(QString, named);
        const QString path = data + "target";
        const QByteArray encoded = QFile::encodeName(path);
        int sock = -1;
        if (kind == "fifo") {
            QCOMPARE(mkfifo(encoded.constData(), 0600), 0);
        } else if (kind == "device") {
            QVERIFY(QFile::link("/dev/null", path)); // replacing /dev/null would hurt every program
        } else {
            sock = ::socket(AF_UNIX, SOCK_STREAM, 0);
            sockaddr_un address{};
            address.sun_family = AF_UNIX;
            QVERIFY(size_t(encoded.size()) < sizeof(address.sun_path));
            qstrcpy(address.sun_path, encoded.constData());
            QCOMPARE(::bind(sock, reinterpret_cast<sockaddr*>(&address), sizeof(address)), 0);
        }
        const WriteResult r = writeFileSafely(path, "bytes");
        if (sock >= 0)
            ::close(sock);
        QVERIFY(!r);
        QVERIFY2(r.error.contains(named), qPrintable(r.error));
        QVERIFY(!QFileInfo(path).isFile() || QFileInfo(path).isSymLink());
        QCOMPARE(QFileInfo("/dev/null").isFile(), false);
    }

    void linksOutOfTheDataFolderAreNeitherReadNorWritten()
    {
        const QString outside = env->workDir() + "/elsewhere.txt";
        writeAll(outside, "theirs");
        QVERIFY(QFile::link(outside, data + "Ford.gbx"));
        QVERIFY(VehicleFiles::readRecord(data + "Ford.gbx").unreadable());
        QVERIFY(!VehicleFiles::writeRecord(data + "Ford.gbx", "mine"));
        QCOMPARE(readAll(outside), QByteArray("theirs"));

        // A link inside the folder is fine, and so is a data folder reached through a link.
        writeAll(data + "Real.gbx", "real");
        QVERIFY(QFile::link(data + "Real.gbx", data + "Van.gbx"));
        QCOMPARE(*VehicleFiles::readRecord(data + "Van.gbx"), QByteArray("real"));
        const QString home = env->dataHome() + "/Venbry Software";
        QVERIFY(QDir().rename(home, env->home() + "/moved"));
        QVERIFY(QFile::link(env->home() + "/moved", home));
        QVERIFY(VehicleFiles::writeRecord(data + "Van.gbx", "new"));
        QCOMPARE(readAll(data + "Real.gbx"), QByteArray("new"));
    }

    void freshAccountGetsAPrivateDataHome()
    {
        QVERIFY(QDir(env->dataHome()).removeRecursively());
        DataFolder::CreateMakerFolder();
        QVERIFY(QFileInfo(DataFolder::path()).isDir());
        struct stat info;
        QCOMPARE(::stat(QFile::encodeName(env->dataHome()).constData(), &info), 0);
        QCOMPARE(info.st_mode & 0777, 0700u);
        QVERIFY(VehicleFiles::SaveVehicleList({"Car"}));
    }

    void removalKeepsRecordsOtherVehiclesName()
    {
        // Old data: Ford's " TruckOil" and Ford Truck's "Oil" are one file.
        writeAll(data + "FordMaint.gbx", RecordFile::listFile({" TruckOil", "Wash"}));
        writeAll(data + "Ford TruckMaint.gbx", RecordFile::listFile({"Oil"}));
        writeAll(data + "Ford TruckOil.gbx", "shared");
        writeAll(data + "FordWash.gbx", "own");
        VehicleFiles::RemoveVehicleFiles("Ford", {"Ford Truck"});
        QCOMPARE(readAll(data + "Ford TruckOil.gbx"), QByteArray("shared"));
        QVERIFY(!QFileInfo::exists(data + "FordWash.gbx"));
        QVERIFY(!QFileInfo::exists(data + "FordMaint.gbx"));
    }

    void oneCopyPerDataFolder()
    {
        DataFolder::Lock first;
        QCOMPARE(first.take(), DataFolder::Lock::Result::Held);
        QCOMPARE(QFileInfo(DataFolder::lockFile()).path() + "/", DataFolder::programFolder());
        DataFolder::Lock second;
        QCOMPARE(second.take(), DataFolder::Lock::Result::InUse);
        QVERIFY(!second.error().isEmpty());
    }

    void anotherProcessHoldsTheFolder()
    {
        int release = -1;
        const pid_t child = childHoldingTheLock(false, &release);
        QVERIFY(child > 0);
        DataFolder::Lock lock;
        const auto result = lock.take();
        ::close(release);
        waitpid(child, nullptr, 0);
        QCOMPARE(result, DataFolder::Lock::Result::InUse);
    }

    void staleLockIsTakenOverAndLeftoversGo()
    {
        int release = -1;
        const pid_t child = childHoldingTheLock(true, &release);
        QVERIFY(child > 0);
        waitpid(child, nullptr, 0);
        ::close(release);
        QVERIFY(QFileInfo::exists(DataFolder::lockFile()));
        writeAll(data + "Ford.gbx.Ab3xZ9", "half"); // an interrupted save
        writeAll(data + "Ford.gbx.unreadable", "kept");
        writeAll(data + "Ford.gbx", "whole");

        DataFolder::Lock lock;
        QCOMPARE(lock.take(), DataFolder::Lock::Result::Held);
        QCOMPARE(QDir(data).entryList(QDir::Files), QStringList({"Ford.gbx", "Ford.gbx.unreadable"}));
    }
};

GEARBOOK_TEST_MAIN(TestDataSafety)
#include "tst_datasafety.moc"
