// An archive library that cannot be had: either no such file, or a library
// without its functions. A process of its own, so that its first load is the
// one that fails.
#include "TestEnvironment.h"
#include "backup/Archive.h"
#include "backup/CsvExport.h"
#include "backup/LibArchive.h"
#include "backup/Restore.h"
#include "common/RecordFile.h"

#include <QApplication>
#include <QDir>
#include <QTest>

namespace {

#ifdef GEARBOOK_LIBRARY_WITHOUT_FUNCTIONS
const QByteArray Missing = "libm.so.6";
const QString Reason = QStringLiteral("libm.so.6: undefined symbol: archive_entry_clear");
#else
const QByteArray Missing = "libgearbook-absent.so.0";
const QString Reason =
    QStringLiteral("libgearbook-absent.so.0: cannot open shared object file: No such file or directory");
#endif

QStringList entriesOf(const QString& folder)
{
    return QDir(folder).entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot);
}

} // namespace

class TestArchiveMissing : public QObject {
    Q_OBJECT
    std::unique_ptr<TestEnvironment> env;
    QString data;
    QMap<QString, QByteArray> records;

    QString archive() const { return env->home() + "/backup.tar.gz"; }

    // The reason names the library and gives the loader's own.
    static void namesTheLibrary(const QString& error)
    {
        const QString named =
            QStringLiteral("The archive library \"%1\" could not be loaded: ").arg(QString::fromLatin1(Missing));
        QVERIFY2(error.contains(named) && error.contains(Reason), qPrintable(error));
    }

    QMap<QString, QByteArray> filesOfData() const
    {
        QMap<QString, QByteArray> files;
        for (const QString& name : entriesOf(data))
            files.insert(name, readAll(data + name));
        return files;
    }

private slots:
    void initTestCase() { LibArchive::setLibraryName(Missing); }

    void init()
    {
        env = std::make_unique<TestEnvironment>();
        data = env->dataFolder();
        records = {{"MainList.gbx", RecordFile::listFile({"Ford"})},
                   {"Ford.gbx", RecordFile::textRecord(QStringList(17, "v"))}};
        for (auto it = records.cbegin(); it != records.cend(); ++it)
            writeAll(data + it.key(), it.value());
    }
    void cleanup() { env.reset(); }

    void backupWritesNothing()
    {
        const Backup::Outcome b = Backup::writeBackup(data, archive());
        QVERIFY(!b.ok);
        namesTheLibrary(b.error);
        QCOMPARE(entriesOf(env->home()), QStringList());
    }

    void archiveIsNeitherReadNorUnpacked()
    {
        writeAll(archive(), "not looked at");
        const QString into = env->home() + "/unpacked";
        QVERIFY(QDir().mkdir(into));
        const Backup::Outcome manifest = Backup::readManifest(archive());
        QVERIFY(!manifest.ok);
        namesTheLibrary(manifest.error);
        const Backup::Outcome check = Backup::checkArchive(archive(), into);
        QVERIFY(!check.ok);
        namesTheLibrary(check.error);
        QCOMPARE(entriesOf(into), QStringList());
    }

    // Both the unpack and the safety backup fail, at the same time on two threads.
    void restoreChangesNothing()
    {
        writeAll(archive(), "not looked at");
        const QString gearshed = QFileInfo(QDir::cleanPath(data)).absolutePath();
        const Restore::Outcome r = Restore::restore(archive(), data, Restore::safetyBackupPath(data, {}));
        QVERIFY(!r.ok);
        namesTheLibrary(r.error);
        QCOMPARE(filesOfData(), records);
        QCOMPARE(entriesOf(gearshed), QStringList{"Data"});
    }

    void csvExportStillWorks()
    {
        const CsvExport::Outcome e = CsvExport::exportTo(env->home());
        QVERIFY2(e.ok, qPrintable(e.error));
        QCOMPARE(e.vehicles, 1);
        QStringList written = CsvExport::fileNames();
        written.sort();
        QCOMPARE(entriesOf(env->home()), written);
    }
};

GEARBOOK_TEST_MAIN(TestArchiveMissing)
#include "tst_archivemissing.moc"
