#include "ScriptedPlatform.h"
#include "TestEnvironment.h"
#include "access/CredentialStore.h"
#include "common/DataFolder.h"

#include <QApplication>
#include <QDir>
#include <QFileInfo>
#include <QProcess>
#include <QRegularExpression>
#include <QTest>

using namespace CredentialStore;

namespace {

// Stored forms from the known-answer vectors.
const QString StoredOne = QStringLiteral("a11CEACCC18FAEC707F68A27C946FC18ACE2964F76B5C3B90B41261F74EFD9732");
const QString StoredZero = QStringLiteral("a213AFE01F90C2FB457E5B2A789AC6DD6E4BE6E942F3BF4DC434EF31137FFCC69");
const QString StoredAdminName = QStringLiteral("aD6CDBE23CF4A6D8DB7A1A5CB645BA81CB168EBA0F569526793873E63C603A4C7");
const QString StoredAdminPassword = QStringLiteral("a766D90E3FC44E1E57BFCF617D98D8B8887C74A1405052478B7ABA8CB10B65E82");

QByteArray line(const QString& text)
{
    return text.toLatin1() + "\r\n";
}

const QFileDevice::Permissions OwnerOnly = QFileDevice::ReadOwner | QFileDevice::WriteOwner;

bool ownerOnly(const QString& path)
{
    const QFileDevice::Permissions all = QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner |
                                         QFileDevice::ReadGroup | QFileDevice::WriteGroup | QFileDevice::ExeGroup |
                                         QFileDevice::ReadOther | QFileDevice::WriteOther | QFileDevice::ExeOther;
    return (QFile::permissions(path) & all) == OwnerOnly;
}

} // namespace

class TestCredentialStore : public QObject {
    Q_OBJECT
    std::unique_ptr<TestEnvironment> env;

    QString work(const QString& name) const { return env->workDir() + QLatin1Char('/') + name; }

private slots:
    void init() { env = std::make_unique<TestEnvironment>(); }
    void cleanup() { env.reset(); }

    void storedForms_data()
    {
        QTest::addColumn<QString>("plain");
        QTest::addColumn<QString>("phrase");
        QTest::addColumn<QString>("stored");
        QTest::newRow("remember 1") << "1" << OptionPhrase << StoredOne;
        QTest::newRow("remember 0") << "0" << OptionPhrase << StoredZero;
        QTest::newRow("name admin") << "admin" << NamePhrase << StoredAdminName;
        QTest::newRow("password admin") << "admin" << PasswordPhrase << StoredAdminPassword;
    }
    void storedForms()
    {
        QFETCH(QString, plain);
        QFETCH(QString, phrase);
        QFETCH(QString, stored);
        QCOMPARE(encodeValue(plain, phrase), stored);
        QCOMPARE(decodeValue(stored, phrase), std::optional<QString>(plain));
        // The filler is dropped unread, whatever it is.
        QCOMPARE(decodeValue(QLatin1Char('Z') + stored.mid(1), phrase), std::optional<QString>(plain));
        QCOMPARE(decodeValue(QLatin1Char('0') + stored.mid(1), phrase), std::optional<QString>(plain));
    }

    void fillerAloneAndEmptyField()
    {
        QCOMPARE(decodeValue(QStringLiteral("a"), NamePhrase), std::optional<QString>(QString()));
        QVERIFY(!decodeValue(QString(), NamePhrase));
        // A wrong phrase gives some other text, never an error.
        QVERIFY(decodeValue(StoredAdminName, PasswordPhrase).has_value());
        QVERIFY(decodeValue(StoredAdminName, PasswordPhrase) != std::optional<QString>(QStringLiteral("admin")));
    }

    void fileLayouts()
    {
        QCOMPARE(optionFileBytes(QStringLiteral("1")), line(StoredOne));
        QCOMPARE(passwordFileBytes(QStringLiteral("admin"), QStringLiteral("admin")),
                 line(StoredAdminName + QLatin1Char(',') + StoredAdminPassword));
        const QRegularExpression shape(QStringLiteral("^a[0-9A-F]+,a[0-9A-F]+\r\n$"));
        const QString odd = QString::fromLatin1(passwordFileBytes(QStringLiteral("x, \"y\""), QStringLiteral(",")));
        QVERIFY2(shape.match(odd).hasMatch(), qPrintable(odd));
    }

