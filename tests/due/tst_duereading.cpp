#include "TestEnvironment.h"
#include "due/DueReading.h"

#include <QTest>

// Free-text next-inspection dates and mileages, as users type them.
class TestDueReading : public QObject {
    Q_OBJECT

    const QDate Today{2026, 12, 7};

private slots:
    void readDate_data()
    {
        QTest::addColumn<QString>("locale");
        QTest::addColumn<QString>("text");
        QTest::addColumn<QDate>("expected"); // invalid: not a date

        const QDate pi(2025, 3, 14);
        const auto row = [](const char* locale, const char* text, QDate expected) {
            QTest::addRow("%s %s", locale, text) << locale << QString::fromUtf8(text) << expected;
        };
        // Months first in the United States.
        row("en_US", "2025-03-14", pi);
        row("en_US", " 2025-03-14T09:30 ", pi);
        row("en_US", "2025/03/14", pi);
        row("en_US", "3/14/2025", pi);
        row("en_US", "3-14-2025", pi);
        row("en_US", "03/04/25", QDate(2025, 3, 4));
        row("en_US", "14/3/2025", pi); // no month 14: the only reading
        row("en_US", "March 14, 2025", pi);
        row("en_US", "Friday, March 14, 2025", pi);
        row("en_US", "14 Mar 2025", pi);
        row("en_US", "mar 14th 25", pi);
        // Two-digit years: the nearest century to today.
        row("en_US", "1/1/80", QDate(1980, 1, 1));
        row("en_US", "1/1/75", QDate(2075, 1, 1));
        // Not dates.
        for (const char* text :
             {"", "   ", "soon", "next spring", "50000", "12,000 km", "2025-02-30", "13/13/2025", "1/2/3/4", "3/14",
              "March 2025", "14 Smarch 2025", "3/14/202", "3/14.2025", "14 March 2025 or later"})
            row("en_US", text, QDate());

        // Days first in Germany.
        row("de_DE", "14.03.2025", pi);
        row("de_DE", "03.04.25", QDate(2025, 4, 3));
        row("de_DE", "03/04/2025", QDate(2025, 4, 3));
        row("de_DE", "2025-03-14", pi);
        row("de_DE", "14. März 2025", pi);
        row("de_DE", "Freitag, 14. März 2025", pi);
        row("de_DE", "14 March 2025", pi);
        row("de_DE", "29.02.24", QDate(2024, 2, 29));
        for (const char* text : {"31.04.2025", "29.02.2025", "nach dem Winter", "14.03."})
            row("de_DE", text, QDate());
    }

    void readDate()
    {
        QFETCH(QString, locale);
        QFETCH(QString, text);
        QFETCH(QDate, expected);
        const auto date = DueReading::readDate(text, QLocale(locale), Today);
        QCOMPARE(date.value_or(QDate()), expected);
    }

    // Imported dates are ISO 8601: every language reads them as the same day (two computers share the files).
    void isoUnderEveryLanguage()
    {
        const QList<QLocale> all =
            QLocale::matchingLocales(QLocale::AnyLanguage, QLocale::AnyScript, QLocale::AnyTerritory);
        QVERIFY(all.size() > 100);
        for (const QLocale& locale : all)
            for (const char* text : {"2028-10-03", "2028-10-03T08:00"})
                QVERIFY2(DueReading::readDate(QString::fromLatin1(text), locale, Today) == QDate(2028, 10, 3),
                         qPrintable(locale.name() + " " + text));
    }

    void readMileage_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<qint64>("expected"); // -1: not a mileage

        for (const auto& [text, expected] :
             std::initializer_list<std::pair<const char*, qint64>>{{"12,345 km", 12345},
                                                                   {"12.345", 12345},
                                                                   {"98 500 mi", 98500},
                                                                   {"1'234'567", 1234567},
                                                                   {"12345.6", 12345},
                                                                   {" 7 ", 7},
                                                                   {"5000 miles", 5000},
                                                                   {"", -1},
                                                                   {"abc", -1},
                                                                   {"about 5000", -1},
                                                                   {"12,34,5", -1},
                                                                   {"-5", -1},
                                                                   {"5000 km/h", -1},
                                                                   {"9999999999999999", -1}})
            QTest::newRow(text) << QString::fromUtf8(text) << expected;
    }

    void readMileage()
    {
        QFETCH(QString, text);
        QFETCH(qint64, expected);
        QCOMPARE(DueReading::readMileage(text).value_or(-1), expected);
    }
};

GEARBOOK_TEST_MAIN(TestDueReading)
#include "tst_duereading.moc"
