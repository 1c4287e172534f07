#include "SampleData.h"
#include "ScriptedPlatform.h"
#include "TestEnvironment.h"
#include "common/DataFolder.h"
#include "common/RecordFile.h"
#include "report/HistoryReport.h"

#include <QApplication>
#include <QDir>
#include <QFileInfo>
#include <QImage>
#include <QProcess>
#include <QTest>

#include <csignal>

// The vehicle report as its reader sees it: the PDF's text in drawing order
// (pdftotext -raw), from a data folder prepared byte by byte.
class TestReport : public QObject {
    Q_OBJECT
    std::unique_ptr<TestEnvironment> env;
    std::unique_ptr<ScriptedPlatform> dialogs;

    static void save(const QString& file, const QByteArray& bytes) { writeAll(DataFolder::path() + file, bytes); }

    static QString pdfText(const QString& pdf)
    {
        QProcess p;
        p.start(PDFTOTEXT, {"-raw", "-enc", "UTF-8", pdf, "-"});
        p.waitForFinished(60000);
        return QString::fromUtf8(p.readAllStandardOutput());
    }

    static QString withoutSpace(QString text) { return text.remove(QRegularExpression("\\s")); }

    // Every text of `expected` found in `text`, each after the one before;
    // blanks do not count, since narrow cells wrap their lines anywhere.
    static bool inOrder(const QString& pdf, const QStringList& expected, QString* missing)
    {
        const QString text = withoutSpace(pdf);
        qsizetype at = 0;
        for (const QString& e : expected) {
            const QString s = withoutSpace(e);
            const qsizetype found = text.indexOf(s, at);
            if (found < 0) {
                *missing = e;
                return false;
            }
            at = found + s.size();
        }
        return true;
    }

    // Ford with a maintenance log of `entries` (name, record) and no parts.
    static void ford(const QList<std::pair<QString, QByteArray>>& entries)
    {
        save("MainList.gbx", "\"Ford\"\r\n");
        QStringList names;
        for (const auto& [name, record] : entries) {
            names << name;
            if (!record.isNull())
                save(VehicleFiles::recordFile("Ford", name), record);
        }
        save("FordMaint.gbx", RecordFile::listFile(names));
    }

private slots:
    void init()
    {
        env = std::make_unique<TestEnvironment>();
        dialogs = std::make_unique<ScriptedPlatform>();
        env->dataFolder();
    }
    void cleanup()
    {
        dialogs.reset();
        env.reset();
    }

    void everyValueUnderItsCaptionInPageOrder()
    {
        SampleData sample(DataFolder::path());
        sample.vehicle("Ford");
        // Windows-1252 bytes: "Müller" and "Straße"; "Łódź" as the references that letters beyond them are kept as.
        sample.file("Ford.gbx", "\"Ford\",\"Model T\",\"1925\",\"Black\",\"2.9 l\",\"2\",\"12,000\",#TRUE#,#FALSE#,"
                                "\"M\xfcller Cars\",\"1990-05-01\",\"None left\",\"Acme &#321;\xf3"
                                "d&#378;\",\"1991\",#FALSE#,#TRUE#,"
                                "\"Kept in a barn,\r\nrestored in Stra\xdf"
                                "e 4.\"\r\n");
        const QString picture = env->home() + "/car.png";
        QImage(40, 20, QImage::Format_RGB32).save(picture);
        sample.file("FordPic.gbx", RecordFile::plainLine(picture))
            .maintenance("Ford", "Oil", {"2001-02-03", "2002-02-03", "15,000", "20,000", "Joe's", "Synthetic"})
            .part("Ford", "Tyre", {"Shop", "2001", "Dunlop", "2003", "165/80", "2001-04", "4", "Spare too"});

        const QString pdf = env->home() + "/Ford history.pdf";
        const HistoryReport::Outcome result = HistoryReport::write("Ford", pdf);
        QVERIFY2(result, qPrintable(result.error));
        QVERIFY(result.problems.isEmpty());
        const QString text = pdfText(pdf);
        QString missing;
        QVERIFY2(
            inOrder(text,
                    {"Ford", "Vehicle history",
                     // the vehicle page, in its order
                     "Make", "Ford", "Model", "Model T", "Year", "1925", "Color", "Black", "Engine", "2.9 l", "Doors",
                     "2", "Original Mileage", "12,000", "Transmission", "Automatic", "Vehicle was Purchased at",
                     "Müller Cars", "Date Purchased", "1990-05-01", "Warranty", "None left", "Insurance Company",
                     "Acme Łódź", "Insured since", "1991", "Bought as...", "Used", "Notes", "Kept in a barn,",
                     "restored in Straße 4.",
                     // two points: the chart
                     "Mileage",
                     // the logs: name, then the values under their captions
                     "Maintenance", "Last Inspection date", "Next Inspection date", "Mileage last inspection",
                     "Mileage Next Inspection", "Location Inspected", "Notes", "Oil", "2001-02-03", "2002-02-03",
                     "15,000", "20,000", "Joe's", "Synthetic", "Parts", "Part", "Location Purchased", "Date Purchased",
                     "Brand/Manufacturer", "Warranty Expiration", "Size/Specs", "Date Installed", "# of Parts", "Notes",
                     "Tyre", "Shop", "2001", "Dunlop", "2003", "165/80", "2001-04", "4", "Spare too",
                     // the footer
                     "Venbry's Gearbook 1.1", "Page 2 of 2"},
                    &missing),
            qPrintable(missing + " missing in:\n" + text));
        // The choices not made are not written as if they were.
        QVERIFY(!text.contains("Manual (Stick)"));
        QVERIFY(!text.contains("New"));

        // Real fonts, each embedded.
        QProcess fonts;
        fonts.start("pdffonts", {pdf});
        fonts.waitForFinished(60000);
        const QStringList rows = QString::fromUtf8(fonts.readAllStandardOutput()).split('\n').mid(2);
        QVERIFY(!rows.join("").trimmed().isEmpty());
        for (const QString& row : rows) {
            const QStringList columns = row.split(' ', Qt::SkipEmptyParts);
            if (!columns.isEmpty())
                QVERIFY2(columns.size() > 5 && columns.at(columns.size() - 5) == "yes", qPrintable(row)); // "emb"
        }
    }

