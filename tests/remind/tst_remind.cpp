#include "ScriptedPlatform.h"
#include "TestEnvironment.h"
#include "common/DataFolder.h"
#include "common/RecordFile.h"
#include "due/DueScan.h"
#include "duewindow/frmDueMaint.h"
#include "remind/DueCalendar.h"
#include "remind/RemindCommand.h"
#include "remind/ReminderTimer.h"

#include <QDBusConnection>
#include <QDBusContext>
#include <QDirIterator>
#include <QElapsedTimer>
#include <QProcess>
#include <QStandardPaths>
#include <QTest>

#include <libical/ical.h>

#include <functional>

#include <sys/resource.h>

// A notification service of our own on a private session bus: it answers
// (or, when told, never does), counts what it was asked, and ends each
// notification as the user would.
class FakeNotifications : public QObject, protected QDBusContext {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.freedesktop.Notifications")

public:
    bool answers = true;
    int notified = 0;
    QString summary;

public slots:
    QStringList GetCapabilities() { return {"actions", "body"}; }
    uint Notify(const QString&, uint, const QString&, const QString& summaryText, const QString&, const QStringList&,
                const QVariantMap&, int)
    {
        ++notified;
        summary = summaryText;
        if (!answers)
            setDelayedReply(true); // and never replies
        return 7;
    }

signals:
    void ActionInvoked(uint id, const QString& key);
    void NotificationClosed(uint id, uint reason);
};

// dbus-daemon with a session bus of this test's own, and the fake service on it (`serve`).
class PrivateBus {
public:
    explicit PrivateBus(bool serve)
    {
        // The session bus's own rules, listening in a folder of ours and without service
        // files: nothing installed here is started in the fake's place.
        QString conf = QString::fromUtf8(readAll("/usr/share/dbus-1/session.conf"));
        conf.replace(QRegularExpression("<listen>[^<]*</listen>"), "<listen>unix:dir=" + m_folder.path() + "</listen>");
        conf.remove(QRegularExpression("<standard_session_servicedirs */>|<include[^>]*>[^<]*</include(dir)?>"));
        writeAll(m_folder.filePath("bus.conf"), conf.toUtf8());
        m_daemon.start("dbus-daemon",
                       {"--config-file=" + m_folder.filePath("bus.conf"), "--nofork", "--print-address=1"});
        if (!m_daemon.waitForStarted(10000))
            return;
        QByteArray line;
        while (!line.endsWith('\n') && m_daemon.waitForReadyRead(10000))
            line += m_daemon.readLine();
        if (!line.endsWith('\n'))
            return;
        address = QString::fromUtf8(line).trimmed();
        if (!serve)
            return;
        m_bus = std::make_unique<QDBusConnection>(QDBusConnection::connectToBus(address, "fake-notifications"));
        if (!m_bus->registerObject("/org/freedesktop/Notifications", &service,
                                   QDBusConnection::ExportAllSlots | QDBusConnection::ExportAllSignals) ||
            !m_bus->registerService("org.freedesktop.Notifications"))
            address.clear();
    }
    ~PrivateBus()
    {
        if (m_bus)
            QDBusConnection::disconnectFromBus("fake-notifications");
        m_daemon.kill();
        m_daemon.waitForFinished();
    }
    QString address;
    FakeNotifications service;

private:
    QTemporaryDir m_folder;
    QProcess m_daemon;
    std::unique_ptr<QDBusConnection> m_bus;
};

// Reminders as the user meets them: --due and --remind run as the real
// program over a data folder with due, overdue, mileage-due, estimated,
// far-off and unreadable entries; the calendar read back by libical; the
// daily timer's unit files checked by systemd itself.
class TestRemind : public QObject {
    Q_OBJECT

    const QDate Today = QDate::currentDate();
    QString iso(int days) const { return Today.addDays(days).toString(Qt::ISODate); }

    struct Run {
        int status = -1;
        QString out, err;
    };
    static Run gearbook(const QStringList& arguments, const QProcessEnvironment& environment = {})
    {
        QProcess p;
        p.setProcessEnvironment(environment.isEmpty() ? QProcessEnvironment::systemEnvironment() : environment);
        p.start(GEARBOOK_PROGRAM, arguments);
        if (!p.waitForFinished(30000))
            return {};
        return {p.exitCode(), QString::fromUtf8(p.readAllStandardOutput()),
                QString::fromUtf8(p.readAllStandardError())};
    }

