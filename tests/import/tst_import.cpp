#include "TestEnvironment.h"
#include "backup/Archive.h"
#include "backup/CsvExport.h"
#include "common/DataFolder.h"
#include "common/RecordFile.h"
#include "common/RecordStore.h"
#include "import/CsvTable.h"
#include "import/Import.h"
#include "import/ImportJournal.h"

#include <QApplication>
#include <QDir>
#include <QTest>

#include <csignal>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

using ImportMapping::Kind;

// Every file of the data folder, by name.
QMap<QString, QByteArray> snapshot()
{
    QMap<QString, QByteArray> files;
    const QDir dir(DataFolder::path());
    for (const QString& name : dir.entryList(QDir::Files | QDir::Hidden))
        files.insert(name, readAll(dir.filePath(name)));
    return files;
}

Import::Source source(const QString& file, const QByteArray& bytes, std::optional<Kind> kind = {},
                      const QString& vehicle = QString())
{
    CsvTable::Result read = CsvTable::parse(bytes);
    if (!read.table)
        qFatal("%s", qPrintable(read.error));
    Import::Source s{file, std::move(*read.table), {}};
    s.mapping = kind ? ImportMapping::prefilled(*kind, s.table.headers) : *ImportMapping::ownExport(s.table.headers);
    s.mapping.vehicle = vehicle;
    return s;
}

Import::Source fromFile(const QString& path, Kind kind, const QString& vehicle)
{
    return source(path, readAll(path), kind, vehicle);
}

int g_killAt = -1;
std::unique_ptr<FileSizeLimit> g_limit;

} // namespace

class TestImport : public QObject {
    Q_OBJECT
    std::unique_ptr<TestEnvironment> env;
    QString data;

    void put(const QString& file, const QByteArray& bytes) { writeAll(data + file, bytes); }

private slots:
    void init()
    {
        env = std::make_unique<TestEnvironment>();
        data = env->dataFolder();
    }
    void cleanup()
    {
        Import::setAfterWriteForTests(nullptr);
        g_limit.reset();
        env.reset();
    }

    // What the export writes, an import into an empty folder gives back byte for byte.
    void ownExportRoundTrips()
    {
        put("MainList.gbx", RecordFile::listFile({"Citro\u00EBn", "Ford"}));
        RecordFile::Writer ford;
        for (int i = 0; i < 17; ++i) {
            if (i == 7 || i == 8 || i == 14 || i == 15)
                ford.truth(i == 7 || i == 15);
            else
                ford.text(i == 16 ? QStringLiteral("\u0141\u00F3d\u017A, big;\r\n second line ")
                                  : "v" + QString::number(i));
        }
        put("Ford.gbx", ford.endRecord().bytes());
        put("FordMaint.gbx", RecordFile::listFile({"Brakes", "Oil"}));
        put("FordOil.gbx", RecordFile::textRecord({"1/2/2024", "", "100", "200", "Shop; Main", "a\r\nb"}));
        put("FordBrakes.gbx", RecordFile::textRecord({"", "", "", "", "", "\u20AC 5"}));
        put("FordParts.gbx", RecordFile::listFile({"Filter"}));
        put("FordFilter.gbx", RecordFile::textRecord({"a", "b", "c", "d", "e", "f", "g", "h"}));
        QStringList citroen(17, "x");
        citroen[7] = citroen[8] = citroen[14] = citroen[15] = "#FALSE#";
        put("Citro\u00EBn.gbx", RecordFile::textRecord(citroen).replace("\"#FALSE#\"", "#FALSE#"));
        const auto before = snapshot();
        QVERIFY(CsvExport::exportTo(env->home()));

        QDir(data).removeRecursively();
        DataFolder::CreateMakerFolder();
        QList<Import::Source> sources;
        for (const char* name : {"parts.csv", "maintenance.csv", "vehicles.csv"})
            sources << source(name, readAll(env->home() + "/" + name));
        const Import::Outcome outcome = Import::run(sources, Import::Existing::Skip);
        QVERIFY2(outcome, qPrintable(outcome.error));
        QCOMPARE(outcome.done.counts(), "2 vehicles, 2 maintenance entries and 1 part");
        QCOMPARE(snapshot(), before);
        QVERIFY(QFileInfo::exists(outcome.safetyBackup));
        QVERIFY(Import::outcomeText(outcome).contains(QDir::toNativeSeparators(outcome.safetyBackup)));
    }

