#include "SampleData.h"
#include "TestEnvironment.h"
#include "due/DueScan.h"
#include "duewindow/frmDueMaint.h"

#include <QTest>

// The day a mileage-planned entry should come due, from the vehicle's own
// history: a steady history gives one, too little or a mileage that goes
// down gives none.
class TestMileageEstimate : public QObject {
    Q_OBJECT

    using Point = DueScan::MileagePoint;
    const QDate Today = QDate::currentDate();

    QString iso(int daysFromToday) const { return Today.addDays(daysFromToday).toString(Qt::ISODate); }

    // One vehicle bought `boughtDaysAgo` with `original` miles, and its entries
    // as {name, last date, last mileage, next mileage}.
    void fleet(const TestEnvironment& env, const QString& bought, const QString& original,
               const QList<QStringList>& records)
    {
        SampleData sample(env.dataFolder());
        sample.vehicle("Van", SampleData::vehicleValues({{6, original}, {10, bought}}));
        for (const QStringList& r : records)
            sample.maintenance("Van", r[0], {r[1], "", r[2], r[3], "Shop", ""});
    }

private slots:
    void paceFromTheHistory()
    {
        const QDate start(2026, 1, 1);
        // 3,000 over 100 days, whatever order the points come in.
        QCOMPARE(DueScan::distancePerDay({{start.addDays(100), 13000}, {start, 10000}, {start.addDays(40), 11100}}),
                 30.0);
        QCOMPARE(DueScan::estimateDay({{start, 10000}, {start.addDays(100), 13000}}, 13301), start.addDays(111));
        // Too little: one point, or points closer than 30 days.
        QVERIFY(!DueScan::distancePerDay({{start, 10000}}));
        QVERIFY(!DueScan::distancePerDay({{start, 10000}, {start.addDays(29), 12000}}));
        // Going down anywhere (a new odometer, a slip of the keys), or standing still: no pace.
        QVERIFY(!DueScan::distancePerDay({{start, 10000}, {start.addDays(50), 9000}, {start.addDays(100), 14000}}));
        QVERIFY(!DueScan::distancePerDay({{start, 10000}, {start.addDays(100), 10000}}));
        QVERIFY(!DueScan::estimateDay({{start, 10000}, {start.addDays(100), 10000}}, 20000));
    }

    void steadyHistoryDatesTheNextMileage()
    {
        TestEnvironment env;
        // Bought 200 days ago at 10,000; 12,000 at the oil change 100 days ago: 20 a day.
        fleet(env, iso(-200), "10,000 km",
              {{"Oil", iso(-100), "12,000", "12,400"}, {"Belt", iso(-100), "12,000", "40 000 km"}});
        const DueScan::Result result = DueScan::scan(QLocale(), Today);
        QCOMPARE(result.planned.size(), 2);
        QCOMPARE(result.planned[0].estimate, Today.addDays(-80));
        QCOMPARE(result.planned[0].shop, QStringLiteral("Shop"));
        QCOMPARE(result.planned[1].estimate, Today.addDays(1300));

        // Reached by the estimate: due, and shown as a guess; the far one waits.
        const QList<DueScan::Row> rows = DueScan::rows(result, Today, 30);
        QCOMPARE(rows.size(), 1);
        QVERIFY(rows[0].byEstimate && !rows[0].byMileage);
        frmDueMaint window;
        window.showResult(result);
        const auto found = window.tvwDue->findItems("Oil", Qt::MatchExactly | Qt::MatchRecursive, 1);
        QCOMPARE(found.size(), 1);
        QCOMPARE(found[0]->text(2), DueScan::estimateText(Today.addDays(-80)));
        QCOMPARE(found[0]->text(2), QStringLiteral("by mileage, about ") + iso(-80));
        QVERIFY(found[0]->font(2).italic());
        QVERIFY(!found[0]->toolTip(2).isEmpty());
    }

    void noEstimateFromTooLittleOrFallingHistory()
    {
        {
            TestEnvironment env;
            // Nothing but the purchase: one point.
            fleet(env, iso(-200), "10,000", {{"Oil", "", "", "12,400"}});
            QVERIFY(!DueScan::scan(QLocale(), Today).planned[0].estimate);
        }
        {
            TestEnvironment env;
            // The odometer went down between the purchase and the last inspection.
            fleet(env, iso(-200), "50,000", {{"Oil", iso(-100), "12,000", "60,000"}});
            const DueScan::Result result = DueScan::scan(QLocale(), Today);
            QVERIFY(!result.planned[0].estimate);
            QVERIFY(DueScan::rows(result, Today, 3650).isEmpty());
        }
    }
};

GEARBOOK_TEST_MAIN(TestMileageEstimate)
#include "tst_mileageestimate.moc"