    // Van: overdue oil, brakes due in 10 days, tyres by mileage reached, a
    // belt whose mileage the pace reaches in 5 days, a timing chain far off,
    // and an unreadable filter record. Car: one entry far off.
    QString fleet(const TestEnvironment& env, bool withUnreadable = true)
    {
        const QString folder = env.dataFolder();
        writeAll(folder + "MainList.gbx", "\"Van\"\r\n\"Car\"\r\n");
        QStringList van(17);
        van[6] = "10,000";
        van[10] = iso(-100);
        writeAll(folder + "Van.gbx", RecordFile::textRecord(van));
        // {name, last date, next date, last mileage, next mileage, shop, notes}; 50 a day since the purchase.
        const QList<QStringList> entries = {
            {"Oil change", iso(-40), iso(-3), "13,000", "", "Joe's Garage", "Synthetic"},
            {"Brakes", "", iso(10), "", "", "", ""},
            {"Tyres", "", "", "", "11,500", "", ""},
            {"Belt", "", "", "", "15,250", "", ""},
            {"Chain", "", iso(400), "", "", "", ""}};
        QStringList names;
        for (const QStringList& e : entries) {
            names << e[0];
            writeAll(folder + "Van" + e[0] + ".gbx", RecordFile::textRecord(e.mid(1)));
        }
        if (withUnreadable) {
            names << "Filter";
            QDir().mkpath(folder + "VanFilter.gbx"); // a folder where the record goes
        }
        writeAll(folder + "VanMaint.gbx", RecordFile::listFile(names));
        writeAll(folder + "CarMaint.gbx", RecordFile::listFile({"MOT"}));
        writeAll(folder + "CarMOT.gbx", RecordFile::textRecord({"", iso(300), "", "", "", ""}));
        return folder;
    }

    // Every file of the folder with its bytes and time: what "never writes" is checked against.
    static QStringList snapshot(const QString& folder)
    {
        QStringList files;
        QDirIterator it(folder, QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot, QDirIterator::Subdirectories);
        while (it.hasNext()) {
            const QFileInfo f(it.next());
            files << f.filePath() + QString::number(f.lastModified().toMSecsSinceEpoch()) +
                         QString::number(qHash(f.isFile() ? readAll(f.filePath()) : QByteArray()));
        }
        files.sort();
        return files;
    }

    static QString stateHome(const TestEnvironment& env) { return env.home() + "/state"; }

    // --remind run with the event loop turning, so that the fake service can answer;
    // `whenShown` acts as the user once the notification is there.
    Run remindOn(const QString& busAddress, const TestEnvironment& env, FakeNotifications* service = nullptr,
                 const std::function<void()>& whenShown = {}, const QString& workingFolder = QString(),
                 const QString& program = GEARBOOK_PROGRAM, qint64 addressSpace = 0)
    {
        QProcessEnvironment e = QProcessEnvironment::systemEnvironment();
        e.insert("DBUS_SESSION_BUS_ADDRESS", busAddress);
        e.insert("XDG_STATE_HOME", stateHome(env));
        e.insert("QT_QPA_PLATFORM", "offscreen");
        e.insert("GEARBOOK_QUIT_AFTER_FIRST_PAINT", "1");
        e.remove("DISPLAY");
        QProcess p;
        p.setProcessEnvironment(e);
        if (!workingFolder.isEmpty())
            p.setWorkingDirectory(workingFolder);
        if (addressSpace > 0)
            p.setChildProcessModifier([addressSpace] {
                const rlimit limit{rlim_t(addressSpace), rlim_t(addressSpace)};
                setrlimit(RLIMIT_AS, &limit);
            });
        p.start(program, {"--remind"});
        bool acted = false;
        QElapsedTimer clock;
        clock.start();
        while (p.state() != QProcess::NotRunning && clock.elapsed() < 60000) {
            QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
            p.waitForFinished(20);
            if (service && service->notified > 0 && !acted && whenShown) {
                acted = true;
                whenShown();
            }
        }
        if (p.state() != QProcess::NotRunning || p.exitStatus() != QProcess::NormalExit)
            return {};
        return {p.exitCode(), QString::fromUtf8(p.readAllStandardOutput()),
                QString::fromUtf8(p.readAllStandardError())};
    }

