#include "TestEnvironment.h"
#include "backup/CsvExport.h"
#include "common/DataFolder.h"
#include "common/RecordFile.h"

#include <QApplication>
#include <QDir>
#include <QFileInfo>
#include <QTest>

namespace {

// An RFC 4180 reader, as a spreadsheet program reads the files.
QList<QStringList> parseCsv(const QByteArray& bytes)
{
    const QString text = QString::fromUtf8(bytes);
    QList<QStringList> rows;
    QStringList row;
    QString cell;
    bool quoted = false;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text[i];
        if (quoted) {
            if (c == '"' && i + 1 < text.size() && text[i + 1] == '"')
                cell += text[++i];
            else if (c == '"')
                quoted = false;
            else
                cell += c;
        } else if (c == '"') {
            quoted = true;
        } else if (c == ',') {
            row << cell;
            cell.clear();
        } else if (c == '\r' && i + 1 < text.size() && text[i + 1] == '\n') {
            row << cell;
            rows << row;
            row.clear();
            cell.clear();
            ++i;
        } else {
            cell += c;
        }
    }
    return rows;
}

QList<QStringList> table(const QString& folder, const QString& name)
{
    return parseCsv(readAll(folder + "/" + name).mid(3));
}

} // namespace

class TestCsvExport : public QObject {
    Q_OBJECT
    std::unique_ptr<TestEnvironment> env;
    QString data;

    QString out() const { return env->home(); }
    void put(const QString& file, const QStringList& fields) { writeAll(data + file, RecordFile::textRecord(fields)); }

private slots:
    void init()
    {
        env = std::make_unique<TestEnvironment>();
        data = env->dataFolder();
        writeAll(data + "MainList.gbx", RecordFile::listFile({"Citro\u00EBn", "Ford"}));
        QStringList ford(17, "v");
        ford[7] = "#TRUE#"; // read as the truth value it stands for
        writeAll(data + "Ford.gbx", RecordFile::textRecord(ford).replace("\"#TRUE#\"", "#TRUE#"));
        writeAll(data + "FordMaint.gbx", RecordFile::listFile({"Oil", "Tyres"}));
        put("FordOil.gbx", {"1/2/2024", "", "100", "200", "Shop", "Oil, \u201Cthin\u201D\r\nsecond line"});
        writeAll(data + "FordParts.gbx", RecordFile::listFile({"Filter"}));
        put("FordFilter.gbx", {"a", "b", "c", "d", "e", "f", "g", "h"});
    }
    void cleanup() { env.reset(); }

    void recordsBecomeThreeSpreadsheets()
    {
        const CsvExport::Outcome r = CsvExport::exportTo(out());
        QVERIFY2(r.ok, qPrintable(r.error));
        QCOMPARE(r.vehicles, 2);
        QCOMPARE(r.entries, 2);
        QCOMPARE(r.parts, 1);
        for (const QString& name : CsvExport::fileNames())
            QVERIFY(readAll(out() + "/" + name).startsWith("\xEF\xBB\xBF"));

        const auto vehicles = table(out(), "vehicles.csv");
        QCOMPARE(vehicles.size(), 3);
        QCOMPARE(vehicles[0].first(), "Vehicle");
        QCOMPARE(vehicles[0][8], "Automatic");
        QCOMPARE(vehicles[0].last(), "Notes");
        QCOMPARE(vehicles[1], (QStringList{"Citro\u00EBn"} + QStringList(17))); // never saved: empty values
        QCOMPARE(vehicles[2][8], "True");

        const auto maint = table(out(), "maintenance.csv");
        QCOMPARE(maint[0].mid(0, 3), (QStringList{"Vehicle", "Maintenance", "Last Inspection date"}));
        // A comma, quotes and a line break stay in one cell.
        QCOMPARE(maint[1], (QStringList{"Ford", "Oil", "1/2/2024", "", "100", "200", "Shop",
                                        "Oil, \u201Cthin\u201D\r\nsecond line"}));
        QCOMPARE(maint[2], (QStringList{"Ford", "Tyres"} + QStringList(6)));
        QCOMPARE(table(out(), "parts.csv")[1], (QStringList{"Ford", "Filter", "a", "b", "c", "d", "e", "f", "g", "h"}));
        const QStringList odd = {"a, \"b\"\r\nc", " d", "e"};
        QCOMPARE(CsvExport::row(odd), "\"a, \"\"b\"\"\r\nc\",\" d\",e\r\n");
        QCOMPARE(parseCsv(CsvExport::row(odd)), QList<QStringList>{odd});
    }