    // Values the export writes with a leading "'" (formulas to a spreadsheet program) come back as they were.
    void guardedFormulasRoundTrip()
    {
        put("MainList.gbx", RecordFile::listFile({"=SUM(1;2)"}));
        QStringList vehicle = QStringList(16, "+1") << "'=x";
        vehicle[7] = vehicle[8] = vehicle[14] = vehicle[15] = "#FALSE#"; // truth values
        put("=SUM(1;2).gbx", RecordFile::textRecord(vehicle).replace("\"#FALSE#\"", "#FALSE#"));
        put("=SUM(1;2)Maint.gbx", RecordFile::listFile({"@Oil"}));
        put("=SUM(1;2)@Oil.gbx", RecordFile::textRecord({"-5", "", "'x", "'", "\tShop", "-"}));
        put("=SUM(1;2)Parts.gbx", RecordFile::listFile({"Filter"}));
        put("=SUM(1;2)Filter.gbx", RecordFile::textRecord({"=A1", "b", "c", "d", "e", "f", "g", "''@h"}));
        const auto before = snapshot();
        QVERIFY(CsvExport::exportTo(env->home()));
        QVERIFY(readAll(env->home() + "/maintenance.csv").contains("'=SUM(1;2),'@Oil,'-5,"));

        QDir(data).removeRecursively();
        DataFolder::CreateMakerFolder();
        QList<Import::Source> sources;
        for (const char* name : {"parts.csv", "maintenance.csv", "vehicles.csv"})
            sources << source(name, readAll(env->home() + "/" + name));
        const Import::Outcome outcome = Import::run(sources, Import::Existing::Skip);
        QVERIFY2(outcome, qPrintable(outcome.error));
        QCOMPARE(snapshot(), before);
    }

