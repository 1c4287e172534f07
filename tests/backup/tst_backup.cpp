#include "TestEnvironment.h"
#include "backup/Archive.h"
#include "backup/Restore.h"

#include <QApplication>
#include <QCryptographicHash>
#include <QDir>
#include <QFileInfo>
#include <QScopeGuard>
#include <QTest>

#include <archive.h>
#include <archive_entry.h>
#include <clocale>
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

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

// An archive whose manifest is `manifest` as it stands, followed by `after` inside the gzip stream.
void craftRaw(const QString& path, const QByteArray& manifest, const QByteArray& after = {})
{
    QByteArray tar(1 << 20, '\0');
    size_t used = 0;
    archive* t = archive_write_new();
    archive_write_set_format_pax_restricted(t);
    archive_write_set_bytes_in_last_block(t, 1);
    archive_write_open_memory(t, tar.data(), size_t(tar.size()), &used);
    archive_entry* e = archive_entry_new();
    archive_entry_set_pathname(e, Backup::ManifestName);
    archive_entry_set_filetype(e, AE_IFREG);
    archive_entry_set_perm(e, 0600);
    archive_entry_set_size(e, manifest.size());
    archive_write_header(t, e);
    archive_write_data(t, manifest.constData(), size_t(manifest.size()));
    archive_entry_free(e);
    archive_write_close(t);
    archive_write_free(t);
    tar.truncate(qsizetype(used));
    tar += after;

    archive* a = archive_write_new();
    archive_write_add_filter_gzip(a);
    archive_write_set_format_raw(a);
    archive_write_open_filename(a, QFile::encodeName(path).constData());
    e = archive_entry_new();
    archive_entry_set_filetype(e, AE_IFREG);
    archive_write_header(a, e);
    archive_write_data(a, tar.constData(), size_t(tar.size()));
    archive_entry_free(e);
    archive_write_close(a);
    archive_write_free(a);
}

QByteArray heading(int files)
{
    return "Gearbook backup\nProgram version: 1\nCreated: 2026-01-01T00:00:00Z\nFiles: " + QByteArray::number(files) +
           "\n";
}

