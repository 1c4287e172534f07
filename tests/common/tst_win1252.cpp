#include "TestEnvironment.h"
#include "Win1252.h"

#include <QApplication>
#include <QtTest>

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
};

GEARBOOK_TEST_MAIN(TestWin1252)
#include "tst_win1252.moc"