    void maintenanceByLastInspectionWithUnreadableDatesLast()
    {
        const auto record = [](const char* date) { return RecordFile::textRecord({date, "", "", "", "", ""}); };
        ford({{"Oil", record("2022-01-10")},
              {"Tyres", record("after the winter")},
              {"Clutch", record("1 May 2020")},
              {"Belt", record("")},
              {"Brakes", record("2020-05-01")},
              {"Wipers", QByteArray()}}); // never saved
        const QString pdf = env->home() + "/r.pdf";
        QVERIFY(HistoryReport::write("Ford", pdf));
        const QString text = pdfText(pdf);
        QString missing;
        // Ties by name; what cannot be read as a date last, by name, shown as typed.
        QVERIFY2(inOrder(text, {"Brakes", "Clutch", "1 May 2020", "Oil", "Belt", "Tyres", "after the winter", "Wipers"},
                         &missing),
                 qPrintable(missing + " missing in:\n" + text));
    }

    void aRowTallerThanAPageLosesNoLineAndKeepsItsCaptions()
    {
        QStringList lines;
        for (int i = 1; i <= 150; ++i)
            lines << QStringLiteral("note line %1").arg(i);
        ford({{"Oil", RecordFile::textRecord({"2022-01-10", "", "", "", "", lines.join("\r\n")})}});
        const QString pdf = env->home() + "/r.pdf";
        QVERIFY(HistoryReport::write("Ford", pdf));
        const QString text = pdfText(pdf);
        QString missing;
        QVERIFY2(inOrder(text, lines, &missing), qPrintable(missing + " missing in:\n" + text));
        // The caption row heads the table again on each page it runs onto.
        QVERIFY(withoutSpace(text).count("LastInspectiondate") >= 3);
    }

    void anUnreadableRecordIsNamed()
    {
        ford({{"Oil", RecordFile::textRecord({"2020-01-01", "", "", "", "", ""})}, {"Brakes", "\"2020\"\r\n"}});
        QVERIFY(QDir().mkdir(DataFolder::path() + "FordParts.gbx")); // there, but not a file
        const QString pdf = env->home() + "/r.pdf";
        const HistoryReport::Outcome result = HistoryReport::write("Ford", pdf);
        QVERIFY2(result, qPrintable(result.error));
        QCOMPARE(result.problems.size(), 2);
        const QString text = withoutSpace(pdfText(pdf));
        for (const QString& named :
             {"not readable: \"" + DataFolder::path() + "FordBrakes.gbx\" (it holds fewer values",
              "not readable: \"" + DataFolder::path() + "FordParts.gbx\""})
            QVERIFY2(text.contains(withoutSpace(named)), qPrintable(named + " missing in:\n" + text));
        QVERIFY(text.contains("Oil"));
    }

