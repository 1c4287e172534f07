#include "TestEnvironment.h"
#include "import/CsvTable.h"
#include "import/ImportDates.h"

#include <QTest>

// Dates of a spreadsheet column, read in the order the column itself shows.
class TestImportDates : public QObject {
    Q_OBJECT

    using Order = ImportDates::Order;

private slots:
    void read_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<Order>("order");
        QTest::addColumn<QString>("iso"); // empty: not a date
        const auto row = [](const char* text, Order order, const char* iso) {
            QTest::newRow(text) << QString::fromUtf8(text) << order << QString::fromLatin1(iso);
        };
        const Order d = Order::DayFirst, m = Order::MonthFirst;
        row("2028-10-03", m, "2028-10-03");
        row("2028-10-03 00:00:00", d, "2028-10-03");
        row("2028-10-03T08:00", d, "2028-10-03");
        row("10/3/2028", m, "2028-10-03");
        row("03.10.2028", d, "2028-10-03");
        row("3-10-28", d, "2028-10-03");
        row("Oct 3, 2028", d, "2028-10-03");
        row("3 October 2028", m, "2028-10-03");
        row("3. Oktober 2028", m, "2028-10-03");
        row("3 oct. 2028", m, "2028-10-03");
        row("3 de octubre de 2028", m, "2028-10-03");
        row("3 ottobre 2028", m, "2028-10-03");
        row("3 okt 2028", m, "2028-10-03");
        row("3rd October 2028", m, "2028-10-03");
        row("13/10/2028", m, ""); // a column said months first: no month 13
        row("31.02.2028", d, "");
        row("soon", d, "");
        row("75000", d, "");
        row("1/2/3/4", d, "");
    }
    void read()
    {
        QFETCH(QString, text);
        QFETCH(Order, order);
        QFETCH(QString, iso);
        const auto date = ImportDates::read(text, order);
        QCOMPARE(date ? ImportDates::iso(*date) : QString(), iso);
    }

    // A day above 12 in any row settles the column; without one, the desktop's language does.
    void columnOrder_data()
    {
        QTest::addColumn<QByteArray>("column");
        QTest::addColumn<QString>("desktop");
        QTest::addColumn<Order>("order");
        QTest::addColumn<int>("row");
        QTest::newRow("US file, German desktop")
            << QByteArray("10/3/2028\n1/2/2020\n12/25/2027\n") << "de_DE" << Order::MonthFirst << 4;
        QTest::newRow("German file, US desktop")
            << QByteArray("03.10.2028\n25.12.2027\n") << "en_US" << Order::DayFirst << 3;
        QTest::newRow("unsettled, US desktop")
            << QByteArray("03.10.2028\n2028-12-25\n") << "en_US" << Order::MonthFirst << 0;
        QTest::newRow("unsettled, British desktop") << QByteArray("10/3/2028\n") << "en_GB" << Order::DayFirst << 0;
        QTest::newRow("both ways: the desktop's")
            << QByteArray("13/1/2028\n1/13/2028\n") << "de_DE" << Order::DayFirst << 0;
    }
    void columnOrder()
    {
        QFETCH(QByteArray, column);
        QFETCH(QString, desktop);
        QFETCH(Order, order);
        QFETCH(int, row);
        const CsvTable::Result r = CsvTable::parse("Date\n" + column);
        QVERIFY(r.table);
        const ImportDates::ColumnOrder found = ImportDates::columnOrder(*r.table, 0, QLocale(desktop));
        QCOMPARE(found.order, order);
        QCOMPARE(found.decidingRow, row);
    }
};

GEARBOOK_TEST_MAIN(TestImportDates)
#include "tst_importdates.moc"
