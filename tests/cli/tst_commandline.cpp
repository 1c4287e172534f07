#include "TestEnvironment.h"
#include "backup/Archive.h"
#include "backup/Restore.h"
#include "cli/DisplayCheck.h"
#include "common/DataFolder.h"

#include <QApplication>
#include <QFileInfo>
#include <QProcess>
#include <QTest>

#include <csignal>
#include <sys/resource.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <sys/un.h>
#include <unistd.h>

namespace {

// A socket that listens at `path` (abstract when it starts with '@'), as a display server's would.
class Listening {
public:
    explicit Listening(const QByteArray& path) : m_fd(::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0))
    {
        sockaddr_un address{};
        address.sun_family = AF_UNIX;
        std::memcpy(address.sun_path, path.constData(), size_t(path.size()));
        if (path.startsWith('@'))
            address.sun_path[0] = '\0';
        m_ok = ::bind(m_fd, reinterpret_cast<const sockaddr*>(&address),
                      socklen_t(offsetof(sockaddr_un, sun_path) + size_t(path.size()))) == 0 &&
               ::listen(m_fd, 1) == 0;
    }
    ~Listening() { ::close(m_fd); }
    Listening(const Listening&) = delete;
    Listening& operator=(const Listening&) = delete;
    bool ok() const { return m_ok; }

private:
    int m_fd;
    bool m_ok = false;
};

// An X display number that no server uses now: no socket file, and its abstract
// name free to take. Numbers are searched from one of this process's own, so
// tests running side by side, and the displays of the machine, do not meet.
int freeDisplay(int besides = -1)
{
    const int from = 1000 + int(::getpid() % 50000);
    for (int i = 0; i < 8000; ++i) {
        const int n = 1000 + (from - 1000 + i) % 58000;
        if (n == besides || QFileInfo::exists(QStringLiteral("/tmp/.X11-unix/X%1").arg(n)))
            continue;
        if (Listening("@/tmp/.X11-unix/X" + QByteArray::number(n)).ok())
            return n;
    }
    return -1;
}

bool isFifo(const QString& path)
{
    struct stat st;
    return ::lstat(QFile::encodeName(path).constData(), &st) == 0 && S_ISFIFO(st.st_mode);
}

} // namespace

// Gearbook started as a scheduled backup would start it: no display at all.
class TestCommandLine : public QObject {
    Q_OBJECT
    std::unique_ptr<TestEnvironment> env;
    QStringList environment; // "NAME=value" for the next runs
    int waitMs = 60000;

    struct Run {
        int status = -1;
        QString out, err;
    };
    // With `window`, the program opens its window offscreen and ends after its first paint.
    // `ulimitOnly`: the limit as `ulimit -f` sets it, SIGXFSZ not ignored.
    Run gearbook(const QStringList& arguments, rlim_t fileSizeLimit = RLIM_INFINITY, bool window = false,
                 bool ulimitOnly = false)
    {
        QProcess p;
        QProcessEnvironment e = QProcessEnvironment::systemEnvironment();
        e.remove("DISPLAY");
        e.remove("WAYLAND_DISPLAY");
        e.remove("QT_QPA_PLATFORM");
        for (const QString& variable : environment)
            e.insert(variable.section('=', 0, 0), variable.section('=', 1));
        if (window) {
            e.insert("QT_QPA_PLATFORM", "offscreen");
            e.insert("GEARBOOK_QUIT_AFTER_FIRST_PAINT", "1");
        }
        p.setProcessEnvironment(e);
        // A full disk: writes past the limit fail with EFBIG instead of ending the program.
        p.setChildProcessModifier([fileSizeLimit, ulimitOnly] {
            std::signal(SIGXFSZ, ulimitOnly ? SIG_DFL : SIG_IGN);
            const rlimit limit{fileSizeLimit, fileSizeLimit};
            setrlimit(RLIMIT_FSIZE, &limit);
        });
        p.start(GEARBOOK_PROGRAM, arguments);
        p.waitForFinished(waitMs);
        return {p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1, p.readAllStandardOutput(),
                p.readAllStandardError()};
    }

private slots:
    void init()
    {
        env = std::make_unique<TestEnvironment>();
        environment.clear();
        waitMs = 60000;
        const QString data = env->dataFolder();
        writeAll(data + "MainList.gbx", "\"Ford\"\r\n");
        QByteArray big;
        for (int i = 0; i < 20000; ++i)
            big += QByteArray::number(i * 7919) + ",";
        writeAll(data + "Ford.gbx", big); // does not compress to nothing
    }
    void cleanup() { env.reset(); }