    QString stateFile(const TestEnvironment& env) const
    {
        return stateHome(env) + "/Venbry Software/Gearbook/reminded";
    }

private slots:
    void init() { qunsetenv("XDG_STATE_HOME"); }

    void dueListsWhatIsDueAndExitsByIt()
    {
        TestEnvironment env;
        const QString folder = fleet(env);
        const QStringList before = snapshot(folder);
        const Run run = gearbook({"--due"});
        QCOMPARE(run.status, 3);
        // By date and estimate, the mileage already reached first; the far-off ones not at all.
        QCOMPARE(run.out.split('\n', Qt::SkipEmptyParts),
                 QStringList({"Van: Tyres; next 11,500; mileage reached",
                              "Van: Oil change; next " + iso(-3) + "; overdue 3 days",
                              "Van: Belt; next 15,250; by mileage, about " + iso(5) + " (estimate), due in 5 days",
                              "Van: Brakes; next " + iso(10) + "; due in 10 days"}));
        QVERIFY2(run.err.contains("Could not read \"VanFilter.gbx\" (Van, Filter): "), qPrintable(run.err));
        // A longer span takes in the far-off ones.
        QCOMPARE(gearbook({"--due", "--days", "400"}).out.count('\n'), 6);
        QCOMPARE(snapshot(folder), before);

        // Nothing due within the span: 0; an unreadable record left: 1, nothing can be promised.
        const Run none = gearbook({"--due", "--days=0"}, {});
        QCOMPARE(none.status, 3); // the mileage reached stays due
        writeAll(folder + "VanMaint.gbx", RecordFile::listFile({"Chain", "Filter"}));
        QCOMPARE(gearbook({"--due"}).status, 1);
        writeAll(folder + "VanMaint.gbx", RecordFile::listFile({"Chain"}));
        const Run nothing = gearbook({"--due"});
        QCOMPARE(nothing.status, 0);
        QCOMPARE(nothing.out, QString());
        // Usage errors: 2.
        for (const QStringList& wrong :
             {QStringList{"--due", "--days", "soon"}, {"--due", "--remind"}, {"--calendar", "a.ics", "--days", "3"}})
            QCOMPARE(gearbook(wrong).status, 2);
    }

    void remindWithoutANotificationServiceSaysSo()
    {
        TestEnvironment env;
        const QString folder = fleet(env);
        const QStringList before = snapshot(folder);
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert("DBUS_SESSION_BUS_ADDRESS", "unix:path=" + env.home() + "/no-bus");
        environment.insert("XDG_STATE_HOME", stateHome(env));
        environment.remove("DISPLAY");
        const Run run = gearbook({"--remind"}, environment);
        QCOMPARE(run.status, 1);
        QVERIFY2(run.err.contains("the reminder could not be shown"), qPrintable(run.err));
        // Not told, so told again once a service is there; the data folder untouched.
        QVERIFY(!QFileInfo::exists(stateHome(env) + "/Venbry Software/Gearbook/reminded"));
        QCOMPARE(snapshot(folder), before);
    }

    // The exit status tells the timer's journal whether the user was reminded.
    void remindStatusSaysWhetherItWasShown_data()
    {
        QTest::addColumn<QString>("service"); // "none", "bus only", "silent", "answers"
        QTest::addColumn<int>("status");
        QTest::newRow("no session bus") << "none" << 1;
        QTest::newRow("a bus, no notification service") << "bus only" << 1;
        QTest::newRow("a service that never answers") << "silent" << 1;
        QTest::newRow("shown") << "answers" << 0;
    }
    void remindStatusSaysWhetherItWasShown()
    {
        QFETCH(QString, service);
        QFETCH(int, status);
        TestEnvironment env;
        fleet(env);
        PrivateBus bus(service == "silent" || service == "answers");
        if (service != "none")
            QVERIFY(!bus.address.isEmpty());
        bus.service.answers = service == "answers";
        const QString address = service == "none" ? "unix:path=" + env.home() + "/no-bus" : bus.address;
        const auto close = [&bus] { emit bus.service.NotificationClosed(7, 2); };
        const Run run = remindOn(address, env, &bus.service, close);
        QCOMPARE(run.status, status);
        if (status == 1)
            QVERIFY2(run.err.contains("the reminder could not be shown"), qPrintable(run.err));
        else
            QVERIFY2(run.err.isEmpty(), qPrintable(run.err));
        // Told: not again today, and that is no failure.
        QCOMPARE(QFileInfo::exists(stateFile(env)), status == 0);
        if (status == 0) {
            QCOMPARE(remindOn(address, env, &bus.service).status, 0);
            QCOMPARE(bus.service.notified, 1);
        }
    }