    void namesWithCommasAndQuotesRoundTrip_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("password");
        QTest::newRow("commas") << "Smith, John"
                                << "a,b,,c";
        QTest::newRow("quotes") << "\"quoted\""
                                << "pa\"ss";
        QTest::newRow("spaces") << "  lead and trail  "
                                << " ";
        QTest::newRow("long") << QString(70, QLatin1Char('n')) << QStringLiteral("Ünïcødé ÿ €");
    }
    void namesWithCommasAndQuotesRoundTrip()
    {
        QFETCH(QString, name);
        QFETCH(QString, password);
        QVERIFY(writePasswordFile(name, password));
        const auto login = readPasswordFile();
        QVERIFY(login);
        QCOMPARE(login->name, name);
        QCOMPARE(login->password, password);
        QVERIFY(ownerOnly(work(PasswordFileName)));
    }

    void readingEndsAtMissingFields()
    {
        // Missing files.
        QVERIFY(!readPasswordFile());
        QVERIFY(!readRememberFlag());
        QVERIFY(!readSkipFlag());

        // An empty file and an empty line.
        writeAll(work(RememberFileName), QByteArray());
        QVERIFY(!readRememberFlag());
        writeAll(work(RememberFileName), "\r\n");
        QVERIFY(!readRememberFlag());
        writeAll(work(SkipFileName), "\r\n" + line(StoredOne));
        QVERIFY(readSkipFlag().has_value()); // blank lines before a field are skipped
        writeAll(work(PasswordFileName), QByteArray());
        QVERIFY(!readPasswordFile());

        // A line without a comma lacks the password field.
        writeAll(work(PasswordFileName), line(StoredAdminName));
        QVERIFY(!readPasswordFile());
        // An empty name field.
        writeAll(work(PasswordFileName), line(QLatin1Char(',') + StoredAdminPassword));
        QVERIFY(!readPasswordFile());
        // An empty password field.
        writeAll(work(PasswordFileName), line(StoredAdminName + QLatin1Char(',')));
        QVERIFY(!readPasswordFile());

        // Blanks before a field, no line end and fields after the expected ones are fine.
        writeAll(work(PasswordFileName),
                 (QStringLiteral("  ") + StoredAdminName + QStringLiteral(",  ") + StoredAdminPassword + ",extra")
                     .toLatin1());
        auto login = readPasswordFile();
        QVERIFY(login);
        QCOMPARE(login->name, QStringLiteral("admin"));
        QCOMPARE(login->password, QStringLiteral("admin"));

        // A field that is the filler alone decodes to the empty text.
        writeAll(work(PasswordFileName), "a,a\r\n");
        login = readPasswordFile();
        QVERIFY(login);
        QVERIFY(login->name.isEmpty());
        QVERIFY(login->password.isEmpty());

        writeAll(work(RememberFileName), line(StoredOne));
        QCOMPARE(readRememberFlag(), std::optional<QString>(QStringLiteral("1")));
    }

    void pathsFollowTheWorkingFolder()
    {
        QDir(env->workDir()).mkdir(QStringLiteral("elsewhere"));
        QVERIFY(QDir::setCurrent(work(QStringLiteral("elsewhere"))));
        QVERIFY(writeOptions(1, 0));
        QVERIFY(QFileInfo::exists(work(QStringLiteral("elsewhere/logdata2.gbx"))));
        QVERIFY(!QFileInfo::exists(work(RememberFileName)));
        QCOMPARE(filePath(SkipFileName, QStringLiteral("/x/")), QStringLiteral("/x/logdata3.gbx"));
    }

    void numericValues_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("isNumber");
        QTest::addColumn<double>("value");
        QTest::addColumn<int>("checkBox"); // -1: not a check-box value
        QTest::newRow("1") << "1" << true << 1.0 << 1;
        QTest::newRow("0") << "0" << true << 0.0 << 0;
        QTest::newRow("2") << "2" << true << 2.0 << 2;
        QTest::newRow("blanks") << " 1 " << true << 1.0 << 1;
        QTest::newRow("fraction") << "1.0" << true << 1.0 << 1;
        QTest::newRow("half rounds to even") << "0.5" << true << 0.5 << 0;
        QTest::newRow("one and a half") << "1.5" << true << 1.5 << 2;
        QTest::newRow("hex") << "&H1" << true << 1.0 << 1;
        QTest::newRow("three") << "3" << true << 3.0 << -1;
        QTest::newRow("negative") << "-1" << true << -1.0 << -1;
        QTest::newRow("empty") << "" << false << 0.0 << -1;
        QTest::newRow("word") << "yes" << false << 0.0 << -1;
        QTest::newRow("garbage") << QStringLiteral("\x01\xfe") << false << 0.0 << -1;
        QTest::newRow("infinity") << "inf" << false << 0.0 << -1;
    }
    void numericValues()
    {
        QFETCH(QString, text);
        QFETCH(bool, isNumber);
        QFETCH(double, value);
        QFETCH(int, checkBox);
        const auto v = numericValue(text);
        QCOMPARE(v.has_value(), isNumber);
        if (isNumber)
            QCOMPARE(*v, value);
        const auto c = checkBoxValue(text);
        QCOMPARE(c.has_value(), checkBox >= 0);
        if (c)
            QCOMPARE(*c, checkBox);
    }

    void writingOptionsLeavesThePasswordFileAlone()
    {
        const QByteArray password = line(StoredAdminName + QLatin1Char(',') + StoredAdminPassword);
        writeAll(work(PasswordFileName), password);
        const QDateTime before = QFileInfo(work(PasswordFileName)).lastModified();

        QVERIFY(writeOptions(1, 0));
        QCOMPARE(readAll(work(RememberFileName)), line(StoredOne));
        QCOMPARE(readAll(work(SkipFileName)), line(StoredZero));
        QVERIFY(ownerOnly(work(RememberFileName)));
        QVERIFY(ownerOnly(work(SkipFileName)));
        QCOMPARE(readAll(work(PasswordFileName)), password);
        QCOMPARE(QFileInfo(work(PasswordFileName)).lastModified(), before);

        QVERIFY(writeOptions(0, 1));
        QCOMPARE(readAll(work(RememberFileName)), line(StoredZero));
        QCOMPARE(readAll(work(SkipFileName)), line(StoredOne));
    }

    void failedWritesNameTheFile()
    {
        // The remember file is written first; a folder in the skip file's place stops the second write.
        QVERIFY(QDir(env->workDir()).mkdir(SkipFileName));
        const StoreWrite w = writeOptions(1, 1);
        QVERIFY(!w);
        QCOMPARE(w.path, work(SkipFileName));
        QVERIFY(!w.result.error.isEmpty());
        QCOMPARE(readAll(work(RememberFileName)), line(StoredOne));

        QVERIFY(QDir(env->workDir()).mkdir(PasswordFileName));
        const StoreWrite p = writePasswordFile(QStringLiteral("a"), QStringLiteral("b"));
        QVERIFY(!p);
        QCOMPARE(p.path, work(PasswordFileName));
    }

    void aFullDiskKeepsTheOldLogin()
    {
        const QString folder = env->workDir();
        QVERIFY(CredentialStore::writePasswordFile("admin", "admin", folder));
        const QByteArray before = readAll(folder + "/logdata.gbx");
        CredentialStore::StoreWrite w;
        {
            FileSizeLimit limit(16); // the new file fits in the write buffer: only the flush fails
            w = CredentialStore::writePasswordFile("someone", "a longer password", folder);
        }
        QVERIFY(!w);
        QCOMPARE(w.path, folder + "/logdata.gbx");
        QCOMPARE(readAll(folder + "/logdata.gbx"), before);
        QCOMPARE(CredentialStore::readPasswordFile(folder)->name, QStringLiteral("admin"));
    }

    void leftoversOfKilledSavesGoOnceTheFolderIsHeld()
    {
        const QStringList planted{"logdata.gbx.Ab3xZ9", "logdata2.gbx.000000", "logdata3.gbx.zzzzzz"};
        for (const QString& name : planted)
            writeAll(work(name), "half");
        // Only what our own saves leave behind: the user's other files stay.
        const QStringList kept{"logdata.gbx", "logdata.gbx.unreadable", "notes.gbx.Ab3xZ9", "xlogdata.gbx.Ab3xZ9"};
        for (const QString& name : kept)
            writeAll(work(name), "whole");
        DataFolder::Lock first;
        QCOMPARE(first.take(), DataFolder::Lock::Result::Held);
        DataFolder::Lock second; // a second copy: it may be saving them right now
        QCOMPARE(second.take(), DataFolder::Lock::Result::InUse);
        second.removeSaveLeftovers(env->workDir(), FileNames);
        QCOMPARE(QDir(env->workDir()).entryList(QDir::Files).size(), planted.size() + kept.size());

        first.removeSaveLeftovers(env->workDir(), FileNames);
        QStringList left = QDir(env->workDir()).entryList(QDir::Files);
        left.sort();
        QCOMPARE(left, kept);
    }

    void defaultLoginIsWrittenButNeverOverwritten()
    {
        const QString folder = env->home() + QStringLiteral("/Venbry Software/Gearbook");
        InstallReport r = installDefaultLogin(folder, false);
        QVERIFY(r.ok());
        QCOMPARE(r.written.size(), 3);
        QCOMPARE(readAll(folder + "/logdata.gbx"), line(StoredAdminName + QLatin1Char(',') + StoredAdminPassword));
        QCOMPARE(readAll(folder + "/logdata2.gbx"), line(StoredZero));
        QCOMPARE(readAll(folder + "/logdata3.gbx"), line(StoredZero));
        QVERIFY(ownerOnly(folder + "/logdata.gbx"));

        // A changed login survives another install; a missing file is put back.
        QVERIFY(writePasswordFile(QStringLiteral("me"), QStringLiteral("secret"), folder));
        QVERIFY(writeOptions(1, 1, folder));
        QVERIFY(QFile::remove(folder + "/logdata3.gbx"));
        r = installDefaultLogin(folder, false);
        QVERIFY(r.ok());
        QCOMPARE(r.written, QStringList{SkipFileName});
        QCOMPARE(r.kept, (QStringList{PasswordFileName, RememberFileName}));
        QCOMPARE(readPasswordFile(folder)->name, QStringLiteral("me"));
        QCOMPARE(readRememberFlag(folder), std::optional<QString>(QStringLiteral("1")));

        // Reset brings admin/admin back.
        r = installDefaultLogin(folder, true);
        QVERIFY(r.ok());
        QCOMPARE(r.written.size(), 3);
        QCOMPARE(readPasswordFile(folder)->name, QStringLiteral("admin"));
        QCOMPARE(readSkipFlag(folder), std::optional<QString>(QStringLiteral("0")));
    }

    void credentialTool()
    {
        const QString tool = QStringLiteral(GEARBOOK_CREDENTIALS_TOOL);
        const QString folder = env->home() + QStringLiteral("/stage");
        auto run = [&](const QStringList& args) {
            QProcess p;
            p.start(tool, args);
            if (!p.waitForFinished(60000))
                return -1;
            return p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1;
        };
        QCOMPARE(run({folder}), 0);
        auto login = readPasswordFile(folder);
        QVERIFY(login);
        QCOMPARE(login->name, QStringLiteral("admin"));
        QCOMPARE(login->password, QStringLiteral("admin"));
        QCOMPARE(readRememberFlag(folder), std::optional<QString>(QStringLiteral("0")));
        QCOMPARE(readSkipFlag(folder), std::optional<QString>(QStringLiteral("0")));

        // Running it again (as every build and install does) keeps a changed login.
        QVERIFY(writePasswordFile(QStringLiteral("me"), QStringLiteral("secret"), folder));
        const QByteArray changed = readAll(folder + "/logdata.gbx");
        QCOMPARE(run({folder}), 0);
        QCOMPARE(readAll(folder + "/logdata.gbx"), changed);

        QCOMPARE(run({QStringLiteral("--reset"), folder}), 0);
        QCOMPARE(readPasswordFile(folder)->name, QStringLiteral("admin"));

        QCOMPARE(run({}), 2);
        QCOMPARE(run({QStringLiteral("--force"), folder}), 2);
        // A file where the folder should be.
        writeAll(env->home() + "/blocked", "x");
        QCOMPARE(run({env->home() + "/blocked"}), 1);
    }

    // Login's message names the login tool that can be run where the program runs.
    void resetCommandNamesTheToolBesideTheProgram()
    {
        const QString folder = QStringLiteral("/home/a/Venbry Software/Gearbook");
        const QString packaged = env->home() + QStringLiteral("/lib/gearbook");
        const QString installed = env->home() + QStringLiteral("/Venbry Software/Gearbook");
        QCOMPARE(resetCommand(folder, packaged), QStringLiteral("gearbook_credentials --reset \"%1\"").arg(folder));
        for (const QString& dir : {packaged, installed}) {
            QVERIFY(QDir().mkpath(dir));
            writeAll(dir + "/gearbook_credentials", "#!/bin/sh\n");
            QVERIFY(QFile::setPermissions(dir + "/gearbook_credentials", OwnerOnly | QFileDevice::ExeOwner));
        }
        QCOMPARE(resetCommand(folder, packaged),
                 QStringLiteral("%1/gearbook_credentials --reset \"%2\"").arg(packaged, folder));
        // A path with a space stays one word when pasted into a shell.
        QCOMPARE(resetCommand(folder, installed),
                 QStringLiteral("\"%1/gearbook_credentials\" --reset \"%2\"").arg(installed, folder));
    }
};

GEARBOOK_TEST_MAIN(TestCredentialStore)
#include "tst_credentialstore.moc"
