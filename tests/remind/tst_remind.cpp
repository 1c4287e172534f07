#include "DueCalendar.h"
#include "DueScan.h"
#include "RecordFile.h"
#include "RemindCommand.h"
#include "ReminderTimer.h"
#include "ScriptedPlatform.h"
#include "TestEnvironment.h"
#include "frmDueMaint.h"

#include <QDirIterator>
#include <QProcess>
#include <QStandardPaths>
#include <QtTest>

#include <libical/ical.h>

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
        QCOMPARE(run.status, 0);
        QVERIFY2(run.err.contains("the reminder could not be shown"), qPrintable(run.err));
        // Not told, so told again once a service is there; the data folder untouched.
        QVERIFY(!QFileInfo::exists(stateHome(env) + "/Venbry Software/Gearbook/reminded"));
        QCOMPARE(snapshot(folder), before);
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