    // What a spreadsheet program would run is written as text, and read back as it was.
    void formulasAreWrittenAsText_data()
    {
        QTest::addColumn<QString>("value");
        QTest::addColumn<QString>("cell"); // as a spreadsheet program reads the field
        QTest::newRow("sum") << "=SUM(1;2)"
                             << "'=SUM(1;2)";
        QTest::newRow("plus") << "+1"
                              << "'+1";
        QTest::newRow("minus") << "-5"
                               << "'-5";
        QTest::newRow("at") << "@cmd"
                            << "'@cmd";
        QTest::newRow("tab") << "\tx"
                             << "'\tx";
        QTest::newRow("carriage return") << "\r=x"
                                         << "'\r=x";
        QTest::newRow("already quoted formula") << "'=x"
                                                << "''=x";
        QTest::newRow("quotes, then a formula") << "''+1"
                                                << "'''+1";
        QTest::newRow("a quote alone") << "'"
                                       << "'";
        QTest::newRow("a quoted word") << "'x"
                                       << "'x";
        QTest::newRow("inside") << "a=b-c"
                                << "a=b-c";
        QTest::newRow("leading blank") << " =x"
                                       << " =x";
        QTest::newRow("empty") << ""
                               << "";
    }
    void formulasAreWrittenAsText()
    {
        QFETCH(QString, value);
        QFETCH(QString, cell);
        QCOMPARE(CsvExport::guarded(value), cell);
        QCOMPARE(parseCsv(CsvExport::row({value, "next"})), QList<QStringList>{QStringList({cell, "next"})});
        QCOMPARE(CsvExport::unguarded(cell), value);
    }

    void aVehicleNamedAsAFormulaIsWrittenAsText()
    {
        writeAll(data + "MainList.gbx", RecordFile::listFile({"=SUM(1;2)"}));
        QVERIFY(CsvExport::exportTo(out()));
        QVERIFY(readAll(out() + "/vehicles.csv").contains("\r\n'=SUM(1;2),"));
    }

    void referencesReadAsTheirLetters()
    {
        writeAll(data + "FordFilter.gbx",
                 QByteArray("\"&#321;\xF3") +
                     "d&#378;\",\"&#1046;&#128663;\",\"&#65;\",\"&#38;#\",\"e\",\"f\",\"g\",\"h\"\r\n");
        const CsvExport::Outcome r = CsvExport::exportTo(out());
        QVERIFY2(r.ok, qPrintable(r.error));
        QCOMPARE(table(out(), "parts.csv")[1].mid(2, 4),
                 (QStringList{QString::fromUtf8("Łódź"), QString::fromUtf8("Ж🚗"), "&#65;", "&#"}));
    }

    void unreadableRecordFailsTheExportNamingIt_data()
    {
        QTest::addColumn<QString>("file");
        QTest::addColumn<bool>("folder");
        QTest::newRow("folder at a record") << "FordOil.gbx" << true;
        QTest::newRow("folder at a list") << "FordParts.gbx" << true;
        QTest::newRow("short record") << "FordFilter.gbx" << false;
    }
    void unreadableRecordFailsTheExportNamingIt()
    {
        QFETCH(QString, file);
        QFETCH(bool, folder);
        QFile::remove(data + file);
        if (folder)
            QVERIFY(QDir().mkdir(data + file));
        else
            put(file, {"only one"});
        const CsvExport::Outcome r = CsvExport::exportTo(out());
        QVERIFY(!r.ok);
        QVERIFY2(r.error.contains(file), qPrintable(r.error));
        for (const QString& name : CsvExport::fileNames())
            QVERIFY(!QFileInfo::exists(out() + "/" + name));
    }
};

GEARBOOK_TEST_MAIN(TestCsvExport)
#include "tst_csvexport.moc"
