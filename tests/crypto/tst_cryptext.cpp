#include "CipherVectors.h"
#include "TestEnvironment.h"
#include "common/Win1252.h"
#include "crypto/modCryptText.h"

#include <QApplication>
#include <QTest>

using namespace modCryptText;

namespace {

QString chars(std::initializer_list<int> codes)
{
    QString out;
    for (int c : codes)
        out += Win1252::decodeByte(static_cast<unsigned char>(c));
    return out;
}

QString everyByte()
{
    QByteArray all(256, Qt::Uninitialized);
    for (int i = 0; i < 256; ++i)
        all[i] = char(i);
    return Win1252::decode(all);
}

} // namespace

class TestCryptText : public QObject {
    Q_OBJECT
private slots:
    void storedForms_data()
    {
        QTest::addColumn<QString>("plain");
        QTest::addColumn<QString>("phrase");
        QTest::addColumn<QString>("stored");
        const auto all = CipherVectors::load();
        QVERIFY2(all.stored.size() >= 4, qPrintable(all.path));
        for (const auto& s : all.stored)
            QTest::newRow(qPrintable(s.plain + QStringLiteral(" / ") + s.phrase.left(12)))
                << s.plain << s.phrase << s.stored;
    }

    void storedForms()
    {
        QFETCH(QString, plain);
        QFETCH(QString, phrase);
        QFETCH(QString, stored);
        QCOMPARE(QStringLiteral("a") + TextToHex(EncryptText(plain, phrase)), stored);
        QVERIFY(stored.startsWith(u'a'));
        QCOMPARE(DecryptText(HexToText(stored.mid(1)), phrase), plain);
    }

    void emptyTexts()
    {
        QCOMPARE(TextToHex(QString()), QString());
        QCOMPARE(HexToText(QString()), QString());
        QCOMPARE(EncryptText(QString(), u"phrase"_qs), QString());
        QCOMPARE(EncryptText(QString(), QString()), QString());
        QCOMPARE(DecryptText(QString(), u"phrase"_qs), QString());
        // Not whole blocks: nothing comes back.
        QCOMPARE(DecryptText(QString(31, u'x'), u"phrase"_qs), QString());
    }

    void textToHex()
    {
        QCOMPARE(TextToHex(chars({10})), u"0A"_qs);
        QCOMPARE(TextToHex(chars({255})), u"FF"_qs);
        QCOMPARE(TextToHex(chars({0})), u"00"_qs);
        QCOMPARE(TextToHex(u"JK"_qs), u"4A4B"_qs);
        QCOMPARE(TextToHex(QString(QChar(0x20AC))), u"80"_qs); // the euro sign is byte 0x80
    }

    void hexToText_data()
    {
        QTest::addColumn<QString>("hex");
        QTest::addColumn<QString>("text");
        QTest::newRow("mixed case") << u"4a4B"_qs << chars({74, 75});
        QTest::newRow("odd length") << u"414"_qs << chars({65, 4});
        QTest::newRow("no digit") << u"ZZ"_qs << chars({0});
        QTest::newRow("stops at non-digit") << u"1Z"_qs << chars({1});
        QTest::newRow("non-digit first") << u"Z1"_qs << chars({0});
        QTest::newRow("blank before") << u" 4"_qs << chars({4});
        QTest::newRow("blank after") << u"4 "_qs << chars({4});
        QTest::newRow("blanks only") << u"  "_qs << chars({0});
        QTest::newRow("tab") << u"\tF"_qs << chars({15});
        QTest::newRow("sign") << u"-1"_qs << chars({0});
        QTest::newRow("non-Latin") << QString(QChar(0x0661)) + QStringLiteral("1")
                                   << chars({0}); // Arabic-Indic one is no hex digit
        QTest::newRow("high") << u"ff80"_qs << chars({255, 128});
    }

    void hexToText()
    {
        QFETCH(QString, hex);
        QFETCH(QString, text);
        QCOMPARE(HexToText(hex), text);
    }

    void hexRoundTripOfEveryByte()
    {
        const QString all = everyByte();
        const QString hex = TextToHex(all);
        QCOMPARE(hex.size(), 512);
        QCOMPARE(HexToText(hex), all);
        QCOMPARE(HexToText(hex.toLower()), all);
    }

    void encryptionRoundTrips_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("phrase");
        QTest::newRow("one char") << u"x"_qs << u"p"_qs;
        QTest::newRow("every byte") << everyByte() << u"Pass phrase"_qs;
        QTest::newRow("empty phrase") << u"admin"_qs << QString();
        QTest::newRow("long phrase") << u"Caf\u00E9 \u20AC5"_qs << QString(200, u'\u00FF');
        QTest::newRow("28 chars") << QString(28, u'q') << u"k"_qs;
        QTest::newRow("29 chars") << QString(29, u'q') << u"k"_qs;
    }

    void encryptionRoundTrips()
    {
        QFETCH(QString, text);
        QFETCH(QString, phrase);
        const QString encrypted = EncryptText(text, phrase);
        QCOMPARE(encrypted.size() % 32, 0);
        QVERIFY(!encrypted.isEmpty());
        QCOMPARE(DecryptText(HexToText(TextToHex(encrypted)), phrase), text);
    }

    void phraseCountsTo32Characters()
    {
        const QString base(32, u'P');
        QCOMPARE(EncryptText(u"value"_qs, base + QStringLiteral("one")),
                 EncryptText(u"value"_qs, base + QStringLiteral("two")));
        QVERIFY(EncryptText(u"value"_qs, base.left(31) + QStringLiteral("Q")) != EncryptText(u"value"_qs, base));
        QCOMPARE(DecryptText(EncryptText(u"value"_qs, base + QStringLiteral("one")), base), u"value"_qs);
    }

    void textToHexLetsEventsRun()
    {
        bool ran = false;
        QMetaObject::invokeMethod(
            qApp, [&ran] { ran = true; }, Qt::QueuedConnection);
        QCOMPARE(TextToHex(u"ab"_qs), u"6162"_qs);
        QVERIFY(ran);
    }
};

GEARBOOK_TEST_MAIN(TestCryptText)
#include "tst_cryptext.moc"