    void helpListsTheTasks()
    {
        const Run r = gearbook({"--help"});
        QCOMPARE(r.status, 0);
        QVERIFY(r.out.contains("--backup <FILE>"));
        QVERIFY(r.out.contains("--export <FOLDER>"));
        QVERIFY(r.out.contains("--check <FILE>"));
        // The command as typed, not the program behind it.
        QVERIFY2(r.out.startsWith("Usage: gearbook [options]\n"), qPrintable(r.out));
        QVERIFY(r.out.contains("\nExit status:\n  0  "));
    }

    // The manual page is made from --help: every option and every exit status is in it.
    void manPageHasEveryOptionAndStatus()
    {
        const QString help = gearbook({"--help"}).out;
        const QString page = QString::fromUtf8(readAll(GEARBOOK_MAN_PAGE));
        QVERIFY(page.contains(".SH OPTIONS") && page.contains("keep the records of your vehicles"));
        QStringList options;
        for (const auto& m : QRegularExpression("--([a-z-]+)").globalMatch(help))
            options << m.captured(1);
        QVERIFY(options.contains("backup") && options.contains("vehicle"));
        for (const QString& o : std::as_const(options))
            QVERIFY2(page.contains("\\-\\-" + QString(o).replace("-", "\\-")), qPrintable(o)); // roff's minus signs
        const QString statuses = help.section("Exit status:\n", 1);
        QVERIFY(!statuses.isEmpty());
        const QString exitSection = page.section(".SH \"EXIT STATUS\"", 1).section(".SH ", 0, 0);
        for (const QString& line : statuses.split('\n', Qt::SkipEmptyParts))
            QVERIFY2(exitSection.contains(".TP\n" + line.trimmed().section("  ", 0, 0) + "\n"), qPrintable(line));
    }

    // "b2" would be hidden by the Restore dialog's filter; what is written holds the records: the owner's only.
    void backupAndExportAreNamedAndPrivate()
    {
        QCOMPARE(gearbook({"--backup", env->home() + "/b2"}).status, 0);
        QVERIFY(!QFileInfo::exists(env->home() + "/b2"));
        QCOMPARE(QFileInfo(env->home() + "/b2.tar.gz").permissions(),
                 QFile::ReadOwner | QFile::WriteOwner | QFile::ReadUser | QFile::WriteUser);
        QCOMPARE(gearbook({"--export", env->home()}).status, 0);
        QCOMPARE(QFileInfo(env->home() + "/parts.csv").permissions(),
                 QFile::ReadOwner | QFile::WriteOwner | QFile::ReadUser | QFile::WriteUser);
    }

    void checkSaysWhatIsNoBackup()
    {
        for (const QByteArray& bytes : {QByteArray("%PDF-1.4\n%\xe2\xe3\n"), QByteArray("just a note\n")}) {
            writeAll(env->home() + "/not.tar.gz", bytes);
            const Run r = gearbook({"--check", env->home() + "/not.tar.gz"});
            QCOMPARE(r.status, 1);
            QVERIFY2(r.err.contains("not a Gearbook backup") && r.err.contains("gzip-compressed tar"),
                     qPrintable(r.err));
        }
        QVERIFY(QDir().mkpath(env->home() + "/folder.tar.gz"));
        const Run r = gearbook({"--check", env->home() + "/folder.tar.gz"});
        QVERIFY2(r.err.contains("It is a folder, not a file."), qPrintable(r.err));
    }

