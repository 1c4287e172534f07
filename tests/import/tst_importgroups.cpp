#include "TestEnvironment.h"
#include "import/ImportGroups.h"

#include <QTest>

// Rows of one service grouped into one entry: the newest row's values, the earlier ones in its notes.
class TestImportGroups : public QObject {
    Q_OBJECT

    using Kind = ImportMapping::Kind;
    using Row = ImportGroups::Row;

    static Row entry(qsizetype index, const char* name, const char* date, const char* miles, const char* shop,
                     const char* notes)
    {
        return Row{"Ford", name, {date, "", miles, "", shop, notes}, index};
    }

private slots:
    // Newest by date, else mileage, else file order; the earlier rows as lines, newest first.
    void newestGivesTheValues()
    {
        const QList<Row> rows = {entry(0, "Oil change", "2019-05-10", "75000", "Shop 2019", "5W-30"),
                                 entry(1, "Brakes", "", "80000", "", ""),
                                 entry(2, "oil change", "2024-06-01", "120000", "Shop 2024", "new"),
                                 entry(3, "Oil change", "2014-04-01", "30000", "", "first\r\nservice"),
                                 entry(4, "Brakes", "", "60000", "", "front"),
                                 entry(5, "Wipers", "", "", "", "a"),
                                 entry(6, "Wipers", "", "", "", "b")};
        const QList<ImportGroups::Group> g = ImportGroups::group(Kind::Maintenance, rows, "km");
        QCOMPARE(g.size(), 3);
        QCOMPARE(g[0].rows, 3);
        QCOMPARE(g[0].row.index, 2);
        QCOMPARE(g[0].row.values,
                 QStringList({"2024-06-01", "", "120000", "", "Shop 2024",
                              "new\r\n2019-05-10, 75,000 km, Shop 2019: 5W-30\r\n2014-04-01, 30,000 km: first; "
                              "service"}));
        QCOMPARE(g[0].summary(), "3 rows \u2192 oil change, 2 earlier visits kept in its notes");
        QCOMPARE(g[1].row.index, 1); // the higher mileage
        QCOMPARE(g[1].row.values.last(), "60,000 km: front");
        QCOMPARE(g[2].row.index, 6); // the later in the file
        QCOMPARE(g[2].row.values.last(), "b\r\na");
    }

    // Parts the same, by their purchase date; rows of other vehicles and rows without a name stay apart.
    void partsAndVehiclesApart()
    {
        const QList<Row> rows = {Row{"Ford", "Filter", {"Store A", "2020-01-01", "", "", "", "", "1", ""}, 0},
                                 Row{"Van", "Filter", {"", "2021-01-01", "", "", "", "", "1", ""}, 1},
                                 Row{"Ford", "Filter", {"Store B", "2022-01-01", "", "", "", "", "2", "x"}, 2},
                                 Row{"Ford", "", {}, 3}, Row{"Ford", "", {}, 4}};
        const QList<ImportGroups::Group> g = ImportGroups::group(Kind::Parts, rows, QString());
        QCOMPARE(g.size(), 4);
        QCOMPARE(g[0].row.values,
                 QStringList({"Store B", "2022-01-01", "", "", "", "", "2", "x\r\n2020-01-01, Store A"}));
        QCOMPARE(g[0].summary(), "2 rows \u2192 Filter, 1 earlier purchase kept in its notes");
        QCOMPARE(g[1].row.vehicle, "Van");
    }
};

GEARBOOK_TEST_MAIN(TestImportGroups)
#include "tst_importgroups.moc"