QByteArray rawRead(const QByteArray& path)
{
    QFile f;
    const int fd = ::open(path.constData(), O_RDONLY);
    if (fd < 0 || !f.open(fd, QIODevice::ReadOnly, QFile::AutoCloseHandle))
        return "(missing)";
    return f.readAll();
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

    // The safety backups beside the data folder, known by their names, newest first.
    void safetyBackupsAreListedNewestFirst()
    {
        const QDateTime early(QDate(2026, 3, 4), QTime(5, 6, 7));
        const QDateTime late(QDate(2026, 3, 5), QTime(1, 0, 0));
        const QString first = Restore::safetyBackupPath(data, early, Restore::MadeBefore::Import);
        writeAll(first, "a");
        const QString second = Restore::safetyBackupPath(data, early, Restore::MadeBefore::Import);
        QCOMPARE(QFileInfo(second).fileName(), "Gearbook safety backup 2026-03-04 05-06-07 before import (2).tar.gz");
        writeAll(second, "b");
        const QString resolved = Restore::safetyBackupPath(data, late, Restore::MadeBefore::ConflictResolution);
        QCOMPARE(QFileInfo(resolved).fileName(),
                 "Gearbook safety backup 2026-03-05 01-00-00 before conflict resolution.tar.gz");
        writeAll(resolved, "c");
        const QString restored = Restore::safetyBackupPath(data, early.addSecs(-1));
        writeAll(restored, "d");
        // Not ours: another name, a folder of such a name.
        writeAll(gearshed() + "/Gearbook safety backup of mine.tar.gz", "e");
        QVERIFY(QDir().mkpath(gearshed() + "/Gearbook safety backup 2026-03-06 00-00-00.tar.gz"));

        const QList<Restore::SafetyBackup> listed = Restore::safetyBackups(data);
        QStringList paths;
        for (const Restore::SafetyBackup& b : listed)
            paths << b.path;
        QCOMPARE(paths, QStringList({resolved, second, first, restored}));
        QCOMPARE(listed[0].before, Restore::MadeBefore::ConflictResolution);
        QCOMPARE(listed[0].made, late);
        QCOMPARE(listed[1].before, Restore::MadeBefore::Import);
        QCOMPARE(listed[3].before, Restore::MadeBefore::Restore);
        QCOMPARE(Restore::describe(Restore::MadeBefore::Import), "before an import");
    }

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
        // A record too large to back up (sparse: no disk needed) fails the
        // backup; a FIFO is no record, and only left out.
        QVERIFY(::mkfifo(QFile::encodeName(data + "pipe").constData(), 0600) == 0);
        QFile large(data + "Ford.gbx.unreadable.2");
        QVERIFY(large.open(QIODevice::WriteOnly) && large.resize(Backup::MaxUnpackedBytes + 1));
        large.close();
        const Backup::Outcome b = Backup::writeBackup(data, archive());
        QVERIFY(!b.ok);
        QVERIFY2(b.error.contains("\"Ford.gbx.unreadable.2\""), qPrintable(b.error));
        QVERIFY(!QFileInfo::exists(archive()));
    }

    // A data folder that a sync tool keeps: its own entries are left out and
    // named, never a failure, and a restore keeps them.
    void syncedFolderIsBackedUpAndRestoredWithItsMarkers()
    {
        QVERIFY(QDir().mkpath(data + ".stfolder") && QDir().mkpath(data + ".stversions"));
        writeAll(data + ".stversions/Ford~20261201.gbx", "old");
        writeAll(data + ".stignore", "*.tmp");
        writeAll(data + ".sync_3f.db", "db");
        QVERIFY(::mkfifo(QFile::encodeName(data + "pipe").constData(), 0600) == 0);
        QVERIFY(QFile::link("/etc/hostname", data + "Out.gbx"));
        const Files conflicts = {{"Car.sync-conflict-20261201-101010-ABCDEFG.gbx", "a"},
                                 {"Car (conflicted copy 2026-12-01 101010).gbx", "b"},
                                 {".hidden.gbx", "c"}};
        fill(data, conflicts);
        const Backup::Outcome b = Backup::writeBackup(data, archive());
        QVERIFY2(b.ok, qPrintable(b.error));
        QCOMPARE(b.manifest.members.size(), records.size() + conflicts.size());
        QCOMPARE(Backup::describe(b.leftOut), "left out: .stfolder (a folder), .stignore (a hidden file), .stversions "
                                              "(a folder), .sync_3f.db (a hidden file), Out.gbx (a link that leads "
                                              "out of the data folder), pipe (not a file)");

        writeAll(data + "Ford.gbx", "changed");
        const Restore::Outcome r = Restore::restore(archive(), data, Restore::safetyBackupPath(data, {}));
        QVERIFY2(r.ok, qPrintable(r.error));
        Restore::waitForCleanup();
        QCOMPARE(readAll(data + "Ford.gbx"), records["Ford.gbx"]);
        QCOMPARE(readAll(data + ".stversions/Ford~20261201.gbx"), "old");
        QCOMPARE(readAll(data + ".stignore"), "*.tmp");
        QVERIFY(QFileInfo(data + ".stfolder").isDir());
        QCOMPARE(QFileInfo(data + "Out.gbx").symLinkTarget(), "/etc/hostname");
        QCOMPARE(QFileInfo(data + "pipe").isFile(), false);
        QVERIFY(QFileInfo::exists(data + "pipe"));
        QCOMPARE(besideData().size(), 2); // the data folder and the safety backup
    }

    // Killed between the exchange and the move: the next start moves the sync
    // tool's entries back into the data folder, never deletes them.
    void interruptedRestoreKeepsWhatWasLeftOut()
    {
        QVERIFY(Backup::writeBackup(data, archive()));
        QVERIFY(QDir().mkpath(data + ".stfolder"));
        writeAll(data + ".stfolder/marker", "m");
        writeAll(data + ".stignore", "*.tmp");
        writeAll(data + "Other.gbx", "new since");
        const pid_t child = ::fork();
        if (child == 0) {
            Restore::setAfterExchangeForTests([] { ::_exit(0); });
            Restore::restore(archive(), data, Restore::safetyBackupPath(data, {}));
            ::_exit(1);
        }
        int status = -1;
        QCOMPARE(::waitpid(child, &status, 0), child);
        QCOMPARE(status, 0);
        QVERIFY(!QFileInfo::exists(data + ".stfolder")); // still in the old records
        Restore::removeUnfinished(data);
        QCOMPARE(readAll(data + ".stfolder/marker"), "m");
        QCOMPARE(readAll(data + ".stignore"), "*.tmp");
        QVERIFY(!QFileInfo::exists(data + "Other.gbx"));
        QVERIFY(!QFileInfo::exists(Restore::unpackFolder(data)));
        // The records restored and the sync tool's file, nothing more; the safety backup holds the old records.
        Files restored = records;
        restored.insert(".stignore", "*.tmp");
        QCOMPARE(filesOf(data), restored);
        QCOMPARE(besideData().size(), 2);
        QVERIFY(besideData().last().startsWith("Gearbook safety backup"));
    }

    // Killed before the exchange: the records never changed, so the safety
    // backup written meanwhile is of no use and goes with the unpack.
    void restoreKilledBeforeTheExchangeLeavesNothingBeside()
    {
        QVERIFY(Backup::writeBackup(data, archive()));
        writeAll(data + "Other.gbx", "new since");
        const Files before = filesOf(data);
        const pid_t child = ::fork();
        if (child == 0) {
            Restore::setBeforeExchangeForTests([] { ::_exit(0); });
            Restore::restore(archive(), data, Restore::safetyBackupPath(data, {}));
            ::_exit(1);
        }
        int status = -1;
        QCOMPARE(::waitpid(child, &status, 0), child);
        QCOMPARE(status, 0);
        QCOMPARE(besideData().size(), 3); // the records, the unpack and the safety backup
        Restore::removeUnfinished(data);
        QCOMPARE(besideData(), QStringList{"Data"});
        QCOMPARE(filesOf(data), before);
    }

    // A safety backup of a few records (a sync conflict's) says so, and is never
    // restored in place of all of them; a whole backup's manifest is as it always was.
    void partialBackupIsNeverRestoredWhole()
    {
        const Backup::Outcome b = Backup::writeBackup(data, archive(), {"Ford.gbx", "FordMaint.gbx"});
        QVERIFY2(b.ok, qPrintable(b.error));
        const Backup::Outcome c = Backup::checkArchive(archive());
        QVERIFY(c.ok && c.manifest.partial);
        refused(archive(), "it holds only 2 files (\"Ford.gbx\", \"FordMaint.gbx\")");
        QVERIFY(Backup::writeBackup(data, archive()));
        QVERIFY(!Backup::readManifest(archive()).manifest.partial);
    }

    // Exactly what the writer writes is a manifest: every other spelling of
    // a date, a number or a name is refused, so what is read writes back the same.
    void manifestReadsOnlyWhatItsWriterWrites_data()
    {
        QTest::addColumn<QByteArray>("manifest");
        QTest::addColumn<QString>("refusal"); // empty: read, and written back byte for byte
        const QByteArray sum(64, 'a');
        const auto withName = [&sum](const QByteArray& size, const QByteArray& name) {
            return heading(1) + sum + ' ' + size + ' ' + name + '\n';
        };
        const QByteArray plain = withName("3", "a%2Bb c.gbx");
        const QByteArray date = "Created: 2026-01-01T00:00:00Z";
        QTest::newRow("as written") << plain << QString();
        QTest::newRow("partial") << QByteArray(plain).replace("Files:",
                                                              "Holds: only some files of the data folder\nFiles:")
                                 << QString();
        QTest::newRow("255 bytes, encoded")
            << withName("1", QByteArray(255, '\xFF').toPercentEncoding(" ")) << QString();
        QTest::newRow("fraction of a second")
            << QByteArray(plain).replace(date, "Created: 2026-01-01T00:00:00.500Z") << "date or file count";
        QTest::newRow("date with a slash")
            << QByteArray(plain).replace(date, "Created: 2026-12/07T00:00:00Z") << "date or file count";
        QTest::newRow("time zone") << QByteArray(plain).replace(date, "Created: 2026-01-01T01:00:00+01:00")
                                   << "date or file count";
        QTest::newRow("count with a sign")
            << QByteArray(plain).replace("Files: 1", "Files: +1") << "date or file count";
        QTest::newRow("size with a zero") << withName("03", "a%2Bb c.gbx") << "line 5";
        QTest::newRow("name not encoded") << withName("3", "a+b c.gbx") << "line 5";
        QTest::newRow("lower-case code") << withName("3", "a%2bb c.gbx") << "line 5";
        QTest::newRow("raw bytes over 255") << withName("1", QByteArray(300, '\xE9')) << "more than 255 bytes";
        QTest::newRow("256 bytes, encoded") << withName("1", QByteArray(256, 'n')) << "more than 255 bytes";
        QTest::newRow("partial after the count")
            << QByteArray(plain).replace("Files: 1\n", "Files: 1\nHolds: only some files of the data folder\n")
            << "line 5";
    }
    void manifestReadsOnlyWhatItsWriterWrites()
    {
        QFETCH(QByteArray, manifest);
        QFETCH(QString, refusal);
        QString why;
        const auto read = Backup::Manifest::parse(manifest, &why);
        if (refusal.isEmpty()) {
            QVERIFY2(read, qPrintable(why));
            QCOMPARE(read->toBytes(), manifest);
        } else {
            QVERIFY(!read);
            QVERIFY2(why.contains(refusal), qPrintable(why));
        }
    }

    // A name no folder can hold: the check refuses it as the restore would.
    void namesLongerThanAFolderHoldsAreRefusedByTheCheck()
    {
        const Crafted list = {"MainList.gbx", "\"Ford\"\r\n"}, longName = {QByteArray(300, 'n'), "x"};
        craft(archive(), {list, longName}, {list, longName});
        const Backup::Outcome c = Backup::checkArchive(archive());
        QVERIFY(!c.ok);
        QVERIFY2(c.error.contains("more than 255 bytes"), qPrintable(c.error));
        refused(archive(), "more than 255 bytes");
    }

    // A restore refused after a name that is not UTF-8 was unpacked leaves no folder behind.
    void refusedRestoreRemovesNamesThatAreNotUtf8()
    {
        const Crafted latin1 = {"Caf\xE9.gbx", "caf\xE9"}, ford = {"Ford.gbx", "y"};
        craft(archive(), {latin1, {"Ford.gbx", "z"}}, {latin1, ford});
        refused(archive(), "\"Ford.gbx\" is damaged");
    }

    // A manifest's sizes that add up past the largest number.
    void sizesThatOverflowAreRefused()
    {
        Backup::Manifest m;
        for (const char* name : {"a", "b", "c", "d"})
            m.members.append({name, qint64(1) << 62, QByteArray(64, '0')});
        QVERIFY(m.totalSize() > Backup::MaxUnpackedBytes);
        QString why;
        const QByteArray huge = heading(1) + QByteArray(64, '0') + " 9223372036854775807 a\n";
        QVERIFY(!Backup::Manifest::parse(huge, &why));
        QVERIFY2(why.contains("line 5"), qPrintable(why));
    }

    // One cap on the manifest, for writer and reader: a backup beyond it is
    // refused before it is written, an archive beyond it before it is read on.
    void manifestCapIsSharedByWriterAndReader()
    {
        const auto reset = qScopeGuard([] { Backup::setCapsForTests(Backup::MaxFiles, Backup::MaxManifestBytes); });
        Backup::setCapsForTests(5, Backup::MaxManifestBytes);
        Backup::Outcome b = Backup::writeBackup(data, archive());
        QVERIFY(!b.ok);
        QVERIFY2(b.error.contains("more than a backup may hold (5)"), qPrintable(b.error));
        QVERIFY(!QFileInfo::exists(archive()));
        Backup::setCapsForTests(Backup::MaxFiles, 1 << 20);
        writeAll(data + QByteArray(200, 'n') + ".gbx", QByteArray(1, 'x'));
        for (int i = 0; i < 4000; ++i)
            writeAll(data + QString(200, QChar('a' + i % 26)) + QString::number(i), {});
        b = Backup::writeBackup(data, archive());
        QVERIFY(!b.ok);
        QVERIFY2(b.error.contains("(1 MiB)"), qPrintable(b.error));
        QVERIFY(!QFileInfo::exists(archive()));

        Backup::setCapsForTests(5, Backup::MaxManifestBytes);
        craftRaw(archive(), heading(6));
        const Backup::Outcome c = Backup::checkArchive(archive());
        QVERIFY2(c.error.contains("more files than a backup may hold (5)"), qPrintable(c.error));
        // Read as a stream: the first line that is no file's ends the reading.
        Backup::ManifestReader reader;
        QVERIFY(reader.add(heading(3)));
        QVERIFY(!reader.add(QByteArray(65536, '\n')));
        QVERIFY2(reader.error().contains("line 5"), qPrintable(reader.error()));
    }

    void paddingAfterTheEndIsBounded()
    {
        craftRaw(archive(), heading(0), QByteArray(512 << 10, '\0'));
        const Backup::Outcome fine = Backup::checkArchive(archive());
        QVERIFY2(fine.ok, qPrintable(fine.error));
        craftRaw(archive(), heading(0), QByteArray(2 << 20, '\0'));
        const Backup::Outcome c = Backup::checkArchive(archive());
        QVERIFY(!c.ok);
        QVERIFY2(c.error.contains("more than 1 MiB"), qPrintable(c.error));
    }

    // A name that is not UTF-8 (an old Latin-1 file) is kept byte for byte.
    void namesThatAreNotUtf8BackUpAndRestore()
    {
        const QByteArray latin1 = QFile::encodeName(data) + "Caf\xE9.gbx";
        const int fd = ::open(latin1.constData(), O_WRONLY | O_CREAT, 0600);
        QVERIFY(fd >= 0 && ::write(fd, "caf\xE9", 4) == 4 && ::close(fd) == 0);
        const Backup::Outcome b = Backup::writeBackup(data, archive());
        QVERIFY2(b.ok, qPrintable(b.error));
        QVERIFY(b.manifest.members.contains(
            Backup::Member{"Caf\xE9.gbx", 4, QCryptographicHash::hash("caf\xE9", QCryptographicHash::Sha256).toHex()}));
        QVERIFY(::unlink(latin1.constData()) == 0);
        const Restore::Outcome r = Restore::restore(archive(), data, Restore::safetyBackupPath(data, {}));
        QVERIFY2(r.ok, qPrintable(r.error));
        QCOMPARE(rawRead(latin1), "caf\xE9");
        // The old records go, that name too, and a next restore finds the way free.
        Restore::waitForCleanup();
        QCOMPARE(besideData().size(), 2);
        QVERIFY(Restore::restore(archive(), data, Restore::safetyBackupPath(data, {})));
    }

    // A backup killed between link and rename leaves "FILE.XXXXXX": the next backup to FILE removes it.
    void leftoverOfAKilledBackupGoes()
    {
        const QString leftover = archive() + ".Ab3xZ9";
        writeAll(leftover, "half");
        writeAll(archive() + ".backup1", "mine"); // not six letters: the user's own
        QVERIFY(Backup::writeBackup(data, archive()));
        QVERIFY(!QFileInfo::exists(leftover));
        QCOMPARE(readAll(archive() + ".backup1"), "mine");
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