    // Separators, quotes across lines, the encodings a spreadsheet program may save in.
    void readsWhatSpreadsheetsWrite_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QString>("encoding");
        const QByteArray text = "Date;Service;Notes\r\n2024-01-02;Oil;\"line \"\"one\"\"\r\nline two\"\r\n\r\n";
        QTest::newRow("semicolons, BOM") << ("\xEF\xBB\xBF" + text) << "UTF-8";
        QByteArray utf16("\xFF\xFE");
        for (QChar c : QString::fromUtf8(text))
            utf16 += char(c.unicode() & 0xFF), utf16 += char(c.unicode() >> 8);
        QTest::newRow("UTF-16") << utf16 << "UTF-16";
        QTest::newRow("tabs, LF") << QByteArray(
                                         "Date\tService\tNotes\n2024-01-02\tOil\t\"line \"\"one\"\"\r\nline two\"")
                                  << "UTF-8";
    }
    void readsWhatSpreadsheetsWrite()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(QString, encoding);
        const CsvTable::Result r = CsvTable::parse(bytes);
        QVERIFY2(r.table, qPrintable(r.error));
        QCOMPARE(r.table->encoding, encoding);
        QCOMPARE(r.table->headers, QStringList({"Date", "Service", "Notes"}));
        QCOMPARE(r.table->rowCount(), 1);
        QCOMPARE(r.table->row(0), QStringList({"2024-01-02", "Oil", "line \"one\"\r\nline two"}));
    }

    // Files LibreOffice Calc saved: ";" in UTF-16 with a byte-order mark, and Windows-1252; the mapping is pre-filled.
    void importsLibreOfficeFiles()
    {
        put("MainList.gbx", RecordFile::listFile({"Ford"}));
        const Import::Source utf8 = fromFile(TEST_DATA "/libreoffice-semicolon-bom.csv", Kind::Maintenance, "Ford");
        const Import::Source cp1252 = fromFile(TEST_DATA "/libreoffice-windows-1252.csv", Kind::Parts, "Ford");
        QCOMPARE(utf8.table.separator, ';');
        QCOMPARE(utf8.table.encoding, "UTF-16");
        QCOMPARE(cp1252.table.encoding, "Windows-1252");
        const Import::Outcome outcome = Import::run({utf8, cp1252}, Import::Existing::Skip);
        QVERIFY2(outcome, qPrintable(outcome.error));
        QCOMPARE(outcome.done.counts(), "0 vehicles, 2 maintenance entries and 2 parts");
        QCOMPARE(readAll(data + "FordMaint.gbx"), "\"Oil change\"\r\n\"Timing belt\"\r\n");
        // Date, Odometer, Shop and Notes found their fields; Cost went into the Notes with its header.
        QCOMPARE(RecordFile::parseTextRecord(readAll(data + "FordOil change.gbx"), 6),
                 QStringList({"2024-03-01", "", "45210", "", "Garage M\u00FCller", "Synthetic\r\nCost: 45.90"}));
        QCOMPARE(RecordFile::parseTextRecord(readAll(data + "FordWiper blades.gbx"), 8),
                 QStringList({"Caf\u00E9 Autos", "2024-02-10", "Bosch", "", "", "", "2", "\u20AC 19"}));
        QVERIFY(readAll(data + "FordTiming belt.gbx").contains("&#321;")); // a letter outside the code page kept
    }

    // A name that exists is skipped, or only its empty fields filled; the list keeps its order.
    void existingNamesSkippedOrFilled()
    {
        put("MainList.gbx", RecordFile::listFile({"Ford"}));
        put("FordMaint.gbx", RecordFile::listFile({"Oil"}));
        put("FordOil.gbx", RecordFile::textRecord({"2020-01-01", "", "", "", "", "mine"}));
        const QByteArray csv = "Service,Date,Odometer,Notes\nOil,2024-05-05,900,theirs\nAir filter,2024-05-05,,\n";
        const auto oil = readAll(data + "FordOil.gbx");

        Import::Outcome skipped =
            Import::run({source("m.csv", csv, Kind::Maintenance, "Ford")}, Import::Existing::Skip);
        QVERIFY(skipped);
        QCOMPARE(readAll(data + "FordOil.gbx"), oil);
        QCOMPARE(skipped.done.skipped.size(), 1);
        QCOMPARE(skipped.done.skipped[0].row, 2);
        QCOMPARE(readAll(data + "FordMaint.gbx"), "\"Air filter\"\r\n\"Oil\"\r\n");

        Import::Outcome filled =
            Import::run({source("m.csv", csv, Kind::Maintenance, "Ford")}, Import::Existing::FillEmpty);
        QVERIFY(filled);
        QCOMPARE(filled.done.filled, 1);
        QCOMPARE(RecordFile::parseTextRecord(readAll(data + "FordOil.gbx"), 6),
                 QStringList({"2020-01-01", "", "900", "", "", "mine"}));
        // Filled again, nothing is left to fill: nothing is written.
        const auto before = snapshot();
        const Import::Outcome again =
            Import::run({source("m.csv", csv, Kind::Maintenance, "Ford")}, Import::Existing::FillEmpty);
        QVERIFY(again && again.safetyBackup.isEmpty());
        QCOMPARE(snapshot(), before);
    }

    // Rows that cannot become records are listed with their reasons; the others are imported.
    void refusedRowsListed()
    {
        put("MainList.gbx", RecordFile::listFile({"Ford", "FordOil"}));
        const QByteArray csv = "Vehicle,Service,Date\nFord,Oil,1\nFord,Brakes?,2\nFord,,3\nFord,Maint,4\n"
                               "Ford,Tyres,5\nFord,Tyres,6\n";
        const Import::Preview p = Import::preview({source("m.csv", csv, Kind::Maintenance)}, Import::Existing::Skip);
        QCOMPARE(p.entries, 2);
        QStringList reasons;
        for (const Import::Skipped& s : p.skipped)
            reasons << QString::number(s.row) + " " + s.reason;
        QCOMPARE(reasons,
                 QStringList({"2 it would share the file \"FordOil.gbx\" with the vehicle file of \"FordOil\"",
                              "4 the name is empty",
                              "5 it would share the file \"FordMaint.gbx\" with the maintenance list of \"Ford\""}));
        // A name no file can hold is offered as the nearest that can; two rows of a name are one entry.
        QVERIFY2(p.text().contains("\u201CBrakes?\u201D cannot be a file name: stored as \u201CBrakes-\u201D."),
                 qPrintable(p.text()));
        QVERIFY(p.text().contains("2 rows \u2192 Tyres, 1 earlier visit kept in its notes"));
        QVERIFY(!QFileInfo::exists(data + "FordTyres.gbx")); // a preview writes nothing
    }

    // A log kept over fifteen years, saved by LibreOffice with German headers and dd.mm.yyyy dates, and the same
    // in English with m/d/yyyy, each on a desktop of the other language: no row lost, the newest visit of each
    // service gives its values, the earlier ones are in its notes; a second import adds nothing.
    void fifteenYearLog_data()
    {
        QTest::addColumn<QString>("file");
        QTest::addColumn<QString>("desktop");
        QTest::addColumn<QString>("entry");
        QTest::addColumn<QStringList>("values");
        QTest::addColumn<QString>("said");
        QTest::newRow("German") << "wartungsbuch.csv"
                                << "en_US"
                                << "\u00D6lwechsel"
                                << QStringList(
                                       {"2025-04-03", "", "216798", "", "Meisterbetrieb Ost", "5W-30\r\nKosten: 89,50"})
                                << "12 rows \u2192 \u00D6lwechsel, 11 earlier visits kept in its notes";
        QTest::newRow("English") << "service-log.csv"
                                 << "de_DE"
                                 << "Timing belt"
                                 << QStringList(
                                        {"2022-06-05", "", "113462", "173462", "Main Street Auto", "Cost: 650.00"})
                                 << "2 rows \u2192 Timing belt, 1 earlier visit kept in its notes";
    }
    void fifteenYearLog()
    {
        QFETCH(QString, file);
        QFETCH(QString, desktop);
        QFETCH(QString, entry);
        QFETCH(QStringList, values);
        QFETCH(QString, said);
        QLocale::setDefault(QLocale(desktop));
        const auto restore = qScopeGuard([] { QLocale::setDefault(QLocale::c()); });
        put("MainList.gbx", RecordFile::listFile({"Golf"}));
        const Import::Source s = fromFile(TEST_DATA "/" + file, Kind::Maintenance, "Golf");
        QCOMPARE(ImportMapping::guessKind(s.table.headers), Kind::Maintenance);
        QCOMPARE(s.table.rowCount(), 40);
        const Import::Outcome o = Import::run({s}, Import::Existing::Skip);
        QVERIFY2(o, qPrintable(o.error));
        QCOMPARE(o.done.counts(), "0 vehicles, 8 maintenance entries and 0 parts");
        QVERIFY(o.done.skipped.isEmpty());
        const QString text = o.done.text();
        QVERIFY2(text.contains(said), qPrintable(text));
        QVERIFY2(text.contains(desktop == "en_US" ? "day before month (as row" : "month before day (as row"),
                 qPrintable(text));
        const auto stored = RecordFile::parseTextRecord(readAll(data + "Golf" + entry + ".gbx"), 6);
        QVERIFY(stored);
        // Every visit is kept, newest first, after the newest one's notes.
        const QStringList lines = stored->at(5).split("\r\n");
        const qsizetype earlier = said.section(' ', 0, 0).toInt() - 1;
        const QStringList visits = lines.mid(lines.size() - earlier);
        QStringList newest = *stored;
        newest[5] = lines.first(lines.size() - earlier).join("\r\n");
        QCOMPARE(newest, values);
        QVERIFY(std::is_sorted(visits.crbegin(), visits.crend()));

        const auto before = snapshot();
        const Import::Outcome again = Import::run({s}, Import::Existing::Skip);
        QVERIFY(again && again.safetyBackup.isEmpty());
        QCOMPARE(snapshot(), before);
    }

    // The German log's "T\u00DCV/HU" rows: one entry under the nearest name a file can have, with the latest date.
    void slashNameOffered()
    {
        put("MainList.gbx", RecordFile::listFile({"Golf"}));
        const Import::Outcome o =
            Import::run({fromFile(TEST_DATA "/wartungsbuch.csv", Kind::Maintenance, "Golf")}, Import::Existing::Skip);
        QVERIFY(o);
        QVERIFY(o.done.text().contains(
            "\u201CT\u00DCV/HU\u201D cannot be a file name: stored as \u201CT\u00DCV-HU\u201D."));
        QCOMPARE(RecordFile::parseTextRecord(readAll(data + "GolfT\u00DCV-HU.gbx"), 6)->first(), "2023-10-17");
        QVERIFY(readAll(data + "GolfMaint.gbx").contains("\"T\xDCV-HU\""));
    }

    // A vehicles sheet without a name column: each vehicle named by make and model, with the year when two share.
    void vehiclesWithoutNames()
    {
        const QByteArray csv = "Make,Model,Year,Colour,VIN\nVW,Golf,2012,blue,W1\nVW,Golf,2019,red,W2\n"
                               "Ford,Focus,2015,,W3\nOpel,Astra,2008,,W4\n";
        const Import::Outcome o = Import::run({source("v.csv", csv, Kind::Vehicles)}, Import::Existing::Skip);
        QVERIFY2(o, qPrintable(o.error));
        QCOMPARE(o.done.counts(), "4 vehicles, 0 maintenance entries and 0 parts");
        QCOMPARE(RecordFile::parseListFile(readAll(data + "MainList.gbx")),
                 QStringList({"Ford Focus", "Opel Astra", "VW Golf 2012", "VW Golf 2019"}));
        QVERIFY(o.done.text().contains("VW Golf 2012 | VW | Golf | 2012"));
    }

    // Workbooks LibreOffice saved read as the CSV it saved of the same sheet; date cells as ISO dates.
    void workbooksRead_data()
    {
        QTest::addColumn<QString>("workbook");
        QTest::addColumn<QString>("csv");
        QTest::addColumn<QString>("firstDate");
        QTest::newRow("xlsx") << "wartungsbuch.xlsx"
                              << "wartungsbuch.csv"
                              << "21.09.2011";
        QTest::newRow("ods") << "service-log.ods"
                             << "service-log.csv"
                             << "9/21/2011";
        QTest::newRow("xlsx, date cells") << "wartungsbuch-datecells.xlsx"
                                          << "wartungsbuch.csv"
                                          << "2011-09-21";
        QTest::newRow("ods, date cells") << "wartungsbuch-datecells.ods"
                                         << "wartungsbuch.csv"
                                         << "2011-09-21";
    }
    void workbooksRead()
    {
        QFETCH(QString, workbook);
        QFETCH(QString, csv);
        QFETCH(QString, firstDate);
        const CsvTable::Result book = CsvTable::readFile(TEST_DATA "/" + workbook);
        const CsvTable::Result text = CsvTable::readFile(TEST_DATA "/" + csv);
        QVERIFY2(book.table, qPrintable(book.error));
        QCOMPARE(book.table->headers, text.table->headers);
        QCOMPARE(book.table->rowCount(), text.table->rowCount());
        QCOMPARE(book.table->value(0, 0), firstDate);
        for (qsizetype r = 0; r < text.table->rowCount(); ++r)
            for (qsizetype c = 1; c < text.table->headers.size(); ++c)
                QCOMPARE(book.table->value(r, c), text.table->value(r, c));
    }

    // What is neither CSV nor a workbook is refused with what to do; a NUL in a value is never printed.
    void binaryRefusedControlsNotPrinted()
    {
        QByteArray binary = "\x7F"
                            "ELF\x02\x01\x01";
        for (int i = 0; i < 4096; ++i)
            binary += char((i * 7919) % 256);
        for (const QByteArray& bytes : {binary, QByteArray("PK\x03\x04 not really a zip")}) {
            writeAll(env->home() + "/file.csv", bytes);
            const QString error = CsvTable::readFile(env->home() + "/file.csv").error;
            QVERIFY2(error.endsWith("Save it as CSV from your spreadsheet program."), qPrintable(error));
        }
        put("MainList.gbx", RecordFile::listFile({"Ford"}));
        const Import::Preview p =
            Import::preview({source("m.csv", QByteArray("Service,Notes\nOil,a\0b\x01\tc\nOil/Filter,\n", 37),
                                    Kind::Maintenance, "Ford")},
                            Import::Existing::Skip);
        const QString text = p.text();
        for (const QChar c : text)
            QVERIFY(c == '\n' || c.category() != QChar::Other_Control);
        QVERIFY(text.contains("a\uFFFDb\uFFFD c"));
        QVERIFY(text.endsWith("To add: 0 vehicles, 2 maintenance entries and 0 parts."));
    }

    // A straight quote would end the stored text and shift every value after
    // it: it is kept as the window keeps it (”), in the preview and the files.
    void quotesKeptAsTheWindowKeepsThem()
    {
        const QByteArray vehicles = "Name,Make,Model,Notes\r\nFord,Ford,\"Focus \"\"ST\"\"\",\"a \"\"b\"\"\nc\"\r\n";
        const QByteArray service =
            "Vehicle,Service,Shop,Notes\r\nFord,Oil,\"Auto \"\"Meier\"\", Inh. K. Meier\",real notes\r\n";
        const QByteArray parts = "Vehicle,Part,Size,Notes\r\nFord,Rims,\"17\"\" x 7.5J\",n\r\n";
        const QList<Import::Source> sources = {source("v.csv", vehicles, Kind::Vehicles),
                                               source("m.csv", service, Kind::Maintenance),
                                               source("p.csv", parts, Kind::Parts)};
        const Import::Preview p = Import::preview(sources, Import::Existing::Skip);
        QVERIFY2(p.text().contains("Focus \u201DST\u201D"), qPrintable(p.text()));
        QVERIFY(p.text().contains("Auto \u201DMeier\u201D, Inh. K. Meier"));
        QVERIFY(p.text().contains("17\u201D x 7.5J"));
        QVERIFY(Import::run(sources, Import::Existing::Skip));
        using RecordLayout::Kind;
        const auto ford = RecordStore::parse(Kind::Vehicle, readAll(data + "Ford.gbx"));
        QVERIFY(ford);
        QCOMPARE(ford->at(RecordLayout::Vehicle::Model), QStringLiteral("Focus \u201DST\u201D"));
        QCOMPARE(ford->at(RecordLayout::Vehicle::Notes), QStringLiteral("a \u201Db\u201D\r\nc"));
        const auto oil = RecordStore::parse(Kind::Maintenance, readAll(data + "FordOil.gbx"));
        QVERIFY(oil);
        QCOMPARE(oil->at(RecordLayout::Maintenance::Shop), QStringLiteral("Auto \u201DMeier\u201D, Inh. K. Meier"));
        QCOMPARE(oil->at(RecordLayout::Maintenance::Notes), QStringLiteral("real notes"));
        const auto rims = RecordStore::parse(Kind::Part, readAll(data + "FordRims.gbx"));
        QVERIFY(rims);
        QCOMPARE(rims->at(RecordLayout::Part::Specs), QStringLiteral("17\u201D x 7.5J"));
        QCOMPARE(rims->at(RecordLayout::Part::Notes), QStringLiteral("n"));
    }

    // "Fill empty fields only" never fills a file that another record claims too:
    // A's entry B is the vehicle AB's record; Car's entry Oil is also its part Oil.
    void fillEmptyNeverWritesAnotherRecordsFile()
    {
        put("MainList.gbx", RecordFile::listFile({"A", "AB", "Car"}));
        put("AMaint.gbx", RecordFile::listFile({"B"}));
        QStringList ab(17);
        ab[0] = "Opel";
        ab[7] = ab[8] = ab[14] = ab[15] = "#FALSE#";
        put("AB.gbx", RecordFile::textRecord(ab).replace("\"#FALSE#\"", "#FALSE#"));
        put("CarMaint.gbx", RecordFile::listFile({"Oil"}));
        put("CarParts.gbx", RecordFile::listFile({"Oil"}));
        put("CarOil.gbx", RecordFile::textRecord({"", "", "Mobil", "", "", "", "4", "part notes"}));
        const auto before = snapshot();
        const QByteArray csv = "Vehicle,Service,Date,Odometer,Shop,Notes\nCar,Oil,2024-01-02,100,Shop,n\n"
                               "A,B,2024-01-02,100,Shop,n\n";
        const Import::Outcome o = Import::run({source("m.csv", csv, Kind::Maintenance)}, Import::Existing::FillEmpty);
        QVERIFY(o);
        QCOMPARE(o.done.filled, 0);
        QCOMPARE(o.done.skipped.size(), 2);
        for (const Import::Skipped& s : o.done.skipped)
            QVERIFY2(s.reason.contains("is also"), qPrintable(s.reason));
        QCOMPARE(snapshot(), before);
    }

    // A list file that is another vehicle's record is never written as a list.
    void aListThatIsAnotherRecordIsNotWritten()
    {
        put("MainList.gbx", RecordFile::listFile({"Van", "VanMaint"}));
        QStringList record(17, "v");
        record[7] = record[8] = record[14] = record[15] = "#FALSE#";
        put("VanMaint.gbx", RecordFile::textRecord(record).replace("\"#FALSE#\"", "#FALSE#"));
        const auto before = snapshot();
        const Import::Outcome o =
            Import::run({source("m.csv", "Vehicle,Service\nVan,Brakes\n", Kind::Maintenance)}, Import::Existing::Skip);
        QVERIFY(o);
        QCOMPARE(o.done.entries, 0);
        QCOMPARE(o.done.skipped.size(), 1);
        QVERIFY2(o.done.skipped[0].reason.contains("the vehicle file of \"VanMaint\""),
                 qPrintable(o.done.skipped[0].reason));
        QCOMPARE(snapshot(), before);
    }

    // A new name differing from another record's only by letter case is
    // refused: on exFAT or a folder synced with Windows or macOS it is one file.
    void namesDifferingOnlyByCaseAreSkipped()
    {
        put("MainList.gbx", RecordFile::listFile({"Ford"}));
        put("FordMaint.gbx", RecordFile::listFile({"Oil"}));
        const auto before = snapshot();
        const Import::Outcome o = Import::run(
            {source("m.csv", "Vehicle,Service,Date\nFord,OIL,2030-01-01\nford,Brakes,\nFord,Oil,2020-01-01\n",
                    Kind::Maintenance)},
            Import::Existing::Skip);
        QVERIFY(o);
        // Rows of one name (letter case aside) are one service: the newest, OIL, names it.
        QCOMPARE(o.done.skipped.size(), 2);
        QVERIFY2(o.done.skipped[0].reason.contains("letter case"), qPrintable(o.done.skipped[0].reason));
        QVERIFY2(o.done.skipped[1].reason.contains("letter case"), qPrintable(o.done.skipped[1].reason));
        QCOMPARE(snapshot(), before);
    }

    // Killed after any write (the note, each record, each list, the last): what the next start or command
    // finds is put back byte for byte (new files removed, changed ones from the safety backup), told, and the
    // note is gone.
    void killedAtEveryWriteIsPutBack()
    {
        put("MainList.gbx", RecordFile::listFile({"Ford"}));
        put("FordMaint.gbx", RecordFile::listFile({"Oil"}));
        put("FordOil.gbx", RecordFile::textRecord({"2020-01-01", "", "", "", "", ""}));
        const QByteArray csv = "Vehicle,Service,Date,Notes\nFord,Oil,2021-01-01,n\nFord,Brakes,2022-01-01,\n"
                               "Van,Tyres,,x\n";
        const QList<Import::Source> sources = {source("m.csv", csv, Kind::Maintenance)};
        const auto before = snapshot();
        const int writes = int(Import::preview(sources, Import::Existing::FillEmpty).writes.size());
        QVERIFY(writes >= 5); // records, both lists, the vehicle list
        // Each file is written to a temporary, then all are renamed: a kill after each of the two.
        for (int n = 0; n <= 2 * writes; ++n) {
            g_killAt = n;
            const pid_t child = ::fork();
            if (child == 0) {
                Import::setAfterWriteForTests([](int written) {
                    if (written == g_killAt)
                        ::raise(SIGKILL);
                });
                Import::run(sources, Import::Existing::FillEmpty);
                ::_exit(0);
            }
            int status = 0;
            QCOMPARE(::waitpid(child, &status, 0), child);
            QVERIFY2(WIFSIGNALED(status) && WTERMSIG(status) == SIGKILL, qPrintable(QString::number(n)));
            QVERIFY(QFileInfo::exists(ImportJournal::path()));
            const QString told = ImportJournal::recover();
            QVERIFY2(told.startsWith("An import was interrupted before it was complete."), qPrintable(told));
            QVERIFY2(told.contains("Gearbook safety backup"), qPrintable(told));
            QCOMPARE(snapshot(), before);
            QVERIFY(ImportJournal::recover().isEmpty());
        }
    }

    // A file the import wrote that another program changed since is told, never written over.
    void changedSinceIsToldNotPutBack()
    {
        put("MainList.gbx", RecordFile::listFile({"Ford"}));
        put("FordMaint.gbx", RecordFile::listFile({"Oil"}));
        const QList<Import::Source> sources = {
            source("m.csv", "Vehicle,Service\nFord,Brakes\nFord,Tyres\n", Kind::Maintenance)};
        const pid_t child = ::fork();
        if (child == 0) {
            Import::setAfterWriteForTests([](int written) {
                if (written == 6)
                    ::raise(SIGKILL);
            });
            Import::run(sources, Import::Existing::Skip);
            ::_exit(0);
        }
        int status = 0;
        QCOMPARE(::waitpid(child, &status, 0), child);
        QVERIFY(WIFSIGNALED(status));
        put("FordTyres.gbx", RecordFile::textRecord({"mine", "", "", "", "", ""}));
        put("FordMaint.gbx", RecordFile::listFile({"Oil", "Zz"}));
        const auto changed = snapshot();
        // A backup made meanwhile leaves the note out: restored, it never undoes what it holds.
        const Backup::Outcome backup = Backup::writeBackup(data, env->home() + "/meanwhile.tar.gz");
        QVERIFY2(backup, qPrintable(backup.error));
        QCOMPARE(backup.leftOut.size(), 1);
        QCOMPARE(backup.leftOut.first().name, QByteArray(ImportJournal::FileName));
        const QString told = ImportJournal::recover();
        QVERIFY2(told.contains("\"FordTyres.gbx\", \"FordMaint.gbx\" changed since the import"), qPrintable(told));
        QVERIFY(!QFileInfo::exists(data + "FordBrakes.gbx"));
        auto expected = changed;
        expected.remove("FordBrakes.gbx");
        expected.remove(ImportJournal::FileName);
        QCOMPARE(snapshot(), expected);
    }

    // The note lies in a folder a sync tool fills: one that is not ours, names a file outside the folder,
    // is too large or is no file at all is set aside and told; no record is touched.
    void untrustedNoteSetAside_data()
    {
        QTest::addColumn<QByteArray>("note");
        const QByteArray digest(64, 'a');
        QTest::newRow("not ours") << QByteArray("hello\n");
        QTest::newRow("outside the folder") << "Gearbook import 1\nbackup /x\n- " + digest + " ../Ford.gbx\n";
        QTest::newRow("a path") << "Gearbook import 1\nbackup /x\n- " + digest + " sub/Ford.gbx\n";
        QTest::newRow("not a record") << "Gearbook import 1\nbackup /x\n- " + digest + " Data.lock\n";
        QTest::newRow("short digest") << QByteArray("Gearbook import 1\nbackup /x\n- abc Ford.gbx\n");
        QTest::newRow("no last line break") << "Gearbook import 1\nbackup /x\n- " + digest + " Ford.gbx";
        QTest::newRow("too large") << QByteArray();
        QTest::newRow("a FIFO") << QByteArray();
    }
    void untrustedNoteSetAside()
    {
        QFETCH(QByteArray, note);
        put("MainList.gbx", RecordFile::listFile({"Ford"}));
        put("Ford.gbx", "x");
        const QString tag = QTest::currentDataTag();
        if (tag == "too large") {
            QFile big(ImportJournal::path());
            QVERIFY(big.open(QIODevice::WriteOnly) && big.resize(ImportJournal::MaxBytes + 1));
        } else if (tag == "a FIFO") {
            QCOMPARE(::mkfifo(QFile::encodeName(ImportJournal::path()).constData(), 0600), 0);
        } else {
            put(ImportJournal::FileName, note);
        }
        const QString told = ImportJournal::recover();
        QVERIFY2(told.startsWith("An import was interrupted, but its note"), qPrintable(told));
        QVERIFY(!QFileInfo::exists(ImportJournal::path()) && !QFileInfo(ImportJournal::path()).isSymLink());
        QCOMPARE(readAll(data + "Ford.gbx"), QByteArray("x"));
        QVERIFY(QFileInfo(data + "MainList.gbx").isFile());
    }

    // A disk that fills half way through: every file written is put back, and the message names the safety backup.
    void diskFullHalfWayLeavesTheFolderAsItWas()
    {
        put("MainList.gbx", RecordFile::listFile({"Ford"}));
        put("FordMaint.gbx", RecordFile::listFile({"Oil"}));
        put("FordOil.gbx", RecordFile::textRecord({"1", "", "", "", "", ""}));
        const auto before = snapshot();
        Import::setAfterWriteForTests([](int written) {
            if (written == 2)
                g_limit = std::make_unique<FileSizeLimit>(16);
        });
        const QByteArray csv = "Vehicle,Service,Notes\nFord,A,long enough to pass the limit\nFord,B,x\nFord,C,"
                               "long enough to pass the limit\nVan,D,\n";
        const Import::Outcome o = Import::run({source("m.csv", csv, Kind::Maintenance)}, Import::Existing::Skip);
        g_limit.reset();
        QVERIFY(!o);
        QVERIFY2(o.error.contains("the records are as they were"), qPrintable(o.error));
        QVERIFY(o.error.contains(QDir::toNativeSeparators(o.safetyBackup)));
        QCOMPARE(snapshot(), before);
    }

    // Untrusted files: each cap refused with a message, in time.
    void capsRefused()
    {
        QByteArray rows = "Service\n";
        for (qsizetype i = 0; i <= CsvTable::MaxRows; ++i)
            rows += "x\n";
        QCOMPARE(CsvTable::parse(rows).error,
                 "The file has more than 200,000 rows; please split it into smaller files.");
        QCOMPARE(CsvTable::parse("A\n\"" + QByteArray(CsvTable::MaxFieldChars + 1, 'x') + "\"\n").error,
                 "Row 2: a value is longer than 65,536 characters.");
        QCOMPARE(CsvTable::parse("A\n" + QByteArray(CsvTable::MaxColumns + 1, ',') + "\n").error,
                 "Row 2 has more than 256 columns.");
        QCOMPARE(CsvTable::parse("A\n\"never closed\n").error,
                 "Row 2: a quoted value is not closed before the end of the file.");
        const QString big = env->home() + "/big.csv";
        QFile f(big);
        QVERIFY(f.open(QIODevice::WriteOnly) && f.resize(CsvTable::MaxFileBytes + 1));
        QVERIFY(CsvTable::readFile(big).error.startsWith("The file is larger than 64 MiB"));
    }
};

GEARBOOK_TEST_MAIN(TestImport)
#include "tst_import.moc"
