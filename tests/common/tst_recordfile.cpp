#include "TestEnvironment.h"
#include "common/RecordFile.h"
#include "common/Win1252.h"

#include <QApplication>
#include <QTest>

using namespace RecordFile;

class TestRecordFile : public QObject {
    Q_OBJECT
private slots:
    void listFileBytes()
    {
        const QByteArray expected = QByteArray::fromHex("224361722"
                                                        "20D0A2256616E220D0A");
        QCOMPARE(listFile({"Car", "Van"}), expected);
        QCOMPARE(listFile({"Car", "Van"}).size(), 14);
        QCOMPARE(listFile({}), QByteArray());
        QCOMPARE(textRecord({""}), QByteArray("\"\"\r\n"));
    }

    void mixedRecordBytes()
    {
        Writer w;
        w.text(u"a").truth(true).truth(false).text(u"").endRecord();
        QCOMPARE(w.bytes(), QByteArray("\"a\",#TRUE#,#FALSE#,\"\"\r\n"));
    }

    void roundTrip_data()
    {
        QTest::addColumn<QString>("value");
        QTest::newRow("commas") << QStringLiteral("Old, red car");
        QTest::newRow("lines") << QStringLiteral("first line\r\nsecond, with comma\r\nthird");
        QTest::newRow("spaces") << QStringLiteral("  padded  ");
        QTest::newRow("empty") << QString();
        QByteArray high;
        for (int b = 0x80; b <= 0xFF; ++b)
            high.append(char(b));
        QTest::newRow("high bytes") << Win1252::decode(high);
    }
    void roundTrip()
    {
        QFETCH(QString, value);
        const auto back = parseTextRecord(textRecord({value, QStringLiteral("after")}), 2);
        QVERIFY(back);
        QCOMPARE(back->at(0), value);
        QCOMPARE(back->at(1), QStringLiteral("after"));
        QCOMPARE(parseListFile(listFile({value, value})), QStringList({value, value}));
    }

    void readsHandMadeFiles()
    {
        // Blanks before fields, junk after a closing quote, unquoted fields and truth values.
        Reader r(" \t\"one\"junk, two ,\t#TRUE#,#FALSE#\r\n\"next\"\r\n");
        QCOMPARE(r.text(), std::optional<QString>(QStringLiteral("one")));
        QCOMPARE(r.text(), std::optional<QString>(QStringLiteral("two")));
        QCOMPARE(r.truth(), std::optional<bool>(true));
        QCOMPARE(r.truth(), std::optional<bool>(false));
        QVERIFY(r.hasMore());
        QCOMPARE(r.text(), std::optional<QString>(QStringLiteral("next")));
        QVERIFY(!r.hasMore());
        QVERIFY(!r.text());
    }

    void truthFailsOnOtherValues()
    {
        Reader r("\"#TRUE#\",yes,#TRUE#");
        QVERIFY(!r.truth()); // quoted is text, not a truth value
        QVERIFY(!r.truth());
        QCOMPARE(r.truth(), std::optional<bool>(true));
    }

    void tooFewFieldsFails()
    {
        QVERIFY(!parseTextRecord("\"a\",\"b\"\r\n", 3));
        QVERIFY(parseTextRecord("\"a\",\"b\",\"c\",\"extra\"\r\n", 3));
    }

    void listStopsAtEnd()
    {
        QCOMPARE(parseListFile(""), QStringList());
        QCOMPARE(parseListFile("\"A\"\r\n\"B\""), QStringList({"A", "B"}));
        // Only line ends left after the last record: the read fails and the names so far stay.
        QCOMPARE(parseListFile("\"A\"\r\n\r\n\r\n"), QStringList({"A"}));
        // An unterminated quote runs to the end of the file.
        QCOMPARE(parseListFile("\"A\"\r\n\"B,\r\nC"), QStringList({"A", "B,\r\nC"}));
    }

    void valuesKeepEveryCharacterListsAndPlainLinesDoNot()
    {
        const QString city = QString::fromUtf8("Łódź &#65;");
        QCOMPARE(textRecord({city}), QByteArray("\"&#321;\xF3") + "d&#378; &#38;#65;\"\r\n");
        QCOMPARE(parseTextRecord(textRecord({city}), 1), std::optional<QStringList>(QStringList{city}));
        Reader values("\"&#321;\",\"&#65;\"");
        QCOMPARE(values.text(), std::optional<QString>(QString::fromUtf8("Ł")));
        QCOMPARE(values.text(), std::optional<QString>(QStringLiteral("&#65;"))); // as an old file has it
        // Names, the picture line and login files hold the code page alone, read as they are.
        QCOMPARE(parseListFile("\"A&#321;\"\r\n"), QStringList({"A&#321;"}));
        QCOMPARE(listFile({"A&#B"}), QByteArray("\"A&#B\"\r\n"));
        QCOMPARE(parsePlainLine("/a&#321;.jpg\r\n"), QStringLiteral("/a&#321;.jpg"));
        QCOMPARE(parseTextRecord("\"&#321;\"", 1, Texts::CodePageOnly),
                 std::optional<QStringList>(QStringList{"&#321;"}));
    }

    void plainLines()
    {
        const QString path = QStringLiteral("/home/me/My pics, old/car 1.jpg");
        QCOMPARE(plainLine(path), Win1252::encode(path) + "\r\n");
        QCOMPARE(parsePlainLine(plainLine(path)), path);
        QCOMPARE(parsePlainLine("no line end"), QStringLiteral("no line end"));
    }
};

GEARBOOK_TEST_MAIN(TestRecordFile)
#include "tst_recordfile.moc"