    // Only the first line of the state file means anything; a huge one is not read.
    void remindReadsOnlyTheStartOfItsStateFile_data()
    {
        QTest::addColumn<bool>("toldToday");
        QTest::newRow("told today") << true;
        QTest::newRow("anything else") << false;
    }
    void remindReadsOnlyTheStartOfItsStateFile()
    {
        QFETCH(bool, toldToday);
        TestEnvironment env;
        fleet(env);
        PrivateBus bus(true);
        QVERIFY(!bus.address.isEmpty());
        QDir().mkpath(QFileInfo(stateFile(env)).path());
        QFile state(stateFile(env));
        QVERIFY(state.open(QIODevice::WriteOnly));
        state.write(toldToday ? (iso(0) + "\nVan/Oil change\n").toUtf8() : QByteArray("\x01\x02 not a day"));
        QVERIFY(state.resize(qint64(2) << 30)); // sparse: no disk is spent
        state.close();
        const auto close = [&bus] { emit bus.service.NotificationClosed(7, 2); };
        // Reading 2 GiB would need more memory than the program may have here.
        const Run run = remindOn(bus.address, env, &bus.service, close, {}, GEARBOOK_PROGRAM, qint64(1) << 30);
        QCOMPARE(run.status, 0);
        QCOMPARE(bus.service.notified, toldToday ? 0 : 1);
        if (!toldToday)
            QVERIFY(readAll(stateFile(env)).startsWith((iso(0) + "\n").toUtf8())); // replaced
    }

    // "Open" starts Gearbook in its program folder, wherever --remind was run from.
    void openStartsGearbookInItsProgramFolder()
    {
        TestEnvironment env;
        fleet(env);
        PrivateBus bus(true);
        QVERIFY(!bus.address.isEmpty());
        const QString programFolder = env.home() + "/program folder";
        QVERIFY(QDir().mkpath(programFolder));
        QVERIFY(QFile::copy(GEARBOOK_PROGRAM, programFolder + "/Gearbook"));
        // Interrupted saves of the login files: a Gearbook removes those of its own folder only.
        const QString leftover = "logdata.gbx.Ab12Cd";
        writeAll(programFolder + "/" + leftover, "half");
        writeAll(env.workDir() + "/" + leftover, "half");
        const auto open = [&bus] { emit bus.service.ActionInvoked(7, "default"); };
        const Run run = remindOn(bus.address, env, &bus.service, open, env.workDir(), programFolder + "/Gearbook");
        QCOMPARE(run.status, 0);
        QVERIFY2(run.out.contains("Opening Gearbook."), qPrintable(run.out + run.err));
        QTRY_VERIFY_WITH_TIMEOUT(!QFileInfo::exists(programFolder + "/" + leftover), 30000);
        QVERIFY(QFileInfo::exists(env.workDir() + "/" + leftover));
    }

