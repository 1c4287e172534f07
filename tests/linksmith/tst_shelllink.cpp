#include "DesktopEntryReader.h"
#include "TestEnvironment.h"
#include "linksmith/ShellLink.h"

#include <QApplication>
#include <QDir>
#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>
#include <QTest>

#include <memory>

namespace {

const QString Programs = QStringLiteral("$(Programs)");
const QString Desktop = QStringLiteral("..\\..\\Desktop");
const QString Startup = QStringLiteral("Startup");

// Runs desktop-file-validate on a file; empty when it found nothing to say.
QString validate(const QString& path)
{
    QProcess p;
    p.start(QStringLiteral("desktop-file-validate"), {path});
    if (!p.waitForFinished(30000))
        return QStringLiteral("desktop-file-validate did not finish");
    const QString out = QString::fromUtf8(p.readAllStandardOutput() + p.readAllStandardError()).trimmed();
    if (p.exitStatus() != QProcess::NormalExit || p.exitCode() != 0)
        return out.isEmpty() ? QStringLiteral("failed") : out;
    return out;
}

} // namespace

class TestShellLink : public QObject {
    Q_OBJECT
    std::unique_ptr<TestEnvironment> env;

    QString desktopDir() const { return env->home() + "/Desktop"; }
    QString menuDir() const { return env->dataHome() + "/applications"; }
    QString autostartDir() const { return env->configHome() + "/autostart"; }

private slots:
    void init() { env = std::make_unique<TestEnvironment>(); }
    void cleanup() { env.reset(); }

    void writesEachPlaceByteForByte_data()
    {
        QTest::addColumn<QString>("folder");
        QTest::addColumn<QString>("expectedDir");
        QTest::addColumn<bool>("executable");
        QTest::newRow("desktop") << Desktop << "/home/Desktop" << true;
        QTest::newRow("programs menu") << Programs << "/data/applications" << false;
        QTest::newRow("startup") << Startup << "/config/autostart" << false;
    }
    void writesEachPlaceByteForByte()
    {
        QFETCH(QString, folder);
        QFETCH(QString, expectedDir);
        QFETCH(bool, executable);
        const QString root = QFileInfo(env->home()).path();
        const QString dir = root + expectedDir;
        QVERIFY(!QFileInfo::exists(dir)); // created on demand

        const QString program = env->dataHome() + "/Venbry Software/Gearbook/Gearbook";
        QVERIFY(fCreateShellLink(folder, "Shortcut to Gearbook", program, QString(), -1, Programs) != 0);

        const QString file = dir + "/Shortcut to Gearbook.desktop";
        QCOMPARE(QDir(dir).entryList(QDir::Files), QStringList{"Shortcut to Gearbook.desktop"});
        const QString programDir = env->dataHome() + "/Venbry Software/Gearbook";
        const QByteArray expected = QStringLiteral("[Desktop Entry]\n"
                                                   "Type=Application\n"
                                                   "Name=Shortcut to Gearbook\n"
                                                   "Exec=\"%1\"\n"
                                                   "TryExec=%1\n"
                                                   "Path=%2\n"
                                                   "Icon=example.venbry.Gearbook\n"
                                                   "Comment=Keep the records of your vehicles\n"
                                                   "Categories=Office;Database;\n"
                                                   "StartupWMClass=Gearbook\n")
                                        .arg(program, programDir)
                                        .toUtf8();
        QCOMPARE(readAll(file), expected);
        QCOMPARE(bool(QFileInfo(file).permissions() & QFileDevice::ExeOwner), executable);
    }

    void replacesAnExistingEntry()
    {
        QDir().mkpath(menuDir());
        writeAll(menuDir() + "/Shortcut to Gearbook.desktop", "old junk that is longer than the new entry ...........");
        QVERIFY(fCreateShellLink(Programs, "Shortcut to Gearbook", "/opt/a/Gearbook", QString(), -1, Programs));
        const auto keys = DesktopEntryReader::keys(readAll(menuDir() + "/Shortcut to Gearbook.desktop"));
        QCOMPARE(keys.value("Exec"), QString("\"/opt/a/Gearbook\""));
        QCOMPARE(QDir(menuDir()).entryList(QDir::Files | QDir::Hidden), QStringList{"Shortcut to Gearbook.desktop"});
    }

    void failsWithoutWritingWhenTheFolderCannotBeMade_data()
    {
        QTest::addColumn<QString>("folder");
        QTest::addColumn<QString>("blocked");
        QTest::newRow("desktop") << Desktop << "/home/Desktop";
        QTest::newRow("programs menu") << Programs << "/data/applications";
        QTest::newRow("startup") << Startup << "/config/autostart";
        QTest::newRow("parent of the menu folder") << Programs << "/data";
    }
    void failsWithoutWritingWhenTheFolderCannotBeMade()
    {
        QFETCH(QString, folder);
        QFETCH(QString, blocked);
        const QString path = QFileInfo(env->home()).path() + blocked;
        QDir(path).removeRecursively();
        writeAll(path, "a file where a folder should be");
        QCOMPARE(fCreateShellLink(folder, "Shortcut to Gearbook", "/opt/Gearbook", QString(), -1, Programs), 0);
        QCOMPARE(readAll(path), QByteArray("a file where a folder should be"));
    }

