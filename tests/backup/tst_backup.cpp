#include "Archive.h"
#include "Restore.h"
#include "TestEnvironment.h"

#include <QApplication>
#include <QCryptographicHash>
#include <QDir>
#include <QFileInfo>
#include <QScopeGuard>
#include <QtTest>

#include <archive.h>
#include <archive_entry.h>
#include <clocale>
#include <sys/stat.h>

namespace {

using Files = QMap<QString, QByteArray>;

Files filesOf(const QString& folder)
{
    Files files;
    for (const QFileInfo& f : QDir(folder).entryInfoList(QDir::Files | QDir::Hidden | QDir::System))
        files.insert(f.fileName(), readAll(f.filePath()));
    return files;
}

void fill(const QString& folder, const Files& files)
{
    for (auto it = files.cbegin(); it != files.cend(); ++it)
        writeAll(folder + it.key(), it.value());
}

struct Crafted {
    Crafted(QByteArray n, QByteArray b, int t = AE_IFREG, QByteArray l = {}) : name(n), bytes(b), type(t), link(l) {}
    QByteArray name;
    QByteArray bytes;
    int type;
    QByteArray link; // symbolic or hard link target
};

// An archive made by hand: a manifest that lists `listed`, then the members `held`.
void craft(const QString& path, const QList<Crafted>& listed, const QList<Crafted>& held)
{
    Backup::Manifest manifest;
    manifest.programVersion = "1.1";
    manifest.created = QDateTime::currentDateTimeUtc();
    for (const Crafted& m : listed)
        manifest.members.append(
            {m.name, m.bytes.size(), QCryptographicHash::hash(m.bytes, QCryptographicHash::Sha256).toHex()});
    archive* a = archive_write_new();
    archive_write_add_filter_gzip(a);
    archive_write_set_format_pax_restricted(a);
    archive_write_open_filename(a, QFile::encodeName(path).constData());
    for (const Crafted& m : QList<Crafted>{{Backup::ManifestName, manifest.toBytes()}} + held) {
        archive_entry* e = archive_entry_new();
        archive_entry_set_pathname(e, m.name.constData());
        archive_entry_set_filetype(e, m.type);
        archive_entry_set_perm(e, 0644);
        if (m.type == AE_IFLNK)
            archive_entry_set_symlink(e, m.link.constData());
        else if (!m.link.isEmpty())
            archive_entry_set_hardlink(e, m.link.constData());
        archive_entry_set_size(e, m.type == AE_IFREG && m.link.isEmpty() ? m.bytes.size() : 0);
        archive_write_header(a, e);
        archive_write_data(a, m.bytes.constData(), size_t(m.bytes.size()));
        archive_entry_free(e);
    }
    archive_write_close(a);
    archive_write_free(a);
}

} // namespace

class TestBackup : public QObject {
    Q_OBJECT
    std::unique_ptr<TestEnvironment> env;
    QString data;
    const Files records = {{"MainList.gbx", "\"Ford\"\r\n\"Citro\xEBn 2CV\"\r\n"},
                           {"Ford.gbx", "\"Ford\",\"T\"\r\n"},
                           {"Citro\xC3\xABn 2CV.gbx", "\"\xEB\"\r\n"},
                           {"FordMaint.gbx", ""},
                           {"FordOil, 5W-30.gbx", QByteArray(70000, 'x')},
                           {"Ford.gbx.unreadable", "\x01\x02"}};

    QString archive() const { return env->home() + "/backup.tar.gz"; }
    QString gearshed() const { return QFileInfo(QDir::cleanPath(data)).absolutePath(); }
    QStringList besideData() const { return QDir(gearshed()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot); }

    // The restore fails with a reason and leaves the records, and the folder beside them, as they were.
    void refused(const QString& archivePath, const QString& reason)
    {
        const Files before = filesOf(data);
        const Restore::Outcome r = Restore::restore(archivePath, data, Restore::safetyBackupPath(data, {}));
        QVERIFY(!r.ok);
        QVERIFY2(r.error.contains(reason), qPrintable(r.error));
        QCOMPARE(filesOf(data), before);
        QCOMPARE(besideData(), QStringList{"Data"});
    }

private slots:
    void init()
    {
        env = std::make_unique<TestEnvironment>();
        data = env->dataFolder();
        fill(data, records);
    }
    void cleanup() { env.reset(); }