    // The package's program is started by the package's command; any other as it is.
    void startOfTheProgram_data()
    {
        QTest::addColumn<QString>("program");
        QTest::addColumn<QString>("expectedProgram");
        QTest::addColumn<QString>("expectedFolder"); // "data": the user's program folder
        QTest::newRow("the package's") << "/usr/lib/gearbook/Gearbook"
                                       << "/usr/bin/gearbook"
                                       << "data";
        QTest::newRow("a source install's") << "/home/u/.local/share/Venbry Software/Gearbook/Gearbook"
                                            << "/home/u/.local/share/Venbry Software/Gearbook/Gearbook"
                                            << "/home/u/.local/share/Venbry Software/Gearbook";
        QTest::newRow("beside the package's") << "/usr/lib/gearbook2/Gearbook"
                                              << "/usr/lib/gearbook2/Gearbook"
                                              << "/usr/lib/gearbook2";
    }
    void startOfTheProgram()
    {
        QFETCH(QString, program);
        QFETCH(QString, expectedProgram);
        QFETCH(QString, expectedFolder);
        TestEnvironment env;
        const ReminderTimer::Package package{"/usr/lib/gearbook", "/usr/bin/gearbook"};
        const ReminderTimer::Start start = ReminderTimer::startOf(program, QFileInfo(program).path(), package);
        QCOMPARE(start.program, expectedProgram);
        QCOMPARE(start.folder, expectedFolder == "data" ? DataFolder::installFolder() : expectedFolder);
        // A build that is no package's starts itself.
        QCOMPARE(ReminderTimer::startOf(program, "/f", {}).program, program);
    }

    void reminderTextNamesEachItem()
    {
        TestEnvironment env;
        fleet(env);
        const RemindCommand::Reminder r = RemindCommand::reminderFor(Today, 30);
        QCOMPARE(r.summary, "4 maintenance items due: Tyres (Van), mileage reached; …");
        QCOMPARE(r.body.split('\n').value(1), "Oil change (Van), overdue 3 days");
        QCOMPARE(r.items.size(), 4);
        writeAll(env.dataFolder() + "VanMaint.gbx", RecordFile::listFile({"Chain"}));
        QVERIFY(RemindCommand::reminderFor(Today, 30).summary.isEmpty());
    }

    void calendarHoldsOneEventPerPlannedEntry()
    {
        TestEnvironment env;
        const QString folder = fleet(env);
        const QStringList before = snapshot(folder);
        const QString file = env.workDir() + "/due";
        const Run run = gearbook({"--calendar", file});
        QCOMPARE(run.status, 0);
        QVERIFY2(run.out.contains("Wrote 5 due dates"), qPrintable(run.out));
        const QFileDevice::Permissions others = QFileDevice::ReadGroup | QFileDevice::ReadOther;
        QCOMPARE(QFileInfo(file + ".ics").permissions() & others, QFileDevice::Permissions());
        QCOMPARE(snapshot(folder), before);

        const QByteArray first = readAll(file + ".ics");
        icalcomponent* calendar = icalparser_parse_string(first.constData());
        QVERIFY(calendar);
        QHash<QString, icalcomponent*> byTitle;
        for (icalcomponent* e = icalcomponent_get_first_component(calendar, ICAL_VEVENT_COMPONENT); e;
             e = icalcomponent_get_next_component(calendar, ICAL_VEVENT_COMPONENT))
            byTitle.insert(QString::fromUtf8(icalcomponent_get_summary(e)), e);
        QCOMPARE(byTitle.size(), 5); // Tyres has no date and no estimate: its mileage is reached
        icalcomponent* oil = byTitle.value(QStringLiteral("Oil change — Van"));
        QVERIFY(oil);
        QCOMPARE(QString::fromUtf8(icaltime_as_ical_string(icalcomponent_get_dtstart(oil))),
                 Today.addDays(-3).toString("yyyyMMdd"));
        QVERIFY(icaltime_is_date(icalcomponent_get_dtstart(oil)));
        QCOMPARE(QString::fromUtf8(icalcomponent_get_description(oil)), "Shop: Joe's Garage\nNotes: Synthetic");
        QCOMPARE(icalcomponent_get_status(oil), ICAL_STATUS_CONFIRMED);
        icalcomponent* alarm = icalcomponent_get_first_component(oil, ICAL_VALARM_COMPONENT);
        QVERIFY(alarm);
        const icaltriggertype trigger =
            icalproperty_get_trigger(icalcomponent_get_first_property(alarm, ICAL_TRIGGER_PROPERTY));
        QCOMPARE(icaldurationtype_as_int(trigger.duration), -7 * 86400);
        icalcomponent* belt = byTitle.value(QStringLiteral("Belt — Van"));
        QVERIFY(belt);
        QCOMPARE(icalcomponent_get_status(belt), ICAL_STATUS_TENTATIVE);
        QCOMPARE(QString::fromUtf8(icalcomponent_get_uid(belt)), DueCalendar::uid("Van", "Belt"));
        icalcomponent_free(calendar);

        // The same names, the same UIDs: a calendar updates instead of duplicating.
        QVERIFY(DueCalendar::exportTo(file + ".ics", Today));
        QCOMPARE(readAll(file + ".ics").count("UID:"), first.count("UID:"));
        for (const QByteArray& line : first.split('\n'))
            if (line.startsWith("UID:"))
                QVERIFY(readAll(file + ".ics").contains(line));
    }