    // Read back from the PDF as typed: no ligature, captions broken only between
    // words, dates whole, long notes on lines of the page's width, and the mileages
    // left out of the chart named. Only the owner may read it.
    void textReadsAsTyped()
    {
        const QString note =
            QStringLiteral("Replaced the pads and bled the lines with fresh DOT 4 fluid, ").repeated(5);
        save("Ford.gbx",
             "\"Ford\",\"\",\"\",\"\",\"\",\"\",\"12,000\",#FALSE#,#FALSE#,\"\",\"sometime\",\"\",\"\",\"\","
             "#FALSE#,#FALSE#,\"\"\r\n");
        ford({{"Brake fluid", RecordFile::textRecord({"2026-03-10", "2027-03-10", "15,000", "", "", note})},
              {"Tyres", RecordFile::textRecord({"after the winter", "", "20,000", "", "", ""})}});
        save("FordParts.gbx", "\"Wiper\"\r\n");
        save("FordWiper.gbx", RecordFile::textRecord({"", "2026-03-10", "Bosch", "2027-03-10", "", "", "2", ""}));
        const QString pdf = env->home() + "/r.pdf";
        QVERIFY(HistoryReport::write("Ford", pdf));
        QCOMPARE(QFileInfo(pdf).permissions(),
                 QFile::ReadOwner | QFile::WriteOwner | QFile::ReadUser | QFile::WriteUser);
        const QString text = pdfText(pdf);
        QVERIFY2(text.contains("Brake fluid") && !text.contains(QChar(0xFB02)), qPrintable(text));
        const QStringList lines = text.split('\n');
        for (const char* whole : {"Inspection", "Expiration", "Brand/Manufacturer", "2026-03-10", "2027-03-10"})
            QVERIFY2(lines.filter(QString(whole)).size() >= 1, qPrintable(QString(whole) + " broken in:\n" + text));
        QVERIFY2(!lines.filter("Replaced the pads and bled the lines with fresh DOT 4 fluid, Replaced").isEmpty(),
                 qPrintable(text));
        QVERIFY2(withoutSpace(text).contains(withoutSpace(
                     "Not in the chart, since their date could not be read: the purchase (date “sometime”); Tyres "
                     "(date “after the winter”).")),
                 qPrintable(text));
    }

    void aFullDiskLeavesNoFile()
    {
        ford({{"Oil", RecordFile::textRecord({"2020-01-01", "", "", "", "", ""})}});
        const QString pdf = env->home() + "/r.pdf";
        HistoryReport::Outcome result;
        {
            std::signal(SIGXFSZ, SIG_IGN);
            FileSizeLimit full(4096);
            result = HistoryReport::write("Ford", pdf);
        }
        QVERIFY(!result);
        QVERIFY2(result.error.contains("could not be saved"), qPrintable(result.error));
        QCOMPARE(QDir(env->home()).entryList(QDir::Files | QDir::Hidden), QStringList());
    }

    // As a scheduled job runs it: no display, no platform chosen.
    void commandLineNeedsNoDisplay()
    {
        ford({{"Oil", RecordFile::textRecord({"2020-01-01", "", "", "", "", ""})}});
        const auto gearbook = [](const QStringList& arguments) {
            QProcess p;
            QProcessEnvironment e = QProcessEnvironment::systemEnvironment();
            e.remove("DISPLAY");
            e.remove("WAYLAND_DISPLAY");
            e.remove("QT_QPA_PLATFORM");
            p.setProcessEnvironment(e);
            p.start(GEARBOOK_PROGRAM, arguments);
            p.waitForFinished(60000);
            return std::make_pair(p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1,
                                  QString::fromLocal8Bit(p.readAllStandardError()));
        };
        const QString pdf = env->home() + "/Ford.pdf";
        auto [status, err] = gearbook({"--report", pdf, "--vehicle", "Ford"});
        QCOMPARE(status, 0);
        QVERIFY2(pdfText(pdf).contains("Oil"), qPrintable(err));

        const QString other = env->home() + "/Chevy.pdf";
        std::tie(status, err) = gearbook({"--report", other, "--vehicle", "Chevy"});
        QCOMPARE(status, 1);
        QVERIFY2(err.contains("\"Chevy\""), qPrintable(err));
        QVERIFY(!QFileInfo::exists(other));
    }
};

GEARBOOK_TEST_MAIN(TestReport)
#include "tst_report.moc"