    void failsWhenTheEntryItselfCannotBeWritten()
    {
        // A folder in the way of the entry file.
        QDir().mkpath(menuDir() + "/Shortcut to Gearbook.desktop");
        QCOMPARE(fCreateShellLink(Programs, "Shortcut to Gearbook", "/opt/Gearbook", QString(), -1, Programs), 0);
    }

    void refusesWhatItCannotPlaceOrStart_data()
    {
        QTest::addColumn<QString>("folder");
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("target");
        QTest::addColumn<QString>("base");
        QTest::newRow("unknown place") << "Favourites"
                                       << "Shortcut to Gearbook"
                                       << "/opt/Gearbook" << Programs;
        QTest::newRow("other base") << Startup << "Shortcut to Gearbook"
                                    << "/opt/Gearbook"
                                    << "$(AppPath)";
        QTest::newRow("name with a folder") << Programs << "../Shortcut to Gearbook"
                                            << "/opt/Gearbook" << Programs;
        QTest::newRow("empty name") << Programs << ""
                                    << "/opt/Gearbook" << Programs;
        QTest::newRow("nothing to start") << Programs << "Shortcut to Gearbook"
                                          << "" << Programs;
    }
    void refusesWhatItCannotPlaceOrStart()
    {
        QFETCH(QString, folder);
        QFETCH(QString, name);
        QFETCH(QString, target);
        QFETCH(QString, base);
        QCOMPARE(fCreateShellLink(folder, name, target, QString(), -1, base), 0);
        QVERIFY(!QFileInfo::exists(menuDir()) || QDir(menuDir()).isEmpty());
        QVERIFY(QDir(env->dataHome()).entryList(QDir::Files).isEmpty());
        QVERIFY(QDir(env->workDir()).isEmpty());
    }

    void execSurvivesAwkwardPaths_data()
    {
        QTest::addColumn<QString>("target");
        QTest::addColumn<QString>("arguments");
        QTest::addColumn<QStringList>("expected");
        QTest::newRow("spaces") << "/home/a b/Venbry Software/Gearbook"
                                << "" << QStringList{"/home/a b/Venbry Software/Gearbook"};
        QTest::newRow("double quotes") << "/x/say \"hi\"/prog"
                                       << "" << QStringList{"/x/say \"hi\"/prog"};
        QTest::newRow("shell characters") << "/x/$HOME `id` \\n/p"
                                          << "" << QStringList{"/x/$HOME `id` \\n/p"};
        QTest::newRow("backslashes") << "/x/a\\\\b\\/c\\"
                                     << "" << QStringList{"/x/a\\\\b\\/c\\"};
        QTest::newRow("percent signs") << "/x/100%/%f %%u"
                                       << "" << QStringList{"/x/100%/%f %%u"};
        QTest::newRow("single quote, semicolon, equals") << "/x/it's;a=b#c"
                                                         << "" << QStringList{"/x/it's;a=b#c"};
        QTest::newRow("non-ASCII") << QString::fromUtf8("/x/Garáž Ωmega/prog") << ""
                                   << QStringList{QString::fromUtf8("/x/Garáž Ωmega/prog")};
        QTest::newRow("tab and newline") << "/x/a\tb\nc/prog"
                                         << "" << QStringList{"/x/a\tb\nc/prog"};
        QTest::newRow("arguments") << "/x/prog"
                                   << "-v \"two words\"" << QStringList{"/x/prog", "-v", "two words"};
        QTest::newRow("relative path") << "sub dir/prog"
                                       << "" << QStringList{"WORK/sub dir/prog"};
        QTest::newRow("bare name") << "gearbook"
                                   << "" << QStringList{"gearbook"};
    }
    void execSurvivesAwkwardPaths()
    {
        QFETCH(QString, target);
        QFETCH(QString, arguments);
        QFETCH(QStringList, expected);
        expected.replaceInStrings("WORK", env->workDir());

        QVERIFY(fCreateShellLink(Programs, "Shortcut to prog", target, arguments, -1, Programs));
        const QByteArray file = readAll(menuDir() + "/Shortcut to prog.desktop");
        // No value spilled onto a line of its own; a shortcut to Gearbook has four lines more.
        const bool gearbook = ShellLink::startsGearbook(target);
        QCOMPARE(file.count('\n'), (target.contains('/') ? 6 : 5) + (gearbook ? 4 : 0));
        const auto keys = DesktopEntryReader::keys(file);
        QCOMPARE(keys.contains("Icon"), gearbook); // another program shows no icon of ours
        QCOMPARE(DesktopEntryReader::execArguments(keys.value("Exec")), expected);
        // What desktops test before they show it: the program itself, or its name on PATH.
        QCOMPARE(keys.value("TryExec"), target.contains('/') ? QFileInfo(target).absoluteFilePath() : target);
        if (target.contains('/'))
            QCOMPARE(keys.value("Path"), QFileInfo(expected.first()).path());
        else
            QVERIFY(!keys.contains("Path"));
    }