    void calendarThatCannotBeSavedIsReported()
    {
        TestEnvironment env;
        fleet(env);
        const QString file = env.workDir() + "/taken.ics";
        QDir().mkpath(file);
        const DueCalendar::Outcome outcome = DueCalendar::exportTo(file, Today);
        QVERIFY(!outcome);
        QVERIFY2(outcome.error.contains("taken.ics"), qPrintable(outcome.error));
    }

    void timerUnitsAreValidAndGoWhenTurnedOff()
    {
        TestEnvironment env;
        QStringList calls;
        ReminderTimer::Systemd systemd{true, [&calls](const QStringList& args) -> std::optional<QString> {
                                           calls << args.join(' ');
                                           return std::nullopt;
                                       }};
        const QString folder = env.home() + "/100% a \"b\"";
        QDir().mkpath(folder);
        QVERIFY(ReminderTimer::install(QTime(7, 30), GEARBOOK_PROGRAM, folder, systemd));
        QCOMPARE(calls, QStringList({"daemon-reload", "enable --now gearbook-remind.timer"}));
        QVERIFY(readAll(ReminderTimer::timerFile()).contains("OnCalendar=*-*-* 07:30:00\nPersistent=true\n"));
        QVERIFY(readAll(ReminderTimer::serviceFile()).contains("--remind\n"));
        QVERIFY(!QFileInfo::exists(ReminderTimer::autostartFile()));

        const QString analyze = QStandardPaths::findExecutable("systemd-analyze");
        if (!analyze.isEmpty()) {
            const QString runtime = qEnvironmentVariable("XDG_RUNTIME_DIR");
            QDir().mkpath(runtime);
            QFile::setPermissions(runtime, QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
            QProcess verify;
            verify.setProcessChannelMode(QProcess::MergedChannels);
            verify.start(analyze, {"--user", "verify", ReminderTimer::timerFile(), ReminderTimer::serviceFile()});
            QVERIFY(verify.waitForFinished(30000));
            const QString said = QString::fromUtf8(verify.readAll());
            QVERIFY2(verify.exitCode() == 0 && said.trimmed().isEmpty(), qPrintable(said));
        } else {
            qWarning("systemd-analyze is not installed: the unit files were not verified");
        }

        calls.clear();
        QVERIFY(ReminderTimer::remove(systemd));
        QCOMPARE(calls, QStringList({"disable --now gearbook-remind.timer", "daemon-reload"}));
        QVERIFY(!QFileInfo::exists(ReminderTimer::timerFile()));
        QVERIFY(!QFileInfo::exists(ReminderTimer::serviceFile()));
    }

    // The units and the entry start the program at any path systemd and desktop entries allow,
    // and neither fails once it is gone.
    void entriesStartTheProgramAtAnyPath_data()
    {
        QTest::addColumn<QString>("folderName");
        QTest::newRow("plain") << "Gearbook";
        QTest::newRow("blank") << "My Programs";
        QTest::newRow("percent") << "100% sure %h %%";
        QTest::newRow("quotes") << "a \"b\" 'c'";
        QTest::newRow("shell signs") << "$HOME `x` \\ ; & | *";
        QTest::newRow("non-ASCII") << QString::fromUtf8("Grüße, Łódź, 車");
    }
    void entriesStartTheProgramAtAnyPath()
    {
        QFETCH(QString, folderName);
        TestEnvironment env;
        const QString folder = env.home() + "/" + folderName;
        const QString program = folder + "/Gearbook";
        const QString said = env.home() + "/said";
        QVERIFY(QDir().mkpath(folder));
        // Says where it runs and with what.
        writeAll(program, "#!/bin/sh\nprintf '%s|%s\\n' \"$PWD\" \"$*\" >\"" + said.toUtf8() + "\"\n");
        QVERIFY(QFile::setPermissions(program, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner));

        const QString gio = QStandardPaths::findExecutable("gio");
        const QString analyze = QStandardPaths::findExecutable("systemd-analyze");
        if (gio.isEmpty() || analyze.isEmpty())
            QSKIP("gio (libglib2.0-bin) or systemd-analyze is not installed");
        const auto run = [](const QString& tool, const QStringList& args) {
            QProcess p;
            p.setProcessChannelMode(QProcess::MergedChannels);
            p.start(tool, args);
            p.waitForFinished(30000);
            return std::pair{p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1,
                             QString::fromUtf8(p.readAll()).trimmed()};
        };

        // The autostart entry, started as a GLib session starts it.
        const QString entry = env.home() + "/gearbook-remind.desktop";
        writeAll(entry, ReminderTimer::autostartEntry(program, folder));
        auto [status, output] = run(gio, {"launch", entry});
        QVERIFY2(status == 0, qPrintable(output + "\n" + readAll(entry)));
        QTRY_VERIFY_WITH_TIMEOUT(QFileInfo::exists(said), 10000);
        QTRY_COMPARE(QString::fromUtf8(readAll(said)), folder + "|--remind\n");

        // The service, read by systemd: its program found, its condition met.
        const QString runtime = qEnvironmentVariable("XDG_RUNTIME_DIR");
        QDir().mkpath(runtime);
        QFile::setPermissions(runtime, QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
        const QString unit = env.home() + "/gearbook-remind.service";
        const QByteArray unitText = ReminderTimer::serviceUnit(program, folder);
        writeAll(unit, unitText);
        std::tie(status, output) = run(analyze, {"--user", "verify", unit});
        QVERIFY2(status == 0 && output.isEmpty(), qPrintable(output + "\n" + unitText));
        const QString condition =
            QString::fromUtf8(unitText).split('\n').filter(QRegularExpression("^ConditionFileIsExecutable=")).value(0);
        QVERIFY2(!condition.isEmpty(), unitText.constData());
        QCOMPARE(run(analyze, {"condition", condition}).first, 0);

        // Removed: the service's start is skipped, not failed; the entry is not started.
        QVERIFY(QFile::remove(program));
        QVERIFY(QFile::remove(said));
        QCOMPARE(run(analyze, {"condition", condition}).first, 1);
        QVERIFY(run(gio, {"launch", entry}).first != 0);
        QTest::qWait(200);
        QVERIFY(!QFileInfo::exists(said));
    }

    void checkBoxInstallsAnAutostartEntryWithoutSystemd()
    {
        TestEnvironment env;
        ScriptedPlatform platform;
        env.dataFolder();
        frmDueMaint window;
        QVERIFY(!window.chkRemind->isChecked());
        window.tmeRemindAt->setTime(QTime(18, 15));
        window.chkRemind->setChecked(true);
        // This test's session has no user manager: the entry runs the reminder at login.
        const QByteArray entry = readAll(ReminderTimer::autostartFile());
        QVERIFY2(entry.contains("Exec=\"" + QCoreApplication::applicationFilePath().toUtf8() + "\" --remind\n"),
                 entry.constData());
        QVERIFY(entry.contains("Path=" + QDir::currentPath().toUtf8() + "\n"));
        QVERIFY(!QFileInfo::exists(env.dataFolder() + "Gearbook.conf"));
        window.chkRemind->setChecked(false);
        QVERIFY(!QFileInfo::exists(ReminderTimer::autostartFile()));

        // A reminder that cannot be installed is said, and the box does not claim it.
        QDir().mkpath(ReminderTimer::autostartFile());
        window.chkRemind->setChecked(true);
        QVERIFY(!window.chkRemind->isChecked());
        QCOMPARE(platform.messages().size(), 1);
        frmDueMaint again;
        QVERIFY(!again.chkRemind->isChecked());
    }
};

GEARBOOK_TEST_MAIN(TestRemind)
#include "tst_remind.moc"
