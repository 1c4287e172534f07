#include "TestEnvironment.h"
#include "common/DataFolder.h"
#include "common/RecordFile.h"
#include "import/CsvTable.h"
#include "import/Import.h"

#include <QApplication>
#include <QProcess>
#include <QTest>

#include <csignal>
#include <sys/wait.h>
#include <unistd.h>

// `gearbook --import` as a user types it: the preview alone writes nothing,
// --yes imports, and a data folder in use is refused with its holder named.
class TestImportCommand : public QObject {
    Q_OBJECT
    std::unique_ptr<TestEnvironment> env;

    struct Run {
        int status = -1;
        QString out, err;
    };
    Run gearbook(const QStringList& arguments)
    {
        QProcess p;
        QProcessEnvironment e = QProcessEnvironment::systemEnvironment();
        e.remove("DISPLAY");
        e.remove("QT_QPA_PLATFORM");
        p.setProcessEnvironment(e);
        p.start(GEARBOOK_PROGRAM, arguments);
        p.waitForFinished(60000);
        return {p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1, p.readAllStandardOutput(),
                p.readAllStandardError()};
    }

private slots:
    void init()
    {
        env = std::make_unique<TestEnvironment>();
        writeAll(env->dataFolder() + "MainList.gbx", RecordFile::listFile({"Ford"}));
        writeAll(env->home() + "/log.csv", "Date,Service,Cost\n2024-01-01,Oil,45.90\n2024-02-01,Oil,12\n");
    }
    void cleanup() { env.reset(); }

    void previewThenImport()
    {
        const QString csv = env->home() + "/log.csv";
        Run r = gearbook({"--import", csv, "--vehicle", "Ford"});
        QCOMPARE(r.status, 2);
        QVERIFY(r.err.contains("--kind maintenance"));

        r = gearbook({"--import", csv, "--kind", "maintenance", "--vehicle", "Ford"});
        QCOMPARE(r.status, 0);
        QVERIFY2(r.out.contains("Cost -> Add to Notes"), qPrintable(r.out));
        // Two visits of one service are one entry, the earlier kept in its notes.
        QVERIFY2(r.out.contains("2 rows \u2192 Oil, 1 earlier visit kept in its notes"), qPrintable(r.out));
        QVERIFY(r.out.contains("Nothing has been written; add --yes to import."));
        QVERIFY(!QFileInfo::exists(DataFolder::path() + "FordOil.gbx"));

        r = gearbook({"--import", csv, "--kind", "maintenance", "--vehicle", "Ford", "--yes"});
        QCOMPARE(r.status, 0);
        QVERIFY(r.out.contains("Imported 0 vehicles, 1 maintenance entry and 0 parts."));
        QCOMPARE(RecordFile::parseTextRecord(readAll(DataFolder::path() + "FordOil.gbx"), 6)->last(),
                 "Cost: 12\r\n2024-01-01: Cost: 45.90");
    }

    // An import killed half way: the next command that may write puts the folder back before anything else,
    // and says so.
    void killedImportPutBackByTheNextCommand_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::newRow("--import") << QStringList({"--import", "log.csv", "--kind", "maintenance", "--vehicle", "Ford"});
        QTest::newRow("--export") << QStringList({"--export", "exported"});
    }
    void killedImportPutBackByTheNextCommand()
    {
        QFETCH(QStringList, arguments);
        QDir::setCurrent(env->home());
        const auto files = [] {
            QMap<QString, QByteArray> all;
            const QDir dir(DataFolder::path());
            for (const QString& name : dir.entryList(QDir::Files | QDir::Hidden))
                all.insert(name, readAll(dir.filePath(name)));
            return all;
        };
        const auto before = files();
        CsvTable::Result read = CsvTable::readFile(env->home() + "/log.csv");
        QVERIFY(read.table);
        Import::Source s{"log.csv", std::move(*read.table), {}};
        s.mapping = ImportMapping::prefilled(ImportMapping::Kind::Maintenance, s.table.headers);
        s.mapping.vehicle = "Ford";
        const pid_t child = ::fork();
        if (child == 0) {
            Import::setAfterWriteForTests([](int written) {
                if (written == 3) // FordOil.gbx renamed, its list not yet
                    ::raise(SIGKILL);
            });
            Import::run({s}, Import::Existing::Skip);
            ::_exit(0);
        }
        int status = 0;
        QCOMPARE(::waitpid(child, &status, 0), child);
        QVERIFY(WIFSIGNALED(status));
        QVERIFY(files() != before);

        const Run r = gearbook(arguments);
        QCOMPARE(r.status, 0);
        QVERIFY2(r.err.contains("Gearbook: An import was interrupted before it was complete."), qPrintable(r.err));
        QCOMPARE(files(), before);
    }

    // LubeLogger's export needs no --kind; a NUL never cuts the output; a workbook is read.
    void otherProgramsFiles()
    {
        writeAll(env->home() + "/lube.csv", QByteArray("Date,Description,Cost,Notes,Odometer,Tags,extrafield_Invoice\n"
                                                       "3/14/2025,Oil change,45,full \0synthetic,51000,engine,A-17\n",
                                                       119));
        Run r = gearbook({"--import", env->home() + "/lube.csv", "--vehicle", "Ford"});
        QCOMPARE(r.status, 0);
        QVERIFY2(r.out.contains("read as maintenance"), qPrintable(r.out));
        QVERIFY(r.out.contains("full \uFFFDsynthetic"));
        QVERIFY(r.out.contains("Nothing has been written; add --yes to import."));

        r = gearbook({"--import", TEST_DATA "/wartungsbuch.xlsx", "--kind", "maintenance", "--vehicle", "Ford"});
        QCOMPARE(r.status, 0);
        QVERIFY2(r.out.contains("(Excel workbook, first sheet"), qPrintable(r.out));
        QVERIFY(r.out.contains("To add: 0 vehicles, 8 maintenance entries and 0 parts."));
    }

    void refusedWhileTheFolderIsInUse()
    {
        DataFolder::Lock lock;
        QCOMPARE(lock.take(), DataFolder::Lock::Result::Held);
        const Run r =
            gearbook({"--import", env->home() + "/log.csv", "--kind", "maintenance", "--vehicle", "Ford", "--yes"});
        QCOMPARE(r.status, 1);
        QVERIFY2(r.err.contains(QString("in use by %1 (process %2)")
                                    .arg(QCoreApplication::applicationName())
                                    .arg(QCoreApplication::applicationPid())),
                 qPrintable(r.err));
        QVERIFY(!QFileInfo::exists(DataFolder::path() + "FordOil.gbx"));
    }

    // A copy killed between making its lock and writing it holds nothing.
    void anEmptyLockDoesNotLockTheCommandOut()
    {
        writeAll(DataFolder::lockFile(), "");
        const Run r =
            gearbook({"--import", env->home() + "/log.csv", "--kind", "maintenance", "--vehicle", "Ford", "--yes"});
        QCOMPARE(r.status, 0);
        QVERIFY2(r.err.contains(QString("The lock file \"%1\" was left behind: it is empty.")
                                    .arg(QDir::toNativeSeparators(DataFolder::lockFile()))),
                 qPrintable(r.err));
        QVERIFY(QFileInfo::exists(DataFolder::path() + "FordOil.gbx"));
        QVERIFY(!QFileInfo::exists(DataFolder::lockFile())); // released
    }
};

GEARBOOK_TEST_MAIN(TestImportCommand)
#include "tst_importcommand.moc"