    void onlyShortcutsToGearbookLookLikeGearbook_data()
    {
        QTest::addColumn<QString>("target");
        QTest::addColumn<bool>("gearbook");
        QTest::newRow("installed") << "/opt/Venbry Software/Gearbook/Gearbook" << true;
        QTest::newRow("another copy") << "/home/a/build/stage/Gearbook" << true;
        QTest::newRow("on PATH") << "Gearbook" << true;
        QTest::newRow("the packaged command") << "gearbook" << true;
        QTest::newRow("another program") << "/usr/bin/gimp" << false;
        QTest::newRow("in Gearbook's folder") << "/opt/Venbry Software/Gearbook/Linksmith" << false;
        QTest::newRow("in a folder named Gearbook") << "/opt/Gearbook/tool" << false;
        QTest::newRow("a longer name") << "/opt/x/Gearbook.sh" << false;
        QTest::newRow("other case") << "/opt/x/gearbook" << false;
    }
    void onlyShortcutsToGearbookLookLikeGearbook()
    {
        QFETCH(QString, target);
        QFETCH(bool, gearbook);
        QVERIFY(fCreateShellLink(Programs, "Shortcut", target, QString(), -1, Programs));
        const auto keys = DesktopEntryReader::keys(readAll(menuDir() + "/Shortcut.desktop"));
        for (const char* key : {"Icon", "Comment", "Categories", "StartupWMClass"})
            QVERIFY2(keys.contains(key) == gearbook, key);
    }

    void aShortcutToGearbookMatchesItsMenuEntry()
    {
        // The installed entry's template: the shell must show and group both alike.
        auto installed = DesktopEntryReader::keys(readAll(GEARBOOK_ENTRY_TEMPLATE));
        QCOMPARE(installed.value("Icon"), QString("@GEARBOOK_APP_ID@"));
        installed["Icon"] = GEARBOOK_APP_ID;
        QVERIFY(fCreateShellLink(Programs, "Shortcut to Gearbook", "/opt/Gearbook", QString(), -1, Programs));
        const auto keys = DesktopEntryReader::keys(readAll(menuDir() + "/Shortcut to Gearbook.desktop"));
        for (const char* key : {"Icon", "Comment", "Categories", "StartupWMClass"})
            QCOMPARE(keys.value(key), installed.value(key));
    }

    void namesKeepEveryCharacter()
    {
        const QString name = QString::fromUtf8("Shortcut to  odd\\name %f \"x\" é");
        QVERIFY(fCreateShellLink(Startup, name, "/opt/prog", QString(), -1, Programs));
        const auto keys = DesktopEntryReader::keys(readAll(autostartDir() + "/" + name + ".desktop"));
        QCOMPARE(keys.value("Name"), name);
    }

    void entriesPassTheDesktopEntryValidator()
    {
        if (QStandardPaths::findExecutable("desktop-file-validate").isEmpty())
            QSKIP("desktop-file-validate (desktop-file-utils) is not installed");
        const QString plain = env->dataHome() + "/Venbry Software/Gearbook/Gearbook";
        const QString awkward = "/x/say \"hi\" $HOME `id` 100% a\\b/prog";
        QVERIFY(fCreateShellLink(Desktop, "Shortcut to Gearbook", plain, QString(), -1, Programs));
        QVERIFY(fCreateShellLink(Programs, "Shortcut to Gearbook", plain, QString(), -1, Programs));
        QVERIFY(fCreateShellLink(Startup, "Shortcut to Gearbook", plain, QString(), -1, Programs));
        QVERIFY(fCreateShellLink(Programs, "Shortcut to prog", awkward, "--flag \"an arg\"", -1, Programs));
        for (const QString& file :
             {desktopDir() + "/Shortcut to Gearbook.desktop", menuDir() + "/Shortcut to Gearbook.desktop",
              autostartDir() + "/Shortcut to Gearbook.desktop", menuDir() + "/Shortcut to prog.desktop"}) {
            const QString said = validate(file);
            QVERIFY2(said.isEmpty(), qPrintable(file + ": " + said));
        }
    }
};

GEARBOOK_TEST_MAIN(TestShellLink)
#include "tst_shelllink.moc"