    void backupThenRestoreGivesTheSameFolder()
    {
        // Scheduled backups often run in the C locale: names that are not ASCII stay as they are.
        const QByteArray locale = setlocale(LC_CTYPE, nullptr);
        setlocale(LC_CTYPE, "C");
        const auto restoreLocale = qScopeGuard([&locale] { setlocale(LC_CTYPE, locale.constData()); });
        writeAll(data + "Ford.gbx.AbCdEf", "half a save"); // an interrupted save's temporary
        const QDateTime written = QDateTime(QDate(2020, 5, 6), QTime(7, 8, 9));
        QFile unreadable(data + "Ford.gbx.unreadable");
        QVERIFY(unreadable.open(QIODevice::ReadWrite) &&
                unreadable.setFileTime(written, QFileDevice::FileModificationTime));
        unreadable.close();
        const Backup::Outcome b = Backup::writeBackup(data, archive());
        QVERIFY2(b.ok, qPrintable(b.error));
        QCOMPARE(b.manifest.members.size(), records.size());
        QFile::remove(data + "Ford.gbx.AbCdEf");

        const Files changed = {{"Ford.gbx", "\"Ford\",\"changed\"\r\n"}, {"Other.gbx", "new"}};
        fill(data, changed);
        QFile::remove(data + "FordMaint.gbx");
        const QString safety = Restore::safetyBackupPath(data, QDateTime(QDate(2026, 1, 2), QTime(3, 4, 5)));
        QCOMPARE(QFileInfo(safety).fileName(), "Gearbook safety backup 2026-01-02 03-04-05.tar.gz");
        const Files current = filesOf(data);

        const Restore::Outcome r = Restore::restore(archive(), data, safety);
        QVERIFY2(r.ok, qPrintable(r.error));
        QCOMPARE(filesOf(data), records);
        QCOMPARE(r.fileCount, records.size());
        QCOMPARE(QFileInfo(data + "Ford.gbx.unreadable").lastModified(), written);
        // The records as they were are in the safety backup, which checks; nothing else is left beside the data.
        QCOMPARE(r.safetyBackup, safety);
        Restore::waitForCleanup();
        const Backup::Outcome s = Backup::checkArchive(safety);
        QVERIFY2(s.ok, qPrintable(s.error));
        QCOMPARE(s.manifest.members.size(), current.size());
        QCOMPARE(besideData(), (QStringList{"Data", QFileInfo(safety).fileName()}));
        const QString again = env->home() + "/again";
        QDir().mkpath(again);
        QVERIFY(Backup::checkArchive(safety, again));
        QCOMPARE(filesOf(again + "/"), current);
    }

    void damagedArchiveIsRefused_data()
    {
        QTest::addColumn<int>("damage");
        QTest::addColumn<QString>("reason");
        QTest::newRow("flipped byte") << 0 << "damaged";
        QTest::newRow("cut short") << 1 << "damaged";
        QTest::newRow("missing member") << 2 << "\"Ford.gbx\" is missing";
        QTest::newRow("not listed") << 3 << "does not list";
    }
    void damagedArchiveIsRefused()
    {
        QFETCH(int, damage);
        QFETCH(QString, reason);
        QVERIFY(Backup::writeBackup(data, archive()));
        QByteArray bytes = readAll(archive());
        const Crafted list = {"MainList.gbx", "x"}, ford = {"Ford.gbx", "y"};
        if (damage == 0) {
            bytes[bytes.size() / 2] = char(bytes[bytes.size() / 2] ^ 0x10);
            writeAll(archive(), bytes);
        } else if (damage == 1) {
            writeAll(archive(), bytes.left(bytes.size() - 100));
        } else if (damage == 2) {
            craft(archive(), {list, ford}, {list});
        } else {
            craft(archive(), {list}, {list, ford});
        }
        refused(archive(), reason);
    }

    void membersOutsideTheFolderAreRefused_data()
    {
        QTest::addColumn<QByteArray>("name");
        QTest::addColumn<int>("type");
        QTest::addColumn<QByteArray>("link");
        QTest::newRow("../x") << QByteArray("../x") << int(AE_IFREG) << QByteArray();
        QTest::newRow("a/b") << QByteArray("a/b") << int(AE_IFREG) << QByteArray();
        QTest::newRow("symbolic link") << QByteArray("Ford.gbx") << int(AE_IFLNK) << QByteArray("/etc/passwd");
        QTest::newRow("hard link") << QByteArray("Ford.gbx") << int(AE_IFREG) << QByteArray("MainList.gbx");
        QTest::newRow("folder") << QByteArray("Ford/") << int(AE_IFDIR) << QByteArray();
        QTest::newRow("device") << QByteArray("Ford.gbx") << int(AE_IFCHR) << QByteArray();
    }
    void membersOutsideTheFolderAreRefused()
    {
        QFETCH(QByteArray, name);
        QFETCH(int, type);
        QFETCH(QByteArray, link);
        const Crafted list = {"MainList.gbx", "\"Ford\"\r\n"};
        craft(archive(), {list}, {list, {name, "evil", type, link}});
        refused(archive(), "\"" + QString::fromUtf8(name) + "\"");
        QVERIFY(!QFileInfo::exists(env->dataHome() + "/Venbry Software/Gearshed/x"));
    }

    void unreadableRecordFailsTheBackup()
    {
        QVERIFY(::mkfifo(QFile::encodeName(data + "Ford.gbx.unreadable.2").constData(), 0600) == 0);
        const Backup::Outcome b = Backup::writeBackup(data, archive());
        QVERIFY(!b.ok);
        QVERIFY2(b.error.contains("\"Ford.gbx.unreadable.2\""), qPrintable(b.error));
        QVERIFY(!QFileInfo::exists(archive()));
    }

    void startRemovesAnUnfinishedRestore()
    {
        const QString left = Restore::unpackFolder(data);
        QCOMPARE(left, gearshed() + "/Data.restoring");
        QDir().mkpath(left);
        writeAll(left + "/Ford.gbx", "half");
        Restore::removeUnfinished(data);
        QCOMPARE(besideData(), QStringList{"Data"});
        QCOMPARE(filesOf(data), records);
    }
};

GEARBOOK_TEST_MAIN(TestBackup)
#include "tst_backup.moc"