    // No display: a clear message instead of Qt's abort; --version and the
    // usage need none; Qt's own options stay allowed.
    void withoutADisplay()
    {
        Run r = gearbook({});
        QCOMPARE(r.status, 1);
        QCOMPARE(r.err, "Gearbook needs a graphical display; the command-line options (see --help) work without "
                        "one.\n");
        r = gearbook({"-style", "fusion", "-session", "abc"});
        QCOMPARE(r.status, 1);
        QVERIFY2(r.err.startsWith("Gearbook needs a graphical display"), qPrintable(r.err));
        r = gearbook({"--version"});
        QCOMPARE(r.status, 0);
        QVERIFY2(r.out.startsWith("Gearbook "), qPrintable(r.out));
        r = gearbook({"--bogus"});
        QCOMPARE(r.status, 2);
        QVERIFY2(r.err.contains("bogus") && r.err.contains("--backup <FILE>"), qPrintable(r.err));
    }

    // A display that does not answer: the same message, never Qt's abort.
    void unreachableDisplay()
    {
        const int display = freeDisplay();
        QVERIFY(display > 0);
        for (const QStringList& variables :
             {QStringList{"DISPLAY=:" + QString::number(display)},
              QStringList{"WAYLAND_DISPLAY=wayland-93", "XDG_RUNTIME_DIR=" + env->home()}}) {
            environment = variables;
            const Run r = gearbook({});
            QCOMPARE(r.status, 1);
            QVERIFY2(r.err.startsWith("Gearbook needs a graphical display"), qPrintable(r.err));
        }
    }

    // One connect tells: a display that answers, by either protocol, or a platform named.
    void displayThatAnswersIsReachable()
    {
        const QByteArray platform = qgetenv("QT_QPA_PLATFORM");
        const auto restore = qScopeGuard([&platform] {
            qputenv("QT_QPA_PLATFORM", platform);
            for (const char* variable : {"DISPLAY", "WAYLAND_DISPLAY"})
                qunsetenv(variable);
        });
        qunsetenv("QT_QPA_PLATFORM");
        const int answering = freeDisplay();
        const int silent = freeDisplay(answering);
        QVERIFY(answering > 0 && silent > 0);
        qputenv("DISPLAY", ":" + QByteArray::number(answering) + ".0");
        QVERIFY(!DisplayCheck::reachable({}));
        {
            const Listening x11("@/tmp/.X11-unix/X" + QByteArray::number(answering));
            QVERIFY(x11.ok());
            QVERIFY(DisplayCheck::reachable({}));
            QVERIFY(!DisplayCheck::reachable({"-display", ":" + QString::number(silent)}));
        }
        qunsetenv("DISPLAY");
        qputenv("WAYLAND_DISPLAY", QFile::encodeName(env->home() + "/wayland-94"));
        QVERIFY(!DisplayCheck::reachable({}));
        const Listening wayland(QFile::encodeName(env->home() + "/wayland-94"));
        QVERIFY(wayland.ok());
        QVERIFY(DisplayCheck::reachable({}));
        qunsetenv("WAYLAND_DISPLAY");
        QVERIFY(DisplayCheck::reachable({"-platform", "offscreen"}));
    }

    // A value left empty names nothing: a usage error, and nothing read from standard input.
    void emptyValuesAreUsageErrors()
    {
        waitMs = 10000;
        for (const QStringList& arguments : {QStringList{"--check="}, QStringList{"--backup="},
                                             QStringList{"--export="}, QStringList{"--report=", "--vehicle=Ford"},
                                             QStringList{"--report=" + env->home() + "/r.pdf", "--vehicle="}}) {
            const Run r = gearbook(arguments);
            QVERIFY2(r.status == 2, qPrintable(arguments.join(' ') + ": " + r.err));
        }
    }

