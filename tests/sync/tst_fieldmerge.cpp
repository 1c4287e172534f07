#include "TestEnvironment.h"
#include "sync/FieldMerge.h"

#include <QApplication>

#include <QTest>

// The merge on its own: which value each field gets, byte-exact records.
class TestFieldMerge : public QObject {
    Q_OBJECT

    static FieldMerge record()
    {
        FieldMerge merge({{QStringLiteral("Make"), false, {}},
                          {QStringLiteral("Model"), false, {}},
                          {QStringLiteral("Automatic"), true, {}}});
        merge.setLoaded({"Ford", "Ka", "False"});
        return merge;
    }

private slots:
    void eachFieldTakesTheSideThatChangedIt()
    {
        const FieldMerge merge = record();
        // Screen changed Make, disk changed Model and Automatic.
        auto merged = merge.merge({"Opel", "Ka", "False"}, QStringList{"Ford", "Corsa", "True"});
        QCOMPARE(merged.values, QStringList({"Opel", "Corsa", "True"}));
        QVERIFY(merged.conflicts.isEmpty());
        // The record store writes them; they read back as merged.
        QCOMPARE(merge.parse("\"Opel\",\"Corsa\",#TRUE#\r\n"), std::optional(merged.values));

        // Both changed Make, differently: the screen's is written, the other told.
        merged = merge.merge({"Opel", "Ka", "False"}, QStringList{"Fiat", "Ka", "False"});
        QCOMPARE(merged.values.first(), QStringLiteral("Opel"));
        QCOMPARE(merged.conflicts.size(), 1);
        QCOMPARE(merged.conflicts.first().other, QStringLiteral("Fiat"));
        QVERIFY(merge.conflictMessage("Van", merged.conflicts)
                    .contains("Make: \u201CFiat\u201D (saved: \u201COpel\u201D)"));

        // No record on disk: the screen whole.
        QCOMPARE(merge.merge({"Opel", "Ka", "False"}, std::nullopt).values, QStringList({"Opel", "Ka", "False"}));
    }

    void aReloadKeepsWhatTheUserChanged()
    {
        FieldMerge merge = record();
        QCOMPARE(merge.reload({"Op", "Ka", "False"}, {"Fiat", "Punto", "True"}), QStringList({"Op", "Punto", "True"}));
        // Make keeps its loaded value, so its save still sees the disk's change.
        QCOMPARE(merge.merge({"Opel", "Punto", "True"}, QStringList{"Fiat", "Punto", "True"}).conflicts.size(), 1);
    }

    void aBrokenRecordDoesNotParse()
    {
        const FieldMerge merge = record();
        QVERIFY(!merge.parse("\"Ford\",\"Ka\"\r\n"));
        QVERIFY(!merge.parse("\"Ford\",\"Ka\",maybe\r\n"));
        QCOMPARE(*merge.parse("\"Ford\",\"Ka\",#TRUE#\r\n"), QStringList({"Ford", "Ka", "True"}));
    }

    void aListChangesByOneNameAndStaysSorted()
    {
        const QStringList disk{"Van", "Car"}; // "Car" added elsewhere, by hand
        QCOMPARE(ListMerge::withName(disk, "bus"), QStringList({"bus", "Car", "Van"}));
        QCOMPARE(ListMerge::withoutName(disk, "Van"), QStringList({"Car"}));
    }
};

GEARBOOK_TEST_MAIN(TestFieldMerge)
#include "tst_fieldmerge.moc"
