#include "TestEnvironment.h"
#include "common/NameRules.h"
#include "vehicles/FieldGuard.h"

#include <QApplication>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QTest>

class TestNameRules : public QObject {
    Q_OBJECT

private slots:
    void names_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<bool>("accepted");
        QTest::newRow("plain") << "Ford Transit" << true;
        QTest::newRow("spaces kept") << "  Van  " << true;
        QTest::newRow("comma and accents") << QString::fromUtf8("Citroën 2CV, red") << true;
        QTest::newRow("euro sign") << QString::fromUtf8("€ 500 car") << true;
        for (const char* c : {"\\", "/", ":", "*", "?", "\"", "<", ">", "|"})
            QTest::newRow(c) << QString("A%1B").arg(QLatin1String(c)) << false;
        QTest::newRow("line break") << "A\nB" << false;
        QTest::newRow("C1 control") << QString("A") + QChar(0x81) << false;
        QTest::newRow("not in code page") << QString::fromUtf8("Łada") << false;
        QTest::newRow("emoji") << QString::fromUtf8("Car 🚗") << false;
        QTest::newRow("longest") << QString(246, 'x') << true;
        QTest::newRow("too long") << QString(247, 'x') << false;
        QTest::newRow("too long in UTF-8") << QString(124, QChar(0xE9)) << false;
    }
    void names()
    {
        QFETCH(QString, name);
        QFETCH(bool, accepted);
        const auto problem = NameRules::nameProblem(name);
        QCOMPARE(!problem.has_value(), accepted);
        if (problem)
            QVERIFY(!problem->isEmpty());
    }

    void entryNamesAreMeasuredInTheirRecordFile()
    {
        QVERIFY(!NameRules::nameProblem("Oil", QString(200, 'v') + "Oil.gbx"));
        QVERIFY(NameRules::nameProblem("Oil", QString(250, 'v') + "Oil.gbx"));
    }

    void cleaning()
    {
        QCOMPARE(FieldGuard::clean("17\" rims"), QString::fromUtf8("17\u201D rims"));
        // Letters outside Windows-1252 are kept: the record file stores them as references.
        QCOMPARE(FieldGuard::clean(QString::fromUtf8("Łada €")), QString::fromUtf8("Łada €"));
    }

    void lineFieldTurnsQuotesAndKeepsEveryCharacter()
    {
        QLineEdit field;
        FieldGuard::install(&field);
        field.show();
        field.setFocus();
        QTest::keyClicks(&field, "ab");
        field.insert(QString::fromUtf8("\"Ω\"c🚗")); // as a paste does
        QCOMPARE(field.text(), QString::fromUtf8("ab\u201DΩ\u201Dc🚗"));
        QCOMPARE(field.cursorPosition(), 8);
    }

    void textFieldTurnsQuotesAndKeepsEveryCharacter()
    {
        QPlainTextEdit field;
        FieldGuard::install(&field);
        field.show();
        field.setFocus();
        QTest::keyClicks(&field, "a\"b");
        field.insertPlainText(QString::fromUtf8("Ω\nc\""));
        QCOMPARE(field.toPlainText(), QString::fromUtf8("a\u201DbΩ\nc\u201D"));
        QCOMPARE(field.textCursor().position(), 7);
        QCOMPARE(FieldGuard::storedText(&field), QString::fromUtf8("a\u201DbΩ\r\nc\u201D"));
        // No-break spaces stay what they are.
        field.setPlainText(QString("x") + QChar(0xA0) + "y");
        QCOMPARE(FieldGuard::storedText(&field), QString("x") + QChar(0xA0) + "y");
        FieldGuard::setStoredText(&field, "one\r\ntwo\rthree\nfour");
        QCOMPARE(field.toPlainText(), QString("one\ntwo\nthree\nfour"));
    }
};

GEARBOOK_TEST_MAIN(TestNameRules)
#include "tst_namerules.moc"
