#include "TestEnvironment.h"
#include "common/Win1252.h"

#include <QApplication>
#include <QTest>

class TestWin1252 : public QObject {
    Q_OBJECT
private slots:
    void everyByteRoundTrips()
    {
        QByteArray all(256, Qt::Uninitialized);
        for (int i = 0; i < 256; ++i)
            all[i] = char(i);
        const QString text = Win1252::decode(all);
        QCOMPARE(text.size(), 256);
        QVERIFY(Win1252::canEncode(text));
        QCOMPARE(Win1252::encode(text), all);
    }

    void knownCharacters()
    {
        QCOMPARE(Win1252::decode("\x80"), QString(QChar(0x20AC)));
        QCOMPARE(Win1252::decode("\x94"), QString(QChar(0x201D)));
        QCOMPARE(Win1252::decode("\xE9"), QString(QChar(0xE9)));
        // Undefined bytes stand for the C1 control of the same value.
        for (unsigned char b : {0x81, 0x8D, 0x8F, 0x90, 0x9D})
            QCOMPARE(Win1252::decodeByte(b).unicode(), char16_t(b));
        QCOMPARE(Win1252::encode(u"\u201D"), QByteArray("\x94"));
    }

    void unstorableCharacters()
    {
        QVERIFY(!Win1252::canEncode(u"\u4E2D"));
        QVERIFY(!Win1252::canEncode(QStringView(u"ok \u0394")));
        QVERIFY(Win1252::canEncode(QStringView(u"Caf\u00E9 \u20AC5")));
        QCOMPARE(Win1252::encode(u"a\u4E2Db"), QByteArray("a\x1A"
                                                          "b"));
    }

    void referencesWritten_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QByteArray>("bytes");
        QTest::newRow("Polish") << QString::fromUtf8("Łódź") << QByteArray("&#321;\xF3") + "d&#378;";
        QTest::newRow("Czech") << QString::fromUtf8("Přerov") << QByteArray("P&#345;erov");
        QTest::newRow("Romanian") << QString::fromUtf8("Ştefan") << QByteArray("&#350;tefan");
        QTest::newRow("Cyrillic") << QString::fromUtf8("Жигули")
                                  << QByteArray("&#1046;&#1080;&#1075;&#1091;&#1083;&#1080;");
        QTest::newRow("outside the basic plane") << QString::fromUtf8("a🚗") << QByteArray("a&#128663;");
        QTest::newRow("lone high surrogate") << QString("a") + QChar(0xD83D) + "b" << QByteArray("a&#55357;b");
        QTest::newRow("lone low surrogate") << QChar(0xDE97) + QString("b") << QByteArray("&#56983;b");
        QTest::newRow("typed &#") << QString("R&#D &&#") << QByteArray("R&#38;#D &&#38;#");
        QTest::newRow("& alone") << QString("A & B &") << QByteArray("A & B &");
        QTest::newRow("C1 held, U+0080 not") << QStringView(u"\x0081\x0080").toString() << QByteArray("\x81&#128;");
        QTest::newRow("code page alone") << QString::fromUtf8("Café €5 “x”")
                                         << QByteArray("Caf\xE9 \x80") + "5 \x93x\x94";
    }
    void referencesWritten()
    {
        QFETCH(QString, text);
        QFETCH(QByteArray, bytes);
        QCOMPARE(Win1252::encodeReferences(text), bytes);
        QCOMPARE(Win1252::decodeReferences(bytes), text);
    }

    void onlyWrittenReferencesAreRead_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QString>("text");
        for (const char* literal : {"&#65;", "&#38;", "&#38;x", "&#0321;", "&#00000321;", "&#12345678;", "&#1114112;",
                                    "&#321", "&#;", "&#x141;", "&# 321;", "&#129;", "&#-1;", "&#", "&"})
            QTest::newRow(literal) << QByteArray(literal) << QString::fromLatin1(literal);
        QTest::newRow("&#38;#") << QByteArray("&#38;#") << QString("&#");
        QTest::newRow("highest") << QByteArray("&#1114111;") << QStringView(u"\xDBFF\xDFFF").toString();
        QTest::newRow("lone surrogate") << QByteArray("&#55296;") << QString(QChar(0xD800));
        QTest::newRow("after a literal one") << QByteArray("&#65;&#321;") << QString::fromUtf8("&#65;Ł");
        QTest::newRow("one & of two") << QByteArray("&&#321;") << QString::fromUtf8("&Ł");
    }
    void onlyWrittenReferencesAreRead()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(QString, text);
        QCOMPARE(Win1252::decodeReferences(bytes), text);
    }

    void bytesWithoutReferencesReadAsBefore()
    {
        QByteArray all(256, Qt::Uninitialized);
        for (int i = 0; i < 256; ++i)
            all[i] = char(i);
        QCOMPARE(Win1252::decodeReferences(all), Win1252::decode(all));
    }

    void everyCodeUnitRoundTrips()
    {
        for (char32_t u = 0; u <= 0xFFFF; ++u) {
            const QChar c(static_cast<char16_t>(u));
            for (const QString& text : {QString(c), QString("&") + c + "#", QString(c) + "&#38;#" + c}) {
                const QByteArray bytes = Win1252::encodeReferences(text);
                if (Win1252::decodeReferences(bytes) != text)
                    QFAIL(qPrintable(QString("U+%1 read back otherwise").arg(uint(u), 4, 16, QLatin1Char('0'))));
            }
        }
    }
};

GEARBOOK_TEST_MAIN(TestWin1252)
#include "tst_win1252.moc"