    // Commands that run alone are refused together, whichever comes first: nothing is read or written.
    void commandsThatDoNotGoTogether_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<QString>("named");
        const QString csv = "HOME/log.csv"; // in the test's home, made for each row
        QTest::newRow("import, report") << QStringList{"--import", csv, "--report", "r.pdf", "--vehicle", "Ford"}
                                        << "--report and --import";
        QTest::newRow("report, import") << QStringList{"--report", "r.pdf", "--vehicle", "Ford", "--import", csv}
                                        << "--report and --import";
        QTest::newRow("backup, due") << QStringList{"--due", "--backup", "b"} << "--backup and --due";
        QTest::newRow("vehicle, calendar")
            << QStringList{"--vehicle", "Ford", "--calendar", "c"} << "--vehicle and --calendar";
    }
    void commandsThatDoNotGoTogether()
    {
        QFETCH(QStringList, arguments);
        QFETCH(QString, named);
        arguments.replaceInStrings("HOME/", env->home() + "/");
        writeAll(env->home() + "/log.csv", "Date,Service\n2024-01-01,Oil\n");
        const QStringList before = QDir(env->home()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot);
        const Run r = gearbook(arguments);
        QCOMPARE(r.status, 2);
        QVERIFY2(r.err.startsWith("Gearbook: " + named + " do not go together.\n\nUsage: gearbook"), qPrintable(r.err));
        QVERIFY(r.out.isEmpty());
        QCOMPARE(QDir(env->home()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot), before);
        QVERIFY(!QFileInfo::exists(DataFolder::lockFile()));
    }
    // Each option once, however many commands take it, and each command's own exit status.
    void helpListsEachOptionOnce()
    {
        const QString help = gearbook({"--help"}).out;
        QCOMPARE(help.count("--vehicle <NAME>"), 1);
        QVERIFY(help.contains("\n  3  --due: something is due.\n"));
    }
    // A FIFO or a device is never replaced by a backup, nor waited on by a check.
    void targetsThatAreNoFilesAreLeftAlone()
    {
        waitMs = 10000;
        // Named as a backup is, so --backup writes to it and does not append .tar.gz.
        const QString fifo = env->home() + "/pipe.tar.gz";
        QVERIFY(::mkfifo(QFile::encodeName(fifo).constData(), 0600) == 0);
        Run r = gearbook({"--check", fifo});
        QCOMPARE(r.status, 1);
        QVERIFY2(r.err.contains("FIFO"), qPrintable(r.err));
        r = gearbook({"--backup", fifo});
        QCOMPARE(r.status, 1);
        QVERIFY2(r.err.contains(fifo) && r.err.contains("FIFO"), qPrintable(r.err));
        QVERIFY(isFifo(fifo));
        QCOMPARE(QDir(env->home()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::System), {"pipe.tar.gz"});
        // /dev/full's own numbers, where the system lets us make a device (the root of a container may not).
        const QString device = env->home() + "/full.tar.gz";
        if (::mknod(QFile::encodeName(device).constData(), S_IFCHR | 0600, makedev(1, 7)) != 0)
            return;
        r = gearbook({"--backup", device});
        QCOMPARE(r.status, 1);
        QVERIFY2(r.err.contains("a device"), qPrintable(r.err));
        QVERIFY(QFileInfo(device).exists() && !QFileInfo(device).isFile());
        QCOMPARE(gearbook({"--check", device}).status, 1);
    }

    // A safety backup of a few records is whole, but no backup of all of them.
    void checkNamesAPartialBackup()
    {
        const QString file = env->home() + "/safety.tar.gz";
        QVERIFY(Backup::writeBackup(DataFolder::path(), file, {"Ford.gbx"}));
        const Run r = gearbook({"--check", file});
        QCOMPARE(r.status, 1);
        QVERIFY2(r.err.contains("it holds only 1 file (\"Ford.gbx\")"), qPrintable(r.err));
    }

    // What a killed restore left goes before the folder is read, unless a window holds the folder.
    void backupFinishesAnInterruptedRestore()
    {
        const QString unpack = Restore::unpackFolder(DataFolder::path());
        QVERIFY(QDir().mkpath(unpack));
        writeAll(unpack + "/Ford.gbx", "half");
        const QString file = env->home() + "/b.tar.gz";
        {
            DataFolder::Lock window;
            QCOMPARE(window.take(), DataFolder::Lock::Result::Held);
            QCOMPARE(gearbook({"--backup", file}).status, 0);
            QVERIFY(QFileInfo::exists(unpack));
        }
        QCOMPARE(gearbook({"--backup", file}).status, 0);
        QVERIFY(!QFileInfo::exists(unpack));
        QVERIFY(!QFileInfo::exists(DataFolder::lockFile()));
    }

    void checkTellsWhetherABackupWouldRestore()
    {
        const QString file = env->home() + "/b.tar.gz";
        QCOMPARE(gearbook({"--backup", file}).status, 0);
        Run r = gearbook({"--check=" + file});
        QCOMPARE(r.status, 0);
        QVERIFY2(r.out.contains("would restore whole"), qPrintable(r.out));
        QByteArray bytes = readAll(file);
        bytes[bytes.size() - 5] = char(bytes[bytes.size() - 5] ^ 1); // the gzip length: only its check sees it
        writeAll(file, bytes);
        r = gearbook({"--check", file});
        QCOMPARE(r.status, 1);
        QVERIFY2(r.err.contains("checksum"), qPrintable(r.err));
    }

    void exportMakesAMissingFolder()
    {
        const QString folder = env->home() + "/new/csv";
        const Run r = gearbook({"--export", folder});
        QCOMPARE(r.status, 0);
        QVERIFY(QFileInfo::exists(folder + "/vehicles.csv"));
    }

    void backupExitsZeroOnlyWhenCheckedAndWhole()
    {
        const QString file = env->home() + "/b.tar.gz";
        Run r = gearbook({"--backup", file});
        QCOMPARE(r.status, 0);
        QVERIFY(Backup::checkArchive(file));

        // The disk fills while the archive is written: the old backup stays as it was.
        const QByteArray before = readAll(file);
        r = gearbook({"--backup", file}, 4096);
        QCOMPARE(r.status, 1);
        QVERIFY2(r.err.contains("could not be saved"), qPrintable(r.err));
        QVERIFY2(r.err.contains("File too large"), qPrintable(r.err));
        QCOMPARE(readAll(file), before);
        // `ulimit -f` alone: the signal would end the program without a word.
        r = gearbook({"--backup", file}, 4096, false, true);
        QCOMPARE(r.status, 1);
        QVERIFY2(r.err.contains("File too large"), qPrintable(r.err));
        QCOMPARE(readAll(file), before);
    }

    void exportNamesAnUnreadableRecord()
    {
        QVERIFY(QDir().mkdir(DataFolder::path() + "FordMaint.gbx"));
        const Run r = gearbook({"--export", env->home()});
        QCOMPARE(r.status, 1);
        QVERIFY2(r.err.contains("FordMaint.gbx"), qPrintable(r.err));
        QVERIFY(!QFileInfo::exists(env->home() + "/vehicles.csv"));
    }

    // The lock is taken while the login window is built: a second copy still
    // ends before anything is written, and the first clears what a killed save left.
    void aSecondCopyEndsWithoutWriting()
    {
        const QString leftover = QDir::currentPath() + "/logdata.gbx.Ab3xZ9";
        writeAll(leftover, "half");
        auto first = std::make_unique<DataFolder::Lock>();
        QCOMPARE(first->take(), DataFolder::Lock::Result::Held);
        const auto listing = [] {
            return QDir(DataFolder::programFolder()).entryList(QDir::AllEntries | QDir::Hidden) +
                   QDir(DataFolder::path()).entryList(QDir::AllEntries | QDir::Hidden) +
                   QDir::current().entryList(QDir::AllEntries | QDir::Hidden);
        };
        const QStringList before = listing();
        QCOMPARE(gearbook({}, RLIM_INFINITY, true).status, 1);
        QCOMPARE(listing(), before);

        first.reset();
        QCOMPARE(gearbook({}, RLIM_INFINITY, true).status, 0);
        QVERIFY(!QFileInfo::exists(leftover));
    }
};

GEARBOOK_TEST_MAIN(TestCommandLine)
#include "tst_commandline.moc"
